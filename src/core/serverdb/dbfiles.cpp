// The files of a database: missing tables and files, removal, temporary
// names for files that are renamed into place when complete.
#include "core/serverdb/dbinternal.h"

#include <QFile>
#include <QTemporaryFile>

namespace quenzal::serverdb::detail {

bool isMissingTable(sqlite3 *db)
{
    return (sqlite3_errcode(db) & 0xff) == SQLITE_ERROR
           && qstrncmp(sqlite3_errmsg(db), "no such table", 13) == 0;
}

QString noSuchFile(const QString &path)
{
    return QStringLiteral("no such file: %1").arg(path);
}

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

QString temporaryNameBeside(const QString &path)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    // A temporary file is private to its owner; the finished database gets
    // the permissions SQLite would have given a file it created.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                        | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return file.fileName();
}

} // namespace quenzal::serverdb::detail
