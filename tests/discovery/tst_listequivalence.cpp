// The batched handling of replies must leave the list exactly as the
// literal per-reply rules leave it: same rows, texts, colours, order and
// column widths. Both run on the same datagrams, in namespaces (the window
// opens its sockets), and their lists are compared.
#include "app/toolforkx.h"
#include "netnsrig.h"
#include "replybuilder.h"

#include "ui_toolforkx.h"

#include <QHeaderView>
#include <QRandomGenerator>
#include <QTest>
#include <QTreeWidget>
#include <QUdpSocket>

namespace {

struct Snapshot
{
    QStringList cells; // per row: 32 texts and 32 colours
    QList<int> widths;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
    int replyCount = 0;
};

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
    Snapshot runOnce(bool perRow)
    {
        qputenv("QUENZAL_LIST_PER_ROW", perRow ? "1" : "0");
        ToolForKX window;
        window.resize(1200, 800);
        window.show();
        Ui::ToolForKX *ui = window.form();
        QTest::qWait(700); // the first tick sets the receive side up

        const QList<QByteArray> all = datagrams();
        QUdpSocket sender;
        int replies = 0;
        for (int i = 0; i < all.size(); ++i) {
            sender.writeDatagram(all[i], QHostAddress::LocalHost, 12682);
            if (all[i].size() == 102)
                ++replies;
            // A rewrite of an ID half-way, as the numbering passes make them.
            if (i == 200) {
                [&] { QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text().toInt(), replies, 10000); }();
                QTreeWidgetItem *target = nullptr;
                for (int r = 0; r < ui->treeWidget->topLevelItemCount(); ++r) {
                    QTreeWidgetItem *item = ui->treeWidget->topLevelItem(r);
                    if (!target || item->text(4) < target->text(4))
                        target = item; // lowest MAC: the same row in both runs
                }
                window.setTerminalListCellText(target, 0, QStringLiteral("149"));
                window.setTerminalListCellText(target, 4, QStringLiteral("02:00:00:00:01:DB"));
            }
            if (i % 25 == 24)
                [&] { QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text().toInt(), replies, 10000); }();
        }
        QTreeWidget *list = ui->treeWidget;
        [&] {
            QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text().toInt(), replies, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(list->header()->sortIndicatorOrder() == Qt::AscendingOrder
                    && list->header()->sortIndicatorSection() == 0,
                3000);
        }();
        QTest::qWait(400); // layouts and fitting after the sort

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
        s.replyCount = ui->lineEdit_MachineNum->text().toInt();
        return s;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
    }

    void sameVisibleResult()
    {
        const Snapshot literal = runOnce(true);
        QVERIFY2(!QTest::currentTestFailed(), "the per-reply run did not finish");
        const Snapshot batched = runOnce(false);
        QVERIFY2(!QTest::currentTestFailed(), "the batched run did not finish");
        qunsetenv("QUENZAL_LIST_PER_ROW");

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
    }
};

QTEST_MAIN(TestListEquivalence)
#include "tst_listequivalence.moc"
