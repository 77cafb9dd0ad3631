// The two numbering passes on a large list, as the buttons run them in the
// window. For N rows (default 1000, 4000, 10000) and three lists:
//   - "pairs": IDs in pairs (001 001 002 002 ...), start number 0;
//   - "one ID": every row the same ID, as on a factory-fresh site;
//   - "one MAC": every row the same MAC (automatic MAC repair);
// it prints the packets sent, the time from the button's click to the end
// of the pass (a long list is passed in steps after the click) and the
// longest stall of the GUI thread (gap between two 5 ms ticks) around it.
// The passes send in LAN mode to the multicast group, so it runs only
// inside the namespace rig:
//   QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="quenzal.*.debug=false"
//     tests/netns/run-in-netns.sh build/bench/discovery/bench_numbering [N ...]
// Built only from what the window offered at 744f9e8 too, so that the same
// program measures before and after.
#include "gui/mainwindow/toolforkx.h"
#include "benchcommon.h"
#include "netnsrig.h"

#include "ui_toolforkx.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

#include <cstdio>

namespace {

enum class List { Pairs, OneId, OneMac };

QTreeWidgetItem *row(List kind, int i)
{
    QStringList texts;
    for (int c = 0; c < 32; ++c)
        texts << QString();
    texts[0] = QString::asprintf("%03d", kind == List::Pairs ? 1 + i / 2 : (kind == List::OneId ? 1 : 1 + i));
    texts[1] = QString::asprintf("010.020.%03d.%03d", i / 250, 1 + i % 250);
    texts[4] = kind == List::OneMac ? QStringLiteral("02:00:00:00:00:01")
                                    : QString::asprintf("02:00:00:00:%02X:%02X", i / 250, i % 250);
    return new QTreeWidgetItem(texts);
}

struct Result
{
    int rows = 0;
    int packets = 0;
    double passMs = 0;
    double stallMs = 0;
};

Result run(List kind, int n)
{
    ToolForKX window;
    window.resize(1200, 800);
    window.show();
    Ui::ToolForKX *ui = window.form();
    bench::settle(700); // the first tick sets the receive side up
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < n; ++i)
        items << row(kind, i);
    ui->treeWidget->addTopLevelItems(items);
    ui->treeWidget->sortItems(0, Qt::AscendingOrder);
    ui->lineEdit_ChangStatId->setText(QStringLiteral("0"));
    bench::settle(300);

    // The packets are counted in the list: one rewritten cell each.
    QStringList before;
    for (int i = 0; i < n; ++i)
        before << ui->treeWidget->topLevelItem(i)->text(1) + ui->treeWidget->topLevelItem(i)->text(0)
                + ui->treeWidget->topLevelItem(i)->text(4);

    bench::StallMeter stall(5);
    stall.start();
    bench::settle(50);
    // A pass over a long list may go on after the click, in steps, until
    // the window's numberingFinished(). Named as a string, so that the code
    // from before, whose passes end with the click, builds too.
    QSignalSpy finished(&window, SIGNAL(numberingFinished()));
    QElapsedTimer clock;
    clock.start();
    (kind == List::OneMac ? ui->but_AutoMac : ui->but_AutoID)->click();
    Result r;
    if (finished.isValid() && finished.isEmpty())
        finished.wait(60000);
    r.passMs = double(clock.nsecsElapsed()) / 1e6;
    bench::settle(300); // paints and layouts the pass left behind
    stall.stop();
    r.stallMs = double(stall.longestNs()) / 1e6;
    r.rows = ui->treeWidget->topLevelItemCount();
    QStringList after;
    for (int i = 0; i < r.rows; ++i)
        after << ui->treeWidget->topLevelItem(i)->text(1) + ui->treeWidget->topLevelItem(i)->text(0)
                + ui->treeWidget->topLevelItem(i)->text(4);
    before.sort();
    after.sort();
    for (int i = 0; i < qMin(before.size(), after.size()); ++i)
        r.packets += before.at(i) != after.at(i);
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (!testrig::inTestNetns()) {
        std::fprintf(stderr, "%s\n", testrig::notInNetnsReason());
        return 77;
    }
    const QList<int> sizes = bench::sizesFromArguments(argc, argv, { 1000, 4000, 10000 });
    std::printf("%-8s %7s %8s %12s %17s\n", "list", "N", "renumbered", "pass ms", "longest stall ms");
    const std::pair<List, const char *> lists[]
        = { { List::Pairs, "pairs" }, { List::OneId, "one ID" }, { List::OneMac, "one MAC" } };
    for (const auto &[kind, name] : lists) {
        for (int n : sizes) {
            const Result r = run(kind, n);
            std::printf("%-8s %7d %10d %12.0f %17.0f\n", name, n, r.packets, r.passMs, r.stallMs);
            std::fflush(stdout);
        }
    }
    return 0;
}
