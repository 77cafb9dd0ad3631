// Zone commands and the numbering passes of the main window against the namespace rig.
#include "tst_commands_netns_fixture.h"

class TestCommandpassesNetns : public TestCommandsNetnsFixture
{
    Q_OBJECT

private Q_SLOTS:
    void zoneCommandInLanModeIsOneMulticast()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        addRow(window, "001", "198.018.001.006", "02:00:00:00:00:01");
        window.form()->but_SetAllReboot->click();
        QCOMPARE(probe.next().bytes, QByteArray::fromHex("1000000000") + QByteArray(11, '\0'));
        QVERIFY(probe.next(300).isNull());

        window.form()->but_SetLanRate->click();
        QCOMPARE(probe.next().bytes, QByteArray::fromHex("10000000a8ad45") + QByteArray(9, '\0'));
        window.form()->but_SetExtLINEIN_ALL->click();
        QCOMPARE(probe.next().bytes, QByteArray::fromHex("07000000b4ad01"));
    }

    void zoneCommandInWanModeGoesToEveryRow()
    {
        Probe probe(WanPort, false);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        // Empty list: nothing goes out.
        ui->but_SetAllReboot->click();
        QVERIFY(probe.next(300).isNull());

        addRow(window, "001", "198.018.001.006", "02:00:00:00:00:01");
        addRow(window, "002", "not an address", "02:00:00:00:00:02");
        addRow(window, "003", "198.018.001.012", "02:00:00:00:00:03");
        addRow(window, "004", "198.018.000.002", "02:00:00:00:00:04");
        ui->lineEdit_AllServerAddr->setText(s("198.18.0.1"));
        ui->but_SetAllServer->click();
        QByteArray expected = QByteArray::fromHex("2500000006") + QByteArray("198.18.0.1") + QByteArray(22, '\0');
        for (int i = 0; i < 3; ++i) {
            const Datagram d = probe.next();
            QVERIFY2(!d.isNull(), qPrintable(QStringLiteral("copy %1 of 3").arg(i + 1)));
            QCOMPARE(d.bytes, expected);
        }
        QVERIFY2(probe.next(300).isNull(), "one copy per row with an address, none for the broken row");
    }

    void autoIdInLanMode()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        addRow(window, "001", "198.018.001.006", "02:00:00:00:00:01");
        addRow(window, "002", "198.018.001.012", "02:00:00:00:00:0A");
        addRow(window, "002", "198.018.000.002", "02:00:00:00:00:0B");
        addRow(window, "005", "198.018.001.020", "02:00:00:00:00:05");
        ui->treeWidget->sortItems(0, Qt::AscendingOrder);
        QLoggingCategory::setFilterRules(QStringLiteral("quenzal.discovery.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "SoltSetAutoId = ");
        QTest::ignoreMessage(QtDebugMsg, "SetDefalutID ID= 2  Mac  02:00:00:00:00:0A  Change_ID_To ==> 6");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Find= ")));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Find= ")));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Find= ")));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Find= ")));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Find= ")));
        ui->but_AutoID->click();
        QLoggingCategory::setFilterRules(QStringLiteral("quenzal.*.debug=false"));
        const Datagram d = probe.next();
        QCOMPARE(d.bytes.left(15).toHex(' '),
            QByteArray::fromHex("aa01f20103b2"
                                "02000000000a"
                                "0107"
                                "00")
                .toHex(' '));
        QCOMPARE(quint8(d.bytes.at(15)), quint8(0xDD));
        QVERIFY(probe.next(300).isNull());
        QCOMPARE(column(window, 0), (QStringList { s("001"), s("002"), s("005"), s("006") }));
        // The renumbered row keeps its MAC and address.
        QCOMPARE(ui->treeWidget->findItems(s("006"), Qt::MatchExactly, 0).first()->text(4), s("02:00:00:00:00:0A"));
    }

    void numberingInWanModeGoesToEachRowsAddress()
    {
        Probe probe(WanPort, false);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        // No row has been pressed, so there is no selected terminal. Only the
        // first row's address exists in the terminal namespace: what the
        // probe hears went to that row.
        QVERIFY(window.selectedTerminalAddress().isEmpty());
        addRow(window, "004", "198.018.001.006", "02:00:00:00:00:06");
        addRow(window, "004", "198.018.009.009", "02:00:00:00:00:0C");
        addRow(window, "030", "198.018.009.010", "02:00:00:00:00:06");
        ui->treeWidget->sortItems(0, Qt::AscendingOrder);
        ui->lineEdit_ChangStatId->setText(s("20"));
        ui->but_AutoID->click();
        Datagram d = probe.next();
        QCOMPARE(d.bytes.left(14),
            QByteArray::fromHex("aa01f20105b2"
                                "020000000006"
                                "0115"));
        QVERIFY(probe.next(300).isNull());
        QCOMPARE(column(window, 0), (QStringList { s("004"), s("020"), s("030") }));

        // MAC repair: the row now 020 is the upper of the two with MAC ...06;
        // its reset goes to its own address.
        ui->but_AutoMac->click();
        d = probe.next();
        QCOMPARE(d.bytes.left(7), QByteArray::fromHex("aa01f20115b101"));
        QVERIFY(probe.next(300).isNull());
        QCOMPARE(column(window, 0), (QStringList { s("030"), s("004"), s("020") }));
        QCOMPARE(column(window, 4),
            (QStringList { s("02:00:00:00:00:06"), s("02:00:00:00:00:0C"), s("02:00:00:00:00:0D") }));
    }

    void autoMacInLanMode()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        addRow(window, "001", "198.018.001.006", "02:00:00:00:00:0A");
        addRow(window, "002", "198.018.001.012", "02:00:00:00:00:0A");
        addRow(window, "003", "198.018.000.002", "02:00:00:00:00:0B");
        window.form()->but_AutoMac->click();
        QCOMPARE(probe.next().bytes.left(7), QByteArray::fromHex("aa01f20102b101"));
        QVERIFY(probe.next(300).isNull());
        QCOMPARE(column(window, 0), (QStringList { s("002"), s("003"), s("001") }));
        QCOMPARE(column(window, 4),
            (QStringList { s("02:00:00:00:00:0A"), s("02:00:00:00:00:0B"), s("02:00:00:00:00:0C") }));
    }
};

QTEST_MAIN(TestCommandpassesNetns)
#include "moc_tst_commands_netns_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_commandpasses_netns.moc"
