#include "core/serverdb/dbcore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>

#include "core/platform.h"
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

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// A fresh, unused name beside `path` for a file written before it is renamed
// to `path`. Empty if the folder cannot be written.
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

} // namespace

// ---------------------------------------------------------------- values

bool StoredValue::read(sqlite3_stmt *stmt, int column, StoredValue *out)
{
    *out = fromColumn(stmt, column);
    // A text or blob whose bytes SQLite could not hand out (out of memory)
    // comes back as a null pointer with a non-zero length.
    if (out->type == Null)
        return true;
    return !out->bytes.isNull() || sqlite3_column_bytes(stmt, column) == 0;
}

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
    case SQLITE_BLOB: {
        v.type = Blob;
        const auto *blob = static_cast<const char *>(sqlite3_column_blob(stmt, column));
        const int size = sqlite3_column_bytes(stmt, column);
        v.bytes = blob ? QByteArray(blob, size) : QByteArray(size == 0 ? "" : nullptr);
        return v;
    }
    default:
        return v;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    // A null pointer here is a failed conversion; read() tells it apart.
    v.bytes = text ? QByteArray(text, size) : QByteArray();
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

TerminalListing readTerminals(const QString &path)
{
    Snapshot snap = snapshotDatabase(path);
    if (snap.status != ReadStatus::Ok) {
        TerminalListing listing;
        listing.status = snap.status;
        listing.error = snap.error;
        return listing;
    }
    return listTerminals(snap.db.get());
}

TerminalListing listTerminals(sqlite3 *db)
{
    TerminalListing listing;
    Statement stmt = prepare(db, "SELECT DISTINCT* FROM Terminal", &listing.error);
    if (!stmt) {
        listing.status = readStatusOf(sqlite3_extended_errcode(db));
        if (listing.status == ReadStatus::Ok)
            listing.status = ReadStatus::Unreadable;
        return listing;
    }

    const int columns = std::min(sqlite3_column_count(stmt.get()), kTerminalColumns);
    std::vector<TerminalRow> rows;
    int rc;
    bool outOfMemory = false;
    while (!outOfMemory && (rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        TerminalRow row;
        int k = 0;
        for (int c = 0; c < columns; ++c) {
            if (k < int(kKeyColumns.size()) && kKeyColumns[k] == c) {
                if (!StoredValue::read(stmt.get(), c, &row.key[k]))
                    outOfMemory = true;
                row.texts[c] = cellText(c, row.key[k].bytes);
                ++k;
                continue;
            }
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), c));
            if (text)
                row.texts[c] = QString::fromLatin1(text, sqlite3_column_bytes(stmt.get(), c));
            else if (sqlite3_column_type(stmt.get(), c) != SQLITE_NULL)
                outOfMemory = true; // a value that could not be converted to text
        }
        rows.push_back(std::move(row));
    }
    if (outOfMemory)
        rc = SQLITE_NOMEM;
    if (rc != SQLITE_DONE) {
        // A damaged page in mid-read: half a list would hide rows.
        listing.error = outOfMemory ? QString::fromUtf8(sqlite3_errstr(rc)) : lastError(db);
        listing.status = ReadStatus::Unreadable;
        return listing;
    }
    listing.newFormat = Function_HasAlarmTable(db);
    listing.rows = std::move(rows);
    listing.status = ReadStatus::Ok;
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
    Snapshot snap = snapshotDatabase(path);
    if (snap.status != ReadStatus::Ok) {
        SettingValues values;
        values.status = snap.status;
        return values;
    }
    return readSettingFrom(snap.db.get());
}

