// The exact bytes of every command, from the texts of its fields, on bare
// packet buffers: no window, no sockets. Sequences show what a buffer keeps
// from one command to the next.
#include <QtTest>

#include "core/commands/commandpackets.h"

using namespace quenzal;
using TC = TerminalCommand;
using ZC = ZoneCommand;

namespace {

struct Step
{
    TC command;
    QStringList fields;
    QString target = QStringLiteral("001");
    bool armed = true;
};

struct ZoneStep
{
    ZC command;
    QString field;
};

using Bytes = QList<QPair<int, int>>;

// The single-terminal packet as the window sets it up, with some bytes set.
QByteArray one(const Bytes &set)
{
    QByteArray p(32, '\0');
    p[0] = char(0xAA);
    p[1] = char(0x01);
    p[2] = char(0xF2);
    p[15] = char(0xDD);
    p[31] = char(0xDD);
    for (const auto &[i, v] : set)
        p[i] = char(v);
    return p;
}

// Target ID 1 (the steps' default) and a code.
Bytes head(int code, Bytes more = {})
{
    Bytes b { { 3, 1 }, { 4, 2 }, { 5, code } };
    b += more;
    return b;
}

Bytes text(int at, const QByteArray &t)
{
    Bytes b;
    for (int i = 0; i < t.size(); ++i)
        b.append({ at + i, quint8(t.at(i)) });
    return b;
}

QByteArray all(int length, int code, const Bytes &set)
{
    QByteArray p(length, '\0');
    for (int i = 0; i < 4; ++i)
        p[i] = char(quint32(length) >> (8 * i));
    p[4] = char(code);
    for (const auto &[i, v] : set)
        if (i < length)
            p[i] = char(v);
    return p;
}

QStringList cjk(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar(0x4E2D); // 3 bytes in UTF-8
    return { s };
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)
Q_DECLARE_METATYPE(QList<ZoneStep>)

class TestCommandPackets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void terminalCommand_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QByteArray>("sent"); // what the last step sent, empty: nothing
        QTest::addColumn<QByteArray>("after"); // the buffer afterwards, empty: as sent

        auto row = [](const char *name, QList<Step> steps, QByteArray sent, QByteArray after = {}) {
            QTest::newRow(name) << steps << sent << after;
        };
        const QStringList none;

        // Target: the ID pair of lineEdit_rebootid, no special case for 255.
        row("target 007", { { TC::DhcpOn, none, QStringLiteral("007") } },
            one({ { 3, 1 }, { 4, 8 }, { 5, 3 }, { 6, 1 } }));
        row("target 255", { { TC::DhcpOn, none, QStringLiteral("255") } },
            one({ { 3, 1 }, { 4, 0 }, { 5, 3 }, { 6, 1 } }));
        row("target 256", { { TC::DhcpOn, none, QStringLiteral("256") } },
            one({ { 3, 2 }, { 4, 1 }, { 5, 3 }, { 6, 1 } }));
        row("target 1000", { { TC::DhcpOn, none, QStringLiteral("1000") } },
            one({ { 3, 4 }, { 4, 233 }, { 5, 3 }, { 6, 1 } }));
        row("no target selected", { { TC::DhcpOn, none, QString() } }, one({ { 3, 1 }, { 4, 1 }, { 5, 3 }, { 6, 1 } }));

        // New ID: 255 travels as four bytes.
        row("id 255", { { TC::SetId, { QStringLiteral("255") } } },
            one(head(1, { { 6, 1 }, { 7, 0 }, { 8, 1 }, { 9, 1 } })));
        row("id 254", { { TC::SetId, { QStringLiteral("254") } } }, one(head(1, { { 6, 1 }, { 7, 255 } })));
        row("id 256", { { TC::SetId, { QStringLiteral("256") } } }, one(head(1, { { 6, 2 }, { 7, 1 } })));
        row("id abc", { { TC::SetId, { QStringLiteral("abc") } } }, one(head(1, { { 6, 1 }, { 7, 1 } })));
        row("id 255 then 7 clears 8, 9",
            { { TC::SetId, { QStringLiteral("255") } }, { TC::SetId, { QStringLiteral("007") } } },
            one(head(1, { { 6, 1 }, { 7, 8 } })));

