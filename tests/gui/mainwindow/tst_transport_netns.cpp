// The main window's transport on real sockets, inside the test namespaces:
// what leaves the tool in LAN and WAN mode, where it goes, and that the tool
// does not hear its own multicast.
#include <QtTest>
#include <QUdpSocket>

#include "gui/mainwindow/toolforkx.h"
#include "netnsrig.h"
#include "core/transport/localaddress.h"
#include "ui_toolforkx.h"

using namespace quenzal;

namespace {

// A probe in the terminal namespace; returns the lines it logged.
struct Probe
{
    std::unique_ptr<QProcess> process;

    static Probe start(quint16 port, bool joinGroup)
    {
        QStringList args{QStringLiteral("--port"), QString::number(port), QStringLiteral("--seconds"), QStringLiteral("20")};
        if (joinGroup)
            args << QStringLiteral("--group") << QStringLiteral("239.0.0.2");
        Probe probe{testrig::startInTerminalNetns(testrig::toolProgram(QStringLiteral("quenzal-udp-probe")), args)};
        return probe;
    }
    bool ready() { return testrig::waitForLine(*process, "ready"); }
    // Waits for one logged datagram and returns its line.
    QByteArray next(int timeoutMs = 3000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!process->canReadLine() && !deadline.hasExpired())
            process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        return process->canReadLine() ? process->readLine().trimmed() : QByteArray();
    }
};

QByteArray hexLine(const QByteArray &bytes, const QString &source, quint16 port)
{
    return bytes.toHex(' ') + ' ' + source.toLatin1() + ' ' + QByteArray::number(port);
}

} // namespace

