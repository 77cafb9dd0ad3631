#include "core/serverdb/dbcore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

#include "core/serverdb/logging.h"
#include "core/serverdb/sqliteraii.h"

namespace quenzal::serverdb {

namespace {

bool isMissingTable(sqlite3 *db)
{
    return (sqlite3_errcode(db) & 0xff) == SQLITE_ERROR
           && qstrncmp(sqlite3_errmsg(db), "no such table", 13) == 0;
}

QString noSuchFile(const QString &path)
{
    return QStringLiteral("no such file: %1").arg(path);
}

} // namespace

// ---------------------------------------------------------------- values

StoredValue StoredValue::fromColumn(sqlite3_stmt *stmt, int column)
{
    StoredValue v;
    // The type must be read before any conversion the text accessor makes.
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        v.type = Integer;
        v.integer = sqlite3_column_int64(stmt, column);
        break;
    case SQLITE_FLOAT:
        v.type = Float;
        v.real = sqlite3_column_double(stmt, column);
        break;
    case SQLITE_TEXT:
        v.type = Text;
        break;
    case SQLITE_BLOB:
        v.type = Blob;
        v.bytes = QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
        return v;
    default:
        return v;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    v.bytes = QByteArray(text, sqlite3_column_bytes(stmt, column));
    return v;
}

StoredValue StoredValue::text(const QByteArray &bytes)
{
    StoredValue v;
    v.type = Text;
    v.bytes = bytes;
    return v;
}

StoredValue StoredValue::number(qint64 value)
{
    StoredValue v;
    v.type = Integer;
    v.integer = value;
    v.bytes = QByteArray::number(value);
    return v;
}

int StoredValue::bindTo(sqlite3_stmt *stmt, int index) const
{
    switch (type) {
    case Integer:
        return sqlite3_bind_int64(stmt, index, integer);
    case Float:
        return sqlite3_bind_double(stmt, index, real);
    case Text:
        // constData() of an empty array is "", so an empty text stays text.
        return sqlite3_bind_text64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT, SQLITE_UTF8);
    case Blob:
        return sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT);
    case Null:
        break;
    }
    return sqlite3_bind_null(stmt, index);
}

bool StoredValue::operator==(const StoredValue &other) const
{
    if (type != other.type)
        return false;
    switch (type) {
    case Integer:
        return integer == other.integer;
    case Float:
        return real == other.real;
    case Text:
    case Blob:
        return bytes == other.bytes;
    case Null:
        break;
    }
    return true;
}

// ---------------------------------------------------------------- listing

QString newFormatText()
{
    return QStringLiteral("V2.0 （V423以上版本软件)");
}

QString oldFormatText()
{
    return QStringLiteral("V1.0 （V423以下版本软件)");
}

QString cellText(int column, const QByteArray &bytes)
{
    return column == kColName ? QString::fromLocal8Bit(bytes) : QString::fromLatin1(bytes);
}

bool Function_HasAlarmTable(sqlite3 *db)
{
    // Compiling the query already proves the table exists; one step confirms
    // it can be read without scanning a possibly large table.
    Statement stmt = prepare(db, "SELECT * FROM AlarmInformation");
    if (!stmt)
        return false;
    const int rc = sqlite3_step(stmt.get());
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

TerminalListing readTerminals(const QString &path)
{
    TerminalListing listing;
    if (!QFileInfo(path).isFile()) {
        listing.error = noSuchFile(path);
        return listing;
    }
    Connection db = openDatabase(path, OpenMode::ReadOnly, &listing.error);
    if (!db)
        return listing;
    Statement stmt = prepare(db.get(), "SELECT DISTINCT* FROM Terminal", &listing.error);
    if (!stmt)
        return listing;

    const int columns = std::min(sqlite3_column_count(stmt.get()), kTerminalColumns);
    std::vector<TerminalRow> rows;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        TerminalRow row;
        int k = 0;
        for (int c = 0; c < columns; ++c) {
            if (k < int(kKeyColumns.size()) && kKeyColumns[k] == c) {
                row.key[k] = StoredValue::fromColumn(stmt.get(), c);
                row.texts[c] = cellText(c, row.key[k].bytes);
                ++k;
                continue;
            }
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), c));
            if (text)
                row.texts[c] = QString::fromLatin1(text, sqlite3_column_bytes(stmt.get(), c));
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        // A damaged page or a lock in mid-read: half a list would hide rows.
        listing.error = lastError(db.get());
        return listing;
    }
    listing.newFormat = Function_HasAlarmTable(db.get());
    listing.rows = std::move(rows);
    listing.ok = true;
    return listing;
}

