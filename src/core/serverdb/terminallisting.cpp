// The Terminal table as the database window lists it, and its duplicate
// marks.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QHash>

#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

using namespace detail;

QString newFormatText()
{
    return QStringLiteral("V2.0 （V423以上版本软件)");
}

QString oldFormatText()
{
    return QStringLiteral("V1.0 （V423以下版本软件)");
}

QString cellText(int column, const QByteArray &bytes)
{
    return column == kColName ? QString::fromLocal8Bit(bytes) : QString::fromLatin1(bytes);
}

bool Function_HasAlarmTable(sqlite3 *db)
{
    // Compiling the query already proves the table exists; one step confirms
    // it can be read without scanning a possibly large table.
    Statement stmt = prepare(db, "SELECT * FROM AlarmInformation");
    if (!stmt)
        return false;
    const int rc = sqlite3_step(stmt.get());
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

TerminalListing readTerminals(const QString &path, const OperationControl *control)
{
    ReadSource src = openForReading(path, control);
    if (src.status != ReadStatus::Ok) {
        TerminalListing listing;
        listing.status = src.status;
        listing.error = src.error;
        return listing;
    }
    // The rows and the format mark from one committed state; the server's
    // next commit waits for this read only.
    ReadTransaction transaction(src.db.get());
    return listTerminals(src.db.get(), control);
}

TerminalListing listTerminals(sqlite3 *db, const OperationControl *control)
{
    TerminalListing listing;
    Statement stmt = prepare(db, "SELECT DISTINCT* FROM Terminal", &listing.error);
    if (!stmt) {
        listing.status = readStatusOf(sqlite3_extended_errcode(db));
        if (listing.status == ReadStatus::Ok)
            listing.status = ReadStatus::Unreadable;
        return listing;
    }

    const int columns = std::min(sqlite3_column_count(stmt.get()), kTerminalColumns);
    std::vector<TerminalRow> rows;
    int rc;
    bool outOfMemory = false;
    while (!outOfMemory && (rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        TerminalRow row;
        int k = 0;
        for (int c = 0; c < columns; ++c) {
            if (k < int(kKeyColumns.size()) && kKeyColumns[k] == c) {
                if (!StoredValue::read(stmt.get(), c, &row.key[k]))
                    outOfMemory = true;
                row.texts[c] = cellText(c, row.key[k].bytes);
                ++k;
                continue;
            }
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), c));
            if (text)
                row.texts[c] = QString::fromLatin1(text, sqlite3_column_bytes(stmt.get(), c));
            else if (sqlite3_column_type(stmt.get(), c) != SQLITE_NULL)
                outOfMemory = true; // a value that could not be converted to text
        }
        rows.push_back(std::move(row));
        if (control && rows.size() % 4096 == 0)
            control->report(OperationControl::Step, qint64(rows.size()), 0);
    }
    if (outOfMemory)
        rc = SQLITE_NOMEM;
    if (rc != SQLITE_DONE) {
        // A damaged page in mid-read: half a list would hide rows.
        listing.error = outOfMemory ? QString::fromUtf8(sqlite3_errstr(rc)) : lastError(db);
        listing.status = ReadStatus::Unreadable;
        return listing;
    }
    listing.newFormat = Function_HasAlarmTable(db);
    listing.rows = std::move(rows);
    listing.status = ReadStatus::Ok;
    listing.ok = true;
    return listing;
}

std::vector<std::uint8_t> duplicateMarks(const std::vector<TerminalRow> &rows)
{
    std::vector<std::uint8_t> marks(rows.size(), 0);
    for (std::size_t k = 0; k < kKeyColumns.size(); ++k) {
        const int column = kKeyColumns[k];
        QHash<QString, int> seen;
        seen.reserve(qsizetype(rows.size()));
        for (const TerminalRow &row : rows)
            ++seen[row.texts[column]];
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (seen.value(rows[r].texts[column]) > 1)
                marks[r] |= std::uint8_t(1u << k);
        }
    }
    return marks;
}

} // namespace quenzal::serverdb