class TestTransportNetns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
    }

    void startUpFillsAddressFieldsAndPacket()
    {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^\"198\\.18\\.0\\.1\"$")));
        QTest::ignoreMessage(QtDebugMsg, "Init = 198.18.0.1");
        ToolForKX window;
        auto *ui = window.form();
        // The tool namespace has one IPv4 address besides loopback.
        QCOMPARE(ui->lineEdit_LocalIP->text(), QStringLiteral("198.18.0.1"));
        QCOMPARE(ui->lineEdit_AllServerAddr->text(), QStringLiteral("198.18.0.1"));
        QCOMPARE(ui->lineEdit_ScanIP3->text(), QStringLiteral("0"));
        QCOMPARE(ui->lineEdit_ScanIP7->text(), QStringLiteral("0"));
        QCOMPARE(ui->lineEdit_ScanIP1->text(), QStringLiteral("192")); // not touched

        QByteArray expected(32, '\0');
        expected[0] = char(0xAA);
        expected[1] = char(0x01);
        expected[2] = char(0xF2);
        expected[15] = char(0xDD);
        expected[31] = char(0xDD);
        QCOMPARE(window.singleTerminalPacket().bytes(), expected);
        QCOMPARE(window.allTerminalsPacket().bytes(), QByteArray(64, '\0'));
        QVERIFY(window.selectedTerminalAddress().isEmpty());

        quenzal::UdpTransport *transport = window.transport();
        QCOMPARE(transport->state(quenzal::UdpTransport::Lan), QAbstractSocket::BoundState);
        QCOMPARE(transport->localPort(quenzal::UdpTransport::Lan), LanPort);
        QCOMPARE(transport->state(quenzal::UdpTransport::Wan), QAbstractSocket::BoundState);
        QCOMPARE(transport->localPort(quenzal::UdpTransport::Wan), WanPort);
        QCOMPARE(transport->socketOption(quenzal::UdpTransport::Lan, QAbstractSocket::MulticastLoopbackOption).toInt(), 0);
        QVERIFY(transport->status().joined);
        QVERIFY(transport->status().readerThread);
    }

    void severalAddressesKeepTheLast()
    {
        const QStringList add{QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("198.18.7.9/16"),
                              QStringLiteral("dev"), qEnvironmentVariable("QZ_TOOL_IF")};
        QCOMPARE(QProcess::execute(QStringLiteral("ip"), add), 0);
        const QList<QHostAddress> found = quenzal::localIPv4Addresses();
        QCOMPARE(found, QList<QHostAddress>({QHostAddress(QStringLiteral("198.18.0.1")),
                                             QHostAddress(QStringLiteral("198.18.7.9"))}));
        {
            ToolForKX window;
            auto *ui = window.form();
            QCOMPARE(ui->lineEdit_LocalIP->text(), QStringLiteral("198.18.7.9"));
            QCOMPARE(ui->lineEdit_AllServerAddr->text(), QStringLiteral("198.18.7.9"));
            QCOMPARE(ui->lineEdit_ScanIP3->text(), QStringLiteral("7"));
            QCOMPARE(ui->lineEdit_ScanIP7->text(), QStringLiteral("7"));
        }
        QStringList del = add;
        del[1] = QStringLiteral("del");
        QCOMPARE(QProcess::execute(QStringLiteral("ip"), del), 0);
    }

    void lanPacketReachesTheGroup()
    {
        Probe probe = Probe::start(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        window.SendResetById(5);
        QByteArray expected = window.singleTerminalPacket().bytes();
        QCOMPARE(expected.left(7), QByteArray::fromHex("aa01f20106b101"));
        QCOMPARE(probe.next(), hexLine(expected, testrig::toolAddress(), LanPort));
    }

    void wanPacketReachesTheTerminalAddress()
    {
        Probe probe = Probe::start(WanPort, false);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        QByteArray payload = QByteArray::fromHex("aa02f2000000");
        char padded[] = "198.018.000.002"; // as the terminal list shows it

        // LAN mode: WanPacketSend sends nothing.
        window.WanPacketSend(payload.data(), payload.size(), padded);
        ui->checkBox_Wan->setChecked(true);
        // WAN mode before any selection: SendPacket has no destination.
        window.SendResetById(1);
        window.WanPacketSend(payload.data(), payload.size(), padded);
        QCOMPARE(probe.next(), hexLine(payload, testrig::toolAddress(), WanPort));
        QVERIFY2(probe.next(500).isEmpty(), "only the one datagram after WAN mode was switched on");
    }

    void wanModeIgnoresInvalidDestinations()
    {
        Probe probe = Probe::start(WanPort, false);
        QVERIFY(probe.ready());
        ToolForKX window;
        window.form()->checkBox_Wan->setChecked(true);
        QByteArray payload("\xAA\x02\xF2\x00\x00\x00", 6);
        for (const char *text : {"198.18.300.2", "", "terminal", "198.18.0"}) {
            QByteArray ip(text);
            window.WanPacketSend(payload.data(), payload.size(), ip.data());
        }
        char good[] = "198.18.0.2";
        window.WanPacketSend(payload.data(), payload.size(), good);
        QCOMPARE(probe.next(), hexLine(payload, testrig::toolAddress(), WanPort));
        QVERIFY(probe.next(300).isEmpty());
    }

    void ownMulticastIsNotReadBack()
    {
        // A second member of the group in the tool's own namespace would get
        // the tool's datagrams if multicast loopback were on.
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress::AnyIPv4, LanPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        QVERIFY(listener.joinMulticastGroup(QHostAddress(QStringLiteral("239.0.0.2"))));

        Probe probe = Probe::start(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        // Shaped like a status reply, so a looped-back copy would add a row.
        QByteArray reply(102, '\0');
        reply[0] = char(0xAA);
        reply[1] = char(0xFD);
        char group[] = "239.0.0.2";
        window.LanPacketSend(reply.data(), reply.size(), group);
        QVERIFY(!probe.next().isEmpty()); // it did go out
        QTest::qWait(300);
        QVERIFY(!listener.hasPendingDatagrams());
        QCOMPARE(window.transport()->queued(), 0);
        QCOMPARE(window.form()->treeWidget->topLevelItemCount(), 0);
    }

    void realBinaryStartsInTheNamespace()
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        tool.setProcessEnvironment(env);
        tool.setProcessChannelMode(QProcess::MergedChannels);
        QString bin = qEnvironmentVariable("QUENZAL_BIN_DIR") + QStringLiteral("/quenzal");
        tool.start(bin, {});
        QVERIFY2(tool.waitForStarted(5000), qPrintable(bin));
        QVERIFY2(testrig::waitForLine(tool, "Init = 198.18.0.1", 10000), "the binary logs its local address");
        QTest::qWait(500);
        QCOMPARE(tool.state(), QProcess::Running);
        tool.terminate();
        QVERIFY(tool.waitForFinished(5000));
    }
};

QTEST_MAIN(TestTransportNetns)
#include "tst_transport_netns.moc"
