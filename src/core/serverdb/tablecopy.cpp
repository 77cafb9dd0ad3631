// Copying the six tables of an old-format file into the new format: one plan
// of parameters per table, one transaction per table.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

using namespace detail;

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

} // namespace quenzal::serverdb
