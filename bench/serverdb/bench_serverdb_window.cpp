// How long the database window stops answering, and how much memory it
// takes, for the work that a user starts in it on a server-sized file:
//
//   1. "刷新" of an old-format database with N terminals (default 100,000),
//   2. "刷新" of the same rows in a file grown by a large other table
//      (default 600 MB),
//   3. "刷新" while another connection holds an exclusive lock for 6 s,
//   4. "数据库备份" of the large file.
//
// The stall is the longest gap between two ticks of a 10 ms timer on the
// GUI thread (bench::StallMeter) from the click until the window is done;
// the memory is the highest resident size seen at those ticks less the
// size before the click. Each case runs in a process of its own, so one
// case's freed memory does not hide the next one's growth. The writer's wait
// under a live server is bench_serverdb_live's figure.
//
//   bench_serverdb_window [terminals] [extra MB]
//
// Builds against trees whose window works on the GUI thread too: the end of
// an operation is told by the refresh button, which such a window never
// turns off.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/usermessage.h"

#include "benchcommon.h"

namespace {

void exec(sqlite3 *db, const char *sql)
{
    bench::execOrExit(db, sql);
}

// An old-format database with `terminals` distinct Terminal rows and, when
// `extraMb` > 0, a table Log of about that many megabytes.
void makeDatabase(const QString &path, int terminals, int extraMb)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db, "PRAGMA synchronous=OFF");
    exec(db, "PRAGMA journal_mode=DELETE");
    exec(db,
        "CREATE TABLE Terminal(ID INTEGER, Vol INTEGER, M INTEGER, IEnable INTEGER, RBEnable INTEGER,"
        " RMEnable INTEGER, OBEnable INTEGER, IP TEXT, MAC TEXT, Name TEXT);"
        "CREATE TABLE Setting(NetworkType TEXT, ServerIP TEXT);"
        "INSERT INTO Setting VALUES('1','10.0.0.1');"
        "CREATE TABLE Log(n INTEGER, text TEXT);");
    exec(db, "BEGIN");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Terminal VALUES(?,?,0,1,1,0,1,?,?,?)", -1, &ins, nullptr);
    for (int i = 0; i < terminals; ++i) {
        const int k = (i % 50 == 0) ? i / 2 : i; // some shared values
        const QByteArray ip = "10." + QByteArray::number(k >> 16) + '.' + QByteArray::number((k >> 8) & 255) + '.'
            + QByteArray::number(k & 255);
        const QByteArray mac = "00:1A:" + QByteArray::number(k, 16).rightJustified(8, '0').toUpper();
        const QByteArray name = "T" + QByteArray::number(k);
        sqlite3_bind_int(ins, 1, k);
        sqlite3_bind_int(ins, 2, i);
        sqlite3_bind_text(ins, 3, ip.constData(), int(ip.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 4, mac.constData(), int(mac.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 5, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    if (extraMb > 0) {
        const QByteArray sql = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c WHERE x<"
            + QByteArray::number(extraMb * 1024 / 4) + ") INSERT INTO Log SELECT x, hex(randomblob(2000)) FROM c";
        exec(db, sql.constData());
    }
    exec(db, "COMMIT");
    sqlite3_close(db);
}

// Runs the event loop until the window's operations are done.
void waitForWindow(QWidget *window)
{
    bench::waitUntilEnabled(window, QStringLiteral("but_SetDB_Sync"));
}

// One case in this process: prints "<stall ms> <growth MB> <duration ms> <rows>".
int runCase(const QString &kind, const QString &db)
{
    quenzal::serverdb::setWarningHandler([](QWidget *, const QString &) {});
    Serverdb window(nullptr);
    window.show();
    waitForWindow(&window);
    window.findChild<QLineEdit *>(QStringLiteral("lineEdit_Serverdb"))->setText(db);
    bench::settle(200);

    std::thread holder;
    if (kind == QStringLiteral("locked")) {
        // Another connection takes the exclusive lock and keeps it for 6 s.
        std::atomic<bool> locked { false };
        holder = std::thread([&db, &locked] {
            sqlite3 *c = nullptr;
            sqlite3_open(db.toUtf8().constData(), &c);
            sqlite3_exec(c, "BEGIN EXCLUSIVE; UPDATE Setting SET ServerIP = ServerIP;", nullptr, nullptr, nullptr);
            locked = true;
            std::this_thread::sleep_for(std::chrono::seconds(6));
            sqlite3_exec(c, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(c);
        });
        while (!locked)
            std::this_thread::yield();
    }

    bench::StallMeter meter(10);
    const long before = bench::residentKib();
    long peak = before;
    meter.onTick = [&peak](qint64, qint64) { peak = std::max(peak, bench::residentKib()); };
    meter.start();
    bench::settle(50);
    QElapsedTimer t;
    t.start();
    if (kind == QStringLiteral("backup")) {
        window.findChild<QCheckBox *>(QStringLiteral("checkBox_SetDB"))->setChecked(true);
        window.findChild<QPushButton *>(QStringLiteral("but_SetDB_Copy"))->click();
    } else {
        window.findChild<QPushButton *>(QStringLiteral("but_SetDB_Sync"))->click();
    }
    waitForWindow(&window);
    const qint64 ms = t.elapsed();
    bench::settle(100);
    meter.stop();
    peak = std::max(peak, bench::residentKib());
    const int rows = window.findChild<QTreeWidget *>(QStringLiteral("treeWidget"))->topLevelItemCount();
    if (holder.joinable())
        holder.join();
    std::printf("%.1f %ld %lld %d\n", double(meter.longestNs()) / 1e6, (peak - before) / 1024, ms, rows);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quenzal.*.debug=false"));
    if (argc == 4 && qstrcmp(argv[1], "--case") == 0)
        return runCase(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    const int terminals = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int extraMb = argc > 2 ? std::max(0, atoi(argv[2])) : 600;
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.db"));
    const QString large = dir.filePath(QStringLiteral("large.db"));
    makeDatabase(small, terminals, 0);
    makeDatabase(large, terminals, extraMb);
    std::printf("%d terminals; files of %lld MB and %lld MB\n", terminals, QFileInfo(small).size() >> 20,
        QFileInfo(large).size() >> 20);
    std::printf("%-44s %10s %10s %10s %8s\n", "work", "stall ms", "memory MB", "took ms", "rows");
    const struct
    {
        const char *label;
        const char *kind;
        QString db;
    } cases[] = {
        { "refresh, small file", "refresh", small },
        { "refresh, large file", "refresh", large },
        { "refresh, exclusive lock held for 6 s", "locked", small },
        { "backup, large file", "backup", large },
    };
    for (const auto &c : cases) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(
            QCoreApplication::applicationFilePath(), { QStringLiteral("--case"), QString::fromLatin1(c.kind), c.db });
        p.waitForFinished(600000);
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 4) {
            std::printf("%-44s failed\n", c.label);
            continue;
        }
        std::printf("%-44s %10s %10s %10s %8s\n", c.label, f[0].constData(), f[1].constData(), f[2].constData(),
            f[3].constData());
        for (const QString &b : QDir(dir.path()).entryList({ QStringLiteral("Velmora_*.db") }))
            QFile::remove(dir.filePath(b));
    }
    return 0;
}
