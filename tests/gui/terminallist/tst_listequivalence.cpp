// The batched handling of replies must leave the list exactly as the
// literal per-reply rules leave it: same rows, texts, colours, order and
// column widths. Both feeds read the same datagrams from the real receive
// path, on loopback sockets with ephemeral ports (no namespaces, no root),
// and their lists are compared. The batched feed is held to small slices so
// that the burst spans many of them.
#include "core/transport/udptransport.h"
#include "replybuilder.h"
#include "gui/terminallist/terminallistfeed.h"

#include "ui_toolforkx.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QTest>
#include <QTreeWidget>
#include <QUdpSocket>

using quenzal::UdpTransport;

namespace {

struct Snapshot
{
    QStringList cells; // per row: 32 texts and 32 colours
    QList<int> widths;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
    int replyCount = 0;
    int slices = 0; // notifications that took replies in the second half
    QStringList afterClicks; // row order after header clicks, one list per click
};

// The rows in list order, each as its texts joined.
QString rowOrder(const QTreeWidget *list)
{
    QStringList rows;
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        QStringList texts;
        for (int c = 0; c < 32; ++c)
            texts << list->topLevelItem(r)->text(c);
        rows << texts.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

QList<QByteArray> datagrams()
{
    QRandomGenerator rng(4242);
    QList<QByteArray> out;
    for (int i = 0; i < 400; ++i) {
        sim::TerminalState t;
        // Small ranges, so IDs, IPs and MACs repeat; some IDs of 4 digits.
        t.id = quint16(rng.bounded(2) ? rng.bounded(150) : 990 + rng.bounded(30));
        t.ip = { 10, 1, quint8(rng.bounded(2)), quint8(rng.bounded(200)) };
        t.mac = { 2, 0, 0, 0, quint8(rng.bounded(2)), quint8(rng.bounded(220)) };
        t.firmware = quint16(540 + rng.bounded(10));
        t.netMode = rng.bounded(3) == 0 ? 0xBB : 0xAA;
        t.fontState = rng.bounded(4) == 0 ? 0xAA : quint8(rng.bounded(256));
        t.volume = quint8(rng.bounded(256));
        t.maxVolume = quint8(rng.bounded(40));
        const QByteArray model = rng.bounded(2) ? QByteArray("KX-") + QByteArray::number(rng.bounded(100000))
                                                : QByteArray("a very long model");
        std::copy_n(model.constData(), qMin<qsizetype>(16, model.size()), t.text.begin());
        out << sim::buildStatusReply(t);
        if (i % 37 == 0)
            out << QByteArray::fromHex("aa02f2000000"); // not a reply
    }
    return out;
}

} // namespace

class TestListEquivalence : public QObject
{
    Q_OBJECT

private:
    Snapshot runOnce(TerminalListFeed::Mode mode)
    {
        QMainWindow host;
        Ui::ToolForKX ui;
        ui.setupUi(&host);
        host.resize(1200, 800);
        host.show();
        QTreeWidget *list = ui.treeWidget;

        UdpTransport transport;
        UdpTransport::Config config;
        config.lanPort = 0;
        config.wanPort = 0;
        config.bindAddress = QHostAddress::LocalHost;
        config.joinGroup = false;
        const UdpTransport::Status status = transport.open(config);
        if (!status.lanBound)
            qFatal("loopback bind failed: %s", qPrintable(status.lanError));
        int replyCount = 0;
        int slices = 0;
        std::unique_ptr<TerminalListFeed> feed;
        // What the window's receive slot does with the feed, in LAN mode.
        auto receive = [&] {
            ++slices;
            replyCount += feed->take(false).rows;
        };
        feed = std::make_unique<TerminalListFeed>(list, &transport, receive, mode);
        feed->setSliceLimits(0, 7);
        QObject::connect(&transport, &UdpTransport::datagramsReady, feed.get(), receive);

        const QList<QByteArray> all = datagrams();
        QUdpSocket sender;
        const quint16 port = transport.localPort(UdpTransport::Lan);
        int replies = 0;
        auto arrived = [&] { return replyCount == replies; };
        for (int i = 0; i < all.size(); ++i) {
            sender.writeDatagram(all[i], QHostAddress::LocalHost, port);
            if (all[i].size() == 102)
                ++replies;
            // A rewrite of an ID half-way, as the numbering passes make them.
            if (i == 200) {
                if (!QTest::qWaitFor(arrived, 120000))
                    return {};
                QTreeWidgetItem *target = nullptr;
                for (int r = 0; r < list->topLevelItemCount(); ++r) {
                    QTreeWidgetItem *item = list->topLevelItem(r);
                    if (!target || item->text(4) < target->text(4))
                        target = item; // lowest MAC: the same row in both runs
                }
                feed->setCellText(target, 0, QStringLiteral("149"));
                feed->setCellText(target, 4, QStringLiteral("02:00:00:00:01:DB"));
                slices = 0;
            }
        }
        // The second half goes out as one burst.
        if (!QTest::qWaitFor(arrived, 180000) || !QTest::qWaitFor([&] { return !feed->busy(); }, 10000))
            return {};
        feed->sortItems(0, Qt::AscendingOrder); // as the tick does once replies stop
        QTest::qWait(200); // layouts and fitting after the sort

        Snapshot s;
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            const QTreeWidgetItem *item = list->topLevelItem(r);
            for (int c = 0; c < 32; ++c) {
                const QBrush b = item->background(c);
                s.cells << item->text(c) << (b.style() == Qt::NoBrush ? QString() : b.color().name());
            }
        }
        for (int c = 0; c < 32; ++c)
            s.widths << list->header()->sectionSize(c);
        s.sortColumn = list->header()->sortIndicatorSection();
        s.sortOrder = list->header()->sortIndicatorOrder();
        s.replyCount = replyCount;
        s.slices = slices;

