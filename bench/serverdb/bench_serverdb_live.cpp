// The database window against a live server: a writer process
// (bench_dbwriter) commits every 10 ms while the window lists a Terminal
// table of N rows (default 100,000) and then converts the file, once with
// the file in rollback-journal mode and once in WAL mode. Printed: the
// writer's longest commit (BEGIN IMMEDIATE to end of COMMIT) while the
// window lists and while it converts, next to the longest with the window
// idle. Target: at most 100 ms.
//
// Then the memory of 100 database windows opened, filled and closed, one
// after the other.
//
//   bench_serverdb_live [rows]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/usermessage.h"

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

// An old-format server database with `rows` Terminal rows and a few rows in
// the other tables, plus the table Log the writer appends to.
void makeDatabase(const QString &path, int rows, bool wal)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db, "PRAGMA synchronous=OFF");
    exec(db, wal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
    exec(db,
        "CREATE TABLE Terminal(ID INTEGER, Vol INTEGER, M INTEGER, IEnable INTEGER, RBEnable INTEGER,"
        " RMEnable INTEGER, OBEnable INTEGER, IP TEXT, MAC TEXT, Name TEXT);"
        "CREATE TABLE Setting(NetworkType TEXT, ServerIP TEXT);"
        "CREATE TABLE Team(ID TEXT, Name TEXT, A TEXT, B TEXT);"
        "CREATE TABLE Solution(ID TEXT, Name TEXT);"
        "CREATE TABLE User(a,b,c,d,e,f,g,h,i,j,k);"
        "CREATE TABLE MusicData(a,b,c,d,e);"
        "CREATE TABLE Log(n INTEGER, text TEXT);"
        "INSERT INTO Setting VALUES('1','10.0.0.1');"
        "INSERT INTO Team VALUES('1','g','','');"
        "INSERT INTO Solution VALUES('1','s');");
    QByteArray task = "CREATE TABLE Task(";
    for (int i = 0; i < 25; ++i)
        task += (i ? ", c" : "c") + QByteArray::number(i) + (i < 13 ? " INTEGER" : " TEXT");
    exec(db, task + ");");
    exec(db, "BEGIN");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Terminal VALUES(?,?,0,1,1,0,1,?,?,?)", -1, &ins, nullptr);
    const QByteArray hall = QStringLiteral("终端").toLocal8Bit();
    for (int i = 0; i < rows; ++i) {
        const int k = (i % 50 == 0) ? i / 2 : i;
        const QByteArray ip = "10." + QByteArray::number(k >> 16) + '.' + QByteArray::number((k >> 8) & 255) + '.'
            + QByteArray::number(k & 255);
        const QByteArray mac = "00:1A:" + QByteArray::number(k, 16).rightJustified(8, '0').toUpper();
        const QByteArray name = hall + QByteArray::number(k);
        sqlite3_bind_int(ins, 1, k);
        sqlite3_bind_int(ins, 2, i);
        sqlite3_bind_text(ins, 3, ip.constData(), int(ip.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 4, mac.constData(), int(mac.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 5, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

void makeReference(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db,
        "CREATE TABLE Terminal(ID INTEGER, Vol INTEGER, M INTEGER, IEnable INTEGER, RBEnable INTEGER,"
        " RMEnable INTEGER, OBEnable INTEGER, IP TEXT, MAC TEXT, Name TEXT);"
        "CREATE TABLE Setting(NetworkType TEXT, ServerIP TEXT);"
        "CREATE TABLE Team(ID TEXT, Name TEXT, A TEXT, B TEXT);"
        "CREATE TABLE Solution(ID TEXT, Name TEXT, Code TEXT);"
        "CREATE TABLE User(a,b,c,d,e,f,g,h,i,j,k);"
        "CREATE TABLE MusicData(a,b,c,d,e);"
        "CREATE TABLE AlarmInformation(ID INTEGER);"
        "INSERT INTO Team VALUES('0','Default Group','','');"
        "INSERT INTO Solution VALUES('0','Default Solution','0');");
    QByteArray task = "CREATE TABLE Task(";
    for (int i = 0; i < 28; ++i)
        task += (i ? ", c" : "c") + QByteArray::number(i) + (i < 14 ? " INTEGER" : " TEXT");
    exec(db, task + ");");
    sqlite3_close(db);
}

struct Commit
{
    long long start = 0, duration = 0;
    int rc = 0;
};

struct Phase
{
    const char *name;
    long long from = 0, to = 0;
};

// Longest commit overlapping [from, to], number of such commits, failures.
void report(const char *mode, const Phase &phase, const std::vector<Commit> &commits, const std::vector<Phase> &busy)
{
    double longest = 0;
    int n = 0, failed = 0;
    std::vector<double> waits;
    for (const Commit &c : commits) {
        const bool inPhase = c.start <= phase.to && c.start + c.duration >= phase.from;
        bool inBusy = false;
        for (const Phase &b : busy)
            inBusy = inBusy || (c.start <= b.to && c.start + c.duration >= b.from);
        // The idle phase counts only commits that overlap no busy phase.
        if (phase.from == 0 ? inBusy : !inPhase)
            continue;
        ++n;
        failed += c.rc != 0;
        waits.push_back(double(c.duration) / 1e6);
        longest = std::max(longest, double(c.duration) / 1e6);
    }
    std::sort(waits.begin(), waits.end());
    const double p99 = waits.empty() ? 0 : waits[std::min(waits.size() - 1, waits.size() * 99 / 100)];
    const double took = phase.from ? double(phase.to - phase.from) / 1e6 : 0;
    std::printf("%-9s %-22s %8.0f ms %7d commits %5d failed   longest writer wait %7.1f ms   p99 %6.1f ms\n", mode,
        phase.name, took, n, failed, longest, p99);
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quenzal.serverdb.debug=false"));
    quenzal::serverdb::setWarningHandler([](QWidget *, const QString &text) {
        std::printf("  window says: %s\n", qPrintable(text.section(QLatin1Char('\n'), 0, 0)));
    });
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_dbwriter");

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    makeReference(dir.filePath(QStringLiteral("LS_New.db")));
    std::printf("writer commits every 10 ms; %d Terminal rows; target: longest writer wait <= 100 ms\n", rows);

    for (const bool wal : { false, true }) {
        const char *mode = wal ? "WAL" : "rollback";
        const QString db = dir.filePath(QStringLiteral("Velmora_%1.db").arg(QLatin1String(mode)));
        makeDatabase(db, rows, wal);
        const QString stop = dir.filePath(QStringLiteral("stop"));
        QFile::remove(stop);
        QProcess server;
        server.start(writer, { db, stop });
        if (!server.waitForStarted()) {
            std::fprintf(stderr, "cannot start %s\n", qPrintable(writer));
            return 1;
        }
        settle(1500); // the writer alone

        Serverdb window(nullptr);
        window.show();
        window.findChild<QLineEdit *>(QStringLiteral("lineEdit_Serverdb"))->setText(db);
        std::vector<Phase> phases;
        Phase list { "window lists", bench::monotonicNs() };
        window.SoltSetDB_Init();
        waitForWindow(&window);
        auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        tree->header()->resizeSections(QHeaderView::ResizeToContents);
        QApplication::processEvents();
        list.to = bench::monotonicNs();
        phases.push_back(list);
        const int listed = tree->topLevelItemCount();
        settle(700);

        Phase convert { "window converts", bench::monotonicNs() };
        window.SoltSetDB_Update();
        waitForWindow(&window);
        convert.to = bench::monotonicNs();
        phases.push_back(convert);
        settle(700);

        QFile touch(stop);
        touch.open(QIODevice::WriteOnly);
        touch.close();
        server.waitForFinished(60000);
        std::vector<Commit> commits;
        for (const QByteArray &line : server.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() == 3)
                commits.push_back({ f[0].toLongLong(), f[1].toLongLong(), f[2].toInt() });
        }
        std::printf("%s: listed %d rows, output %s\n", mode, listed,
            QFile::exists(QStringLiteral("Velmora_new.db")) ? "written" : "MISSING");
        report(mode, Phase { "window idle" }, commits, phases);
        for (const Phase &p : phases)
            report(mode, p, commits, phases);
        QFile::remove(QStringLiteral("Velmora_new.db"));
        for (const QString &b : QDir::current().entryList({ QStringLiteral("Velmora_*_41X.db") }))
            QFile::remove(b);
    }

    // Memory of database windows opened, filled and closed one after another.
    {
        const int small = std::min(rows, 10000);
        const QString db = dir.filePath(QStringLiteral("windows.db"));
        makeDatabase(db, small, false);
        QWidget main;
        auto cycle = [&](int n) {
            for (int i = 0; i < n; ++i) {
                Serverdb *w = Serverdb::openWindow(&main);
                w->findChild<QLineEdit *>(QStringLiteral("lineEdit_Serverdb"))->setText(db);
                w->but_SetDB_Sync();
                waitForWindow(w);
                w->close();
                settle(0);
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        };
        cycle(3); // caches, fonts and the first allocations
        const long long before = bench::residentKib();
        cycle(100);
        const long long after = bench::residentKib();
        std::printf("100 windows opened, listing %d rows each, and closed: resident %lld MB before, %lld MB after "
                    "(%+lld MB); %d windows left\n",
            small, before / 1024, after / 1024, (after - before) / 1024, int(main.findChildren<Serverdb *>().size()));
    }
    return 0;
}
