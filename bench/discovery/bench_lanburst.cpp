// A LAN query answered by a whole site at once: N terminals reply as fast as
// the simulator can send. Measures, inside the namespace rig:
//   - replies that became rows, out of those sent;
//   - time from the simulator's last reply to a settled list (every row in,
//     columns fitted, list in the order of its sort indicator), and to the
//     sort by ID that the tick makes once replies stop;
//   - the longest stall of the GUI thread (gap between two 5 ms ticks).
// Usage: tests/netns/run-in-netns.sh build/bench/discovery/bench_lanburst [N ...]
// BENCH_PLAIN=1 first measures a plain receiver (a socket that keeps the
// replies and lists nothing) for each N, as the reference; BENCH_PLAIN=2
// measures only that (run one N per process for its memory figure: a
// process reuses the heap an earlier run freed).
// QUENZAL_LIST_PER_ROW=1 measures the literal per-reply list handling
// instead (on the same receive path).
#include "gui/mainwindow/toolforkx.h"
#include "core/discovery/scanrange.h"
#include "core/transport/packets.h"
#include "core/transport/statusreply.h"
#include "benchcommon.h"
#include "netnsrig.h"

#include "ui_toolforkx.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUdpSocket>

#include <cstdio>
#include <ctime>
#include <algorithm>
#include <functional>
#include <numeric>

namespace {

// Whether the rows are in the order of the sort indicator. While the stall
// meter runs, only about 256 rows spread over the list are looked at (a
// shuffled list of thousands fails that at once): reading every row takes
// tens of milliseconds at 60,000 and would count as the window's stall.
bool inIndicatorOrder(QTreeWidget *list, bool everyRow = true)
{
    const int column = list->header()->sortIndicatorSection();
    const bool ascending = list->header()->sortIndicatorOrder() == Qt::AscendingOrder;
    const int n = list->topLevelItemCount();
    const int step = everyRow ? 1 : qMax(1, n / 256);
    for (int i = step; i < n; i += step) {
        const QString a = list->topLevelItem(i - step)->text(column);
        const QString b = list->topLevelItem(i)->text(column);
        if (ascending ? b < a : a < b)
            return false;
    }
    return true;
}

// The longest stall while the window does one user action and settles
// (layout and paint included): the action runs from the event loop, which
// then runs on for `ms`.
double stallOf(const std::function<void()> &action, int ms = 1500)
{
    bench::StallMeter meter(5);
    qint64 lastTickNs = bench::monotonicNs();
    meter.onTick = [&](qint64, qint64 now) { lastTickNs = now; };
    meter.start();
    QTimer::singleShot(0, action);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    meter.stop();
    return double(qMax(meter.longestNs(), bench::monotonicNs() - lastTickNs)) / 1e6;
}

void clickHeader(QTreeWidget *list, int section)
{
    QHeaderView *header = list->header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    for (QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease }) {
        QMouseEvent event(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &event);
    }
}

void typeKey(QLineEdit *field, int key, const QString &text)
{
    for (QEvent::Type type : { QEvent::KeyPress, QEvent::KeyRelease }) {
        QKeyEvent event(type, key, Qt::NoModifier, text);
        QApplication::sendEvent(field, &event);
    }
}

// Resident memory of this process in bytes (Linux).
qint64 residentBytes()
{
    long pages = 0, resident = 0;
    FILE *f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(f);
    return qint64(resident) * 4096;
}

struct Result
{
    double bytesPerRow = 0;
    int sent = 0;
    int rows = 0;
    double settledMs = -1;
    double sortedByIdMs = -1;
    double longestStallMs = 0;
    bool ordered = false; // every row in the order of the indicator at the end
    double filterStallMs = -1; // a key typed into the filter, and taken back
    double headerStallMs = -1; // a click on a header, and another
};

