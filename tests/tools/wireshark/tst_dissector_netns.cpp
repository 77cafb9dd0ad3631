// The Wireshark dissector (tools/wireshark/quenzal.lua) against real
// traffic, inside the test namespaces: tcpdump records a LAN scan, a WAN scan
// and one press of every command button against the simulator, then tshark
// decodes the capture with the dissector. Every command must come out with
// its name, code, target and the parameters that were typed, and every status
// reply with the texts of the row it made in the window's terminal list.
#include <QtTest>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>

#include "gui/mainwindow/toolforkx.h"
#include "core/commands/commandpackets.h"
#include "netnsrig.h"
#include "ui_toolforkx.h"

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

// Everything the test expects of one decoded command.
struct SentCommand
{
    QByteArray bytes;
    QString kind;
    QString name;
    int code = -1;
    QString target; // empty for the commands to all terminals
    QString field; // dissector field that carries the parameter, if any
    QString value;
};

// One row of the list as one text (the 32 columns joined).
QString rowText(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int c = 0; c < 32; ++c)
        texts << item->text(c);
    return texts.join(QLatin1Char('\x1f'));
}

QStringList listRows(const QTreeWidget *list)
{
    QStringList out;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        out << rowText(list->topLevelItem(r));
    out.sort();
    return out;
}

const char *const replyColumns[32]
    = { "id", "ip", "mask", "gateway", "mac", "server", "link", "dhcp", "volume", "network", "firmware", "type",
          "model", "amplifier", "host1", "host2", "host3", "text", "gain", "delay", "lan_rate", "wan_rate",
          "auto_answer", "capture", "ext_audio", "mic_mode", "group", "server2", "font", "boot", "ring", "max_volume" };

// The fields read from every packet; the first ones fixed, then the
// parameters of the commands, then the 32 reply columns.
QStringList decodedFields()
{
    QStringList fields { s("ip.dst"), s("udp.dstport"), s("udp.payload"), s("quenzal.kind"), s("quenzal.command"),
        s("quenzal.code"), s("quenzal.target_id"), s("quenzal.new_id"), s("quenzal.volume"), s("quenzal.setting"),
        s("quenzal.ip"), s("quenzal.mask"), s("quenzal.gateway"), s("quenzal.server"), s("quenzal.mac"),
        s("quenzal.product_type"), s("quenzal.host"), s("quenzal.capture"), s("quenzal.text"), s("quenzal.callee"),
        s("quenzal.number"), s("quenzal.rate"), s("quenzal.relay_delay"), s("quenzal.server_text") };
    for (const char *c : replyColumns)
        fields << s("quenzal.reply.") + QLatin1String(c);
    return fields;
}

using Record = QHash<QString, QString>;

} // namespace