std::vector<std::uint8_t> duplicateMarks(const std::vector<TerminalRow> &rows)
{
    std::vector<std::uint8_t> marks(rows.size(), 0);
    for (std::size_t k = 0; k < kKeyColumns.size(); ++k) {
        const int column = kKeyColumns[k];
        QHash<QString, int> seen;
        seen.reserve(qsizetype(rows.size()));
        for (const TerminalRow &row : rows)
            ++seen[row.texts[column]];
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (seen.value(rows[r].texts[column]) > 1)
                marks[r] |= std::uint8_t(1u << k);
        }
    }
    return marks;
}

// ---------------------------------------------------------------- Setting

SettingValues readSetting(const QString &path)
{
    SettingValues values;
    if (!QFileInfo(path).isFile())
        return values;
    Connection db = openDatabase(path, OpenMode::ReadOnly);
    if (!db)
        return values;
    Statement stmt = prepare(db.get(), "SELECT DISTINCT* FROM Setting");
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW)
        return values;
    const int columns = sqlite3_column_count(stmt.get());
    for (int c = 0; c < columns; ++c) {
        const char *name = sqlite3_column_name(stmt.get(), c);
        if (qstrcmp(name, "NetworkType") == 0) {
            values.hasNetworkType = true;
            values.networkType = StoredValue::fromColumn(stmt.get(), c);
        } else if (qstrcmp(name, "ServerIP") == 0) {
            values.hasServerIp = true;
            values.serverIp = StoredValue::fromColumn(stmt.get(), c);
        }
    }
    values.ok = true;
    return values;
}

QString networkTypeText(const StoredValue &value)
{
    return !value.isNull() && value.bytes == "0" ? QStringLiteral("LAN") : QStringLiteral("WAN");
}

QString serverIpText(const StoredValue &value)
{
    return value.bytes.isEmpty() ? QStringLiteral("Auto") : QString::fromLatin1(value.bytes);
}

// ---------------------------------------------------------------- delete

DeleteResult deleteTerminalRows(const QString &path, const TerminalKey &key)
{
    DeleteResult result;
    if (!QFileInfo(path).isFile()) {
        result.error = noSuchFile(path);
        return result;
    }
    Connection db = openDatabase(path, OpenMode::ReadWrite, &result.error);
    if (!db)
        return result;
    // IS rather than =, so a row listed with a NULL in one of the four
    // columns can be deleted as well.
    Statement stmt = prepare(db.get(),
                             "DELETE FROM Terminal WHERE ID IS ?1 AND IP IS ?2 AND MAC IS ?3 "
                             "AND Name IS ?4",
                             &result.error);
    if (!stmt)
        return result;
    for (int i = 0; i < int(key.size()); ++i)
        key[i].bindTo(stmt.get(), i + 1);
    if (sqlite3_step(stmt.get()) != SQLITE_DONE) {
        result.error = lastError(db.get());
        return result;
    }
    result.removed = sqlite3_changes(db.get());
    result.ok = true;
    return result;
}

// ---------------------------------------------------------------- backup