// A shuffled fleet of n terminals answering LAN queries in the terminals'
// namespace; null (and said) when it did not start.
std::unique_ptr<QProcess> startFleet(int n, const QTemporaryDir &dir, const QString &name)
{
    const QString config = dir.filePath(QStringLiteral("%1-%2.conf").arg(name).arg(n));
    if (!bench::writeShuffledFleet(n, config)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(config));
        return nullptr;
    }
    auto sim = testrig::startInTerminalNetns(testrig::toolProgram(QStringLiteral("quenzal-terminal-sim")),
        { QStringLiteral("--config"), config, QStringLiteral("--log"),
            dir.filePath(QStringLiteral("%1-sim-%2.log").arg(name).arg(n)), QStringLiteral("--seconds"),
            QStringLiteral("180"), QStringLiteral("--lan-only") });
    if (!testrig::waitForLine(*sim, "ready", 20000)) {
        std::fprintf(stderr, "simulator did not start\n");
        return nullptr;
    }
    return sim;
}

// The simulator's "replied <count> <monotonic ns>" lines: how many replies
// it sent, and when the last one left.
void followReplied(QProcess *sim, int *sent, qint64 *lastSentNs)
{
    QObject::connect(sim, &QProcess::readyReadStandardOutput, sim, [=] {
        while (sim->canReadLine()) {
            const QList<QByteArray> parts = sim->readLine().trimmed().split(' ');
            if (parts.size() == 3 && parts[0] == "replied") {
                *sent = parts[1].toInt();
                *lastSentNs = parts[2].toLongLong();
            }
        }
    });
}

