// The receive path on loopback sockets with ephemeral ports: runs anywhere,
// without root and without namespaces, and under ThreadSanitizer.
#include "core/transport/statusreply.h"
#include "core/transport/udptransport.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using quenzal::UdpTransport;

namespace {

const QHostAddress Loopback(QHostAddress::LocalHost);

UdpTransport::Config loopbackConfig(bool readerThread)
{
    UdpTransport::Config c;
    c.lanPort = 0;
    c.wanPort = 0;
    c.bindAddress = Loopback;
    c.joinGroup = false;
    c.readerThread = readerThread;
    return c;
}

// A status reply whose ID field carries `n`, so order and loss show.
QByteArray reply(int n, int size = 102)
{
    QByteArray d(size, '\0');
    d[0] = char(0xAA);
    d[1] = char(0xFD);
    d[3] = char((n >> 8) & 0xFF);
    d[4] = char(n & 0xFF);
    return d;
}

int idOf(const QByteArray &d)
{
    return (quint8(d.at(3)) << 8) | quint8(d.at(4));
}

// Takes everything that arrives until `want` replies are in or `ms` pass.
struct Collector
{
    UdpTransport &transport;
    std::deque<UdpTransport::Datagram> got;
    int ignored = 0;

    void collect(int want, int ms, int ignoredWant = 0)
    {
        QElapsedTimer clock;
        clock.start();
        while ((int(got.size()) < want || ignored < ignoredWant) && clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            int skipped = 0;
            transport.take(got, 1 << 20, &skipped);
            ignored += skipped;
        }
    }
};

} // namespace