SettingValues readSettingFrom(sqlite3 *db)
{
    SettingValues values;
    values.status = ReadStatus::Ok;
    Statement stmt = prepare(db, "SELECT DISTINCT* FROM Setting");
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW)
        return values;
    const int columns = sqlite3_column_count(stmt.get());
    for (int c = 0; c < columns; ++c) {
        const char *name = sqlite3_column_name(stmt.get(), c);
        if (!name)
            return values; // out of memory: no half-read fields
        if (qstrcmp(name, "NetworkType") == 0) {
            values.hasNetworkType = true;
            if (!StoredValue::read(stmt.get(), c, &values.networkType))
                return values;
        } else if (qstrcmp(name, "ServerIP") == 0) {
            values.hasServerIp = true;
            if (!StoredValue::read(stmt.get(), c, &values.serverIp))
                return values;
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
        result.code = SQLITE_CANTOPEN;
        return result;
    }
    Connection db = openDatabase(path, OpenMode::ReadWrite, &result.error, &result.code);
    if (!db)
        return result;
    // IS rather than =, so a row listed with a NULL in one of the four
    // columns can be deleted as well.
    Statement stmt = prepare(db.get(),
                             "DELETE FROM Terminal WHERE ID IS ?1 AND IP IS ?2 AND MAC IS ?3 "
                             "AND Name IS ?4",
                             &result.error);
    if (!stmt) {
        result.code = sqlite3_extended_errcode(db.get());
        return result;
    }
    for (int i = 0; i < int(key.size()); ++i) {
        // An unbound parameter would be NULL and delete the rows whose value
        // is NULL instead: a failed bind stops the delete.
        const int rc = key[i].bindTo(stmt.get(), i + 1);
        if (rc != SQLITE_OK) {
            result.code = rc;
            result.error = QString::fromUtf8(sqlite3_errstr(rc));
            return result;
        }
    }
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_DONE) {
        result.code = rc;
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

BackupResult writeDatabaseFile(sqlite3 *db, const QString &target)
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
            rc = copyPages(db, dst.get(), -1);
            if (rc != SQLITE_DONE)
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

BackupResult backupDatabase(const QString &source, const QString &target)
{
    BackupResult result;
    result.target = target;
    // Refused before the copy: an existing file is never replaced.
    if (QFileInfo::exists(target)) {
        result.error = QStringLiteral("%1 already exists").arg(target);
        return result;
    }
    Snapshot snap = snapshotDatabase(source);
    if (snap.status != ReadStatus::Ok) {
        result.error = snap.error;
        return result;
    }
    return writeDatabaseFile(snap.db.get(), target);
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

// Binds one parameter of an INSERT; the SQLite result code.
int bindParam(sqlite3_stmt *insert, int index, const Param &p, sqlite3_stmt *select)
{
    if (p.source < 0) {
        if (p.quoted)
            return sqlite3_bind_text(insert, index, p.constant, -1, SQLITE_STATIC);
        return sqlite3_bind_int64(insert, index, QByteArray(p.constant).toLongLong());
    }
    if (!p.quoted) {
        sqlite3_value *value = sqlite3_column_value(select, p.source);
        return value ? sqlite3_bind_value(insert, index, value) : SQLITE_NOMEM;
    }
    if (sqlite3_column_type(select, p.source) == SQLITE_NULL)
        return sqlite3_bind_null(insert, index);
    // Numbers go as the text SQLite renders for them; texts and blobs as
    // their bytes.
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select, p.source));
    const int size = sqlite3_column_bytes(select, p.source);
    if (!text && size > 0)
        return SQLITE_NOMEM;
    return sqlite3_bind_text64(insert, index, text ? text : "", sqlite3_uint64(size), SQLITE_TRANSIENT,
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

    if (plan.cleaning) {
        // The blank reference may lack the table or the row; only a failing
        // output file stops the conversion.
        const int rc = execute(out, plan.cleaning);
        if (rc == SQLITE_OK) {
            qCDebug(lcServerdb) << plan.cleanedTrace;
        } else if (!isRowError(rc)) {
            *error = lastError(out);
            return false;
        }
    }

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
    if (!insert && !isRowError(sqlite3_extended_errcode(out))) {
        *error = lastError(out);
        return false;
    }

    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        ++result->read;
        if (!wholeRows || !insert) {
            ++result->skipped;
            continue;
        }
        // Every parameter of every row is bound afresh; a row whose value
        // cannot be bound is not written at all, rather than written with a
        // NULL or the previous row's value in its place.
        int bound = SQLITE_OK;
        for (std::size_t i = 0; i < plan.params.size() && bound == SQLITE_OK; ++i)
            bound = bindParam(insert.get(), int(i) + 1, plan.params[i], select.get());
        int written = bound;
        if (bound == SQLITE_OK) {
            written = sqlite3_step(insert.get());
            if (plan.traceRows)
                traceRow(insert.get(), written == SQLITE_DONE ? SQLITE_OK : written);
            // After a failed step the reset repeats its error, handled below.
            const int reset = sqlite3_reset(insert.get());
            if (written == SQLITE_DONE && reset != SQLITE_OK)
                written = reset;
        } else if (plan.traceRows) {
            qCDebug(lcServerdb) << "LIST>>rc =" << bound << "===> row not written, a value could not be bound";
        }
        const int cleared = sqlite3_clear_bindings(insert.get());
        if (written == SQLITE_DONE && cleared == SQLITE_OK) {
            ++result->copied;
            continue;
        }
        if (cleared != SQLITE_OK || !isRowError(written) || sqlite3_get_autocommit(out)) {
            // Not the row's fault, or the output's transaction is gone.
            *error = bound != SQLITE_OK ? QString::fromUtf8(sqlite3_errstr(bound)) : lastError(out);
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