Result run(int n, const QTemporaryDir &dir)
{
    Result result;
    const std::unique_ptr<QProcess> sim = startFleet(n, dir, QStringLiteral("fleet"));
    if (!sim)
        return result;

    ToolForKX window;
    window.resize(1200, 800);
    window.show();
    Ui::ToolForKX *ui = window.form();
    QTreeWidget *list = ui->treeWidget;
    std::printf("receive buffer: %d bytes (LAN socket), reader thread: %s\n",
        window.transport()->status().lanReceiveBuffer, window.transport()->status().readerThread ? "yes" : "no");
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 700) // the first tick sets the receive side up
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    const qint64 idleBytes = residentBytes();
    qint64 lastSentNs = 0;
    // Stall monitor: the longest time between two 5 ms ticks.
    bench::StallMeter ticker(5);
    const bool trace = qEnvironmentVariableIsSet("BENCH_TRACE");
    qint64 lastTickNs = bench::monotonicNs();
    ticker.onTick = [&](qint64 gap, qint64 now) {
        lastTickNs = now;
        if (trace && gap > 30000000)
            std::fprintf(stderr, "stall %.0f ms ending at %+.0f ms from the last reply sent, %d rows\n",
                double(gap) / 1e6, lastSentNs ? double(now - lastSentNs) / 1e6 : 0.0, list->topLevelItemCount());
    };
    ticker.start();

    followReplied(sim.get(), &result.sent, &lastSentNs);

    ui->but_Scan->click();
    // Settled: no new row since, columns fitted, rows in the order of the
    // sort indicator. A run that loses replies settles with fewer rows; it
    // is over once no row has come for 3 s.
    qint64 settledNs = 0;
    qint64 sortedNs = 0;
    qint64 lastRowNs = bench::monotonicNs();
    int seenRows = 0;
    const qint64 deadline = bench::monotonicNs() + qint64(n >= 10000 ? 120 : 60) * 1000000000;
    while (bench::monotonicNs() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 now = bench::monotonicNs();
        const int rows = list->topLevelItemCount();
        if (rows != seenRows) {
            seenRows = rows;
            lastRowNs = now;
            settledNs = sortedNs = 0;
        }
        if (!lastSentNs || rows == 0)
            continue;
        if (!settledNs && list->header()->sectionResizeMode(0) == QHeaderView::ResizeToContents
            && inIndicatorOrder(list, false))
            settledNs = now;
        if (settledNs && !sortedNs && list->header()->sortIndicatorSection() == 0
            && list->header()->sortIndicatorOrder() == Qt::AscendingOrder && inIndicatorOrder(list, false))
            sortedNs = now;
        if (settledNs && sortedNs && (rows >= result.sent || now - lastRowNs > 3000000000LL))
            break;
    }
    // Let late arrivals show and the scan's summary come (two ticks of the
    // window after its sort), and stop measuring; a stall still running at
    // the end counts too.
    wait.restart();
    while (wait.elapsed() < 1500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ticker.stop();
    const qint64 openGapNs = bench::monotonicNs() - lastTickNs;
    result.rows = ui->lineEdit_MachineNum->text().toInt();
    if (result.rows > 0)
        result.bytesPerRow = double(residentBytes() - idleBytes) / result.rows;
    if (settledNs)
        result.settledMs = double(settledNs - lastSentNs) / 1e6;
    if (sortedNs)
        result.sortedByIdMs = double(sortedNs - lastSentNs) / 1e6;
    result.longestStallMs = double(qMax(ticker.longestNs(), openGapNs)) / 1e6;
    result.ordered = inIndicatorOrder(list);

    // The user at work on the full list: a key typed into the filter (one
    // no row holds, so every row hides) and taken back; a click on the IP
    // header and a second one that reverses the order.
    QLineEdit *filter = ui->lineEdit_Filter;
    filter->setFocus();
    // One after the other: the arguments of a call may run in any order.
    const double typed = stallOf([&] { typeKey(filter, Qt::Key_Z, QStringLiteral("Z")); });
    const double erased = stallOf([&] { typeKey(filter, Qt::Key_Backspace, QString()); });
    result.filterStallMs = qMax(typed, erased);
    if (!filter->text().isEmpty())
        std::fprintf(stderr, "the filter field still holds \"%s\": the headers are clicked on a filtered list\n",
            qPrintable(filter->text()));
    const double ascending = stallOf([&] { clickHeader(list, 1); });
    const double descending = stallOf([&] { clickHeader(list, 1); });
    result.headerStallMs = qMax(ascending, descending);
    std::fprintf(stderr, "%d rows: filter typed %.0f ms, erased %.0f ms; header ascending %.0f ms, descending %.0f ms\n", n,
        typed, erased, ascending, descending);
    return result;
}

// The reference: a plain receiver in the same arrangement. One socket on the
// GUI thread, bound and joined as the window's LAN socket is, with the same
// receive buffer, sends the query and keeps every status reply it reads;
// nothing is listed. Settled is its last reply; bytes per row are what the
// kept replies cost.
Result runPlain(int n, const QTemporaryDir &dir)
{
    Result result;
    const std::unique_ptr<QProcess> sim = startFleet(n, dir, QStringLiteral("plain"));
    if (!sim)
        return result;

    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, 12682, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)
        || !socket.joinMulticastGroup(QHostAddress(QStringLiteral("239.0.0.2")))) {
        std::fprintf(stderr, "plain receiver: %s\n", qPrintable(socket.errorString()));
        return result;
    }
    socket.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 0);
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 32 * 1024 * 1024);
    const qint64 idleBytes = residentBytes();
    std::vector<QByteArray> replies;
    qint64 lastReplyNs = 0;
    QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [&] {
        while (socket.hasPendingDatagrams()) {
            QByteArray data(int(socket.pendingDatagramSize()), Qt::Uninitialized);
            data.resize(socket.readDatagram(data.data(), data.size()));
            if (quenzal::isStatusReply(data)) {
                replies.push_back(std::move(data));
                lastReplyNs = bench::monotonicNs();
            }
        }
    });
    qint64 lastSentNs = 0;
    followReplied(sim.get(), &result.sent, &lastSentNs);
    bench::StallMeter ticker(5);
    ticker.start();
    quenzal::SingleTerminalPacket packet;
    packet.writeStartupBytes();
    socket.writeDatagram(quenzal::composeLanQuery(packet), QHostAddress(QStringLiteral("239.0.0.2")), 12682);
    const qint64 deadline = bench::monotonicNs() + qint64(60) * 1000000000;
    while (bench::monotonicNs() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 now = bench::monotonicNs();
        if (lastSentNs && (int(replies.size()) >= result.sent || now - qMax(lastReplyNs, lastSentNs) > 3000000000LL))
            break;
    }
    ticker.stop();
    result.rows = int(replies.size());
    result.longestStallMs = double(ticker.longestNs()) / 1e6;
    if (lastSentNs && lastReplyNs)
        result.settledMs = result.sortedByIdMs = double(lastReplyNs - lastSentNs) / 1e6;
    if (result.rows > 0)
        result.bytesPerRow = double(residentBytes() - idleBytes) / result.rows;
    return result;
}

} // namespace

