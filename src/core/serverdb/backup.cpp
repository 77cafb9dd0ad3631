// Backups: the online backup API, in steps, into a file renamed into place
// when complete.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/platform.h"
#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

using namespace detail;

QString backupFileName(const QString &folder, const QDateTime &when, const QString &suffix)
{
    const QString name = QStringLiteral("Velmora") + when.toString(QStringLiteral("_yyyy_MM_dd_hh_mm_ss")) + suffix;
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

BackupResult writeDatabaseFile(sqlite3 *db, const QString &target, const OperationControl *control)
{
    BackupResult result;
    result.target = target;
    if (QFileInfo::exists(target)) {
        result.error = QStringLiteral("%1 already exists").arg(target);
        return result;
    }
    const QString partial = temporaryNameBeside(target);
    if (partial.isEmpty()) {
        result.error = QStringLiteral("cannot write beside %1").arg(target);
        return result;
    }
    {
        int rc = SQLITE_OK;
        Connection dst = openDatabase(partial, OpenMode::Create, &result.error, &rc);
        if (dst) {
            rc = copyPages(db, dst.get(), 256, control);
            if (rc == SQLITE_INTERRUPT)
                result.error = QStringLiteral("cancelled");
            else if (rc != SQLITE_DONE)
                result.error = lastError(dst.get());
        }
        result.ok = dst && rc == SQLITE_DONE;
    }
    // Complete: now under its name, unless a file took the name meanwhile
    // (QFile::rename never replaces one).
    if (result.ok && !QFile::rename(partial, target)) {
        result.ok = false;
        result.error = QStringLiteral("cannot rename %1 to %2").arg(partial, target);
    }
    if (!result.ok)
        removeDatabaseFiles(partial);
    return result;
}

BackupResult backupDatabase(const QString &source, const QString &target, const OperationControl *control)
{
    BackupResult result;
    result.target = target;
    // Refused before the copy: an existing file is never replaced.
    if (QFileInfo::exists(target)) {
        result.error = QStringLiteral("%1 already exists").arg(target);
        return result;
    }
    ReadSource src = openForReading(source, control);
    if (src.status != ReadStatus::Ok) {
        result.error = src.error;
        return result;
    }
    return writeDatabaseFile(src.db.get(), target, control);
}

} // namespace quenzal::serverdb