        // Volume: above 15 nothing goes out and nothing is written.
        row("volume 15", { { TC::Volume, { QStringLiteral("15") } } }, one(head(2, { { 6, 15 } })));
        row("volume -1", { { TC::Volume, { QStringLiteral("-1") } } }, one(head(2, { { 6, 255 } })));
        row("volume 16 not sent", { { TC::Volume, { QStringLiteral("3") } }, { TC::Volume, { QStringLiteral("16") } } },
            QByteArray(), one(head(2, { { 6, 3 } })));

        row("dhcp on", { { TC::DhcpOn, none } }, one(head(3, { { 6, 1 } })));
        row("dhcp off", { { TC::DhcpOff, none } }, one(head(3, { { 6, 0 } })));

        const QStringList ip { QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("1"),
            QStringLiteral("107") };
        row("ip start texts", { { TC::Ip, ip } }, one(head(4, { { 6, 192 }, { 7, 168 }, { 8, 1 }, { 9, 107 } })));
        row("ip 300 abc -1 empty",
            { { TC::Ip, { QStringLiteral("300"), QStringLiteral("abc"), QStringLiteral("-1"), QString() } } },
            one(head(4, { { 6, 44 }, { 7, 0 }, { 8, 255 }, { 9, 0 } })));
        row("mask",
            { { TC::Mask,
                { QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("0") } } },
            one(head(5, { { 6, 255 }, { 7, 255 }, { 8, 255 }, { 9, 0 } })));
        row("gateway",
            { { TC::Gateway,
                { QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("1"), QStringLiteral("1") } } },
            one(head(6, { { 6, 192 }, { 7, 168 }, { 8, 1 }, { 9, 1 } })));
        row("server",
            { { TC::ServerIp,
                { QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("1"), QStringLiteral("116") } } },
            one(head(7, { { 6, 192 }, { 7, 168 }, { 8, 1 }, { 9, 116 } })));

        const QStringList mac { QStringLiteral("1C"), QStringLiteral("B2"), QStringLiteral("3C"), QStringLiteral("47"),
            QStringLiteral("5D"), QStringLiteral("01") };
        const QByteArray macSent
            = one(head(8, { { 6, 0x1C }, { 7, 0xB2 }, { 8, 0x3C }, { 9, 0x47 }, { 10, 0x5D }, { 11, 0x01 } }));
        row("mac start texts", { { TC::Mac, mac } }, macSent);
        row("mac clears 12 to 14 after a text",
            { { TC::ModelText, { QStringLiteral("ABCDEFGHIJKLMNOP") } }, { TC::Mac, mac } },
            one(head(8, { { 6, 0x1C }, { 7, 0xB2 }, { 8, 0x3C }, { 9, 0x47 }, { 10, 0x5D }, { 11, 0x01 } })
                + text(16, "KLMNOP")));
        row("mac like %X",
            { { TC::Mac,
                { QStringLiteral(" 0x1f"), QStringLiteral("zz"), QStringLiteral("1ff"), QStringLiteral("-1"),
                    QStringLiteral("abc"), QStringLiteral("7g") } } },
            one(head(8, { { 6, 0x1F }, { 7, 0 }, { 8, 0xFF }, { 9, 0xFF }, { 10, 0xBC }, { 11, 0x07 } })));
        // Not armed: the bytes are written, nothing goes out, not even the code.
        row("mac not armed", { { TC::Mac, mac, QStringLiteral("001"), false } }, QByteArray(),
            one({ { 6, 0x1C }, { 7, 0xB2 }, { 8, 0x3C }, { 9, 0x47 }, { 10, 0x5D }, { 11, 0x01 } }));