QString backupFileName(const QString &folder, const QDateTime &when, const QString &suffix)
{
    const QString name = QStringLiteral("Velmora") + when.toString(QStringLiteral("_yyyy_MM_dd_hh_mm_ss")) + suffix;
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

namespace {

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

BackupResult backupDatabase(const QString &source, const QString &target)
{
    BackupResult result;
    result.target = target;
    if (!QFileInfo(source).isFile()) {
        result.error = noSuchFile(source);
        return result;
    }
    Connection src = openDatabase(source, OpenMode::ReadOnly, &result.error);
    if (!src)
        return result;

    // Claim the name atomically first: an existing file is never replaced,
    // not even one that appeared a moment ago.
    {
        QFile claim(target);
        if (!claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            result.error = claim.errorString();
            return result;
        }
    }
    Connection dst = openDatabase(target, OpenMode::Create, &result.error);
    if (dst) {
        sqlite3_backup *backup = sqlite3_backup_init(dst.get(), "main", src.get(), "main");
        if (!backup) {
            result.error = lastError(dst.get());
        } else {
            // All pages in one step: the copy is taken under one read lock and
            // so is a consistent snapshot of the source.
            const int rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (rc == SQLITE_DONE)
                result.ok = true;
            else
                result.error = QString::fromUtf8(sqlite3_errstr(rc));
        }
        dst.reset();
    }
    if (!result.ok)
        removeDatabaseFiles(target);
    return result;
}

// ---------------------------------------------------------------- conversion

namespace {

// One parameter of a table's INSERT: a source column or a constant, and
// whether the target column takes it as text (quoted) or as stored (bare).
struct Param {
    int source;           // -1 for a constant
    const char *constant; // text of a constant
    bool quoted;
};

constexpr Param bare(int column) { return {column, nullptr, false}; }
constexpr Param quoted(int column) { return {column, nullptr, true}; }
constexpr Param bareConst(const char *text) { return {-1, text, false}; }
constexpr Param quotedConst(const char *text) { return {-1, text, true}; }

struct CopyPlan {
    const char *table;
    const char *cleaning; // run on the output first, or null
    const char *cleanedTrace;
    bool traceRows;
    std::vector<Param> params;
};

// Primary codes that mean "the output refused this row" rather than "the
// files are failing": the row is counted and the copy goes on.
bool isRowError(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
    case SQLITE_ERROR:
        return true;
    default:
        return false;
    }
}

void bindParam(sqlite3_stmt *insert, int index, const Param &p, sqlite3_stmt *select)
{
    if (p.source < 0) {
        if (p.quoted)
            sqlite3_bind_text(insert, index, p.constant, -1, SQLITE_STATIC);
        else
            sqlite3_bind_int64(insert, index, QByteArray(p.constant).toLongLong());
        return;
    }
    if (!p.quoted) {
        sqlite3_bind_value(insert, index, sqlite3_column_value(select, p.source));
        return;
    }
    if (sqlite3_column_type(select, p.source) == SQLITE_NULL) {
        sqlite3_bind_null(insert, index);
        return;
    }
    // Numbers go as the text SQLite renders for them; texts and blobs as
    // their bytes.
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select, p.source));
    const int size = sqlite3_column_bytes(select, p.source);
    sqlite3_bind_text64(insert, index, text ? text : "", sqlite3_uint64(size), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

void traceRow(sqlite3_stmt *insert, int rc)
{
    if (!lcServerdb().isDebugEnabled())
        return;
    char *sql = sqlite3_expanded_sql(insert);
    // A name of megabytes would flood the debug output.
    QByteArray text(sql ? sql : "");
    sqlite3_free(sql);
    if (text.size() > 1000)
        text = text.left(1000) + "...";
    qCDebug(lcServerdb) << "LIST>>rc =" << rc << "===>" << text.constData();
}

bool copyTable(sqlite3 *src, sqlite3 *out, const CopyPlan &plan, TableCopyResult *result,
               QString *error)
{
    *result = TableCopyResult{};
    result->table = QString::fromLatin1(plan.table);

    if (plan.cleaning && execute(out, plan.cleaning) == SQLITE_OK)
        qCDebug(lcServerdb) << plan.cleanedTrace;

    const QByteArray selectSql = QByteArray("SELECT DISTINCT* FROM ") + plan.table;
    Statement select = prepare(src, selectSql.constData(), error);
    if (!select) {
        if (isMissingTable(src)) {
            result->missing = true;
            error->clear();
            return true;
        }
        return false;
    }

    int needed = 0;
    for (const Param &p : plan.params)
        needed = std::max(needed, p.source + 1);
    // A source table with fewer columns than the step reads cannot give a
    // whole row; its rows are counted as not copied.
    const bool wholeRows = sqlite3_column_count(select.get()) >= needed;

    QByteArray insertSql = QByteArray("INSERT INTO \"") + plan.table + "\" VALUES(";
    for (std::size_t i = 0; i < plan.params.size(); ++i)
        insertSql += i ? ",?" : "?";
    insertSql += ")";
    // A missing or differently shaped output table refuses every row.
    Statement insert = prepare(out, insertSql.constData());

    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        ++result->read;
        if (!wholeRows || !insert) {
            ++result->skipped;
            continue;
        }
        for (std::size_t i = 0; i < plan.params.size(); ++i)
            bindParam(insert.get(), int(i) + 1, plan.params[i], select.get());
        const int written = sqlite3_step(insert.get());
        if (plan.traceRows)
            traceRow(insert.get(), written == SQLITE_DONE ? SQLITE_OK : written);
        sqlite3_reset(insert.get());
        if (written == SQLITE_DONE) {
            ++result->copied;
            continue;
        }
        if (!isRowError(written) || sqlite3_get_autocommit(out)) {
            // Not the row's fault, or the output's transaction is gone.
            *error = lastError(out);
            return false;
        }
        ++result->skipped;
    }
    if (rc != SQLITE_DONE) {
        *error = lastError(src);
        return false;
    }
    return true;
}

const CopyPlan &terminalPlan()
{
    static const CopyPlan plan{"Terminal", nullptr, nullptr, true,
                               {bare(0), bare(1), bare(2), bare(3), bare(4), bare(5), bare(6),
                                quoted(7), quoted(8), quoted(9)}};
    return plan;
}

const CopyPlan &teamPlan()
{
    static const CopyPlan plan{"Team", "DELETE FROM Team WHERE Name='Default Group'", "DELETE Team",
                               false, {quoted(0), quoted(1), quoted(2), quoted(3)}};
    return plan;
}

const CopyPlan &solutionPlan()
{
    // The third column repeats the first.
    static const CopyPlan plan{"Solution", "DELETE FROM Solution WHERE Name='Default Solution'",
                               "DELETE Default Solution", false,
                               {quoted(0), quoted(1), quoted(0)}};
    return plan;
}

const CopyPlan &taskPlan()
{
    // Old columns 11, 14, 19, 20 and 21 have no place in the new table; the
    // new columns get neutral values.
    static const CopyPlan plan{"Task", nullptr, nullptr, false,
                               {bare(0), bare(1), bare(2), bare(3), bare(4), bare(5), bare(6),
                                bare(7), bare(8), bare(9), bare(10), bareConst("0"),
                                bareConst("0"), bare(12), quoted(13), quotedConst(""),
                                quoted(15), quoted(16), quoted(17), quoted(18),
                                quotedConst("0"), quotedConst("0"), quotedConst("0"),
                                quotedConst(""), quoted(22), quotedConst("0"), quoted(23),
                                quoted(24)}};
    return plan;
}

const CopyPlan &userPlan()
{
    static const CopyPlan plan{"User", nullptr, nullptr, false,
                               {quoted(0), quoted(1), quoted(2), bare(3), bare(4), bare(5),
                                bare(6), bare(7), bare(8), bare(9), quoted(10)}};
    return plan;
}

const CopyPlan &musicDataPlan()
{
    static const CopyPlan plan{"MusicData", nullptr, nullptr, false,
                               {bare(0), quoted(1), quoted(2), quoted(3), quoted(4)}};
    return plan;
}

} // namespace

