#pragma once
// Owners for SQLite handles and the rules every connection follows. A
// connection or statement that leaves scope is closed or finalized, on every
// return path, so no operation of the database window can leave the server's
// file open or locked.
#include <sqlite3.h>

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace quenzal::serverdb {

// How long a call waits for a lock the server holds before it gives up with
// SQLITE_BUSY. Long enough to ride out a server's commit, short enough that
// the window does not appear frozen on a file the server keeps locked.
constexpr int kBusyTimeoutMs = 2000;

struct ConnectionCloser
{
    // sqlite3_close_v2 defers the close until statements still alive are
    // finalized, so the order in which owners go out of scope never matters.
    // Its result can only be SQLITE_OK for a valid handle.
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer
{
    // sqlite3_finalize repeats the error of the statement's last step, which
    // the caller has already handled where the step failed.
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};

using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

enum class OpenMode {
    ReadOnly, // the server's file, for reading: listings, backups, conversion source
    ReadWrite, // deletes on the server's file, the conversion output
    Create, // a file of our own that may not exist yet (backup and output copies)
    Immutable, // a finished file of our own that nothing writes any more (the
               // conversion's backup, the check's copy): read without locks,
               // and without the WAL files its header may ask for
};

// How a caller on another thread follows and stops a long operation (the
// database window's worker; the command-line tool passes none). Both hooks
// are called on the thread that runs the operation and must be thread-safe.
struct OperationControl
{
    enum Event {
        WaitingForLock, // done: milliseconds waited so far, total: the busy timeout
        Step, // done of total units of work (pages, rows); total 0: unknown
    };
    std::function<bool()> cancelled;
    std::function<void(Event, qint64 done, qint64 total)> progress;

    bool isCancelled() const { return cancelled && cancelled(); }
    void report(Event event, qint64 done, qint64 total) const
    {
        if (progress)
            progress(event, done, total);
    }
};

// Lets `control` follow the connection: a wait for the server's lock is
// reported about once a second and ends on cancel (or after kBusyTimeoutMs,
// as without a control), and a running statement stops with
// SQLITE_INTERRUPT soon after a cancel. `control` must outlive the
// connection's use; null leaves the connection as it is.
void followOperation(sqlite3 *db, const OperationControl *control);

// Opens an existing database file. Never creates one, except in Create mode:
// a path that names no file yields no connection and leaves no file behind.
// Every connection gets the busy timeout and extended result codes, and does
// not checkpoint a WAL when it closes (the server owns its WAL). On failure
// the SQLite result code goes to *rc and the error text to *error.
Connection openDatabase(const QString &path, OpenMode mode, QString *error = nullptr, int *rc = nullptr);

// A private in-memory database.
Connection openMemoryDatabase(QString *error = nullptr);

// Compiles one statement; null on failure (the message goes to *error).
Statement prepare(sqlite3 *db, const char *sql, QString *error = nullptr);

// Runs a statement that returns no rows of interest; the SQLite result code.
int execute(sqlite3 *db, const char *sql);

// Copies every page of `src` into `dst` with the online backup API, in steps
// of `stepPages` pages (-1: all at once), giving other processes the file
// between steps. The first pass goes in small steps, so a quiet server is
// never held up for longer than one step; if the source changes under it
// (the copy restarts), the copy is retaken in one step, so that a server
// committing faster than the copy can finish is held up once, for the time
// of one whole copy, instead of restarting it forever. Returns SQLITE_DONE
// on success, else the SQLite result code.
// With a control, progress is reported in pages and a cancel between steps
// ends the copy with SQLITE_INTERRUPT.
int copyPages(sqlite3 *src, sqlite3 *dst, int stepPages = 256, const OperationControl *control = nullptr);

QString lastError(sqlite3 *db);

} // namespace quenzal::serverdb
