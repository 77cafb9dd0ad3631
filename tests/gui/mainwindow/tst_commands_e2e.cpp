// The command set against the terminal simulator, inside the namespace rig:
// a command from the GUI changes the simulated terminal, and its next status
// reply (after a rescan) shows the change.
#include <QtTest>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "gui/mainwindow/toolforkx.h"
#include "netnsrig.h"
#include "ui_toolforkx.h"

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

void pressRow(QTreeWidget *list, QTreeWidgetItem *row)
{
    list->scrollToItem(row);
    const QPoint at(list->header()->sectionViewportPosition(0) + 4, list->visualItemRect(row).center().y());
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

QTreeWidgetItem *rowWithIp(QTreeWidget *list, const char *ip)
{
    const QList<QTreeWidgetItem *> found = list->findItems(s(ip), Qt::MatchExactly, 1);
    return found.isEmpty() ? nullptr : found.first();
}

QStringList column(QTreeWidget *list, int c)
{
    QStringList out;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        out << list->topLevelItem(r)->text(c);
    out.sort();
    return out;
}

bool distinct(const QStringList &texts)
{
    return QSet<QString>(texts.begin(), texts.end()).size() == texts.size();
}

} // namespace

class TestCommandsE2e : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    testrig::Simulator m_sim;

    // A LAN scan; waits until `rows` rows have come in.
    static bool lanScan(ToolForKX &window, int rows)
    {
        Ui::ToolForKX *ui = window.form();
        ui->checkBox_Wan->setChecked(false);
        ui->but_Scan->click();
        QDeadlineTimer deadline(5000);
        while (ui->treeWidget->topLevelItemCount() < rows && !deadline.hasExpired())
            QTest::qWait(20);
        QTest::qWait(200); // no more than `rows`
        return ui->treeWidget->topLevelItemCount() == rows;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QVERIFY(m_dir.isValid());
        QLoggingCategory::setFilterRules(s("quenzal.*.debug=false"));
        for (const char *a : { "198.18.1.6", "198.18.1.12", "198.18.1.30", "198.18.1.40", "198.18.1.41" })
            QVERIFY2(testrig::addTerminalAddress(s(a)), a);
    }

    void cleanup() { m_sim.stop(); }

    void lanChangeIpAndId()
    {
        QVERIFY(m_sim.start(m_dir.path(),
            "mask = 255.255.0.0\n[terminal]\nid = 5\nip = 198.18.0.2\nmac = 02:00:00:00:00:05\n", s("lan-ip-id")));
        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        QVERIFY(lanScan(window, 1));
        pressRow(ui->treeWidget, ui->treeWidget->topLevelItem(0));
        QCOMPARE(ui->lineEdit_rebootid->text(), s("005"));

        ui->lineEdit_Cip->setText(s("198"));
        ui->lineEdit_Cip_2->setText(s("18"));
        ui->lineEdit_Cip_3->setText(s("1"));
        ui->lineEdit_Cip_4->setText(s("30"));
        ui->but_Cip->click();
        ui->lineEdit_Cid->setText(s("42"));
        ui->but_Cid->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.logLines("applied").size(), 2, 3000);

        QVERIFY(lanScan(window, 1));
        QCOMPARE(ui->treeWidget->topLevelItem(0)->text(0), s("042"));
        QCOMPARE(ui->treeWidget->topLevelItem(0)->text(1), s("198.018.001.030"));
    }

    void wanChangeIdAndIp()
    {
        QVERIFY(m_sim.start(m_dir.path(),
            "mask = 255.255.0.0\n[terminal]\nid = 7\nip = 198.18.1.40\nmac = 02:00:00:00:00:40\n"
            "[terminal]\nid = 8\nip = 198.18.0.2\nmac = 02:00:00:00:00:02\n",
            s("wan-ip-id")));
        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        QVERIFY(lanScan(window, 2));
        pressRow(ui->treeWidget, rowWithIp(ui->treeWidget, "198.018.001.040"));
        QCOMPARE(window.selectedTerminalAddress(), QByteArray("198.018.001.040"));

        // Each command goes to the selected address, and names the selected
        // ID: after a change the user rescans and presses the row again.
        ui->checkBox_Wan->setChecked(true);
        ui->lineEdit_Cip_4->setText(s("41"));
        ui->but_Cip->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.logLines("applied").size(), 1, 3000);
        QVERIFY(lanScan(window, 2));
        QTreeWidgetItem *row = rowWithIp(ui->treeWidget, "198.018.001.041");
        QVERIFY2(row, "the terminal reports its new address");
        pressRow(ui->treeWidget, row);

        ui->checkBox_Wan->setChecked(true);
        ui->lineEdit_Cid->setText(s("77"));
        ui->but_Cid->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.logLines("applied").size(), 2, 3000);
        const QList<QByteArray> wanLines = m_sim.logLines(" 198.18.0.1 12685 to ");
        QCOMPARE(wanLines.size(), 2);
        QVERIFY2(wanLines[0].endsWith("to 198.18.1.40:12685"), wanLines[0].constData());
        QVERIFY2(wanLines[1].endsWith("to 198.18.1.41:12685"), wanLines[1].constData());

        QVERIFY(lanScan(window, 2));
        row = rowWithIp(ui->treeWidget, "198.018.001.041");
        QVERIFY(row);
        QCOMPARE(row->text(0), s("077"));
        QCOMPARE(rowWithIp(ui->treeWidget, "198.018.000.002")->text(0), s("008"));
    }

    void zoneCommandReachesEveryRowInWanMode()
    {
        QVERIFY(m_sim.start(m_dir.path(),
            "mask = 255.255.0.0\ndhcp = 0\n"
            "[terminal]\nid = 1\nip = 198.18.0.2\nmac = 02:00:00:00:00:01\n"
            "[terminal]\nid = 2\nip = 198.18.1.6\nmac = 02:00:00:00:00:02\n"
            "[terminal]\nid = 3\nip = 198.18.1.12\nmac = 02:00:00:00:00:03\n",
            s("wan-zone")));
        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        QVERIFY(lanScan(window, 3));
        QCOMPARE(column(ui->treeWidget, 7), (QStringList { s("---No"), s("---No"), s("---No") }));

        ui->checkBox_Wan->setChecked(true);
        ui->but_SetAllDhcpOn->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.logLines("all: dhcp 1").size(), 3, 3000);
        QStringList to;
        for (const QByteArray &line : m_sim.logLines(" 198.18.0.1 12685 to ")) {
            QVERIFY2(line.startsWith("10 00 00 00 02 "), line.constData());
            to << QString::fromLatin1(line.mid(line.lastIndexOf(" to ") + 4));
        }
        to.sort();
        QCOMPARE(to, (QStringList { s("198.18.0.2:12685"), s("198.18.1.12:12685"), s("198.18.1.6:12685") }));

        QVERIFY(lanScan(window, 3));
        QCOMPARE(column(ui->treeWidget, 7), (QStringList { s("Yes--"), s("Yes--"), s("Yes--") }));
    }

    void autoIdLeavesDistinctIds_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::newRow("LAN") << false;
        QTest::newRow("WAN") << true;
    }

    void autoIdLeavesDistinctIds()
    {
        QFETCH(bool, wan);
        QVERIFY(m_sim.start(m_dir.path(),
            "mask = 255.255.0.0\n"
            "[terminal]\nid = 5\nip = 198.18.0.2\nmac = 02:00:00:00:00:01\n"
            "[terminal]\nid = 5\nip = 198.18.1.6\nmac = 02:00:00:00:00:02\n"
            "[terminal]\nid = 5\nip = 198.18.1.12\nmac = 02:00:00:00:00:03\n"
            "[terminal]\nid = 9\nip = 198.18.1.30\nmac = 02:00:00:00:00:04\n",
            s(wan ? "autoid-wan" : "autoid-lan")));
        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        QVERIFY(lanScan(window, 4));
        QCOMPARE(column(ui->treeWidget, 0), (QStringList { s("005"), s("005"), s("005"), s("009") }));
        // In WAN mode a selected terminal that is not among the renumbered
        // rows: the ID changes must still reach theirs.
        pressRow(ui->treeWidget, rowWithIp(ui->treeWidget, "198.018.001.030"));

        ui->treeWidget->sortItems(0, Qt::AscendingOrder);
        ui->checkBox_Wan->setChecked(wan);
        ui->but_AutoID->click();
        QCOMPARE(column(ui->treeWidget, 0), (QStringList { s("005"), s("009"), s("010"), s("011") }));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.logLines("applied").size(), 2, 3000);

        QVERIFY(lanScan(window, 4));
        const QStringList ids = column(ui->treeWidget, 0);
        QVERIFY2(distinct(ids), qPrintable(ids.join(QLatin1Char(' '))));
        QCOMPARE(ids, (QStringList { s("005"), s("009"), s("010"), s("011") }));
    }

    void autoMacResetsTheRepairedTerminal_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::newRow("LAN") << false;
        QTest::newRow("WAN") << true;
    }

    void autoMacResetsTheRepairedTerminal()
    {
        QFETCH(bool, wan);
        QVERIFY(m_sim.start(m_dir.path(),
            "mask = 255.255.0.0\n"
            "[terminal]\nid = 3\nip = 198.18.1.6\nmac = 02:00:00:00:00:0A\n"
            "[terminal]\nid = 4\nip = 198.18.1.12\nmac = 02:00:00:00:00:0A\n"
            "[terminal]\nid = 6\nip = 198.18.0.2\nmac = 02:00:00:00:00:0B\n",
            s(wan ? "automac-wan" : "automac-lan")));
        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();
        QVERIFY(lanScan(window, 3));
        ui->treeWidget->sortItems(0, Qt::AscendingOrder);
        pressRow(ui->treeWidget, rowWithIp(ui->treeWidget, "198.018.000.002"));

        ui->checkBox_Wan->setChecked(wan);
        ui->but_AutoMac->click();
        // The upper of the two rows with MAC ...0A (ID 3) gets the next MAC
        // above the highest and its terminal the factory reset.
        QCOMPARE(rowWithIp(ui->treeWidget, "198.018.001.006")->text(4), s("02:00:00:00:00:0C"));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.logLines("applied").size(), 1, 3000);
        const QByteArray applied = m_sim.logLines("applied").first();
        QVERIFY2(applied.contains("applied 3 factory reset"), applied.constData());
    }
};

QTEST_MAIN(TestCommandsE2e)
#include "tst_commands_e2e.moc"