class TestDissectorNetns : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    testrig::Simulator m_sim;
    QString m_tshark;
    QString m_tcpdump;

    static bool waitForRows(QTreeWidget *list, int rows)
    {
        QDeadlineTimer deadline(5000);
        while (list->topLevelItemCount() < rows && !deadline.hasExpired())
            QTest::qWait(20);
        QTest::qWait(300); // no more than `rows`
        return list->topLevelItemCount() == rows;
    }

    QByteArray tshark(const QStringList &args)
    {
        QProcess tshark;
        tshark.start(m_tshark,
            QStringList {
                s("-n"), s("-X"), s("lua_script:") + QStringLiteral(QUENZAL_SOURCE_DIR "/tools/wireshark/quenzal.lua") }
                + args);
        if (!tshark.waitForFinished(60000) || tshark.exitCode() != 0) {
            qWarning() << "tshark:" << tshark.readAllStandardError();
            return {};
        }
        return tshark.readAllStandardOutput();
    }

    QList<Record> decode(const QString &capture)
    {
        const QStringList fields = decodedFields();
        QStringList args { s("-r"), capture, s("-T"), s("fields"), s("-E"), s("separator=/t"), s("-E"),
            s("occurrence=a"), s("-E"), s("aggregator=|") };
        for (const QString &f : fields)
            args << s("-e") << f;
        const QByteArray output = tshark(args);
        QList<Record> out;
        for (const QByteArray &line : output.split('\n')) {
            if (line.isEmpty())
                continue;
            const QStringList values = QString::fromUtf8(line).split(QLatin1Char('\t'));
            Record r;
            for (int i = 0; i < fields.size(); ++i)
                r.insert(fields.at(i), values.value(i));
            out << r;
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        m_tshark = QStandardPaths::findExecutable(s("tshark"));
        m_tcpdump = QStandardPaths::findExecutable(s("tcpdump"));
        if (m_tcpdump.isEmpty())
            m_tcpdump = QStandardPaths::findExecutable(s("tcpdump"), { s("/usr/sbin"), s("/sbin") });
        QVERIFY2(!m_tshark.isEmpty() && !m_tcpdump.isEmpty(),
            "tshark and tcpdump are needed (scripts/install-deps.sh --test installs them)");
        QVERIFY(m_dir.isValid());
        QLoggingCategory::setFilterRules(s("quenzal.*.debug=false"));
        // Every address of the WAN scan range exists on the terminal side,
        // so each query leaves the tool (an address nobody answers ARP for
        // would never show in the capture); terminals sit at .6 and .12.
        for (int host = 1; host <= 12; ++host)
            QVERIFY(testrig::addTerminalAddress(QStringLiteral("198.18.1.%1").arg(host)));
    }

    void cleanupTestCase() { m_sim.stop(); }

    void captureDecodesAsSentAndAsShown()
    {
        const QString capture = m_dir.filePath(s("quenzal.pcap"));
        QProcess tcpdump;
        tcpdump.setProcessChannelMode(QProcess::MergedChannels);
        tcpdump.start(m_tcpdump,
            { s("-i"), qEnvironmentVariable("QZ_TOOL_IF"), s("-n"), s("-U"), s("--immediate-mode"), s("-s"), s("2048"),
                s("-B"), s("4096"), s("-Z"), s("root"), s("-w"), capture, s("udp and (port 12682 or port 12685)") });
        QVERIFY(testrig::waitForLine(tcpdump, "listening on", 10000));
        auto stopCapture = qScopeGuard([&] {
            if (tcpdump.state() != QProcess::NotRunning) {
                tcpdump.terminate();
                if (!tcpdump.waitForFinished(5000))
                    tcpdump.kill();
            }
        });

        // Fields in every form the list has: padded addresses, link "Wait",
        // WAN mode, a text, the font mark, a capped maximum volume, both ring
        // rules. The two WAN terminals share ID and MAC for the numbering.
        QVERIFY(m_sim.start(m_dir.path(),
            "mask = 255.255.0.0\ngateway = 198.18.0.254\nserver = 198.18.0.1\nfirmware = 545\n"
            "[terminal]\nid = 3\nip = 198.18.0.2\nmac = 02:00:00:00:00:03\nlink = 2\ndhcp = 1\n"
            "text = KX-100\nvolume = 9\nmaxvolume = 200\nfont = 0xAA\nring = 1\nhost1 = 300\nhost2 = 2\n"
            "host3 = 65535\ncapture = 239.1.1.3\nserver2 = 10.0.0.9\nlanrate = 44100\nwanrate = 8000\n"
            "autoanswer = 1\namplifier = 1\nextaudio = 2\nmicmode = 1\ngroup = 7\nboot = 4\ngain = 30\n"
            "delay = 12\ntype = 177\n"
            "[terminal]\nid = 5\nip = 198.18.1.6\nmac = 02:00:00:00:00:06\nnetmode = wan\nlink = 1\n"
            "firmware = 500\n"
            "[terminal]\nid = 5\nip = 198.18.1.12\nmac = 02:00:00:00:00:06\nlink = 0\ntext = 终端\n",
            s("dissector")));

        ToolForKX window;
        window.show();
        Ui::ToolForKX *ui = window.form();

        // LAN scan.
        ui->checkBox_Wan->setChecked(false);
        ui->but_Scan->click();
        QVERIFY(waitForRows(ui->treeWidget, 3));
        const QStringList lanRows = listRows(ui->treeWidget);

        // WAN scan of 198.18.1.1 to 198.18.1.12.
        ui->checkBox_Wan->setChecked(true);
        const QStringList range { s("198"), s("18"), s("1"), s("1"), s("198"), s("18"), s("1"), s("12") };
        for (int i = 0; i < 8; ++i)
            window.findChild<QLineEdit *>(QStringLiteral("lineEdit_ScanIP%1").arg(i + 1))->setText(range.at(i));
        ui->but_Scan->click();
        QVERIFY(waitForRows(ui->treeWidget, 2));
        QTest::qWait(200); // the scan's last ticks
        const QStringList wanRows = listRows(ui->treeWidget);

        // Every command button once, on the LAN, to a target that is none of
        // the simulated terminals.
        ui->checkBox_Wan->setChecked(false);
        ui->lineEdit_rebootid->setText(s("258"));
        QList<SentCommand> sent;
        struct Press
        {
            const char *button;
            TerminalCommand command;
            QStringList fields;
            QStringList texts;
            const char *name;
            const char *field;
            const char *value;
        };
        const QStringList four { s("11"), s("22"), s("33"), s("44") };
        auto fieldNames = [](const char *base, int n) {
            QStringList out { s(base) };
            for (int i = 2; i <= n; ++i)
                out << s(base) + QStringLiteral("_%1").arg(i);
            return out;
        };
        const QList<Press> presses {
            { "but_Cid", TerminalCommand::SetId, { s("lineEdit_Cid") }, { s("300") }, "set ID", "new_id", "300" },
            { "but_voladd", TerminalCommand::Volume, { s("lineEdit_Csetvol") }, { s("9") }, "volume", "volume", "9" },
            { "but_DhcpOn", TerminalCommand::DhcpOn, {}, {}, "DHCP", "setting", "on" },
            { "but_DhcpOff", TerminalCommand::DhcpOff, {}, {}, "DHCP", "setting", "off" },
            { "but_Cip", TerminalCommand::Ip, fieldNames("lineEdit_Cip", 4), four, "IP address", "ip", "11.22.33.44" },
            { "but_Cprot", TerminalCommand::Mask, fieldNames("lineEdit_CMask", 4), four, "subnet mask", "mask",
                "11.22.33.44" },
            { "but_Cgateway", TerminalCommand::Gateway, fieldNames("lineEdit_Cgateway", 4), four, "gateway", "gateway",
                "11.22.33.44" },
            { "but_CServerip", TerminalCommand::ServerIp, fieldNames("lineEdit_CServerip", 4), four, "server address",
                "server", "11.22.33.44" },
            { "but_Cmac", TerminalCommand::Mac, fieldNames("lineEdit_Cmac", 6),
                { s("1C"), s("B2"), s("3C"), s("47"), s("5D"), s("01") }, "MAC address", "mac", "1c:b2:3c:47:5d:01" },
            { "but_indexreboot", TerminalCommand::Reboot, {}, {}, "reboot", "setting", "restart" },
            { "but_COneKeyCall", TerminalCommand::OneKeyHosts, fieldNames("lineEdit_COneKeyCall", 3),
                { s("1"), s("2"), s("300") }, "one-key call hosts", "host", "1|2|300" },
            { "but_CLineIn", TerminalCommand::CaptureAddress,
                { s("lineEdit_CLineIn1"), s("lineEdit_CLineIn2"), s("lineEdit_CLineIn3"), s("lineEdit_CLineIn4") },
                { s("238"), s("0"), s("0"), s("2") }, "capture address", "capture", "238.0.0.2" },
            { "but_LAN", TerminalCommand::Lan, {}, {}, "network mode", "setting", "LAN" },
            { "but_WAN", TerminalCommand::Wan, {}, {}, "network mode", "setting", "WAN" },
            { "but_MyMachType", TerminalCommand::ModelText, { s("lineEdit_MyMachType") }, { s("终端型号") },
                "product model text", "text", "终端型号" },
            { "but_onecall", TerminalCommand::OneCall, { s("lineEdit_Beijiao") }, { s("21") }, "call one terminal",
                "callee", "21" },
            { "but_partcall", TerminalCommand::GroupCall, { s("lineEdit_Beijiao") }, { s("300") }, "call group",
                "callee", "300" },
            { "but_allcall", TerminalCommand::AllCall, { s("lineEdit_Beijiao") }, { s("23") }, "call all", "callee",
                "23" },
            { "but_intercom", TerminalCommand::Intercom, { s("lineEdit_Beijiao") }, { s("255") }, "intercom", "callee",
                "255" },
            { "but_CallStop", TerminalCommand::CallStop, { s("lineEdit_Beijiao") }, { s("25") }, "stop call", "callee",
                "25" },
            { "but_CMicGain", TerminalCommand::MicGain, { s("lineEdit_CMicGain") }, { s("31") }, "microphone gain",
                "number", "31" },
            { "but_SetAuto1", TerminalCommand::AutoAnswerOn, {}, {}, "auto answer on", "setting", "automatic" },
            { "but_SetAuto0", TerminalCommand::AutoAnswerOff, {}, {}, "auto answer off", "setting", "manual" },
            { "but_SetPAMuteOn", TerminalCommand::AmplifierOn, {}, {}, "amplifier on", "setting", "always on" },
            { "but_SetPAMuteOff", TerminalCommand::AmplifierOff, {}, {}, "amplifier off", "setting", "muted" },
            { "but_MachineReset", TerminalCommand::FactoryReset, {}, {}, "factory reset", "setting", "reset" },
            { "but_SetExtMute", TerminalCommand::ExtAudioOff, {}, {}, "external audio", "setting", "off" },
            { "but_SetExtLINEIN", TerminalCommand::ExtAudioLineIn, {}, {}, "external audio", "setting", "line in" },
            { "but_SetExtMIC", TerminalCommand::ExtAudioMic, {}, {}, "external audio", "setting", "microphone" },
            { "but_SetCallModeOnline", TerminalCommand::MicModeOnline, {}, {}, "microphone mode", "setting", "online" },
            { "but_SetCallModeOffline", TerminalCommand::MicModeOffline, {}, {}, "microphone mode", "setting",
                "offline" },
            { "but_SetFontUpdata", TerminalCommand::UpdateFont, {}, {}, "update font library", "", "" },
            { "but_SetOfflineName", TerminalCommand::StandbyText, { s("lineEdit_COfflineName") }, { s("备用") },
                "standby service text", "text", "备用" },
            { "but_SetOfflinepartid", TerminalCommand::OfflineGroup, { s("lineEdit_COfflinePartId") }, { s("12") },
                "offline group", "number", "12" },
            { "but_SetDisplayOk", TerminalCommand::DisplayOk, {}, {}, "calibrate display", "", "" },
            { "but_RingOn", TerminalCommand::RingOn, {}, {}, "ring on", "setting", "open" },
            { "but_RingOff", TerminalCommand::RingOff, {}, {}, "ring off", "setting", "closed" },
            { "but_SetMaxVol", TerminalCommand::MaxVolume, { s("lineEdit_MaxVol") }, { s("12") }, "maximum volume",
                "volume", "12" },
        };
        for (const Press &p : presses) {
            for (int i = 0; i < p.fields.size(); ++i)
                window.findChild<QLineEdit *>(p.fields.at(i))->setText(p.texts.at(i));
            ui->checkBox_SetMac->setChecked(true);
            ui->checkBox_Reset->setChecked(true);
            SingleTerminalPacket mirror = window.singleTerminalPacket();
            const QByteArray bytes = composeTerminalCommand(mirror, p.command, p.texts, s("258"));
            QVERIFY2(!bytes.isEmpty(), p.button);
            auto *button = window.findChild<QAbstractButton *>(s(p.button));
            QVERIFY2(button, p.button);
            button->click();
            const bool reset = p.command == TerminalCommand::FactoryReset;
            sent << SentCommand { bytes, s(reset ? "factory reset" : "command to one terminal"), s(p.name),
                int(quint8(bytes.at(5))), s("258"), s(p.field), s(p.value) };
        }
        // The product type button is disabled in the form; its slot still
        // sends when called.
        ui->Cbox_Type->setCurrentIndex(2); // "161"
        {
            SingleTerminalPacket mirror = window.singleTerminalPacket();
            const QByteArray bytes
                = composeTerminalCommand(mirror, TerminalCommand::MachineType, { s("161") }, s("258"));
            window.SlotSendMachType();
            sent << SentCommand { bytes, s("command to one terminal"), s("product type"), 9, s("258"),
                s("product_type"), s("161") };
        }

        struct ZonePress
        {
            const char *button;
            ZoneCommand command;
            const char *field;
            QString text;
            const char *name;
            const char *decoded;
            const char *value;
        };
        const QList<ZonePress> zonePresses {
            { "but_SetAllReboot", ZoneCommand::Reboot, "", {}, "reboot all", "", "" },
            { "but_SetAllDhcpOn", ZoneCommand::DhcpOn, "", {}, "DHCP on for all", "", "" },
            { "but_SetAllDhcpOff", ZoneCommand::DhcpOff, "", {}, "DHCP off for all", "", "" },
            { "but_SetAllWan", ZoneCommand::Wan, "", {}, "WAN mode for all", "", "" },
            { "but_SetAllLan", ZoneCommand::Lan, "", {}, "LAN mode for all", "", "" },
            { "but_SetAllServer", ZoneCommand::ServerText, "lineEdit_AllServerAddr", s("198.18.0.1"),
                "server address for all", "server_text", "198.18.0.1" },
            { "but_SetRelayTime", ZoneCommand::RelayDelay, "lineEdit_RelayTime", s("7"), "relay delay", "relay_delay",
                "7" },
            { "but_SetLanRate", ZoneCommand::LanRate, "lineEdit_LanRate", s("48000"), "LAN audio rate", "rate",
                "48000" },
            { "but_SetWanRate", ZoneCommand::WanRate, "lineEdit_WanRate", s("16000"), "WAN audio rate", "rate",
                "16000" },
            { "but_SetExtMute_ALL", ZoneCommand::ExtAudioOff, "", {}, "external audio for all", "setting", "off" },
            { "but_SetExtLINEIN_ALL", ZoneCommand::ExtAudioLineIn, "", {}, "external audio for all", "setting",
                "line in" },
            { "but_SetExtMIC_ALL", ZoneCommand::ExtAudioMic, "", {}, "external audio for all", "setting",
                "microphone" },
            { "but_Settcmd", ZoneCommand::CommandText, "lineEdit_tcmd", s("play 3"), "command text", "text", "play 3" },
            { "but_Settcmd2", ZoneCommand::CommandTextUtf8, "textEdit_TTS", s("欢迎光临"), "command text (UTF-8)",
                "text", "欢迎光临" },
        };
        for (const ZonePress &p : zonePresses) {
            if (auto *edit = window.findChild<QLineEdit *>(s(p.field)))
                edit->setText(p.text);
            else if (auto *text = window.findChild<QTextEdit *>(s(p.field)))
                text->setPlainText(p.text);
            AllTerminalsPacket mirror = window.allTerminalsPacket();
            const QByteArray bytes = composeZoneCommand(mirror, p.command, p.text);
            auto *button = window.findChild<QAbstractButton *>(s(p.button));
            QVERIFY2(button, p.button);
            button->click();
            sent << SentCommand { bytes, s("command to all terminals"), s(p.name), int(quint8(bytes.at(4))), QString(),
                s(p.decoded), s(p.value) };
        }

        // The two numbering buttons on the list of the WAN scan: the two rows
        // share ID 005 and MAC 02:00:00:00:00:06. The ID pass renumbers the
        // upper row to 006 (highest ID + 1); the MAC pass then resets the
        // upper of the two rows with that MAC.
        ui->treeWidget->sortItems(0, Qt::AscendingOrder);
        const QString idMac = ui->treeWidget->topLevelItem(0)->text(4);
        ui->but_AutoID->click();
        QCOMPARE(ui->treeWidget->topLevelItem(1)->text(0), s("006"));
        ui->but_AutoMac->click();
        QStringList resetIds;
        for (int r = 0; r < ui->treeWidget->topLevelItemCount(); ++r) {
            if (ui->treeWidget->topLevelItem(r)->text(4) != s("02:00:00:00:00:06"))
                resetIds << QString::number(ui->treeWidget->topLevelItem(r)->text(0).toInt());
        }
        QCOMPARE(resetIds.size(), 1);

        // Immediate mode hands every packet to tcpdump at once and -U writes
        // it at once. (Its ring buffer holds -B KiB in frames of the snap
        // length: with the default 256 KiB snap length a burst of commands
        // overflows it, hence -s 2048.)
        QTest::qWait(500);
        stopCapture.dismiss();
        tcpdump.terminate();
        QVERIFY(tcpdump.waitForFinished(5000));
        const QByteArray tcpdumpSays = tcpdump.readAll();
        QVERIFY2(tcpdumpSays.contains("\n0 packets dropped by kernel"), tcpdumpSays.constData());

        if (qEnvironmentVariableIsSet("QUENZAL_KEEP_CAPTURE"))
            QFile::copy(capture, qEnvironmentVariable("QUENZAL_KEEP_CAPTURE"));
        const QList<Record> records = decode(capture);
        QVERIFY2(!records.isEmpty(), "tshark decoded nothing");

        // Queries: one LAN query, then one WAN query to each address.
        QList<Record> lanQueries, wanQueries, lanReplies, wanReplies, commands;
        for (const Record &r : records) {
            const QString kind = r.value(s("quenzal.kind"));
            if (kind == s("LAN query"))
                lanQueries << r;
            else if (kind == s("WAN query"))
                wanQueries << r;
            else if (kind == s("status reply"))
                (r.value(s("udp.dstport")) == s("12682") ? lanReplies : wanReplies) << r;
            else
                commands << r;
        }
        QCOMPARE(lanQueries.size(), 1);
        QCOMPARE(lanQueries.first().value(s("ip.dst")), s("239.0.0.2"));
        QCOMPARE(lanQueries.first().value(s("udp.payload")).size(), 64);
        QStringList wanTo;
        for (const Record &r : wanQueries) {
            QCOMPARE(r.value(s("udp.payload")).size(), 12);
            wanTo << r.value(s("ip.dst"));
        }
        QStringList wanExpected;
        for (int host = 1; host <= 12; ++host)
            wanExpected << QStringLiteral("198.18.1.%1").arg(host);
        QCOMPARE(wanTo, wanExpected);

        // Status replies: the 32 decoded texts are the rows of the list.
        auto replyRows = [](const QList<Record> &replies) {
            QStringList out;
            for (const Record &r : replies) {
                QStringList texts;
                for (const char *c : replyColumns)
                    texts << r.value(s("quenzal.reply.") + QLatin1String(c));
                out << texts.join(QLatin1Char('\x1f'));
            }
            out.sort();
            return out;
        };
        QCOMPARE(replyRows(lanReplies), lanRows);
        QCOMPARE(replyRows(wanReplies), wanRows);
        QVERIFY2(lanRows.join(QString()).contains(s("-Wait-")) && lanRows.join(QString()).contains(s("---WAN"))
                && lanRows.join(QString()).contains(s("终端")),
            "the fleet shows the special texts");

        // Commands: in the order sent, bytes and decoded fields.
        QVERIFY2(commands.size() == sent.size() + 2, tcpdumpSays.constData());
        for (int i = 0; i < sent.size(); ++i) {
            const SentCommand &e = sent.at(i);
            const Record &r = commands.at(i);
            const QByteArray what = e.name.toUtf8();
            QCOMPARE(r.value(s("udp.payload")), QString::fromLatin1(e.bytes.toHex()));
            QCOMPARE(r.value(s("ip.dst")), s("239.0.0.2"));
            QVERIFY2(r.value(s("quenzal.kind")) == e.kind, what + " kind " + r.value(s("quenzal.kind")).toUtf8());
            QCOMPARE(r.value(s("quenzal.command")), e.name);
            QCOMPARE(r.value(s("quenzal.code")), QString::number(e.code));
            QCOMPARE(r.value(s("quenzal.target_id")), e.target);
            if (!e.field.isEmpty())
                QVERIFY2(r.value(s("quenzal.") + e.field) == e.value,
                    what + ": " + e.field.toUtf8() + " = " + r.value(s("quenzal.") + e.field).toUtf8());
        }
        const Record &idChange = commands.at(sent.size());
        QCOMPARE(idChange.value(s("quenzal.kind")), s("ID change"));
        QCOMPARE(idChange.value(s("quenzal.code")), s("178"));
        QCOMPARE(idChange.value(s("quenzal.target_id")), s("5"));
        QCOMPARE(idChange.value(s("quenzal.mac")), idMac.toLower());
        QCOMPARE(idChange.value(s("quenzal.new_id")), s("6"));
        const Record &reset = commands.at(sent.size() + 1);
        QCOMPARE(reset.value(s("quenzal.kind")), s("factory reset"));
        QCOMPARE(reset.value(s("quenzal.command")), s("factory reset"));
        QCOMPARE(reset.value(s("quenzal.target_id")), resetIds.first());

        // The packet details (-V) name the fields as the list's headers do.
        const QString details = QString::fromUtf8(tshark({ s("-r"), capture, s("-V"), s("-Y"), s("quenzal") }));
        for (const char *line : { "Packet: status reply", "ID (编号): 003", "Link (链接): -Wait-",
                 "Network (网络): ---WAN", "Maximum volume (最大音量): 15", "Font library (字库): aa",
                 "Packet: command to one terminal", "Target ID: 258 (ID pair 2, 3)", "Command: set ID",
                 "New ID: 300 (ID pair 2, 45)", "Command: command text (UTF-8)", "Text: 欢迎光临", "Packet: LAN query",
                 "Packet: WAN query", "Packet: ID change" })
            QVERIFY2(details.contains(s(line)), line);
    }
};

QTEST_MAIN(TestDissectorNetns)
#include "tst_dissector_netns.moc"
