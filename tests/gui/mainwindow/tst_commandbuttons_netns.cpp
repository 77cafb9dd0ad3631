// Every command button of the main window against the namespace rig: the datagram each one sends.
#include "tst_commands_netns_fixture.h"

class TestCommandbuttonsNetns : public TestCommandsNetnsFixture
{
    Q_OBJECT

private Q_SLOTS:
    void singleTerminalCommandsInLanMode()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        ui->lineEdit_rebootid->setText(s("007"));

        // Start texts of the IP row.
        SingleTerminalPacket mirror = window.singleTerminalPacket();
        QByteArray expected
            = composeTerminalCommand(mirror, TerminalCommand::Ip, { s("192"), s("168"), s("1"), s("107") }, s("007"));
        ui->but_Cip->click();
        Datagram d = probe.next();
        QCOMPARE(d.bytes.toHex(' '), expected.toHex(' '));
        QCOMPARE(d.bytes.left(10), QByteArray::fromHex("aa01f2010804c0a8016b"));
        QCOMPARE(d.source, testrig::toolAddress().toLatin1());

        // A text command puts its text over byte 15 on the wire, and the
        // marker back in the buffer; the next command carries the text.
        ui->lineEdit_MyMachType->setText(s("ABCDEFGHIJKLMNOP"));
        ui->but_MyMachType->click();
        d = probe.next();
        QCOMPARE(d.bytes.mid(6, 16), QByteArray("ABCDEFGHIJKLMNOP"));
        QCOMPARE(quint8(window.singleTerminalPacket()[15]), quint8(0xDD));
        ui->but_DhcpOn->click();
        d = probe.next();
        QCOMPARE(d.bytes.toHex(' '),
            QByteArray::fromHex("aa01f2010803"
                                "01"
                                "4243444546474849"
                                "dd"
                                "4b4c4d4e4f50"
                                "000000000000000000"
                                "dd")
                .toHex(' '));

        // Volume above 15 sends nothing; the next command goes out alone.
        ui->lineEdit_Csetvol->setText(s("16"));
        ui->but_voladd->click();
        ui->lineEdit_Csetvol->setText(s("15"));
        ui->but_voladd->click();
        d = probe.next();
        QCOMPARE(quint8(d.bytes.at(5)), quint8(2));
        QCOMPARE(quint8(d.bytes.at(6)), quint8(15));

        // The new-ID field shows the number as it went out.
        ui->lineEdit_Cid->setText(s("abc"));
        ui->but_Cid->click();
        QCOMPARE(ui->lineEdit_Cid->text(), s("0"));
        d = probe.next();
        QCOMPARE(d.bytes.mid(5, 5), QByteArray::fromHex("0101010000"));

