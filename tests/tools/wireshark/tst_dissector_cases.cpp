// The Wireshark dissector against the core's own decoders, without a
// network: datagrams are written into a capture file here and decoded by
// tshark. Every status reply, including short ones and random field values,
// must decode to the same 32 texts the terminal list shows for it, and the
// ID pairs of commands must decode back to the number the tool encoded.
#include <QtTest>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include "core/commands/commandpackets.h"
#include "core/transport/statusreply.h"

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

// A capture file of raw IPv4 packets (link type 228), one UDP datagram each,
// from the tool (198.18.0.1) to port `port`.
QByteArray captureFile(const QList<QByteArray> &payloads, quint16 port)
{
    QByteArray out;
    auto u32 = [&out](quint32 v) { out.append(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&out](quint16 v) { out.append(reinterpret_cast<const char *>(&v), 2); };
    u32(0xa1b2c3d4);
    u16(2);
    u16(4);
    u32(0);
    u32(0);
    u32(65535);
    u32(228);
    quint32 seconds = 1;
    for (const QByteArray &payload : payloads) {
        QByteArray ip(28, '\0');
        ip[0] = char(0x45);
        qToBigEndian<quint16>(quint16(28 + payload.size()), ip.data() + 2);
        ip[8] = char(64);
        ip[9] = char(17);
        const quint8 src[4] = { 198, 18, 0, 1 };
        const quint8 dst[4] = { 239, 0, 0, 2 };
        memcpy(ip.data() + 12, src, 4);
        memcpy(ip.data() + 16, dst, 4);
        qToBigEndian<quint16>(port, ip.data() + 20);
        qToBigEndian<quint16>(port, ip.data() + 22);
        qToBigEndian<quint16>(quint16(8 + payload.size()), ip.data() + 24);
        const QByteArray packet = ip + payload;
        u32(seconds++);
        u32(0);
        u32(quint32(packet.size()));
        u32(quint32(packet.size()));
        out += packet;
    }
    return out;
}

const char *const replyColumns[32]
    = { "id", "ip", "mask", "gateway", "mac", "server", "link", "dhcp", "volume", "network", "firmware", "type",
          "model", "amplifier", "host1", "host2", "host3", "text", "gain", "delay", "lan_rate", "wan_rate",
          "auto_answer", "capture", "ext_audio", "mic_mode", "group", "server2", "font", "boot", "ring", "max_volume" };

} // namespace

