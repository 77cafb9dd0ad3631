#include "core/serverdb/sqliteraii.h"

namespace quenzal::serverdb {

Connection openDatabase(const QString &path, OpenMode mode, QString *error)
{
    int flags = SQLITE_OPEN_READONLY;
    if (mode == OpenMode::ReadWrite)
        flags = SQLITE_OPEN_READWRITE;
    else if (mode == OpenMode::Create)
        flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, flags, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        if (error)
            *error = raw ? lastError(raw) : QString::fromUtf8(sqlite3_errstr(rc));
        return nullptr;
    }
    // Extended codes let callers tell a missing table from a damaged file.
    sqlite3_extended_result_codes(raw, 1);
    return db;
}

Statement prepare(sqlite3 *db, const char *sql, QString *error)
{
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        if (error)
            *error = lastError(db);
        sqlite3_finalize(raw);
        return nullptr;
    }
    return Statement(raw);
}

int execute(sqlite3 *db, const char *sql)
{
    Statement stmt = prepare(db, sql);
    if (!stmt)
        return sqlite3_errcode(db);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

QString lastError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace quenzal::serverdb
