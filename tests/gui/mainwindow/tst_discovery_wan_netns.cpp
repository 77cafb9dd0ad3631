// Discovery in the main window against the simulator: the WAN scan, the inactive socket, datagrams that are no reply.
#include "tst_discoverywindow_fixture.h"

class TestDiscoveryWanNetns : public TestDiscoveryWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
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

QTEST_MAIN(TestDiscoveryWanNetns)
#include "moc_tst_discoverywindow_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_discovery_wan_netns.moc"
