// Reading the server's file without changing it: a read-only connection on
// the file itself, or, with a hot journal, on a rolled-back copy of it.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

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

void fail(ReadSource *src, int code, const QString &error)
{
    src->status = readStatusOf(code);
    if (src->status == ReadStatus::Ok)
        src->status = ReadStatus::Unreadable;
    src->error = error;
    src->db.reset();
}

QByteArray readWhole(const QString &path, bool *exists)
{
    QFile f(path);
    *exists = f.open(QIODevice::ReadOnly);
    return *exists ? f.readAll() : QByteArray();
}

// Opens the file read-only and reads its header once: the lock, a hot
// journal, a file that is no database show here. The SQLite result code.
int openAndProbe(const QString &path, OpenMode mode, ReadSource *src, const OperationControl *control)
{
    int rc = SQLITE_OK;
    src->db = openDatabase(path, mode, &src->error, &rc);
    if (!src->db)
        return rc;
    followOperation(src->db.get(), control);
    rc = execute(src->db.get(), "SELECT count(*) FROM sqlite_master");
    if (rc != SQLITE_OK)
        src->error = lastError(src->db.get());
    return rc;
}

// The file has a hot journal, which only a writer may roll back. The file
// and the journal are copied aside and the copy is rolled back and read. If
// the server rolls back (or starts a new transaction) while we copy, the
// journal differs before and after the copy and we try again.
void openWithHotJournal(const QString &path, ReadSource *src, const OperationControl *control)
{
    const QString journal = path + QStringLiteral("-journal");
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto dir = std::make_unique<QTemporaryDir>();
        if (!dir->isValid()) {
            fail(src, SQLITE_CANTOPEN, QStringLiteral("no temporary folder for the journal copy"));
            return;
        }
        bool hadJournal = false, stillJournal = false;
        const QByteArray before = readWhole(journal, &hadJournal);
        const QString copy = dir->filePath(QStringLiteral("copy.db"));
        if (!QFile::copy(path, copy)) {
            fail(src, SQLITE_IOERR, QStringLiteral("cannot copy %1").arg(path));
            return;
        }
        const QByteArray after = readWhole(journal, &stillJournal);
        if (!hadJournal || !stillJournal || before != after)
            continue; // rolled back or rewritten meanwhile: look again
        QFile out(copy + QStringLiteral("-journal"));
        if (!out.open(QIODevice::WriteOnly) || out.write(before) != before.size() || !out.flush()) {
            fail(src, SQLITE_IOERR, out.errorString());
            return;
        }
        out.close();
        // The first read of the copy rolls it back.
        const int rc = openAndProbe(copy, OpenMode::ReadWrite, src, control);
        if (rc != SQLITE_OK) {
            fail(src, rc, src->error);
            return;
        }
        src->rolledBackCopy = std::move(dir);
        src->status = ReadStatus::Ok;
        return;
    }
    // The journal came and went under us three times; read the file as it
    // is now, which the server has recovered.
    const int rc = openAndProbe(path, OpenMode::ReadOnly, src, control);
    if (rc != SQLITE_OK)
        fail(src, rc, src->error);
    else
        src->status = ReadStatus::Ok;
}

} // namespace

ReadSource openForReading(const QString &path, const OperationControl *control)
{
    ReadSource src;
    const QFileInfo info(path);
    if (!info.isFile()) {
        src.status = ReadStatus::Missing;
        src.error = noSuchFile(path);
        return src;
    }
    if (info.size() == 0) {
        // SQLite would take an empty file for an empty database (and delete
        // a WAL beside it); for the window it is no database.
        src.status = ReadStatus::NotADatabase;
        src.error = QStringLiteral("empty file: %1").arg(path);
        return src;
    }
    const int rc = openAndProbe(path, OpenMode::ReadOnly, &src, control);
    if (rc == SQLITE_READONLY_ROLLBACK) {
        src.db.reset();
        src.error.clear();
        openWithHotJournal(path, &src, control);
        return src;
    }
    if (rc != SQLITE_OK) {
        fail(&src, rc, src.error);
        return src;
    }
    src.status = ReadStatus::Ok;
    return src;
}

ReadTransaction::ReadTransaction(sqlite3 *db)
    : m_db(db)
    , m_open(execute(db, "BEGIN") == SQLITE_OK)
{
}

ReadTransaction::~ReadTransaction()
{
    if (m_open && execute(m_db, "COMMIT") != SQLITE_OK)
        execute(m_db, "ROLLBACK");
}

} // namespace quenzal::serverdb
