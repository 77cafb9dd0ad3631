#include "core/serverdb/dbcheck.h"

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

DatabaseCheck checkDatabase(const QString &path)
{
    DatabaseCheck check;
    {
        Connection db = openDatabase(path, OpenMode::ReadOnly, &check.error);
        if (!db)
            return check;
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
        check.opened = true;
        check.newFormat = Function_HasAlarmTable(db.get());
        check.integrityOk = check.integrity == QStringList { QStringLiteral("ok") };
    }
    TerminalListing listing = readTerminals(path);
    check.terminalsRead = listing.ok;
    if (!listing.ok && check.error.isEmpty())
        check.error = listing.error;
    check.rows = std::move(listing.rows);
    check.marks = duplicateMarks(check.rows);
    return check;
}

} // namespace quenzal::serverdb