// With BENCH_TRACE set, names every event that held the GUI thread for
// more than 30 ms: which object and event type made a stall.
class TracingApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!m_trace)
            return QApplication::notify(receiver, event);
        const int type = event->type();
        const qint64 start = bench::monotonicNs();
        const bool done = QApplication::notify(receiver, event);
        const qint64 took = bench::monotonicNs() - start;
        if (took > m_thresholdNs)
            std::fprintf(stderr, "  event %d to %s (%s) took %.0f ms\n", type, receiver->metaObject()->className(),
                qPrintable(receiver->objectName()), double(took) / 1e6);
        return done;
    }

private:
    const bool m_trace = qEnvironmentVariableIsSet("BENCH_TRACE");
    // BENCH_TRACE=<ms> above 1 sets the threshold; 30 ms otherwise.
    const qint64 m_thresholdNs
        = qint64(qEnvironmentVariableIntValue("BENCH_TRACE") > 1 ? qEnvironmentVariableIntValue("BENCH_TRACE") : 30)
        * 1000000;
};

int main(int argc, char *argv[])
{
    TracingApplication app(argc, argv);
    if (!testrig::inTestNetns()) {
        std::fprintf(stderr, "%s\n", testrig::notInNetnsReason());
        return 77;
    }
    const QList<int> sizes = bench::sizesFromArguments(argc, argv, { 1000, 10000 });
    QTemporaryDir dir;
    const bool perRow = qEnvironmentVariableIntValue("QUENZAL_LIST_PER_ROW") == 1;
    const char *mode = perRow ? "per-row" : "batched";
    std::printf("%-11s %7s %15s %12s %14s %14s %12s %8s %10s %10s\n", "mode", "N", "rows/sent", "settled ms",
        "sorted-by-ID ms", "longest stall ms", "bytes/row", "ordered", "filter ms", "header ms");
    const int plainMode = qEnvironmentVariableIntValue("BENCH_PLAIN");
    const bool withPlain = plainMode != 0;
    for (int n : sizes) {
        if (withPlain) {
            const Result p = runPlain(n, dir);
            std::printf("%-11s %7d %7d/%-7d %12.0f %14s %14.0f %12.0f\n", "plain", n, p.rows, p.sent, p.settledMs, "-",
                p.longestStallMs, p.bytesPerRow);
            std::fflush(stdout);
            if (plainMode == 2)
                continue;
        }
        const Result r = run(n, dir);
        std::printf("%-11s %7d %7d/%-7d %12.0f %14.0f %14.0f %12.0f %8s %10.0f %10.0f\n", mode, n, r.rows, r.sent,
            r.settledMs, r.sortedByIdMs, r.longestStallMs, r.bytesPerRow, r.ordered ? "yes" : "NO", r.filterStallMs,
            r.headerStallMs);
        std::fflush(stdout);
    }
    return 0;
}
