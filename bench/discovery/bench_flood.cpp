// Soak: both ports flooded for a bounded time with junk and with the status
// replies of 500 terminals (tools/flood), while the window lists them in
// LAN mode. Reports the rate reached, the terminals listed, the window's
// resident memory before and after, and the longest stall of the GUI thread
// (the longest gap between two 5 ms ticks).
// Usage: tests/netns/run-in-netns.sh build/bench/discovery/bench_flood [seconds]
#include "gui/mainwindow/toolforkx.h"
#include "benchcommon.h"
#include "netnsrig.h"

#include "ui_toolforkx.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (!testrig::inTestNetns()) {
        std::fprintf(stderr, "%s\n", testrig::notInNetnsReason());
        return 77;
    }
    const int seconds = argc > 1 ? qBound(1, QByteArray(argv[1]).toInt(), 600) : 60;
    constexpr int Terminals = 500;

    ToolForKX window;
    window.resize(1200, 800);
    window.show();
    QTreeWidget *list = window.form()->treeWidget;
    bench::settle(1500); // the first ticks, the receive side, the first paints
    const long before = bench::residentKib();

    bench::StallMeter ticker(5);
    ticker.start();

    auto flood = testrig::startInTerminalNetns(testrig::toolProgram(QStringLiteral("quenzal-flood")),
        { QStringLiteral("--target"), testrig::toolAddress(), QStringLiteral("--seconds"), QString::number(seconds),
            QStringLiteral("--terminals"), QString::number(Terminals) });
    QElapsedTimer run;
    run.start();
    QByteArray report;
    while (run.elapsed() < qint64(seconds + 30) * 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (flood->canReadLine()) {
            report = flood->readLine().trimmed();
            break;
        }
        if (flood->state() == QProcess::NotRunning && !flood->canReadLine() && !flood->waitForReadyRead(10))
            break;
    }
    bench::settle(3000); // the rest of the queue, the sort, the fitting
    ticker.stop();
    const long after = bench::residentKib();

    QSet<QString> ids;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        ids.insert(list->topLevelItem(r)->text(0));
    const QList<QByteArray> f = report.split(' ');
    const double datagrams = f.value(1).toDouble();
    const double ms = qMax(1.0, f.value(3).toDouble());
    std::printf("flood: %s\n", report.constData());
    std::printf("rate: %.0f datagrams/s over %.1f s (%lld replies among them)\n", datagrams * 1000.0 / ms,
        ms / 1000.0, f.value(2).toLongLong());
    std::printf("terminals listed: %lld of %d (%d rows)\n", (long long)ids.size(), Terminals,
        list->topLevelItemCount());
    std::printf("resident memory: %.1f MiB before, %.1f MiB after (+%.1f MiB)\n", before / 1024.0, after / 1024.0,
        (after - before) / 1024.0);
    std::printf("replies dropped by a full queue: %llu\n", (unsigned long long)window.transport()->dropped());
    std::printf("longest GUI stall: %.0f ms\n", double(ticker.longestNs()) / 1e6);
    return ids.size() == Terminals ? 0 : 1;
}