bool Function_CopyTerminal(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error)
{
    return copyTable(src, out, terminalPlan(), result, error);
}

bool Function_CopyTeam(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error)
{
    return copyTable(src, out, teamPlan(), result, error);
}

bool Function_CopySolution(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error)
{
    return copyTable(src, out, solutionPlan(), result, error);
}

bool Function_CopyTask(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error)
{
    return copyTable(src, out, taskPlan(), result, error);
}

bool Function_CopyUser(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error)
{
    return copyTable(src, out, userPlan(), result, error);
}

bool Function_CopyMusicData(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error)
{
    return copyTable(src, out, musicDataPlan(), result, error);
}

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

    Connection src = openDatabase(sourcePath, OpenMode::ReadOnly, &result.error);
    // One read transaction for the whole run, so the six tables come from
    // the same state of a file that the server may be writing.
    if (!src || execute(src.get(), "BEGIN") != SQLITE_OK
        || execute(src.get(), "SELECT count(*) FROM sqlite_master") != SQLITE_OK) {
        if (src)
            result.error = lastError(src.get());
        result.status = ConversionResult::SourceUnreadable;
        return result;
    }
    if (Function_HasAlarmTable(src.get())) {
        result.status = ConversionResult::AlreadyNewFormat;
        return result;
    }

    const BackupResult backup = backupDatabase(sourcePath, backupPath);
    if (!backup.ok) {
        result.error = backup.error;
        result.status = ConversionResult::BackupFailed;
        return result;
    }

    removeDatabaseFiles(outputPath);
    if (QFileInfo::exists(outputPath)) {
        result.error = QStringLiteral("cannot remove %1").arg(outputPath);
        result.status = ConversionResult::OutputNotReplaced;
        return result;
    }
    const BackupResult fresh = backupDatabase(referencePath, outputPath);
    if (!fresh.ok) {
        result.error = fresh.error;
        result.status = ConversionResult::OutputNotReplaced;
        return result;
    }

    Connection out = openDatabase(outputPath, OpenMode::ReadWrite, &result.error);
    bool ok = bool(out);
    using Step = bool (*)(sqlite3 *, sqlite3 *, TableCopyResult *, QString *);
    const Step steps[] = {Function_CopyTerminal, Function_CopyTeam, Function_CopySolution,
                          Function_CopyTask, Function_CopyUser, Function_CopyMusicData};
    for (Step step : steps) {
        if (!ok)
            break;
        // One transaction per table: one disk sync, and a failing row is
        // skipped without taking its table with it.
        TableCopyResult table;
        if (execute(out.get(), "BEGIN") != SQLITE_OK) {
            result.error = lastError(out.get());
            ok = false;
        } else if (!step(src.get(), out.get(), &table, &result.error)) {
            execute(out.get(), "ROLLBACK");
            ok = false;
        } else if (execute(out.get(), "COMMIT") != SQLITE_OK) {
            result.error = lastError(out.get());
            execute(out.get(), "ROLLBACK");
            ok = false;
        }
        result.tables.push_back(table);
    }
    out.reset();
    if (!ok) {
        // Half an output would pass for a finished one.
        removeDatabaseFiles(outputPath);
        result.status = ConversionResult::Failed;
        return result;
    }
    result.status = ConversionResult::Done;
    return result;
}

} // namespace quenzal::serverdb