class TestUdpTransport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void burstArrivesWholeAndInOrder_data()
    {
        QTest::addColumn<bool>("readerThread");
        QTest::addColumn<int>("count");
        QTest::newRow("reader thread") << true << 20000;
        QTest::newRow("owner's thread") << false << 3000;
    }

    void burstArrivesWholeAndInOrder()
    {
        QFETCH(bool, readerThread);
        QFETCH(int, count);
        UdpTransport transport;
        const UdpTransport::Status status = transport.open(loopbackConfig(readerThread));
        QVERIFY2(status.lanBound && status.wanBound, qPrintable(status.lanError + status.wanError));
        QCOMPARE(status.readerThread, readerThread);
        const quint16 port = transport.localPort(UdpTransport::Lan);
        QVERIFY(port != 0);

        QUdpSocket sender;
        Collector c { transport, {}, 0 };
        // Sent in runs the kernel buffer holds, taken between runs when the
        // owner's thread reads (it cannot read while this loop sends).
        const int run = readerThread ? count : 200;
        for (int n = 0; n < count; ++n) {
            QVERIFY(sender.writeDatagram(reply(n), Loopback, port) == 102);
            if ((n + 1) % run == 0)
                c.collect(n + 1, 5000);
        }
        c.collect(count, 10000);
        QCOMPARE(int(c.got.size()), count);
        for (int n = 0; n < count; ++n) {
            QCOMPARE(c.got[size_t(n)].source, UdpTransport::Lan);
            QCOMPARE(idOf(c.got[size_t(n)].data), n);
        }
        QCOMPARE(transport.dropped(), quint64(0));
    }

    // The reader keeps status replies only; everything else is counted, so
    // the list still learns that datagrams arrive. Each socket's replies
    // keep their source.
    void nonRepliesAreCountedNotQueued()
    {
        UdpTransport transport;
        QVERIFY(transport.open(loopbackConfig(true)).lanBound);
        QUdpSocket sender;
        const quint16 lan = transport.localPort(UdpTransport::Lan);
        const quint16 wan = transport.localPort(UdpTransport::Wan);
        const QList<QByteArray> junk { QByteArray(), QByteArray("\xAA", 1), QByteArray("\xAA\xFE", 2),
            QByteArray(1500, char(0xAA)), QByteArray(60000, '\0') };
        for (const QByteArray &d : junk)
            sender.writeDatagram(d, Loopback, lan);
        sender.writeDatagram(reply(7), Loopback, wan);
        sender.writeDatagram(reply(8, 2000), Loopback, lan); // cut at the read limit
        Collector c { transport, {}, 0 };
        c.collect(2, 5000, int(junk.size()));
        QCOMPARE(c.ignored, int(junk.size()));
        QCOMPARE(int(c.got.size()), 2);
        QCOMPARE(c.got[0].source, UdpTransport::Wan);
        QCOMPARE(idOf(c.got[0].data), 7);
        QCOMPARE(c.got[1].source, UdpTransport::Lan);
        QCOMPARE(c.got[1].data.size(), quenzal::StatusReplyReadLimit);
    }

    // A full queue loses the newest replies, counts them and says so once
    // per take; nothing waits beyond the bound.
    void fullQueueDropsAndCounts()
    {
        UdpTransport transport;
        UdpTransport::Config config = loopbackConfig(true);
        config.maxQueued = 100;
        QVERIFY(transport.open(config).lanBound);
        QSignalSpy dropped(&transport, &UdpTransport::repliesDropped);
        QUdpSocket sender;
        const quint16 port = transport.localPort(UdpTransport::Lan);
        for (int n = 0; n < 300; ++n)
            sender.writeDatagram(reply(n), Loopback, port);
        QTRY_COMPARE_WITH_TIMEOUT(transport.dropped(), quint64(200), 5000);
        QCOMPARE(transport.queued(), 100);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("200 replies dropped")));
        std::deque<UdpTransport::Datagram> got;
        QCOMPARE(transport.take(got, 1000), 100);
        QCOMPARE(idOf(got.front().data), 0);
        QCOMPARE(idOf(got.back().data), 99);
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(0).toULongLong(), quint64(200));
        QCOMPARE(transport.take(got, 1000), 0);
        QCOMPARE(dropped.count(), 1);
    }

    // datagramsReady comes once per batch of arrivals, not once per
    // datagram, and again after a take. It is emitted on the reader thread,
    // so it is counted on ours through a queued connection (a QSignalSpy
    // would count it on the reader thread).
    void readyIsSignalledOnceUntilTaken()
    {
        UdpTransport transport;
        QVERIFY(transport.open(loopbackConfig(true)).lanBound);
        QObject here;
        QList<int> ready;
        connect(&transport, &UdpTransport::datagramsReady, &here, [&ready] { ready << 1; });
        QUdpSocket sender;
        const quint16 port = transport.localPort(UdpTransport::Lan);
        for (int n = 0; n < 50; ++n)
            sender.writeDatagram(reply(n), Loopback, port);
        QTRY_COMPARE_WITH_TIMEOUT(transport.queued(), 50, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, 5000); // delivered on our thread after the queueing
        QTest::qWait(50);
        QCOMPARE(ready.count(), 1);
        std::deque<UdpTransport::Datagram> got;
        transport.take(got, 10);
        sender.writeDatagram(reply(99), Loopback, port);
        QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 2, 5000);
        QCOMPARE(transport.queued(), 41);
    }

    // Sends leave from the transport's own sockets, in call order.
    void sendsLeaveFromTheBoundPorts_data()
    {
        QTest::addColumn<bool>("readerThread");
        QTest::newRow("reader thread") << true;
        QTest::newRow("owner's thread") << false;
    }

    void sendsLeaveFromTheBoundPorts()
    {
        QFETCH(bool, readerThread);
        UdpTransport transport;
        QVERIFY(transport.open(loopbackConfig(readerThread)).wanBound);
        QUdpSocket peer;
        QVERIFY(peer.bind(Loopback, 0));
        for (int i = 0; i < 100; ++i) {
            const QByteArray d(1, char(i));
            QCOMPARE(transport.send(UdpTransport::Wan, d.constData(), d.size(), Loopback, peer.localPort()), 1);
        }
        QCOMPARE(transport.send(UdpTransport::Wan, "x", 1, QHostAddress(), peer.localPort()), -1);
        QCOMPARE(transport.send(UdpTransport::Wan, "x", 0, Loopback, peer.localPort()), -1);
        for (int i = 0; i < 100; ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(peer.hasPendingDatagrams(), 5000);
            quint16 from = 0;
            char byte = 0;
            QCOMPARE(peer.readDatagram(&byte, 1, nullptr, &from), 1);
            QCOMPARE(int(byte), i);
            QCOMPARE(from, transport.localPort(UdpTransport::Wan));
        }
    }

    // A port that is taken is reported, not hidden; the other socket works.
    void bindFailureIsReported()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(Loopback, 0));
        UdpTransport transport;
        UdpTransport::Config config = loopbackConfig(true);
        config.lanPort = holder.localPort();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("LAN socket: bind")));
        const UdpTransport::Status status = transport.open(config);
        QVERIFY(!status.lanBound);
        QVERIFY(!status.lanError.isEmpty());
        QVERIFY(status.wanBound);
        QCOMPARE(transport.send(UdpTransport::Lan, "x", 1, Loopback, holder.localPort()), -1);
        QVERIFY(transport.send(UdpTransport::Wan, "x", 1, Loopback, holder.localPort()) == 1);
    }

    // Another program bound to our port with address sharing: our bind still
    // works (as it always has), but the sharing is reported, since the system
    // may hand that program some of the replies.
    void sharedPortIsReported_data()
    {
        QTest::addColumn<bool>("otherHolder");
        QTest::newRow("port free") << false;
        QTest::newRow("port shared with another socket") << true;
    }

    void sharedPortIsReported()
    {
        QFETCH(bool, otherHolder);
        QUdpSocket first;
        QVERIFY(first.bind(Loopback, 0));
        const quint16 port = first.localPort();
        first.close(); // a port known to be free a moment ago
        QUdpSocket holder;
        if (otherHolder)
            QVERIFY(holder.bind(Loopback, port, QUdpSocket::ReuseAddressHint));
        UdpTransport transport;
        UdpTransport::Config config = loopbackConfig(true);
        config.lanPort = port;
        const UdpTransport::Status status = transport.open(config);
        QVERIFY(status.lanBound);
        QCOMPARE(status.lanPortShared, otherHolder);
        QCOMPARE(status.wanPortShared, false);
    }

    // A new scan must not take what arrived before its query as answers to
    // it: everything waiting, queued or still at the socket, is thrown away.
    void discardWaitingForgetsEarlierReplies_data()
    {
        QTest::addColumn<bool>("readerThread");
        QTest::newRow("reader thread") << true;
        QTest::newRow("owner's thread") << false;
    }

    void discardWaitingForgetsEarlierReplies()
    {
        QFETCH(bool, readerThread);
        UdpTransport transport;
        QVERIFY(transport.open(loopbackConfig(readerThread)).lanBound);
        const quint16 port = transport.localPort(UdpTransport::Lan);
        QUdpSocket sender;
        for (int n = 0; n < 20; ++n)
            sender.writeDatagram(reply(n), Loopback, port);
        if (readerThread)
            QTRY_VERIFY_WITH_TIMEOUT(transport.queued() > 0, 5000); // some queued, the rest at the socket
        QCOMPARE(transport.discardWaiting(), 20);
        QCOMPARE(transport.queued(), 0);
        sender.writeDatagram(reply(500), Loopback, port);
        Collector c { transport, {}, 0 };
        c.collect(1, 5000);
        QCOMPARE(int(c.got.size()), 1);
        QCOMPARE(idOf(c.got[0].data), 500);
    }

    // Datagrams the system drops because the receive buffer is full are
    // counted: nothing reads while a burst fills a small buffer.
    void systemDropsAreCounted()
    {
        UdpTransport transport;
        UdpTransport::Config config = loopbackConfig(false); // read only when the event loop runs
        config.receiveBufferBytes = 4096;
        QVERIFY(transport.open(config).lanBound);
        QCOMPARE(transport.systemDropped(), quint64(0));
        const quint16 port = transport.localPort(UdpTransport::Lan);
        QUdpSocket sender;
        constexpr int Sent = 300;
        for (int n = 0; n < Sent; ++n)
            sender.writeDatagram(reply(n), Loopback, port);
        Collector c { transport, {}, 0 };
        c.collect(Sent, 1000);
        QVERIFY(transport.systemDropped() > 0);
        QCOMPARE(quint64(c.got.size()) + transport.systemDropped(), quint64(Sent));
    }

    // A write that fails says why.
    void failedSendHasReason()
    {
        UdpTransport transport;
        QVERIFY(transport.open(loopbackConfig(true)).wanBound);
        QString why;
        const QByteArray tooLarge(70000, 'x');
        QCOMPARE(transport.send(UdpTransport::Wan, tooLarge.constData(), tooLarge.size(), Loopback, 9, &why), -1);
        QVERIFY(!why.isEmpty());
        QCOMPARE(transport.send(UdpTransport::Wan, "x", 1, QHostAddress(), 9, &why), -1);
        QCOMPARE(why, QStringLiteral("no destination address"));
        QUdpSocket peer;
        QVERIFY(peer.bind(Loopback, 0));
        QCOMPARE(transport.send(UdpTransport::Wan, "x", 1, Loopback, peer.localPort(), &why), 1);
        QVERIFY(why.isEmpty());
    }

    void forcedFallbackReadsOnTheOwnersThread()
    {
        qputenv("QUENZAL_READER_THREAD", "0");
        UdpTransport transport;
        const UdpTransport::Status status = transport.open(loopbackConfig(true));
        qunsetenv("QUENZAL_READER_THREAD");
        QVERIFY(!status.readerThread);
        QUdpSocket sender;
        sender.writeDatagram(reply(3), Loopback, transport.localPort(UdpTransport::Lan));
        Collector c { transport, {}, 0 };
        c.collect(1, 5000);
        QCOMPARE(int(c.got.size()), 1);
    }
};

QTEST_GUILESS_MAIN(TestUdpTransport)
#include "tst_udptransport.moc"