        ui->lineEdit_Beijiao->setText(s("300"));
        ui->but_partcall->click();
        d = probe.next();
        QCOMPARE(d.bytes.mid(3, 5), QByteArray::fromHex("0108a2022d"));
        QVERIFY2(probe.next(300).isNull(), "one datagram per command");
    }

    // Every button reads its own fields, in their order, and sends its own
    // command: the datagram equals what the encoding makes of those texts on
    // a copy of the buffer as it stood before the click.
    void everyTerminalButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("texts");
        auto row = [](const char *button, TerminalCommand c, QStringList fields = {}, QStringList texts = {}) {
            QTest::newRow(button) << s(button) << int(c) << fields << texts;
        };
        auto names = [](const char *base, int n) {
            QStringList out { s(base) };
            for (int i = 2; i <= n; ++i)
                out << s(base) + QStringLiteral("_%1").arg(i);
            return out;
        };
        const QStringList four { s("11"), s("22"), s("33"), s("44") };
        row("but_Cid", TerminalCommand::SetId, { s("lineEdit_Cid") }, { s("300") });
        row("but_voladd", TerminalCommand::Volume, { s("lineEdit_Csetvol") }, { s("9") });
        row("but_DhcpOn", TerminalCommand::DhcpOn);
        row("but_DhcpOff", TerminalCommand::DhcpOff);
        row("but_Cip", TerminalCommand::Ip, names("lineEdit_Cip", 4), four);
        row("but_Cprot", TerminalCommand::Mask, names("lineEdit_CMask", 4), four);
        row("but_Cgateway", TerminalCommand::Gateway, names("lineEdit_Cgateway", 4), four);
        row("but_CServerip", TerminalCommand::ServerIp, names("lineEdit_CServerip", 4), four);
        row("but_indexreboot", TerminalCommand::Reboot);
        row("but_COneKeyCall", TerminalCommand::OneKeyHosts, names("lineEdit_COneKeyCall", 3),
            { s("1"), s("2"), s("3") });
        row("but_CLineIn", TerminalCommand::CaptureAddress,
            { s("lineEdit_CLineIn1"), s("lineEdit_CLineIn2"), s("lineEdit_CLineIn3"), s("lineEdit_CLineIn4") }, four);
        row("but_LAN", TerminalCommand::Lan);
        row("but_WAN", TerminalCommand::Wan);
        row("but_MyMachType", TerminalCommand::ModelText, { s("lineEdit_MyMachType") }, { s("终端型号") });
        row("but_onecall", TerminalCommand::OneCall, { s("lineEdit_Beijiao") }, { s("21") });
        row("but_partcall", TerminalCommand::GroupCall, { s("lineEdit_Beijiao") }, { s("22") });
        row("but_allcall", TerminalCommand::AllCall, { s("lineEdit_Beijiao") }, { s("23") });
        row("but_intercom", TerminalCommand::Intercom, { s("lineEdit_Beijiao") }, { s("24") });
        row("but_CallStop", TerminalCommand::CallStop, { s("lineEdit_Beijiao") }, { s("25") });
        row("but_CMicGain", TerminalCommand::MicGain, { s("lineEdit_CMicGain") }, { s("31") });
        row("but_SetAuto1", TerminalCommand::AutoAnswerOn);
        row("but_SetAuto0", TerminalCommand::AutoAnswerOff);
        row("but_SetPAMuteOn", TerminalCommand::AmplifierOn);
        row("but_SetPAMuteOff", TerminalCommand::AmplifierOff);
        row("but_SetExtMute", TerminalCommand::ExtAudioOff);
        row("but_SetExtLINEIN", TerminalCommand::ExtAudioLineIn);
        row("but_SetExtMIC", TerminalCommand::ExtAudioMic);
        row("but_SetCallModeOnline", TerminalCommand::MicModeOnline);
        row("but_SetCallModeOffline", TerminalCommand::MicModeOffline);
        row("but_SetFontUpdata", TerminalCommand::UpdateFont);
        row("but_SetOfflineName", TerminalCommand::StandbyText, { s("lineEdit_COfflineName") }, { s("备用") });
        row("but_SetOfflinepartid", TerminalCommand::OfflineGroup, { s("lineEdit_COfflinePartId") }, { s("12") });
        row("but_SetDisplayOk", TerminalCommand::DisplayOk);
        row("but_RingOn", TerminalCommand::RingOn);
        row("but_RingOff", TerminalCommand::RingOff);
        row("but_SetMaxVol", TerminalCommand::MaxVolume, { s("lineEdit_MaxVol") }, { s("12") });
    }

    void everyTerminalButton()
    {
        QFETCH(QString, button);
        QFETCH(int, command);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, texts);

        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        window.form()->lineEdit_rebootid->setText(s("258"));
        // Leftovers in every parameter byte, so a byte written by mistake shows.
        window.form()->lineEdit_MyMachType->setText(s("0123456789abcdef"));
        window.form()->but_MyMachType->click();
        QVERIFY(!probe.next().isNull());

        setFields(window, fields, texts);
        SingleTerminalPacket mirror = window.singleTerminalPacket();
        const QByteArray expected = composeTerminalCommand(mirror, TerminalCommand(command), texts, s("258"));
        auto *b = window.findChild<QAbstractButton *>(button);
        QVERIFY2(b, qPrintable(button));
        b->click();
        QCOMPARE(probe.next().bytes.toHex(' '), expected.toHex(' '));
        QCOMPARE(window.singleTerminalPacket().bytes().toHex(' '), mirror.bytes().toHex(' '));
    }

    void machineTypeSlotReadsTheComboBox()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        // Disabled in the form: only the slot itself can send it.
        QVERIFY(!window.form()->but_CMachType->isEnabled());
        window.form()->Cbox_Type->setCurrentIndex(2); // "161"
        window.SlotSendMachType();
        QCOMPARE(probe.next().bytes.mid(5, 2), QByteArray::fromHex("09a1"));
    }

    void everyZoneButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        auto row = [](const char *button, ZoneCommand c, const char *field = "", const char *text = "") {
            QTest::newRow(button) << s(button) << int(c) << s(field) << s(text);
        };
        row("but_SetAllReboot", ZoneCommand::Reboot);
        row("but_SetAllDhcpOn", ZoneCommand::DhcpOn);
        row("but_SetAllDhcpOff", ZoneCommand::DhcpOff);
        row("but_SetAllWan", ZoneCommand::Wan);
        row("but_SetAllLan", ZoneCommand::Lan);
        row("but_SetAllServer", ZoneCommand::ServerText, "lineEdit_AllServerAddr", "198.18.0.1");
        row("but_SetRelayTime", ZoneCommand::RelayDelay, "lineEdit_RelayTime", "7");
        row("but_SetLanRate", ZoneCommand::LanRate, "lineEdit_LanRate", "48000");
        row("but_SetWanRate", ZoneCommand::WanRate, "lineEdit_WanRate", "16000");
        row("but_SetExtMute_ALL", ZoneCommand::ExtAudioOff);
        row("but_SetExtLINEIN_ALL", ZoneCommand::ExtAudioLineIn);
        row("but_SetExtMIC_ALL", ZoneCommand::ExtAudioMic);
        row("but_Settcmd", ZoneCommand::CommandText, "lineEdit_tcmd", "play 3");
        row("but_Settcmd2", ZoneCommand::CommandTextUtf8, "textEdit_TTS", "欢迎光临");
    }

    void everyZoneButton()
    {
        QFETCH(QString, button);
        QFETCH(int, command);
        QFETCH(QString, field);
        QFETCH(QString, text);

        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        window.form()->lineEdit_tcmd->setText(QStringLiteral("x").repeated(32));
        window.form()->but_Settcmd->click();
        QVERIFY(!probe.next().isNull());

        if (!field.isEmpty())
            setFields(window, { field }, { text });
        AllTerminalsPacket mirror = window.allTerminalsPacket();
        const QByteArray expected = composeZoneCommand(mirror, ZoneCommand(command), text);
        auto *b = window.findChild<QAbstractButton *>(button);
        QVERIFY2(b, qPrintable(button));
        b->click();
        QCOMPARE(probe.next().bytes.toHex(' '), expected.toHex(' '));
    }

    void armedCommandsWarnAndDisarm()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        ui->lineEdit_rebootid->setText(s("005"));

        QCOMPARE(cmdtest::catchWarning([&] { ui->but_Cmac->click(); }),
            s("提示|请确认修改！并且不要设置与列表其他设备相同的MAC地址！"));
        QVERIFY2(probe.next(300).isNull(), "the MAC change needs its tick");
        // The MAC bytes were written all the same.
        QCOMPARE(window.singleTerminalPacket().bytes().mid(6, 6), QByteArray::fromHex("1cb23c475d01"));

        ui->checkBox_SetMac->setChecked(true);
        QCOMPARE(cmdtest::catchWarning([&] { ui->but_Cmac->click(); }), QString());
        QCOMPARE(probe.next().bytes.left(15),
            QByteArray::fromHex("aa01f2010608"
                                "1cb23c475d01"
                                "000000"));
        QVERIFY(!ui->checkBox_SetMac->isChecked());

        QCOMPARE(cmdtest::catchWarning([&] { ui->but_MachineReset->click(); }), s("提示|请确认！"));
        QVERIFY(probe.next(300).isNull());
        ui->checkBox_Reset->setChecked(true);
        QCOMPARE(cmdtest::catchWarning([&] { ui->but_MachineReset->click(); }), QString());
        QCOMPARE(probe.next().bytes.left(7), QByteArray::fromHex("aa01f20106b101"));
        QVERIFY(!ui->checkBox_Reset->isChecked());
        // A second press after the reset warns again.
        QCOMPARE(cmdtest::catchWarning([&] { ui->but_MachineReset->click(); }), s("提示|请确认！"));
        QVERIFY(probe.next(300).isNull());
    }
};

QTEST_MAIN(TestCommandbuttonsNetns)
#include "moc_tst_commands_netns_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_commandbuttons_netns.moc"
