// The conversion of an old-format file: its backup copied into a fresh copy
// of the blank reference, renamed into place when complete.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

#include "core/platform.h"
#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

using namespace detail;

int ConversionResult::skippedRows() const
{
    int n = 0;
    for (const TableCopyResult &t : tables)
        n += t.skipped;
    return n;
}

namespace {

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

// Temporary files that a conversion killed before it could remove them left
// beside its output and its backup: "<name>.XXXXXX.tmp" and their journals.
// The backup's name carries the time, so any digits stand for any digits.
void removeLeftovers(const QString &outputPath, const QString &backupPath)
{
    QString backupPattern = QFileInfo(backupPath).fileName();
    for (QChar &c : backupPattern) {
        if (c.isDigit())
            c = QLatin1Char('?');
    }
    const struct
    {
        QString folder;
        QString pattern;
    } places[] = { { QFileInfo(outputPath).absolutePath(), QFileInfo(outputPath).fileName() },
        { QFileInfo(backupPath).absolutePath(), backupPattern } };
    for (const auto &place : places) {
        const QDir dir(place.folder);
        const QStringList found
            = dir.entryList({ place.pattern + QStringLiteral(".??????.tmp*") }, QDir::Files | QDir::Hidden);
        for (const QString &name : found) {
            qCDebug(lcServerdb) << "removing what an interrupted conversion left:" << name;
            QFile::remove(dir.filePath(name));
        }
    }
}

// Waits for the conversion lock beside the output; false when cancelled. A
// lock whose process is gone (killed) is taken over.
bool takeTurn(QLockFile *lock, const OperationControl *control)
{
    while (!lock->tryLock(100)) {
        if (lock->error() != QLockFile::LockFailedError)
            return true; // no lock file possible here: the folder decides later
        if (control && control->isCancelled())
            return false;
    }
    return true;
}

ConversionResult cancelled(ConversionResult result)
{
    result.status = ConversionResult::Failed;
    result.error = QStringLiteral("cancelled");
    return result;
}

} // namespace

bool copyTables(sqlite3 *src, sqlite3 *out, std::vector<TableCopyResult> *tables, QString *error)
{
    using Step = bool (*)(sqlite3 *, sqlite3 *, TableCopyResult *, QString *);
    const Step steps[] = { Function_CopyTerminal, Function_CopyTeam, Function_CopySolution, Function_CopyTask,
        Function_CopyUser, Function_CopyMusicData };
    for (Step step : steps) {
        // One transaction per table: one disk sync, and a failing row is
        // skipped without taking its table with it.
        TableCopyResult table;
        if (execute(out, "BEGIN") != SQLITE_OK) {
            *error = lastError(out);
            return false;
        }
        if (!step(src, out, &table, error)) {
            execute(out, "ROLLBACK"); // undoes what it can; the output is thrown away anyway
            tables->push_back(table);
            return false;
        }
        if (execute(out, "COMMIT") != SQLITE_OK) {
            *error = lastError(out);
            execute(out, "ROLLBACK");
            tables->push_back(table);
            return false;
        }
        tables->push_back(table);
    }
    return true;
}

