#include "core/serverdb/dbcheck.h"

#include <QTemporaryDir>

#include "core/serverdb/sqliteraii.h"

namespace quenzal::serverdb {

int DatabaseCheck::sharedRows(int key) const
{
    int n = 0;
    for (std::uint8_t m : marks)
        n += (m >> key) & 1u;
    return n;
}

bool DatabaseCheck::sound() const
{
    // ID, IP and MAC: the three keys that identify a terminal on the network.
    return opened && integrityOk && terminalsRead && sharedRows(0) == 0 && sharedRows(1) == 0 && sharedRows(2) == 0;
}

DatabaseCheck checkDatabase(const QString &path, const OperationControl *control)
{
    DatabaseCheck check;
    // The check reads every page and can take long on a large file; it runs
    // on a copy made in steps, so the server's writes wait for one step of
    // the copy at a time, never for the whole check.
    QTemporaryDir dir;
    if (!dir.isValid()) {
        check.error = QStringLiteral("no temporary folder for the copy to check");
        return check;
    }
    const QString copy = dir.filePath(QStringLiteral("check.db"));
    {
        ReadSource src = openForReading(path, control);
        if (src.status != ReadStatus::Ok) {
            check.error = src.error;
            return check;
        }
        int rc = SQLITE_OK;
        Connection dst = openDatabase(copy, OpenMode::Create, &check.error, &rc);
        if (!dst)
            return check;
        rc = copyPages(src.db.get(), dst.get(), 256, control);
        if (rc != SQLITE_DONE) {
            // A file whose pages cannot all be read is damaged: reported as
            // the integrity check's finding. A lock or a cancel is no finding.
            check.error = rc == SQLITE_INTERRUPT ? QStringLiteral("cancelled") : lastError(dst.get());
            if (readStatusOf(rc) != ReadStatus::Unreadable || rc == SQLITE_INTERRUPT)
                return check;
            check.opened = true;
            check.integrity << check.error;
            return check;
        }
    }
    Connection db = openDatabase(copy, OpenMode::Immutable, &check.error);
    if (!db)
        return check;
    followOperation(db.get(), control);
    {
        Statement stmt = prepare(db.get(), "PRAGMA integrity_check", &check.error);
        if (!stmt)
            return check; // not a database: the header does not read
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0));
            check.integrity << QString::fromUtf8(text ? text : "");
        }
        if (rc != SQLITE_DONE) {
            check.error = lastError(db.get());
            return check;
        }
    }
    check.opened = true;
    check.newFormat = Function_HasAlarmTable(db.get());
    check.integrityOk = check.integrity == QStringList { QStringLiteral("ok") };
    TerminalListing listing = listTerminals(db.get(), control);
    check.terminalsRead = listing.ok;
    if (!listing.ok && check.error.isEmpty())
        check.error = listing.error;
    check.rows = std::move(listing.rows);
    check.marks = duplicateMarks(check.rows);
    return check;
}

} // namespace quenzal::serverdb
