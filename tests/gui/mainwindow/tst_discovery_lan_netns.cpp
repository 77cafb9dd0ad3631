// Discovery in the main window against the simulator: the mode boxes and the LAN scan.
#include "tst_discoverywindow_fixture.h"

class TestDiscoveryLanNetns : public TestDiscoveryWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_MAIN(TestDiscoveryLanNetns)
#include "moc_tst_discoverywindow_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_discovery_lan_netns.moc"
