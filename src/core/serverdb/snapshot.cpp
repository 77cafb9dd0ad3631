// Reading the server's file without changing it: a private copy made with
// the online backup API, or, with a hot journal, a rolled-back copy.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/platform.h"
#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

using namespace detail;

ReadStatus readStatusOf(int code)
{
    switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return ReadStatus::Ok;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ReadStatus::Locked;
    case SQLITE_NOTADB:
        return ReadStatus::NotADatabase;
    default:
        return ReadStatus::Unreadable;
    }
}

namespace {

void fail(Snapshot *snap, int code, const QString &error)
{
    snap->status = readStatusOf(code);
    if (snap->status == ReadStatus::Ok)
        snap->status = ReadStatus::Unreadable;
    snap->error = error;
    snap->db.reset();
}

QByteArray readWhole(const QString &path, bool *exists)
{
    QFile f(path);
    *exists = f.open(QIODevice::ReadOnly);
    return *exists ? f.readAll() : QByteArray();
}

// The file has a hot journal, which only a writer may roll back. The file
// and the journal are copied aside and the copy is rolled back and read. If
// the server rolls back (or starts a new transaction) while we copy, the
// journal differs before and after the copy and we try again.
void snapshotWithHotJournal(const QString &path, Snapshot *snap)
{
    const QString journal = path + QStringLiteral("-journal");
    for (int attempt = 0; attempt < 3; ++attempt) {
        QTemporaryDir dir;
        if (!dir.isValid()) {
            fail(snap, SQLITE_CANTOPEN, QStringLiteral("no temporary folder for the journal copy"));
            return;
        }
        bool hadJournal = false, stillJournal = false;
        const QByteArray before = readWhole(journal, &hadJournal);
        const QString copy = dir.filePath(QStringLiteral("copy.db"));
        if (!QFile::copy(path, copy)) {
            fail(snap, SQLITE_IOERR, QStringLiteral("cannot copy %1").arg(path));
            return;
        }
        const QByteArray after = readWhole(journal, &stillJournal);
        if (!hadJournal || !stillJournal || before != after)
            continue; // rolled back or rewritten meanwhile: look again
        QFile out(copy + QStringLiteral("-journal"));
        if (!out.open(QIODevice::WriteOnly) || out.write(before) != before.size() || !out.flush()) {
            fail(snap, SQLITE_IOERR, out.errorString());
            return;
        }
        out.close();
        int rc = SQLITE_OK;
        Connection src = openDatabase(copy, OpenMode::ReadWrite, &snap->error, &rc);
        if (!src) {
            fail(snap, rc, snap->error);
            return;
        }
        rc = copyPages(src.get(), snap->db.get(), -1);
        if (rc != SQLITE_DONE) {
            fail(snap, rc, lastError(src.get()));
            return;
        }
        snap->status = ReadStatus::Ok;
        return;
    }
    // The journal came and went under us three times; read the file as it
    // is now, which the server has recovered.
    Connection src = openDatabase(path, OpenMode::ReadOnly, &snap->error);
    const int rc = src ? copyPages(src.get(), snap->db.get()) : SQLITE_CANTOPEN;
    if (rc != SQLITE_DONE)
        fail(snap, rc, src ? lastError(src.get()) : snap->error);
    else
        snap->status = ReadStatus::Ok;
}

} // namespace

Snapshot snapshotDatabase(const QString &path)
{
    Snapshot snap;
    const QFileInfo info(path);
    if (!info.isFile()) {
        snap.status = ReadStatus::Missing;
        snap.error = noSuchFile(path);
        return snap;
    }
    if (info.size() == 0) {
        // SQLite would take an empty file for an empty database (and delete
        // a WAL beside it); for the window it is no database.
        snap.status = ReadStatus::NotADatabase;
        snap.error = QStringLiteral("empty file: %1").arg(path);
        return snap;
    }
    snap.db = openMemoryDatabase(&snap.error);
    if (!snap.db) {
        snap.status = ReadStatus::Unreadable;
        return snap;
    }
    int rc = SQLITE_OK;
    QString error;
    Connection src = openDatabase(path, OpenMode::ReadOnly, &error, &rc);
    if (!src) {
        fail(&snap, rc, error);
        return snap;
    }
    rc = copyPages(src.get(), snap.db.get());
    if (rc == SQLITE_READONLY_ROLLBACK) {
        src.reset();
        snapshotWithHotJournal(path, &snap);
        return snap;
    }
    if (rc != SQLITE_DONE) {
        fail(&snap, rc, lastError(src.get()));
        return snap;
    }
    snap.status = ReadStatus::Ok;
    return snap;
}

} // namespace quenzal::serverdb
