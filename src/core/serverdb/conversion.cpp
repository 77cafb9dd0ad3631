// The conversion of an old-format file: a snapshot of it copied into a fresh
// copy of the blank reference, renamed into place when complete.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

} // namespace

bool copyTables(sqlite3 *src, sqlite3 *out, std::vector<TableCopyResult> *tables, QString *error)
{
    using Step = bool (*)(sqlite3 *, sqlite3 *, TableCopyResult *, QString *);
    const Step steps[] = {Function_CopyTerminal, Function_CopyTeam, Function_CopySolution,
                          Function_CopyTask, Function_CopyUser, Function_CopyMusicData};
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

ConversionResult convertDatabase(const QString &sourcePath, const QString &referencePath,
                                 const QString &outputPath, const QString &backupPath)
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

    // One snapshot, so the six tables come from the same state of a file
    // that the server may be writing, and the server is held up only while
    // it is taken.
    Snapshot src = snapshotDatabase(sourcePath);
    if (src.status != ReadStatus::Ok || execute(src.db.get(), "SELECT count(*) FROM sqlite_master") != SQLITE_OK) {
        result.error = src.db ? lastError(src.db.get()) : src.error;
        result.status = ConversionResult::SourceUnreadable;
        return result;
    }
    if (Function_HasAlarmTable(src.db.get())) {
        result.status = ConversionResult::AlreadyNewFormat;
        return result;
    }

    const BackupResult backup = writeDatabaseFile(src.db.get(), backupPath);
    if (!backup.ok) {
        result.error = backup.error;
        result.status = ConversionResult::BackupFailed;
        return result;
    }

    // The output is built under a temporary name beside its own and takes
    // the name only once complete.
    Snapshot reference = snapshotDatabase(referencePath);
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
        if (out) {
            rc = copyPages(reference.db.get(), out.get(), -1);
            if (rc != SQLITE_DONE) {
                result.error = lastError(out.get());
                result.status = ConversionResult::OutputNotReplaced;
            } else if (execute(out.get(), "SELECT count(*) FROM sqlite_master") != SQLITE_OK) {
                result.error = lastError(out.get());
                result.status = ConversionResult::OutputNotReplaced;
            } else {
                ok = copyTables(src.db.get(), out.get(), &result.tables, &result.error);
                if (!ok)
                    result.status = ConversionResult::Failed;
            }
        } else {
            result.status = ConversionResult::OutputNotReplaced;
        }
        // The output's connection closes here: its last commit is on disk
        // and its journal gone before the file is renamed.
    }
    if (ok) {
        // Journals left beside the output by a crash of some earlier writer
        // must not be played back into the new file.
        for (const char *suffix : {"-journal", "-wal", "-shm"})
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
        return result;
    }
    result.status = ConversionResult::Done;
    return result;
}

} // namespace quenzal::serverdb