        row("machine type 177", { { TC::MachineType, { QStringLiteral("177") } } }, one(head(9, { { 6, 177 } })));
        row("machine type 300", { { TC::MachineType, { QStringLiteral("300") } } }, one(head(9, { { 6, 44 } })));
        row("reboot", { { TC::Reboot, none } }, one(head(10, { { 6, 1 } })));
        row("one-key hosts",
            { { TC::OneKeyHosts, { QStringLiteral("1"), QStringLiteral("255"), QStringLiteral("256") } } },
            one(head(12, { { 6, 1 }, { 7, 2 }, { 8, 1 }, { 9, 0 }, { 10, 2 }, { 11, 1 } })));
        row("capture address plus 1",
            { { TC::CaptureAddress,
                { QStringLiteral("238"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("2") } } },
            one(head(13, { { 6, 239 }, { 7, 1 }, { 8, 1 }, { 9, 3 } })));
        row("capture address 255 wraps",
            { { TC::CaptureAddress,
                { QStringLiteral("255"), QStringLiteral("x"), QStringLiteral("0"), QStringLiteral("2") } } },
            one(head(13, { { 6, 0 }, { 7, 1 }, { 8, 1 }, { 9, 3 } })));
        row("lan", { { TC::Lan, none } }, one(head(15, { { 6, 0xAA } })));
        row("wan", { { TC::Wan, none } }, one(head(15, { { 6, 0xBB } })));

        // Text fields of 16 bytes over the marker of byte 15.
        row("model text of 5", { { TC::ModelText, { QStringLiteral("ABCDE") } } },
            one(head(16, text(6, "ABCDE") + Bytes { { 15, 0 } })), one(head(16, text(6, "ABCDE"))));
        row("model text of 16", { { TC::ModelText, { QStringLiteral("ABCDEFGHIJKLMNOP") } } },
            one(head(16, text(6, "ABCDEFGHIJKLMNOP"))), one(head(16, text(6, "ABCDEFGHI") + text(16, "KLMNOP"))));
        row("model text of 20 cut at 16", { { TC::ModelText, { QStringLiteral("ABCDEFGHIJKLMNOPQRST") } } },
            one(head(16, text(6, "ABCDEFGHIJKLMNOP"))), one(head(16, text(6, "ABCDEFGHI") + text(16, "KLMNOP"))));
        row("dhcp after model text keeps the text",
            { { TC::ModelText, { QStringLiteral("ABCDEFGHIJKLMNOP") } }, { TC::DhcpOn, none } },
            one(head(3, Bytes { { 6, 1 } } + text(7, "BCDEFGHI") + text(16, "KLMNOP"))));

        // Calls and numbers as ID pairs.
        row("call with empty callee", { { TC::OneCall, { QString() } } }, one(head(161, { { 6, 1 }, { 7, 1 } })));
        row("group call 300", { { TC::GroupCall, { QStringLiteral("300") } } },
            one(head(162, { { 6, 2 }, { 7, 45 } })));
        row("all call", { { TC::AllCall, { QStringLiteral("0") } } }, one(head(163, { { 6, 1 }, { 7, 1 } })));
        row("intercom 255", { { TC::Intercom, { QStringLiteral("255") } } }, one(head(164, { { 6, 1 }, { 7, 0 } })));
        row("call stop", { { TC::CallStop, { QStringLiteral("12") } } }, one(head(165, { { 6, 1 }, { 7, 13 } })));
        row("mic gain 30", { { TC::MicGain, { QStringLiteral("30") } } }, one(head(166, { { 6, 1 }, { 7, 31 } })));
        row("offline group abc", { { TC::OfflineGroup, { QStringLiteral("abc") } } },
            one(head(184, { { 6, 1 }, { 7, 1 } })));

        // Switches.
        row("auto answer on", { { TC::AutoAnswerOn, none } }, one(head(170, { { 6, 1 } })));
        row("auto answer off", { { TC::AutoAnswerOff, none } }, one(head(171, { { 6, 0 } })));
        row("amplifier on", { { TC::AmplifierOn, none } }, one(head(172, { { 6, 1 } })));
        row("amplifier off", { { TC::AmplifierOff, none } }, one(head(173, { { 6, 0 } })));
        row("ext audio off", { { TC::ExtAudioOff, none } }, one(head(180, { { 6, 0 } })));
        row("ext audio line-in", { { TC::ExtAudioLineIn, none } }, one(head(180, { { 6, 1 } })));
        row("ext audio mic", { { TC::ExtAudioMic, none } }, one(head(180, { { 6, 2 } })));
        row("mic mode online", { { TC::MicModeOnline, none } }, one(head(181, { { 6, 1 } })));
        row("mic mode offline", { { TC::MicModeOffline, none } }, one(head(181, { { 6, 0 } })));
        row("ring on", { { TC::RingOn, none } }, one(head(188, { { 6, 1 } })));
        row("ring off", { { TC::RingOff, none } }, one(head(189, { { 6, 0 } })));
        row("factory reset armed", { { TC::FactoryReset, none } }, one(head(177, { { 6, 1 } })));
        row("factory reset not armed",
            { { TC::DhcpOff, none }, { TC::FactoryReset, none, QStringLiteral("009"), false } }, QByteArray(),
            one(head(3, { { 6, 1 } })));

        // Only the code: the bytes of the last command go out again.
        row("display after gain", { { TC::MicGain, { QStringLiteral("30") } }, { TC::DisplayOk, none } },
            one(head(186, { { 6, 1 }, { 7, 31 } })));
        row("font after ip", { { TC::Ip, ip }, { TC::UpdateFont, none } },
            one(head(182, { { 6, 192 }, { 7, 168 }, { 8, 1 }, { 9, 107 } })));

        row("max volume 10", { { TC::MaxVolume, { QStringLiteral("10") } } }, one(head(190, { { 6, 10 } })));
        row("max volume 266", { { TC::MaxVolume, { QStringLiteral("266") } } }, one(head(190, { { 6, 10 } })));
        row("max volume abc", { { TC::MaxVolume, { QStringLiteral("abc") } } }, one(head(190, { { 6, 0 } })));

        row("standby text 0", { { TC::StandbyText, { QStringLiteral("0") } } },
            one(head(183, { { 6, '0' }, { 15, 0 } })), one(head(183, { { 6, '0' } })));
        row("standby text longer than 16", { { TC::StandbyText, { QStringLiteral("0123456789abcdefXYZ") } } },
            one(head(183, text(6, "0123456789abcdef"))), one(head(183, text(6, "012345678") + text(16, "abcdef"))));
    }

