#include "core/serverdb/sqliteraii.h"

#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

namespace {

// Settings every connection gets; false (with *rc set) if one is refused.
bool configure(sqlite3 *db, int *rc)
{
    int off = 0;
    *rc = sqlite3_extended_result_codes(db, 1);
    if (*rc == SQLITE_OK)
        *rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (*rc == SQLITE_OK)
        *rc = sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &off);
    return *rc == SQLITE_OK;
}

// How often a wait for a lock looks again, and so how soon it sees a cancel.
constexpr int kLockPollMs = 10;

int waitForLock(void *arg, int count)
{
    const auto *control = static_cast<const OperationControl *>(arg);
    const int waited = count * kLockPollMs;
    if (control->isCancelled() || waited >= kBusyTimeoutMs)
        return 0;
    if (count % (1000 / kLockPollMs) == 0)
        control->report(OperationControl::WaitingForLock, waited, kBusyTimeoutMs);
    QThread::msleep(kLockPollMs);
    return 1;
}

int stopWhenCancelled(void *arg)
{
    return static_cast<const OperationControl *>(arg)->isCancelled() ? 1 : 0;
}

} // namespace

void followOperation(sqlite3 *db, const OperationControl *control)
{
    if (!db || !control)
        return;
    sqlite3_busy_handler(db, waitForLock, const_cast<OperationControl *>(control));
    // About every few thousand virtual-machine steps: far below a millisecond.
    sqlite3_progress_handler(db, 4000, stopWhenCancelled, const_cast<OperationControl *>(control));
}

Connection openDatabase(const QString &path, OpenMode mode, QString *error, int *rcOut)
{
    int flags = SQLITE_OPEN_READONLY;
    QByteArray name = path.toUtf8();
    if (mode == OpenMode::ReadWrite) {
        flags = SQLITE_OPEN_READWRITE;
    } else if (mode == OpenMode::Create) {
        flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    } else if (mode == OpenMode::Immutable) {
        flags |= SQLITE_OPEN_URI;
        name = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
    }
    sqlite3 *raw = nullptr;
    int rc = sqlite3_open_v2(name.constData(), &raw, flags, nullptr);
    Connection db(raw);
    if (rc == SQLITE_OK && !configure(raw, &rc)) {
        // Fall through with the refused setting's code.
    }
    if (rc != SQLITE_OK) {
        if (error)
            *error = raw ? lastError(raw) : QString::fromUtf8(sqlite3_errstr(rc));
        if (rcOut)
            *rcOut = raw ? sqlite3_extended_errcode(raw) : rc;
        return nullptr;
    }
    return db;
}

Connection openMemoryDatabase(QString *error)
{
    return openDatabase(QStringLiteral(":memory:"), OpenMode::Create, error);
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
        return sqlite3_extended_errcode(db);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) { }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int copyPages(sqlite3 *src, sqlite3 *dst, int stepPages, const OperationControl *control)
{
    sqlite3_backup *backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup)
        return sqlite3_extended_errcode(dst);
    int rc = SQLITE_OK;
    int lastRemaining = -1;
    for (;;) {
        rc = sqlite3_backup_step(backup, stepPages);
        if (rc != SQLITE_OK)
            break; // SQLITE_DONE, or the lock was not had within the busy timeout, or an error
        const int remaining = sqlite3_backup_remaining(backup);
        if (lastRemaining >= 0 && remaining > lastRemaining && stepPages > 0) {
            // The source changed between two steps and the copy began anew.
            qCDebug(lcServerdb) << "the file changed during the copy; copying it in one step";
            stepPages = -1;
        }
        lastRemaining = remaining;
        if (control) {
            const int total = sqlite3_backup_pagecount(backup);
            control->report(OperationControl::Step, total - remaining, total);
            if (control->isCancelled()) {
                rc = SQLITE_INTERRUPT;
                break;
            }
        }
        // Between steps the file is free: let a waiting writer have it.
        QThread::yieldCurrentThread();
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finished != SQLITE_OK)
        rc = finished;
    return rc;
}

QString lastError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace quenzal::serverdb
