// The Terminal table as the database window lists it, and its duplicate
// marks.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QHash>

#include <limits>

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

namespace {

// Rows of table Terminal copied per read transaction; fewer when the server
// keeps committing, so that no transaction keeps its writer waiting long.
constexpr int kCopyStepRows = 5000;
constexpr int kShortStepRows = 1000;

int dataVersion(sqlite3 *db)
{
    Statement stmt = prepare(db, "PRAGMA data_version");
    return stmt && sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int(stmt.get(), 0) : -1;
}

bool inWalMode(sqlite3 *db)
{
    Statement stmt = prepare(db, "PRAGMA journal_mode");
    return stmt && sqlite3_step(stmt.get()) == SQLITE_ROW
        && qstricmp(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)), "wal") == 0;
}

// Puts the rows that `query` gives (rowid first) into the copy through
// `put`; *rows counts them and *last is the last rowid. The SQLite result
// code.
int copyRows(sqlite3 *src, sqlite3 *dst, sqlite3_stmt *query, sqlite3_stmt *put, int columns, qint64 *last, int *rows,
    QString *error)
{
    int rc;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW) {
        ++*rows;
        *last = sqlite3_column_int64(query, 0);
        sqlite3_reset(put);
        for (int c = 0; c <= columns; ++c) {
            sqlite3_value *value = sqlite3_column_value(query, c);
            if (!value || sqlite3_bind_value(put, c + 1, value) != SQLITE_OK)
                return SQLITE_NOMEM;
        }
        if (sqlite3_step(put) != SQLITE_DONE) {
            *error = lastError(dst);
            return sqlite3_extended_errcode(dst);
        }
    }
    if (rc != SQLITE_DONE) {
        *error = lastError(src);
        return rc;
    }
    return SQLITE_OK;
}

// Makes the set of copied rows that of the file at one moment: in one read
// transaction that reads rowids only, rows deleted since their step are
// dropped from the copy and rows added behind the steps are copied. The
// SQLite result code.
int matchRowids(sqlite3 *src, sqlite3 *dst, sqlite3_stmt *byRowid, sqlite3_stmt *put, int columns, QString *error)
{
    Statement live = prepare(src, "SELECT rowid FROM Terminal ORDER BY rowid", error);
    Statement held = prepare(dst, "SELECT rowid FROM Terminal ORDER BY rowid", error);
    Statement drop = prepare(dst, "DELETE FROM Terminal WHERE rowid = ?", error);
    if (!live || !held || !drop)
        return SQLITE_ERROR;
    std::vector<qint64> gone, added;
    {
        ReadTransaction transaction(src);
        int inFile = sqlite3_step(live.get()), inCopy = sqlite3_step(held.get());
        while (inFile == SQLITE_ROW || inCopy == SQLITE_ROW) {
            const qint64 f = inFile == SQLITE_ROW ? sqlite3_column_int64(live.get(), 0) : 0;
            const qint64 c = inCopy == SQLITE_ROW ? sqlite3_column_int64(held.get(), 0) : 0;
            if (inFile == SQLITE_ROW && (inCopy != SQLITE_ROW || f < c)) {
                added.push_back(f);
                inFile = sqlite3_step(live.get());
            } else if (inCopy == SQLITE_ROW && (inFile != SQLITE_ROW || c < f)) {
                gone.push_back(c);
                inCopy = sqlite3_step(held.get());
            } else {
                inFile = sqlite3_step(live.get());
                inCopy = sqlite3_step(held.get());
            }
        }
        if (inFile != SQLITE_DONE) {
            *error = lastError(src);
            return inFile;
        }
        if (inCopy != SQLITE_DONE) {
            *error = lastError(dst);
            return inCopy;
        }
        held.reset(); // the copy is written below
        for (const qint64 rowid : added) {
            sqlite3_reset(byRowid);
            sqlite3_bind_int64(byRowid, 1, rowid);
            qint64 last = 0;
            int rows = 0;
            const int rc = copyRows(src, dst, byRowid, put, columns, &last, &rows, error);
            if (rc != SQLITE_OK)
                return rc;
        }
    }
    for (const qint64 rowid : gone) {
        sqlite3_reset(drop.get());
        sqlite3_bind_int64(drop.get(), 1, rowid);
        if (sqlite3_step(drop.get()) != SQLITE_DONE) {
            *error = lastError(dst);
            return sqlite3_extended_errcode(dst);
        }
    }
    return SQLITE_OK;
}

