// The simulated terminal applies the tool's packets, built by the tool's own
// command encoding: addressed commands change its state, others leave it.
#include <QtTest>

#include "applycommand.h"
#include "core/commands/commandpackets.h"

using namespace quenzal;
using TC = TerminalCommand;
using ZC = ZoneCommand;

namespace {

sim::TerminalState terminal()
{
    sim::TerminalState t;
    t.id = 7;
    t.ip = { 198, 18, 0, 2 };
    t.mac = { 0x02, 0, 0, 0, 0, 0x0A };
    return t;
}

QStringList f(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *t : list)
        out << QString::fromUtf8(t);
    return out;
}

struct Sent
{
    SingleTerminalPacket packet;
    Sent() { packet.writeStartupBytes(); }
    QByteArray operator()(TC c, const QStringList &fields, const char *target = "007")
    {
        return composeTerminalCommand(packet, c, fields, QString::fromLatin1(target));
    }
};

} // namespace

class TestApplyCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addressedCommandsChangeTheState()
    {
        sim::TerminalState t = terminal();
        Sent send;
        auto apply = [&](const QByteArray &d) {
            const sim::ApplyResult r = sim::applyCommand(t, d);
            QVERIFY2(r.applied, d.toHex(' ').constData());
            QVERIFY(!r.description.isEmpty());
        };
        apply(send(TC::Ip, f({ "198", "18", "1", "20" })));
        QCOMPARE(t.ip, (std::array<quint8, 4> { 198, 18, 1, 20 }));
        apply(send(TC::Mask, f({ "255", "255", "0", "0" })));
        QCOMPARE(t.mask, (std::array<quint8, 4> { 255, 255, 0, 0 }));
        apply(send(TC::Gateway, f({ "198", "18", "0", "1" })));
        QCOMPARE(t.gateway, (std::array<quint8, 4> { 198, 18, 0, 1 }));
        apply(send(TC::ServerIp, f({ "198", "18", "0", "1" })));
        QCOMPARE(t.server, (std::array<quint8, 4> { 198, 18, 0, 1 }));
        apply(send(TC::DhcpOn, {}));
        QCOMPARE(t.dhcp, quint8(1));
        apply(send(TC::Wan, {}));
        QCOMPARE(t.netMode, quint8(0xBB));
        apply(send(TC::Volume, f({ "12" })));
        QCOMPARE(t.volume, quint8(12));
        apply(send(TC::ModelText, f({ "ABCDEFGHIJKLMNOP" })));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(t.text.data()), 16), QByteArray("ABCDEFGHIJKLMNOP"));
        apply(send(TC::OneKeyHosts, f({ "1", "255", "300" })));
        QCOMPARE(t.host1, quint16(1));
        QCOMPARE(t.host2, quint16(255));
        QCOMPARE(t.host3, quint16(300));
        apply(send(TC::CaptureAddress, f({ "238", "0", "0", "2" })));
        QCOMPARE(t.capture, (std::array<quint8, 4> { 238, 0, 0, 2 }));
        apply(send(TC::MicGain, f({ "30" })));
        QCOMPARE(t.gain, quint8(30));
        apply(send(TC::AutoAnswerOn, {}));
        QCOMPARE(t.autoAnswer, quint8(1));
        apply(send(TC::AmplifierOn, {}));
        QCOMPARE(t.amplifier, quint8(1));
        apply(send(TC::ExtAudioMic, {}));
        QCOMPARE(t.extAudio, quint8(2));
        apply(send(TC::MicModeOnline, {}));
        QCOMPARE(t.micMode, quint8(1));
        apply(send(TC::RingOff, {}));
        QCOMPARE(t.ringSwitch, quint8(0));
        apply(send(TC::MaxVolume, f({ "9" })));
        QCOMPARE(t.maxVolume, quint8(9));
        apply(send(TC::OfflineGroup, f({ "3" })));
        QCOMPARE(t.group, quint8(3));
        apply(send(TC::Reboot, {}));
        QCOMPARE(t.reboots, 1);
        apply(send(TC::FactoryReset, {}));
        QCOMPARE(t.factoryResets, 1);
        QCOMPARE(t.ip, (std::array<quint8, 4> { 198, 18, 1, 20 })); // identity survives the reset
        apply(send(TC::Mac, f({ "02", "00", "00", "00", "00", "0B" })));
        QCOMPARE(t.mac, (std::array<quint8, 6> { 2, 0, 0, 0, 0, 0x0B }));
        apply(send(TC::SetId, f({ "255" })));
        QCOMPARE(t.id, quint16(255));
        apply(send(TC::SetId, f({ "1000" }), "255"));
        QCOMPARE(t.id, quint16(1000));
    }

    void otherTargetsAndQueriesAreIgnored()
    {
        sim::TerminalState t = terminal();
        Sent send;
        QVERIFY(!sim::applyCommand(t, send(TC::Ip, f({ "1", "2", "3", "4" }), "008")).applied);
        QCOMPARE(t.ip, terminal().ip);
        QByteArray query = send.packet.bytes();
        query[1] = char(0x02);
        QVERIFY(!sim::applyCommand(t, query).applied);
        QVERIFY(!sim::applyCommand(t, QByteArray()).applied);
        QByteArray reply(102, '\0');
        reply[0] = char(0xAA);
        reply[1] = char(0xFD);
        QVERIFY(!sim::applyCommand(t, reply).applied);
    }

    void idChangeNeedsOldIdAndMac()
    {
        sim::TerminalState t = terminal();
        SingleTerminalPacket p;
        p.writeStartupBytes();
        auto idChange = [&](int oldId, std::array<quint8, 6> mac, int newId) {
            p.setIdPair(3, oldId);
            p[5] = 178;
            for (int i = 0; i < 6; ++i)
                p[6 + i] = mac[size_t(i)];
            p.setIdPair(12, newId);
            return p.bytes();
        };
        QVERIFY(!sim::applyCommand(t, idChange(7, { 2, 0, 0, 0, 0, 0x0B }, 9)).applied);
        QVERIFY(!sim::applyCommand(t, idChange(8, t.mac, 9)).applied);
        QCOMPARE(t.id, quint16(7));
        QVERIFY(sim::applyCommand(t, idChange(7, t.mac, 255)).applied);
        QCOMPARE(t.id, quint16(255));
    }

    void zoneCommands()
    {
        sim::TerminalState t = terminal();
        AllTerminalsPacket p;
        auto apply = [&](ZC c, const char *field) {
            QVERIFY(sim::applyCommand(t, composeZoneCommand(p, c, QString::fromUtf8(field))).applied);
        };
        apply(ZC::DhcpOn, "");
        QCOMPARE(t.dhcp, quint8(1));
        apply(ZC::Wan, "");
        QCOMPARE(t.netMode, quint8(0xBB));
        apply(ZC::Lan, "");
        QCOMPARE(t.netMode, quint8(0xAA));
        apply(ZC::ServerText, "198.18.0.1");
        QCOMPARE(t.server, (std::array<quint8, 4> { 198, 18, 0, 1 }));
        apply(ZC::ServerText, "not an address");
        QCOMPARE(t.server, (std::array<quint8, 4> { 198, 18, 0, 1 }));
        apply(ZC::RelayDelay, "5");
        QCOMPARE(t.delay, quint8(5));
        apply(ZC::LanRate, "44100");
        QCOMPARE(t.lanRate, quint16(44100));
        apply(ZC::WanRate, "8000");
        QCOMPARE(t.wanRate, quint16(8000));
        apply(ZC::ExtAudioLineIn, "");
        QCOMPARE(t.extAudio, quint8(1));
        apply(ZC::CommandText, "restart audio");
        apply(ZC::CommandTextUtf8, "你好");
        apply(ZC::Reboot, "");
        QCOMPARE(t.reboots, 1);
        // A wrong length is no zone-wide packet.
        QByteArray bad = p.bytes(16);
        bad[0] = 17;
        QVERIFY(!sim::applyCommand(t, bad).applied);
    }
};

QTEST_GUILESS_MAIN(TestApplyCommand)
#include "tst_applycommand.moc"
