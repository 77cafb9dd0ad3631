#include "dbfixtures.h"

#include <QCryptographicHash>
#include <QFile>

#include <sqlite3.h>

namespace fixtures {

namespace {

struct Db {
    sqlite3 *db = nullptr;
    explicit Db(const QString &path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr);
        // Fixtures need no durability; the syncs only slow the tests down.
        sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    }
    ~Db() { sqlite3_close_v2(db); }
};

void bind(sqlite3_stmt *stmt, int index, const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        sqlite3_bind_int64(stmt, index, v.toLongLong());
        return;
    case QMetaType::Double:
        sqlite3_bind_double(stmt, index, v.toDouble());
        return;
    case QMetaType::QString: {
        const QByteArray bytes = v.toString().toLocal8Bit();
        sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    default: {
        const QByteArray bytes = v.toByteArray();
        sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

} // namespace

bool exec(const QString &path, const QByteArray &sql)
{
    Db d(path);
    char *err = nullptr;
    const int rc = sqlite3_exec(d.db, sql.constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK)
        qWarning("fixture SQL failed: %s", err ? err : "?");
    sqlite3_free(err);
    return rc == SQLITE_OK;
}

bool insert(const QString &path, const QByteArray &table, const QList<Row> &rows)
{
    Db d(path);
    sqlite3_exec(d.db, "BEGIN", nullptr, nullptr, nullptr);
    for (const Row &row : rows) {
        QByteArray sql = "INSERT INTO \"" + table + "\" VALUES(";
        for (int i = 0; i < row.size(); ++i)
            sql += i ? ",?" : "?";
        sql += ")";
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(d.db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            qWarning("fixture insert failed: %s", sqlite3_errmsg(d.db));
            return false;
        }
        for (int i = 0; i < row.size(); ++i)
            bind(stmt, i + 1, row[i]);
        const int rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) {
            qWarning("fixture insert failed: %s", sqlite3_errmsg(d.db));
            return false;
        }
    }
    return sqlite3_exec(d.db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

QList<Row> rows(const QString &path, const QByteArray &sql)
{
    QList<Row> out;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            Row row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_NULL:
                    row << QVariant();
                    break;
                case SQLITE_INTEGER:
                    row << QVariant(qlonglong(sqlite3_column_int64(stmt, c)));
                    break;
                case SQLITE_FLOAT:
                    row << QVariant(sqlite3_column_double(stmt, c));
                    break;
                default:
                    row << QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, c)),
                                               sqlite3_column_bytes(stmt, c)));
                }
            }
            out << row;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return out;
}

QList<QByteArray> columnTypes(const QString &path, const QByteArray &sql)
{
    QList<QByteArray> out;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW) {
        static const char *names[] = {"", "integer", "real", "text", "blob", "null"};
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            out << QByteArray(names[sqlite3_column_type(stmt, c)]);
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return out;
}

namespace {

const QByteArray kTerminal =
    "CREATE TABLE Terminal(ID INTEGER, Vol INTEGER, M INTEGER, IEnable INTEGER, RBEnable INTEGER,"
    " RMEnable INTEGER, OBEnable INTEGER, IP TEXT, MAC TEXT, Name TEXT);"
    "CREATE TABLE Setting(ID INTEGER, NetworkType TEXT, ServerIP TEXT, Port INTEGER);";

QByteArray taskColumns(int numbers, int texts)
{
    QByteArray cols;
    for (int i = 0; i < numbers + texts; ++i) {
        cols += (i ? ", c" : "c") + QByteArray::number(i) + (i < numbers ? " INTEGER" : " TEXT");
    }
    return cols;
}

} // namespace

bool createOldFormat(const QString &path)
{
    return exec(path, kTerminal
                          + "CREATE TABLE Team(ID TEXT, Name TEXT, Members TEXT, Note TEXT);"
                            "CREATE TABLE Solution(ID TEXT, Name TEXT);"
                            "CREATE TABLE Task(" + taskColumns(13, 12) + ");"
                            "CREATE TABLE User(Name TEXT, Password TEXT, Role TEXT, A INTEGER,"
                            " B INTEGER, C INTEGER, D INTEGER, E INTEGER, F INTEGER, G INTEGER,"
                            " Note TEXT);"
                            "CREATE TABLE MusicData(ID INTEGER, Name TEXT, Path TEXT, Len TEXT,"
                            " Kind TEXT);");
}

bool createNewFormat(const QString &path)
{
    return exec(path, kTerminal
                          + "CREATE TABLE Team(ID TEXT, Name TEXT, Members TEXT, Note TEXT);"
                            "CREATE TABLE Solution(ID TEXT, Name TEXT, Code TEXT);"
                            "CREATE TABLE Task(" + taskColumns(14, 14) + ");"
                            "CREATE TABLE User(Name TEXT, Password TEXT, Role TEXT, A INTEGER,"
                            " B INTEGER, C INTEGER, D INTEGER, E INTEGER, F INTEGER, G INTEGER,"
                            " Note TEXT);"
                            "CREATE TABLE MusicData(ID INTEGER, Name TEXT, Path TEXT, Len TEXT,"
                            " Kind TEXT);"
                            "CREATE TABLE AlarmInformation(ID INTEGER, Text TEXT);");
}

bool createReference(const QString &path)
{
    return createNewFormat(path)
           && exec(path, "INSERT INTO Team VALUES('0','Default Group','','');"
                         "INSERT INTO Solution VALUES('0','Default Solution','0');"
                         "INSERT INTO Setting VALUES(1,'0','',8000);"
                         "INSERT INTO AlarmInformation VALUES(1,'reference');");
}

Row oldTaskRow(int n)
{
    Row row;
    for (int c = 0; c < 25; ++c) {
        if (c < 13)
            row << QVariant(qlonglong(n * 100 + c));
        else
            row << QVariant(QByteArray("t") + QByteArray::number(n) + "_c" + QByteArray::number(c));
    }
    return row;
}

QByteArray fileDigest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

} // namespace fixtures