        // Header clicks as the user makes them (the header sets its
        // indicator and the list sorts): IP, IP again (reversed), the
        // status column, ID; then a text rewritten and ID reversed.
        const QList<QPair<int, Qt::SortOrder>> clicks { { 1, Qt::AscendingOrder }, { 1, Qt::DescendingOrder },
            { 8, Qt::AscendingOrder }, { 0, Qt::AscendingOrder } };
        for (const auto &click : clicks) {
            list->header()->setSortIndicator(click.first, click.second);
            s.afterClicks << rowOrder(list);
        }
        feed->setCellText(list->topLevelItem(5), 0, QStringLiteral("0"));
        list->header()->setSortIndicator(0, Qt::DescendingOrder);
        s.afterClicks << rowOrder(list);
        return s;
    }

private Q_SLOTS:
    void sameVisibleResult()
    {
        const Snapshot literal = runOnce(TerminalListFeed::Mode::PerRow);
        QVERIFY2(literal.replyCount > 0, "the per-reply run did not finish");
        const Snapshot batched = runOnce(TerminalListFeed::Mode::Batched);
        QVERIFY2(batched.replyCount > 0, "the batched run did not finish");
        QVERIFY2(batched.slices > 20, qPrintable(QStringLiteral("the burst took %1 slices").arg(batched.slices)));

        QCOMPARE(batched.replyCount, literal.replyCount);
        QCOMPARE(batched.cells.size(), literal.cells.size());
        for (int i = 0; i < literal.cells.size(); ++i) {
            QVERIFY2(batched.cells[i] == literal.cells[i],
                qPrintable(QStringLiteral("row %1, %2 of column %3: %4 instead of %5")
                               .arg(i / 64)
                               .arg(i % 2 ? QStringLiteral("colour") : QStringLiteral("text"))
                               .arg((i % 64) / 2)
                               .arg(batched.cells[i], literal.cells[i])));
        }
        QCOMPARE(batched.widths, literal.widths);
        QCOMPARE(batched.sortColumn, literal.sortColumn);
        QCOMPARE(batched.sortOrder, literal.sortOrder);
        QCOMPARE(batched.afterClicks.size(), literal.afterClicks.size());
        for (int i = 0; i < literal.afterClicks.size(); ++i)
            QVERIFY2(batched.afterClicks[i] == literal.afterClicks[i],
                qPrintable(QStringLiteral("rows in another order after click %1").arg(i + 1)));
    }
};

QTEST_MAIN(TestListEquivalence)
#include "tst_listequivalence.moc"
