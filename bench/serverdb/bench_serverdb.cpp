// Figures for the database window at server scale: listing a large Terminal
// table with duplicates marked and the columns fitted, and converting a large
// old-format database. Each is printed next to a straightforward per-row way
// of doing the same work, measured on fewer rows because it grows badly.
//
//   bench_serverdb [rows]     (default 100000)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <sqlite3.h>

#include <cstdio>

#include "core/serverdb/dbcore.h"
#include "gui/databasewindow/serverdb.h"

using namespace quenzal::serverdb;

#include "benchcommon.h"

namespace {

// Runs the event loop until the window's operations are done.
void waitForWindow(QWidget *window)
{
    bench::waitUntilEnabled(window, QStringLiteral("but_SetDB_Sync"));
}

void exec(sqlite3 *db, const char *sql)
{
    bench::execOrExit(db, sql);
}

sqlite3 *open(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    return db;
}

const char *kSchema = "CREATE TABLE Terminal(ID INTEGER, Vol INTEGER, M INTEGER, IEnable INTEGER, RBEnable INTEGER,"
                      " RMEnable INTEGER, OBEnable INTEGER, IP TEXT, MAC TEXT, Name TEXT);"
                      "CREATE TABLE Setting(NetworkType TEXT, ServerIP TEXT);"
                      "CREATE TABLE Team(ID TEXT, Name TEXT, A TEXT, B TEXT);"
                      "CREATE TABLE Solution(ID TEXT, Name TEXT);"
                      "CREATE TABLE User(a,b,c,d,e,f,g,h,i,j,k);"
                      "CREATE TABLE MusicData(a,b,c,d,e);";

QByteArray taskTable(int numbers, int texts)
{
    QByteArray sql = "CREATE TABLE Task(";
    for (int i = 0; i < numbers + texts; ++i)
        sql += (i ? ", c" : "c") + QByteArray::number(i) + (i < numbers ? " INTEGER" : " TEXT");
    return sql + ");";
}

// An old-format database with `terminals` Terminal rows (about one in fifty
// sharing an ID, IP, MAC or Name with another) and `tasks` Task rows.
void makeOld(const QString &path, int terminals, int tasks)
{
    sqlite3 *db = open(path);
    exec(db, "PRAGMA synchronous=OFF");
    exec(db, kSchema);
    exec(db, taskTable(13, 12).constData());
    exec(db, "BEGIN");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Terminal VALUES(?,?,0,1,1,0,1,?,?,?)", -1, &ins, nullptr);
    const QByteArray hall = QStringLiteral("终端").toLocal8Bit();
    for (int i = 0; i < terminals; ++i) {
        const int k = (i % 50 == 0) ? i / 2 : i; // some shared values
        sqlite3_bind_int(ins, 1, k);
        sqlite3_bind_int(ins, 2, i); // every row distinct, so every row is listed
        const QByteArray ip = "10." + QByteArray::number(k >> 16) + '.' + QByteArray::number((k >> 8) & 255) + '.'
            + QByteArray::number(k & 255);
        const QByteArray mac = "00:1A:" + QByteArray::number(k, 16).rightJustified(8, '0').toUpper();
        const QByteArray name = hall + QByteArray::number(k);
        sqlite3_bind_text(ins, 3, ip.constData(), int(ip.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 4, mac.constData(), int(mac.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 5, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    QByteArray taskSql = "INSERT INTO Task VALUES(";
    for (int c = 0; c < 25; ++c)
        taskSql += c ? ",?" : "?";
    taskSql += ")";
    sqlite3_prepare_v2(db, taskSql.constData(), -1, &ins, nullptr);
    for (int i = 0; i < tasks; ++i) {
        for (int c = 0; c < 25; ++c) {
            if (c < 13) {
                sqlite3_bind_int(ins, c + 1, i * 25 + c);
            } else {
                const QByteArray t = "task " + QByteArray::number(i) + " col " + QByteArray::number(c);
                sqlite3_bind_text(ins, c + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
        }
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

void makeReference(const QString &path)
{
    sqlite3 *db = open(path);
    exec(db, kSchema);
    exec(db,
        "DROP TABLE Solution; CREATE TABLE Solution(ID TEXT, Name TEXT, Code TEXT);"
        "CREATE TABLE AlarmInformation(ID INTEGER);"
        "INSERT INTO Team VALUES('0','Default Group','','');"
        "INSERT INTO Solution VALUES('0','Default Solution','0');");
    exec(db, taskTable(14, 14).constData());
    sqlite3_close(db);
}

double listWithWindow(const QString &path, int *rows)
{
    Serverdb window(nullptr);
    window.show();
    QApplication::processEvents();
    window.findChild<QLineEdit *>(QStringLiteral("lineEdit_Serverdb"))->setText(path);
    QElapsedTimer t;
    t.start();
    window.SoltSetDB_Init();
    waitForWindow(&window);
    // Lay the list out and fit the columns, as the first paint would.
    auto *list = window.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
    list->header()->resizeSections(QHeaderView::ResizeToContents);
    QApplication::processEvents();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    *rows = list->topLevelItemCount();
    return ms;
}

// The per-row way: every row appended on its own and its four cells compared
// with the whole list.
double listPerRow(const QString &path, int *rows)
{
    Serverdb window(nullptr);
    window.show();
    QApplication::processEvents();
    const TerminalListing listing = readTerminals(path);
    QElapsedTimer t;
    t.start();
    for (const TerminalRow &row : listing.rows) {
        auto *item = new QTreeWidgetItem();
        for (int c = 0; c < kTerminalColumns; ++c)
            item->setText(c, row.texts[c]);
        window.Function_AddRow(row.key[0].bytes.constData(), row.key[1].bytes.constData(), row.key[2].bytes.constData(),
            row.key[3].bytes.constData(), item);
    }
    QApplication::processEvents();
    *rows = int(listing.rows.size());
    return double(t.nsecsElapsed()) / 1e6;
}

// The per-row way of converting: one INSERT statement text per row, each
// committing on its own.
double convertPerRow(const QString &source, const QString &output)
{
    QFile::remove(output);
    sqlite3 *src = open(source);
    sqlite3 *out = open(output);
    exec(out,
        "CREATE TABLE Terminal(ID INTEGER, Vol INTEGER, M INTEGER, IEnable INTEGER, RBEnable INTEGER,"
        " RMEnable INTEGER, OBEnable INTEGER, IP TEXT, MAC TEXT, Name TEXT);");
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *sel = nullptr;
    sqlite3_prepare_v2(src, "SELECT DISTINCT* FROM Terminal", -1, &sel, nullptr);
    while (sqlite3_step(sel) == SQLITE_ROW) {
        char *sql = sqlite3_mprintf("INSERT INTO \"Terminal\" VALUES(%s,%s,%s,%s,%s,%s,%s,%Q,%Q,%Q);",
            sqlite3_column_text(sel, 0), sqlite3_column_text(sel, 1), sqlite3_column_text(sel, 2),
            sqlite3_column_text(sel, 3), sqlite3_column_text(sel, 4), sqlite3_column_text(sel, 5),
            sqlite3_column_text(sel, 6), sqlite3_column_text(sel, 7), sqlite3_column_text(sel, 8),
            sqlite3_column_text(sel, 9));
        sqlite3_exec(out, sql, nullptr, nullptr, nullptr);
        sqlite3_free(sql);
    }
    sqlite3_finalize(sel);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    sqlite3_close(src);
    sqlite3_close(out);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quenzal.serverdb.debug=false"));
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString big = dir.filePath(QStringLiteral("big.db"));
    makeOld(big, n, n);
    makeReference(dir.filePath(QStringLiteral("LS_New.db")));

    int rows = 0;
    double ms = listWithWindow(big, &rows);
    std::printf("list %d Terminal rows, marked and fitted: %.0f ms (target < 2000 ms)\n", rows, ms);
    {
        QElapsedTimer part;
        part.start();
        const TerminalListing listing = readTerminals(big);
        const double read = double(part.nsecsElapsed()) / 1e6;
        part.restart();
        const auto marks = duplicateMarks(listing.rows);
        const double mark = double(part.nsecsElapsed()) / 1e6;
        std::printf("  of which: reading %.0f ms, marking %.0f ms (%zu rows), the rest is the list widget\n", read,
            mark, marks.size());
    }

    for (int small : { 1000, 2000, 4000 }) {
        const QString part = dir.filePath(QStringLiteral("part%1.db").arg(small));
        makeOld(part, small, 0);
        const double fast = listWithWindow(part, &rows);
        const double slow = listPerRow(part, &rows);
        std::printf("  %6d rows: one pass %.0f ms, per-row search baseline %.0f ms\n", rows, fast, slow);
    }

    QElapsedTimer t;
    t.start();
    const ConversionResult r = convertDatabase(
        big, QStringLiteral("LS_New.db"), QStringLiteral("Velmora_new.db"), QStringLiteral("Velmora_backup_41X.db"));
    ms = double(t.nsecsElapsed()) / 1e6;
    int copied = 0;
    for (const TableCopyResult &tc : r.tables)
        copied += tc.copied;
    std::printf("convert %d Terminal + %d Task rows (with backup): %.0f ms, status %d, %d rows copied, %d skipped "
                "(target < 5000 ms)\n",
        n, n, ms, int(r.status), copied, r.skippedRows());

    const QString part = dir.filePath(QStringLiteral("part1000.db"));
    const double perRow = convertPerRow(part, dir.filePath(QStringLiteral("perrow.db")));
    std::printf("  baseline, a commit per row: 1000 Terminal rows %.0f ms (%.2f ms a row)\n", perRow, perRow / 1000);
    return r.status == ConversionResult::Done ? 0 : 1;
}
