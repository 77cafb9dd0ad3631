// quenzal-flood: sends, as fast as it can and for a bounded time, a mix of
// junk and real status replies to both of the tool's ports, for the soak
// benchmark. Run it only inside the namespace rig.
//
//   quenzal-flood --target ADDRESS [--seconds S] [--terminals N] [--repeats R]
//
// The LAN port (12682) gets junk that no terminal would send (random bytes,
// wrong lead bytes, a lone lead byte, empty datagrams) and, spread evenly
// over the run, R status replies from each of N distinct terminals. The WAN
// port (12685) gets junk and truncated and over-long replies, which a tool
// in LAN mode reads and drops. Prints "sent <datagrams> <replies> <ms>" at
// the end.
#include "replybuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QUdpSocket>
#include <QVariant>

#include <cstdio>
#include <vector>

namespace {

QByteArray terminalReply(int n)
{
    sim::TerminalState t;
    t.id = quint16(n + 1);
    t.ip = { 10, 30, quint8(n / 250), quint8(n % 250 + 1) };
    t.mac = { 2, 0, 0, 0x77, quint8(n >> 8), quint8(n & 0xFF) };
    t.mask = { 255, 255, 0, 0 };
    t.firmware = 545;
    return sim::buildStatusReply(t);
}

std::vector<QByteArray> junkPool(QRandomGenerator &rng, bool forWan)
{
    std::vector<QByteArray> pool;
    for (int i = 0; i < 2048; ++i) {
        const int kind = int(rng.bounded(forWan ? 6 : 4));
        QByteArray d;
        switch (kind) {
        case 0: // random bytes of any length up to a full frame
            d.resize(int(rng.bounded(1501)));
            for (char &c : d)
                c = char(rng.bounded(256));
            if (d.size() >= 2 && quint8(d[0]) == 0xAA && quint8(d[1]) == 0xFD)
                d[1] = 0x00;
            break;
        case 1: // a reply with wrong lead bytes
            d = terminalReply(int(rng.bounded(500)));
            d[rng.bounded(2)] ^= char(0x5A);
            break;
        case 2:
            d = QByteArray(1, char(0xAA));
            break;
        case 3:
            break; // empty
        case 4: // truncated reply
            d = terminalReply(int(rng.bounded(500))).left(2 + int(rng.bounded(99)));
            break;
        default: // over-long reply
            d = terminalReply(int(rng.bounded(500))) + QByteArray(int(rng.bounded(1400)), char(0x33));
            break;
        }
        pool.push_back(d);
    }
    return pool;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("target"), QStringLiteral("The tool's address."), QStringLiteral("address") });
    parser.addOption({ QStringLiteral("seconds"), QStringLiteral("Length of the run (at most 600)."),
        QStringLiteral("s"), QStringLiteral("60") });
    parser.addOption({ QStringLiteral("terminals"), QStringLiteral("Distinct terminals."), QStringLiteral("n"),
        QStringLiteral("500") });
    parser.addOption({ QStringLiteral("repeats"), QStringLiteral("Replies per terminal."), QStringLiteral("r"),
        QStringLiteral("2") });
    parser.process(app);
    const QHostAddress target(parser.value(QStringLiteral("target")));
    if (target.isNull()) {
        std::fprintf(stderr, "quenzal-flood: --target ADDRESS is needed\n");
        return 2;
    }
    const qint64 runMs = qBound(1, parser.value(QStringLiteral("seconds")).toInt(), 600) * qint64(1000);
    const int terminals = qBound(1, parser.value(QStringLiteral("terminals")).toInt(), 65535);
    const int repeats = qBound(1, parser.value(QStringLiteral("repeats")).toInt(), 100);

    QRandomGenerator rng(20261210);
    const std::vector<QByteArray> lanJunk = junkPool(rng, false);
    const std::vector<QByteArray> wanJunk = junkPool(rng, true);
    std::vector<QByteArray> replies;
    for (int n = 0; n < terminals; ++n)
        replies.push_back(terminalReply(n));

    QUdpSocket socket;
    socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4 << 20);
    const qint64 totalReplies = qint64(terminals) * repeats;
    qint64 sent = 0;
    qint64 repliesSent = 0;
    QElapsedTimer clock;
    clock.start();
    for (qint64 i = 0;; ++i) {
        const qint64 now = clock.elapsed();
        if (now >= runMs)
            break;
        // Replies fall due evenly over the run; one goes out as soon as due
        // (and is tried again while the send buffer is full).
        if (repliesSent < totalReplies && repliesSent * runMs <= now * totalReplies) {
            if (socket.writeDatagram(replies[size_t(repliesSent % terminals)], target, 12682) >= 0) {
                ++repliesSent;
                ++sent;
            }
            continue;
        }
        const bool lan = (i & 1) == 0;
        const std::vector<QByteArray> &pool = lan ? lanJunk : wanJunk;
        if (socket.writeDatagram(pool[size_t(i / 2) % pool.size()], target, lan ? 12682 : 12685) >= 0)
            ++sent;
    }
    // Whatever replies were not yet due (a very slow machine) go out now.
    for (int tries = 0; repliesSent < totalReplies && tries < 1000000; ++tries) {
        if (socket.writeDatagram(replies[size_t(repliesSent % terminals)], target, 12682) >= 0) {
            ++repliesSent;
            ++sent;
        }
    }
    std::printf("sent %lld %lld %lld\n", (long long)sent, (long long)repliesSent, (long long)clock.elapsed());
    return 0;
}