// Copies table Terminal of `src`, values as stored and rowids kept, into a
// table Terminal of the private database `dst`, and the format mark into
// *newFormat. In steps of kCopyStepRows rows by rowid, each its own read
// transaction, so the server's writes wait for one step at a time; when the
// server commits between two steps (PRAGMA data_version), the copy starts
// again. The third time, a file in WAL mode is read in one transaction (its
// readers hold no writer up); any other is read in shorter steps without
// starting again, and a last look at its rowids makes the set of rows that
// of one moment, each row as its step read it. The SQLite result code.
int copyTerminalTable(sqlite3 *src, sqlite3 *dst, bool *newFormat, QString *error, const OperationControl *control)
{
    int columns = 0;
    {
        Statement probe = prepare(src, "SELECT * FROM Terminal", error);
        if (!probe)
            return sqlite3_extended_errcode(src);
        columns = sqlite3_column_count(probe.get());
    }
    QByteArray names = "rowid";
    for (int c = 0; c < columns; ++c)
        names += ", c" + QByteArray::number(c);
    if (execute(dst, ("CREATE TABLE Terminal(" + names.mid(7) + ")").constData()) != SQLITE_OK) {
        *error = lastError(dst);
        return sqlite3_extended_errcode(dst);
    }
    Statement put = prepare(dst,
        ("INSERT INTO Terminal(" + names + ") VALUES(?" + QByteArray(",?").repeated(columns) + ")").constData(), error);
    // By rowid in steps; a table without rowids is read in one piece.
    Statement stepwise = prepare(src, "SELECT rowid, * FROM Terminal WHERE rowid > ?1 ORDER BY rowid LIMIT ?2");
    Statement byRowid = prepare(src, "SELECT rowid, * FROM Terminal WHERE rowid = ?1");
    Statement whole = prepare(src, stepwise ? "SELECT rowid, * FROM Terminal" : "SELECT NULL, * FROM Terminal", error);
    if (!put)
        return sqlite3_extended_errcode(dst);
    if (!whole)
        return sqlite3_extended_errcode(src);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const bool last = attempt == 2;
        const bool inOne = !stepwise || !byRowid || (last && inWalMode(src));
        const bool restart = !inOne && !last;
        const int stepRows = last ? kShortStepRows : kCopyStepRows;
        int version = -1;
        qint64 lastRowid = std::numeric_limits<qint64>::min();
        qint64 copied = 0;
        execute(dst, "BEGIN");
        for (;;) {
            int rc, rows = 0;
            {
                ReadTransaction transaction(src);
                if (restart) {
                    const int now = dataVersion(src);
                    if (version >= 0 && now != version)
                        break; // the server committed between two steps
                    version = now;
                }
                sqlite3_stmt *query = inOne ? whole.get() : stepwise.get();
                sqlite3_reset(query);
                if (!inOne) {
                    sqlite3_bind_int64(query, 1, lastRowid);
                    sqlite3_bind_int(query, 2, stepRows);
                }
                rc = copyRows(src, dst, query, put.get(), columns, &lastRowid, &rows, error);
            }
            if (rc != SQLITE_OK)
                return rc;
            copied += rows;
            if (control)
                control->report(OperationControl::Step, copied, 0);
            if (inOne || rows < stepRows) {
                if (!inOne && !restart && (rc = matchRowids(src, dst, byRowid.get(), put.get(), columns, error)))
                    return rc;
                *newFormat = Function_HasAlarmTable(src);
                execute(dst, "COMMIT");
                return SQLITE_OK;
            }
        }
        execute(dst, "ROLLBACK");
        qCDebug(lcServerdb) << "the file changed between two steps of the list; reading it again";
    }
    return SQLITE_INTERNAL; // not reached: the third attempt does not start again
}

} // namespace

TerminalListing readTerminals(const QString &path, const OperationControl *control)
{
    TerminalListing listing;
    ReadSource src = openForReading(path, control);
    if (src.status != ReadStatus::Ok) {
        listing.status = src.status;
        listing.error = src.error;
        return listing;
    }
    // Table Terminal alone is copied, in short read transactions, into a
    // private database, and listed from there without holding the server up.
    Connection copy = openMemoryDatabase(&listing.error);
    followOperation(copy.get(), control);
    bool newFormat = false;
    const int rc
        = copy ? copyTerminalTable(src.db.get(), copy.get(), &newFormat, &listing.error, control) : SQLITE_NOMEM;
    if (rc != SQLITE_OK) {
        listing.status = readStatusOf(rc);
        if (listing.status == ReadStatus::Ok)
            listing.status = ReadStatus::Unreadable;
        return listing;
    }
    src = ReadSource();
    listing = listTerminals(copy.get(), control);
    listing.newFormat = newFormat;
    return listing;
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