    void terminalCommand()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, after);

        SingleTerminalPacket packet;
        packet.writeStartupBytes();
        QByteArray last;
        for (const Step &step : steps)
            last = composeTerminalCommand(packet, step.command, step.fields, step.target, step.armed);
        QCOMPARE(last.toHex(' '), sent.toHex(' '));
        QCOMPARE(packet.bytes().toHex(' '), (after.isEmpty() ? sent : after).toHex(' '));
    }

    void zoneCommand_data()
    {
        QTest::addColumn<QList<ZoneStep>>("steps");
        QTest::addColumn<QByteArray>("sent");

        auto row
            = [](const char *name, QList<ZoneStep> steps, QByteArray sent) { QTest::newRow(name) << steps << sent; };

        row("reboot all", { { ZC::Reboot, {} } }, all(16, 0, {}));
        row("dhcp on", { { ZC::DhcpOn, {} } }, all(16, 2, {}));
        row("dhcp off", { { ZC::DhcpOff, {} } }, all(16, 3, {}));
        row("wan", { { ZC::Wan, {} } }, all(16, 4, {}));
        row("lan", { { ZC::Lan, {} } }, all(16, 5, {}));
        row("server text", { { ZC::ServerText, QStringLiteral("192.168.1.116") } },
            all(37, 6, text(5, "192.168.1.116")));
        row("server text of 32", { { ZC::ServerText, QStringLiteral("0123456789012345678901234567890123") } },
            all(37, 6, text(5, "01234567890123456789012345678901")));
        row("relay 5", { { ZC::RelayDelay, QStringLiteral("5") } }, all(16, 167, { { 5, 1 }, { 6, 6 } }));
        row("lan rate 44100", { { ZC::LanRate, QStringLiteral("44100") } }, all(16, 168, { { 5, 173 }, { 6, 69 } }));
        row("wan rate 8000", { { ZC::WanRate, QStringLiteral("8000") } }, all(16, 169, { { 5, 32 }, { 6, 65 } }));
        row("rate 65280", { { ZC::LanRate, QStringLiteral("65280") } }, all(16, 168, { { 5, 0 }, { 6, 1 } }));
        row("rate abc", { { ZC::WanRate, QStringLiteral("abc") } }, all(16, 169, { { 5, 1 }, { 6, 1 } }));
        row("ext audio after lan rate keeps byte 5",
            { { ZC::LanRate, QStringLiteral("44100") }, { ZC::ExtAudioLineIn, {} } },
            all(7, 180, { { 5, 173 }, { 6, 1 } }));
        row("ext audio off", { { ZC::ExtAudioOff, {} } }, all(7, 180, { { 6, 0 } }));
        row("ext audio mic", { { ZC::ExtAudioMic, {} } }, all(7, 180, { { 6, 2 } }));
        row("reboot after rate and text carries them",
            { { ZC::CommandText, QStringLiteral("abcdefghijklmnop") }, { ZC::WanRate, QStringLiteral("8000") },
                { ZC::Reboot, {} } },
            all(16, 0, Bytes { { 5, 32 }, { 6, 65 } } + text(7, "cdefghijk")));
        const QString sixty = QStringLiteral("0123456789").repeated(6);
        row("command text of 60", { { ZC::CommandText, sixty } }, all(59, 185, text(5, sixty.left(54).toLatin1())));
        row("short text after long one zero-fills",
            { { ZC::CommandText, sixty }, { ZC::CommandText, QStringLiteral("ab") } }, all(59, 185, text(5, "ab")));
        // 1 + 18 * 3 = 55 bytes: the last character loses its third byte.
        const QString utf = QStringLiteral("a") + cjk(18).first();
        row("utf-8 cut at 54", { { ZC::CommandTextUtf8, utf } }, all(59, 187, text(5, utf.toUtf8().left(54))));
        row("utf-8 that fits", { { ZC::CommandTextUtf8, cjk(2).first() } },
            all(59, 187, text(5, cjk(2).first().toUtf8())));
    }

    void zoneCommand()
    {
        QFETCH(QList<ZoneStep>, steps);
        QFETCH(QByteArray, sent);
        AllTerminalsPacket packet;
        QByteArray last;
        for (const ZoneStep &step : steps)
            last = composeZoneCommand(packet, step.command, step.field);
        QCOMPARE(last.toHex(' '), sent.toHex(' '));
    }

    void hexField_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("upper") << QByteArray("1C") << 0x1C;
        QTest::newRow("lower") << QByteArray("b2") << 0xB2;
        QTest::newRow("prefix") << QByteArray("0xFE") << 0xFE;
        QTest::newRow("blanks") << QByteArray("  5d") << 0x5D;
        QTest::newRow("stops at non-hex") << QByteArray("4g7") << 0x04;
        QTest::newRow("wide keeps low 8 bits") << QByteArray("1234") << 0x34;
        QTest::newRow("no digit") << QByteArray("xyz") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("bare 0x") << QByteArray("0x") << 0;
        QTest::newRow("negative") << QByteArray("-2") << 0xFE;
    }

    void hexField()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        QCOMPARE(int(hexFieldByte(text)), value);
    }
};

QTEST_GUILESS_MAIN(TestCommandPackets)
#include "tst_commandpackets.moc"
