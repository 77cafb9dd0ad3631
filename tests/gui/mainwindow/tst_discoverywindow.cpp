// The main window against the simulator, inside the namespace rig: LAN and
// WAN scans, rows and their colours, the tick, selection, and the socket of
// the inactive mode.
#include "gui/mainwindow/toolforkx.h"
#include "netnsrig.h"
#include "replybuilder.h"
#include "core/transport/statusreply.h"

#include "ui_toolforkx.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUdpSocket>

#include <algorithm>
#include <memory>

using namespace quenzal;

namespace {

const QColor BaseColour(QStringLiteral("#CAFFF0"));
const QColor FlagColour(QStringLiteral("#CAFFFF"));
const QColor IdDuplicate(0, 255, 255);
const QColor AddressDuplicate(100, 255, 255);

QColor cellColour(const QTreeWidgetItem *item, int column)
{
    const QBrush b = item->background(column);
    return b.style() == Qt::NoBrush ? QColor() : b.color();
}

QTreeWidgetItem *rowWithIp(QTreeWidget *list, const QString &ip)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(ColIp) == ip)
            return list->topLevelItem(i);
    }
    return nullptr;
}

// A point inside the ID cell of a row, where a user would press.
QPoint idCell(QTreeWidget *list, QTreeWidgetItem *row)
{
    list->scrollToItem(row);
    const QRect r = list->visualItemRect(row);
    return QPoint(list->header()->sectionViewportPosition(0) + 4, r.center().y());
}

void pressRow(QTreeWidget *list, QTreeWidgetItem *row)
{
    const QPoint at = idCell(list, row);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

bool sortedById(QTreeWidget *list)
{
    for (int i = 1; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) < list->topLevelItem(i - 1)->text(0))
            return false;
    }
    return true;
}

// The small fleet of the LAN tests: 005 twice (different IP and MAC), and one
// terminal that answers twice (same ID, IP and MAC).
const char LanFleet[] = R"(
firmware = 545
mask = 255.255.0.0
gateway = 198.18.0.254
server = 198.18.0.1
[terminal]
id = 5
ip = 198.18.0.2
mac = 02:00:00:00:00:01
text = KX-100
amplifier = 1
extaudio = 3
micmode = 1
autoanswer = 1
dhcp = 1
netmode = wan
[terminal]
id = 5
ip = 198.18.3.2
mac = 02:00:00:00:00:02
[terminal]
id = 9
ip = 198.18.3.9
mac = 02:00:00:00:00:09
repeat = 2
[terminal]
id = 9
ip = 198.18.3.9
mac = 02:00:00:00:00:09
)";

} // namespace

class TestDiscoveryWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    testrig::Simulator m_sim;

    // A status reply straight to one of the tool's ports over loopback.
    static void sendToTool(const QByteArray &datagram, quint16 port)
    {
        QUdpSocket s;
        s.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }

    static sim::TerminalState terminal(int id, quint8 ipLast)
    {
        sim::TerminalState t;
        t.id = quint16(id);
        t.ip = { 10, 9, 8, ipLast };
        t.mac = { 2, 0, 0, 0, 0, ipLast };
        return t;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QVERIFY(m_dir.isValid());
        for (const char *a : { "198.18.3.2", "198.18.3.9", "198.18.3.10" })
            QVERIFY2(testrig::addTerminalAddress(QLatin1String(a)), a);
        for (int i = 250; i <= 254; ++i)
            QVERIFY(testrig::addTerminalAddress(QStringLiteral("198.18.7.%1").arg(i)));
        for (int i = 0; i <= 2; ++i)
            QVERIFY(testrig::addTerminalAddress(QStringLiteral("198.18.8.%1").arg(i)));
    }

    void cleanup() { m_sim.stop(); }

    void modeBoxesAndScanFields()
    {
        ToolForKX window;
        Ui::ToolForKX *ui = window.form();
        QVERIFY(ui->checkBox_Lan->isChecked());
        QTRY_VERIFY2_WITH_TIMEOUT(!ui->lineEdit_ScanIP1->isEnabled(), "scan fields stay enabled in LAN mode", 2000);
        ui->checkBox_Lan->setChecked(false);
        QTRY_VERIFY2_WITH_TIMEOUT(ui->checkBox_Lan->isChecked(), "no mode box ticked after a tick", 2000);
        ui->checkBox_Wan->setChecked(true);
        QTRY_VERIFY2_WITH_TIMEOUT(!ui->checkBox_Lan->isChecked(), "LAN box stays ticked in WAN mode", 2000);
        for (QLineEdit *f : { ui->lineEdit_ScanIP1, ui->lineEdit_ScanIP2, ui->lineEdit_ScanIP3, ui->lineEdit_ScanIP4,
                 ui->lineEdit_ScanIP5, ui->lineEdit_ScanIP6, ui->lineEdit_ScanIP7, ui->lineEdit_ScanIP8 })
            QVERIFY2(f->isEnabled(), qPrintable(f->objectName()));
        ui->checkBox_Lan->setChecked(true); // WAN wins while it is ticked
        QTRY_VERIFY2_WITH_TIMEOUT(!ui->checkBox_Lan->isChecked(), "ticking LAN in WAN mode is not undone", 2000);
        QVERIFY(ui->checkBox_Wan->isChecked());
    }

    void lanScan()
    {
        QVERIFY(m_sim.start(m_dir.path(), LanFleet, QStringLiteral("lan")));
        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        QTreeWidget *list = ui->treeWidget;

        QTest::mouseClick(ui->but_Scan, Qt::LeftButton);
        QCOMPARE(window.singleTerminalPacket()[1], quint8(0x01));
        QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text(), QStringLiteral("5"), 5000);
        QCOMPARE(list->topLevelItemCount(), 5);

        // The query: 32 bytes, kind 0x02, byte 6 = 0x01, the markers, to the
        // group from the LAN port.
        const QList<QByteArray> log = m_sim.logLines();
        QVERIFY2(!log.isEmpty(), "the simulator saw no query");
        QCOMPARE(log.first(),
            QByteArray("aa 02 f2 00 00 00 01 00 00 00 00 00 00 00 00 dd 00 00 00 00 00 00 00 00 00 "
                       "00 00 00 00 00 00 dd ")
                + testrig::toolAddress().toLatin1() + " 12682 to 239.0.0.2:12682");

        // Texts and colours of one row.
        QTreeWidgetItem *first = rowWithIp(list, QStringLiteral("198.018.000.002"));
        QVERIFY(first);
        QCOMPARE(first->text(0), QStringLiteral("005"));
        QCOMPARE(first->text(4), QStringLiteral("02:00:00:00:00:01"));
        QCOMPARE(first->text(2), QStringLiteral("255.255.000.000"));
        QCOMPARE(first->text(9), QStringLiteral("---WAN"));
        QCOMPARE(first->text(17), QStringLiteral("KX-100"));
        QCOMPARE(cellColour(first, 9), FlagColour);
        QCOMPARE(cellColour(first, 2), BaseColour);
        QCOMPARE(cellColour(first, 28), BaseColour);
        QCOMPARE(cellColour(first, 3), QColor());
        QCOMPARE(cellColour(first, 30), QColor());

        // 005 twice with different IP and MAC: only the ID cells.
        int id5 = 0;
        int id9 = 0;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem *row = list->topLevelItem(i);
            if (row->text(0) == QLatin1String("005")) {
                ++id5;
                QCOMPARE(cellColour(row, 0), IdDuplicate);
                QCOMPARE(cellColour(row, 1), QColor());
                QCOMPARE(cellColour(row, 4), BaseColour);
            } else if (row->text(0) == QLatin1String("009") && row->text(1) == QLatin1String("198.018.003.009")) {
                ++id9;
                QCOMPARE(cellColour(row, 0), IdDuplicate);
                QCOMPARE(cellColour(row, 1), AddressDuplicate);
                QCOMPARE(cellColour(row, 4), AddressDuplicate);
            } else {
                // 010 at 198.18.3.10: unique.
                QCOMPARE(row->text(0), QStringLiteral("010"));
                QCOMPARE(cellColour(row, 0), BaseColour);
                QCOMPARE(cellColour(row, 1), QColor());
            }
        }
        QCOMPARE(id5, 2);
        QCOMPARE(id9, 2);

        // Replies stopped: sorted by column 0, ascending, within about a second.
        QTRY_VERIFY2_WITH_TIMEOUT(list->header()->sortIndicatorSection() == 0
                && list->header()->sortIndicatorOrder() == Qt::AscendingOrder && sortedById(list),
            "the list was not sorted by ID after the replies stopped", 3000);
        QVERIFY(list->header()->isSortIndicatorShown());
        QCOMPARE(list->header()->sectionResizeMode(0), QHeaderView::ResizeToContents);

        // Pressing a row selects that terminal.
        QTreeWidgetItem *row = rowWithIp(list, QStringLiteral("198.018.000.002"));
        pressRow(list, row);
        QCOMPARE(ui->lineEdit_rebootid->text(), QStringLiteral("005"));
        QCOMPARE(ui->lineEdit_Zhujiao->text(), QStringLiteral("005"));
        QCOMPARE(window.selectedTerminalAddress(), QByteArray("198.018.000.002"));
        QCOMPARE((QStringList { ui->lineEdit_Cip->text(), ui->lineEdit_Cip_2->text(), ui->lineEdit_Cip_3->text(),
                     ui->lineEdit_Cip_4->text() }),
            (QStringList { QStringLiteral("198"), QStringLiteral("18"), QStringLiteral("0"), QStringLiteral("2") }));
        QCOMPARE(ui->lineEdit_CMask_3->text(), QStringLiteral("0"));
        QCOMPARE(ui->lineEdit_Cgateway_4->text(), QStringLiteral("254"));
        QCOMPARE(ui->lineEdit_CServerip_4->text(), QStringLiteral("1"));
        QCOMPARE(ui->lineEdit_MyMachType->text(), QStringLiteral("KX-100"));
        const QString on = QStringLiteral("background-color: rgb(85, 255, 255);");
        QCOMPARE(ui->but_SetPAMuteOn->styleSheet(), on);
        QCOMPARE(ui->but_SetPAMuteOff->styleSheet(), QString());
        QCOMPARE(
            ui->but_SetExtMute->styleSheet() + ui->but_SetExtLINEIN->styleSheet() + ui->but_SetExtMIC->styleSheet(),
            QString()); // external audio 3: none
        QCOMPARE(ui->but_SetCallModeOnline->styleSheet(), on);
        QCOMPARE(ui->but_SetAuto1->styleSheet(), on);
        QCOMPARE(ui->but_DhcpOn->styleSheet(), on);
        QCOMPARE(ui->but_WAN->styleSheet(), on);
        QCOMPARE(ui->but_LAN->styleSheet(), QString());

        // A second row moves every highlight.
        QTreeWidgetItem *other = rowWithIp(list, QStringLiteral("198.018.003.002"));
        pressRow(list, other);
        QCOMPARE(window.selectedTerminalAddress(), QByteArray("198.018.003.002"));
        QCOMPARE(ui->but_SetPAMuteOn->styleSheet(), QString());
        QCOMPARE(ui->but_SetPAMuteOff->styleSheet(), on);
        QCOMPARE(ui->but_SetExtMute->styleSheet(), on);
        QCOMPARE(ui->but_SetCallModeOffline->styleSheet(), on);
        QCOMPARE(ui->but_SetAuto0->styleSheet(), on);
        QCOMPARE(ui->but_DhcpOff->styleSheet(), on);
        QCOMPARE(ui->but_LAN->styleSheet(), on);
        QCOMPARE(ui->but_WAN->styleSheet(), QString());

        // A second scan empties the list first: five rows again, not ten.
        QTest::mouseClick(ui->but_Scan, Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount() <= 5, true);
        QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text(), QStringLiteral("5"), 5000);
        QTest::qWait(300);
        QCOMPARE(list->topLevelItemCount(), 5);
        // The selection stays with the terminal last pressed.
        QCOMPARE(window.selectedTerminalAddress(), QByteArray("198.018.003.002"));
    }

    void hollowRowLeavesAddressFieldsEmpty()
    {
        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        ui->lineEdit_Cip->setText(QStringLiteral("7"));
        auto *row = new QTreeWidgetItem(QStringList { QStringLiteral("004"), QStringLiteral("not an address") });
        ui->treeWidget->addTopLevelItem(row);
        pressRow(ui->treeWidget, row);
        QCOMPARE(ui->lineEdit_rebootid->text(), QStringLiteral("004"));
        QCOMPARE(ui->lineEdit_Cip->text(), QString());
        QCOMPARE(ui->lineEdit_CMask_4->text(), QString());
        QCOMPARE(window.selectedTerminalAddress(), QByteArray("not an address"));
        // Pressing below the last row changes nothing.
        ui->lineEdit_rebootid->setText(QStringLiteral("x"));
        ui->treeWidget->clearSelection();
        QTest::mousePress(
            ui->treeWidget->viewport(), Qt::LeftButton, {}, QPoint(5, ui->treeWidget->viewport()->height() - 3));
        QCOMPARE(ui->lineEdit_rebootid->text(), QStringLiteral("x"));
    }

    void wanScan()
    {
        // One terminal on each of eight addresses across an octet-3 step.
        QByteArray fleet = "firmware = 545\n";
        int id = 100;
        for (int i = 250; i <= 254; ++i)
            fleet += "[terminal]\nid = " + QByteArray::number(id++) + "\nip = 198.18.7." + QByteArray::number(i)
                + "\nmac = 02:00:00:00:07:" + QByteArray::number(i, 16) + "\n";
        for (int i = 0; i <= 2; ++i)
            fleet += "[terminal]\nid = " + QByteArray::number(id++) + "\nip = 198.18.8." + QByteArray::number(i)
                + "\nmac = 02:00:00:00:08:0" + QByteArray::number(i) + "\n";
        QVERIFY(m_sim.start(m_dir.path(), fleet, QStringLiteral("wan")));

        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        ui->lineEdit_ScanIP1->setText(QStringLiteral("198"));
        ui->lineEdit_ScanIP2->setText(QStringLiteral("18"));
        ui->lineEdit_ScanIP3->setText(QStringLiteral("7"));
        ui->lineEdit_ScanIP4->setText(QStringLiteral("250"));
        ui->lineEdit_ScanIP5->setText(QStringLiteral("1")); // never read
        ui->lineEdit_ScanIP6->setText(QStringLiteral("1")); // never read
        ui->lineEdit_ScanIP7->setText(QStringLiteral("8"));
        ui->lineEdit_ScanIP8->setText(QStringLiteral("2"));

        QList<qint64> stepTimes;
        QElapsedTimer clock;
        clock.start();
        connect(ui->progressBar, &QProgressBar::valueChanged, this, [&](int) { stepTimes << clock.nsecsElapsed(); });
        QTest::mouseClick(ui->but_Scan, Qt::LeftButton);
        QCOMPARE(window.singleTerminalPacket()[1], quint8(0x01));
        QCOMPARE(ui->progressBar->maximum(), 6);

        QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text(), QStringLiteral("8"), 5000);
        // Values 7 and 8 lie above the maximum: the bar ignores them.
        QTRY_COMPARE_WITH_TIMEOUT(stepTimes.size(), 6, 2000);
        QTest::qWait(100);
        QCOMPARE(stepTimes.size(), 6);
        QCOMPARE(ui->progressBar->value(), 6);
        QCOMPARE(ui->progressBar->format(), QStringLiteral("198.18.8.2"));
        QCOMPARE(int(ui->progressBar->alignment()), 0x86);
        QCOMPARE(window.singleTerminalPacket()[1], quint8(0x01));

        // Exactly 6 bytes per query, one per address, in scan order.
        QList<QByteArray> expected;
        for (int i = 250; i <= 254; ++i)
            expected << "198.18.7." + QByteArray::number(i);
        for (int i = 0; i <= 2; ++i)
            expected << "198.18.8." + QByteArray::number(i);
        QList<QByteArray> seen;
        for (const QByteArray &line : m_sim.logLines()) {
            QVERIFY2(line.startsWith("aa 02 f2 00 00 00 " + testrig::toolAddress().toLatin1() + " 12685 to "),
                line.constData());
            seen << line.mid(line.lastIndexOf(' ') + 1).chopped(6); // strip ":12685"
        }
        QCOMPARE(seen, expected);

        // Paced by the 5 ms timer. Single ticks jitter (a late tick is
        // followed by an early one), so the pace is taken over all steps:
        // five intervals take at least 20 ms, and a typical one is far from
        // the 500 ms of the system tick (a loaded machine or a sanitizer
        // build stretches the 5 ms, so the bound is generous).
        const qint64 totalUs = (stepTimes.last() - stepTimes.first()) / 1000;
        QVERIFY2(totalUs >= 20000, qPrintable(QStringLiteral("5 steps in %1 us").arg(totalUs)));
        QList<qint64> gaps;
        for (int i = 1; i < stepTimes.size(); ++i)
            gaps << (stepTimes[i] - stepTimes[i - 1]) / 1000;
        std::sort(gaps.begin(), gaps.end());
        QVERIFY2(gaps.at(gaps.size() / 2) <= 200000,
            qPrintable(QStringLiteral("median step %1 us").arg(gaps.at(gaps.size() / 2))));

        // Rows come from the WAN socket; the reported IP is the row's IP.
        QVERIFY(rowWithIp(ui->treeWidget, QStringLiteral("198.018.008.000")));
    }

    // End before start: the first tick stops the scan, nothing is sent.
    void wanScanEmptyRange()
    {
        QVERIFY(m_sim.start(m_dir.path(), "[terminal]\nid = 1\nip = 198.18.7.250\n", QStringLiteral("empty")));
        ToolForKX window;
        Ui::ToolForKX *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        ui->lineEdit_ScanIP1->setText(QStringLiteral("198"));
        ui->lineEdit_ScanIP2->setText(QStringLiteral("18"));
        ui->lineEdit_ScanIP3->setText(QStringLiteral("7"));
        ui->lineEdit_ScanIP4->setText(QStringLiteral("250"));
        ui->lineEdit_ScanIP7->setText(QStringLiteral("7"));
        ui->lineEdit_ScanIP8->setText(QStringLiteral("249"));
        QSignalSpy steps(ui->progressBar, &QProgressBar::valueChanged);
        QTest::mouseClick(ui->but_Scan, Qt::LeftButton);
        QTest::qWait(200);
        QCOMPARE(steps.size(), 0);
        QVERIFY2(m_sim.logLines().isEmpty(), "a query went out for an empty range");
        QCOMPARE(window.singleTerminalPacket()[1], quint8(0x01));
    }

    // A datagram on the LAN socket in WAN mode gives no row; once back in
    // LAN mode, LAN replies still come through.
    void inactiveSocket()
    {
        QVERIFY(m_sim.start(m_dir.path(), LanFleet, QStringLiteral("inactive")));
        ToolForKX window;
        Ui::ToolForKX *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        sendToTool(sim::buildStatusReply(terminal(1, 1)), 12682);
        sendToTool(sim::buildStatusReply(terminal(2, 2)), 12685); // WAN socket: a row
        QTRY_COMPARE_WITH_TIMEOUT(ui->treeWidget->topLevelItemCount(), 1, 3000);
        QTest::qWait(200);
        QCOMPARE(ui->treeWidget->topLevelItemCount(), 1);
        QCOMPARE(ui->treeWidget->topLevelItem(0)->text(0), QStringLiteral("002"));
        QCOMPARE(ui->lineEdit_MachineNum->text(), QStringLiteral("1"));

        ui->checkBox_Wan->setChecked(false);
        QTest::mouseClick(ui->but_Scan, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text(), QStringLiteral("5"), 5000);
        QCOMPARE(ui->treeWidget->topLevelItemCount(), 5);
        // And the WAN socket is not left silent either.
        ui->checkBox_Wan->setChecked(true);
        sendToTool(sim::buildStatusReply(terminal(3, 3)), 12685);
        QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit_MachineNum->text(), QStringLiteral("6"), 3000);
    }

    void notRepliesAddNoRow_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("wan");
        const QList<std::pair<const char *, QByteArray>> kinds {
            { "empty", QByteArray() },
            { "query", QByteArray::fromHex("aa02f2000000") },
            { "kind fe", QByteArray::fromHex("aafe") + QByteArray(100, '\0') },
            { "largest", QByteArray(65507, char(0xAA)) },
        };
        for (const auto &k : kinds) {
            QTest::addRow("LAN %s", k.first) << k.second << false;
            QTest::addRow("WAN %s", k.first) << k.second << true;
        }
    }
    void notRepliesAddNoRow()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, wan);
        ToolForKX window;
        Ui::ToolForKX *ui = window.form();
        ui->checkBox_Wan->setChecked(wan);
        const quint16 port = wan ? 12685 : 12682;
        sendToTool(datagram, port);
        QByteArray zeroReply = QByteArray::fromHex("aafd") + QByteArray(100, '\0');
        sendToTool(zeroReply, port);
        QTRY_COMPARE_WITH_TIMEOUT(ui->treeWidget->topLevelItemCount(), 1, 3000);
        QTest::qWait(100);
        QCOMPARE(ui->treeWidget->topLevelItemCount(), 1);
        QCOMPARE(ui->lineEdit_MachineNum->text(), QStringLiteral("1"));
        QTreeWidgetItem *row = ui->treeWidget->topLevelItem(0);
        QCOMPARE(row->text(0), QStringLiteral("000"));
        QCOMPARE(row->text(12), QStringLiteral("unknow"));
        QCOMPARE(row->text(30), QStringLiteral("OPEN"));
    }
};

QTEST_MAIN(TestDiscoveryWindow)
#include "tst_discoverywindow.moc"