ConversionResult convertDatabase(const QString &sourcePath, const QString &referencePath, const QString &outputPath,
    const QString &backupPath, const OperationControl *control)
{
    ConversionResult result;
    result.backupPath = backupPath;

    // Replacing the output must never delete the source.
    if (sameFile(sourcePath, outputPath) || sameFile(sourcePath, referencePath)) {
        result.status = ConversionResult::SameFile;
        return result;
    }
    // Something that is no file (a folder) in the output's place cannot be
    // replaced; found out before anything is written.
    if (QFileInfo::exists(outputPath) && !QFileInfo(outputPath).isFile()) {
        result.error = QStringLiteral("%1 is not a file").arg(outputPath);
        result.status = ConversionResult::OutputNotReplaced;
        return result;
    }

    // Conversions to one output take turns, so what the last one left can
    // be removed without touching the files of one that runs.
    QLockFile lock(outputPath + QStringLiteral(".lock"));
    if (!takeTurn(&lock, control))
        return cancelled(result);
    removeLeftovers(outputPath, backupPath);

    // The server's file is read twice, briefly: its format, then its pages
    // into the backup, in steps. The six tables are read from the backup,
    // one state of the file, which nothing else writes.
    {
        ReadSource src = openForReading(sourcePath, control);
        if (src.status != ReadStatus::Ok) {
            result.error = src.error;
            result.status = ConversionResult::SourceUnreadable;
            return result;
        }
        if (Function_HasAlarmTable(src.db.get())) {
            result.status = ConversionResult::AlreadyNewFormat;
            return result;
        }
        const BackupResult backup = writeDatabaseFile(src.db.get(), backupPath, control);
        if (control && control->isCancelled())
            return cancelled(result);
        if (!backup.ok) {
            result.error = backup.error;
            result.status = ConversionResult::BackupFailed;
            return result;
        }
    }
    Connection source = openDatabase(backupPath, OpenMode::Immutable, &result.error);
    followOperation(source.get(), control);
    if (!source || execute(source.get(), "SELECT count(*) FROM sqlite_master") != SQLITE_OK) {
        result.error = source ? lastError(source.get()) : result.error;
        result.status = ConversionResult::SourceUnreadable;
        return result;
    }

    // The output is built under a temporary name beside its own and takes
    // the name only once complete.
    ReadSource reference = openForReading(referencePath, control);
    const QString partial = reference.status == ReadStatus::Ok ? temporaryNameBeside(outputPath) : QString();
    if (partial.isEmpty()) {
        result.error = reference.status == ReadStatus::Ok ? QStringLiteral("cannot write beside %1").arg(outputPath)
                                                          : reference.error;
        result.status = ConversionResult::OutputNotReplaced;
        return result;
    }
    bool ok = false;
    {
        int rc = SQLITE_OK;
        Connection out = openDatabase(partial, OpenMode::Create, &result.error, &rc);
        followOperation(out.get(), control);
        if (out) {
            rc = copyPages(reference.db.get(), out.get(), 256, control);
            if (rc != SQLITE_DONE) {
                result.error = lastError(out.get());
                result.status = ConversionResult::OutputNotReplaced;
            } else if (execute(out.get(), "SELECT count(*) FROM sqlite_master") != SQLITE_OK) {
                result.error = lastError(out.get());
                result.status = ConversionResult::OutputNotReplaced;
            } else {
                ok = copyTables(source.get(), out.get(), &result.tables, &result.error);
                if (!ok)
                    result.status = ConversionResult::Failed;
            }
        } else {
            result.status = ConversionResult::OutputNotReplaced;
        }
        // The output's connection closes here: its last commit is on disk
        // and its journal gone before the file is renamed.
    }
    reference = ReadSource();
    source.reset();
    if (ok && control && control->isCancelled())
        ok = false;
    if (ok) {
        // Journals left beside the output by a crash of some earlier writer
        // must not be played back into the new file.
        for (const char *suffix : { "-journal", "-wal", "-shm" })
            QFile::remove(outputPath + QLatin1String(suffix));
        if (!replaceFile(partial, outputPath)) {
            ok = false;
            result.error = QStringLiteral("cannot rename %1 to %2").arg(partial, outputPath);
            result.status = ConversionResult::OutputNotReplaced;
        }
    }
    if (!ok) {
        // Half an output would pass for a finished one.
        removeDatabaseFiles(partial);
        if (control && control->isCancelled()) {
            // A cancelled conversion leaves nothing behind, its backup neither.
            removeDatabaseFiles(backupPath);
            return cancelled(result);
        }
        return result;
    }
    result.status = ConversionResult::Done;
    return result;
}

} // namespace quenzal::serverdb
