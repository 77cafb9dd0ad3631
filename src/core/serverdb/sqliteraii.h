#pragma once
// Owners for SQLite handles. A connection or statement that leaves scope is
// closed or finalized, on every return path, so no operation of the database
// window can leave the server's file open or locked.
#include <sqlite3.h>

#include <QByteArray>
#include <QString>

#include <memory>

namespace quenzal::serverdb {

struct ConnectionCloser {
    // sqlite3_close_v2 defers the close until statements still alive are
    // finalized, so the order in which owners go out of scope never matters.
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};

using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

enum class OpenMode {
    ReadOnly,  // the source of a conversion, listings, backups
    ReadWrite, // deletes and the conversion output
    Create,    // a backup target that was created empty just before
};

// Opens an existing database file. Never creates one, except in Create mode:
// a path that names no file yields no connection and leaves no file behind.
// The error text, if any, goes to *error.
Connection openDatabase(const QString &path, OpenMode mode, QString *error = nullptr);

// Compiles one statement; null on failure (the message goes to *error).
Statement prepare(sqlite3 *db, const char *sql, QString *error = nullptr);

// Runs a statement that returns no rows of interest; the SQLite result code.
int execute(sqlite3 *db, const char *sql);

QString lastError(sqlite3 *db);

} // namespace quenzal::serverdb