class TestDissectorCases : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_tshark;

    // One line per packet, the given fields separated by tabs.
    QList<QStringList> decode(const QList<QByteArray> &payloads, quint16 port, const QStringList &fields)
    {
        const QString path = m_dir.filePath(s("cases.pcap"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(captureFile(payloads, port));
        file.close();
        QStringList args { s("-n"), s("-X"),
            s("lua_script:") + QStringLiteral(QUENZAL_SOURCE_DIR "/tools/wireshark/quenzal.lua"), s("-r"), path,
            s("-T"), s("fields"), s("-E"), s("separator=/t"), s("-E"), s("occurrence=a"), s("-E"), s("aggregator=|") };
        for (const QString &f : fields)
            args << s("-e") << f;
        QProcess tshark;
        tshark.start(m_tshark, args);
        if (!tshark.waitForFinished(60000) || tshark.exitCode() != 0) {
            qWarning() << "tshark:" << tshark.readAllStandardError();
            return {};
        }
        QList<QStringList> out;
        for (const QByteArray &line : tshark.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                out << QString::fromUtf8(line).split(QLatin1Char('\t'));
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_tshark = QStandardPaths::findExecutable(s("tshark"));
        QVERIFY2(!m_tshark.isEmpty(), "tshark is needed (scripts/install-deps.sh --test installs it)");
        QVERIFY(m_dir.isValid());
    }

    // Replies of every length from the lead bytes alone to beyond 102, the
    // edge values of the rules, and random ones: the dissector's texts are
    // the texts of the list's row.
    void statusRepliesDecodeAsTheListShowsThem()
    {
        QList<QByteArray> replies;
        QByteArray base(102, '\0');
        base[0] = char(0xAA);
        base[1] = char(0xFD);
        replies << base.left(2) << base.left(20) << base.left(45) << base.left(101) << base << base + "trailing";
        auto with = [&base](std::initializer_list<std::pair<int, int>> bytes) {
            QByteArray r = base;
            for (auto [at, v] : bytes)
                r[at] = char(v);
            return r;
        };
        replies << with({ { 3, 0x12 }, { 4, 0x34 }, { 10, 2 }, { 7, 1 }, { 42, 0xBB }, { 87, 0xAA }, { 101, 200 } });
        replies << with({ { 12, 0x02 }, { 13, 0x21 }, { 100, 0 }, { 10, 1 }, { 65, 1 }, { 66, 1 } }); // 545: CLOSE
        replies << with({ { 12, 0x02 }, { 13, 0x21 }, { 100, 1 } }); // 545 with ring: OPEN
        replies << with({ { 12, 0x02 }, { 13, 0x20 }, { 100, 0 } }); // 544: OPEN
        QByteArray text = base;
        text.replace(43, 16, "ABCDEFGHIJKLMNOP"); // no zero: all 16 bytes
        replies << text;
        QByteArray chinese = base;
        chinese.replace(43, 6, "终端");
        replies << chinese;
        QRandomGenerator random(12682);
        for (int i = 0; i < 200; ++i) {
            QByteArray r = base;
            for (int b = 2; b < 102; ++b)
                r[b] = char(random.bounded(256));
            for (int b = 43; b < 59; ++b) // the text: printable ASCII up to a zero
                r[b] = char(random.bounded(5) == 0 ? 0 : 0x20 + random.bounded(95));
            replies << r;
        }

        QStringList fields;
        for (const char *c : replyColumns)
            fields << s("quenzal.reply.") + QLatin1String(c);
        const QList<QStringList> decoded = decode(replies, LanPort, fields);
        QCOMPARE(decoded.size(), replies.size());
        for (int i = 0; i < replies.size(); ++i) {
            QVERIFY(isStatusReply(replies.at(i)));
            const StatusRow row = decodeStatusReply(replies.at(i));
            for (int c = 0; c < 32; ++c) {
                QVERIFY2(decoded.at(i).value(c) == row.texts[size_t(c)],
                    qPrintable(QStringLiteral("reply %1 (%2 bytes), column %3 %4: dissector \"%5\", list \"%6\"")
                                   .arg(i)
                                   .arg(replies.at(i).size())
                                   .arg(c)
                                   .arg(QLatin1String(replyColumns[c]), decoded.at(i).value(c), row.texts[size_t(c)])));
            }
        }
    }

    // The ID pair decodes back to the number, at the byte edges, for the
    // target and the parameters alike.
    void idPairsDecodeToTheirNumber()
    {
        const QList<int> ids { 0, 1, 107, 254, 255, 256, 511, 1000, 65279 };
        QList<QByteArray> packets;
        for (int id : ids) {
            SingleTerminalPacket p;
            p.writeStartupBytes();
            packets << composeTerminalCommand(p, TerminalCommand::SetId, { QString::number(id) }, QString::number(id));
            packets << composeTerminalCommand(p, TerminalCommand::OneCall, { QString::number(id) }, s("7"));
        }
        const QList<QStringList> decoded
            = decode(packets, LanPort, { s("quenzal.target_id"), s("quenzal.new_id"), s("quenzal.callee") });
        QCOMPARE(decoded.size(), packets.size());
        for (int i = 0; i < ids.size(); ++i) {
            const QString id = QString::number(ids.at(i));
            QCOMPARE(decoded.at(2 * i).value(0), id);
            QCOMPARE(decoded.at(2 * i).value(1), id);
            QCOMPARE(decoded.at(2 * i + 1).value(0), s("7"));
            QCOMPARE(decoded.at(2 * i + 1).value(2), id);
        }
    }

    void packetKinds_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("command");
        QByteArray query(32, '\0');
        query[0] = char(0xAA);
        query[1] = char(0x02);
        query[2] = char(0xF2);
        query[6] = 1;
        query[15] = char(0xDD);
        query[31] = char(0xDD);
        QTest::newRow("LAN query") << query << int(LanPort) << s("LAN query") << QString();
        QTest::newRow("WAN query") << query.left(6) << int(WanPort) << s("WAN query") << QString();
        SingleTerminalPacket one;
        one.writeStartupBytes();
        QTest::newRow("factory reset") << composeTerminalCommand(one, TerminalCommand::FactoryReset, {}, s("5"))
                                       << int(WanPort) << s("factory reset") << s("factory reset");
        AllTerminalsPacket all;
        QTest::newRow("reboot all") << composeZoneCommand(all, ZoneCommand::Reboot, {}) << int(LanPort)
                                    << s("command to all terminals") << s("reboot all");
        QTest::newRow("external audio for all") << composeZoneCommand(all, ZoneCommand::ExtAudioMic, {}) << int(WanPort)
                                                << s("command to all terminals") << s("external audio for all");
        QTest::newRow("server text cut short")
            << QByteArray::fromHex("0a00000006313938") + QByteArray(2, '\0') << int(LanPort)
            << s("command to all terminals") << s("server address for all");
        QTest::newRow("other bytes") << QByteArray("hello") << int(LanPort) << s("unknown") << QString();
        QTest::newRow("reply kind, other lead")
            << QByteArray::fromHex("abfd0000") << int(LanPort) << s("unknown") << QString();
    }

    void packetKinds()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, port);
        QFETCH(QString, kind);
        QFETCH(QString, command);
        const QList<QStringList> decoded
            = decode({ payload }, quint16(port), { s("quenzal.kind"), s("quenzal.command") });
        QCOMPARE(decoded.size(), 1);
        QCOMPARE(decoded.first().value(0), kind);
        QCOMPARE(decoded.first().value(1), command);
    }
};

QTEST_GUILESS_MAIN(TestDissectorCases)
#include "tst_dissector_cases.moc"
