// quenzal-terminal-sim: plays a fleet of terminals over real UDP sockets.
//
// LAN: listens on port 12682 in the group 239.0.0.2; every terminal of the
// fleet answers a query with its status reply to the query's sender.
// WAN: listens on port 12685 on each terminal's own address; the terminals
// at that address answer a query sent there. Every datagram is handed to
// every terminal it reaches (sim::applyCommand), so commands take effect and
// show in the next reply. Every received datagram is logged, one line each:
// "<hex bytes> <source address> <source port>". Runs for a bounded time.
#include "applycommand.h"
#include "fleetconfig.h"
#include "replybuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

constexpr quint16 LanPort = 12682;
constexpr quint16 WanPort = 12685;
const char Group[] = "239.0.0.2";
// A datagram that starts so is a test's marker (see the README): logged like
// any other, after every datagram that waited before it, and taken by no
// terminal.
const char SyncMarker[] = "qz-sync-";

quint32 addressNumber(const std::array<quint8, 4> &a)
{
    return (quint32(a[0]) << 24) | (quint32(a[1]) << 16) | (quint32(a[2]) << 8) | a[3];
}

bool isQuery(const QByteArray &d)
{
    return d.size() >= 3 && quint8(d[0]) == 0xAA && quint8(d[1]) == 0x02 && quint8(d[2]) == 0xF2;
}

qint64 monotonicNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// A burst of thousands of replies must not be dropped by our own send
// buffer: wait until the socket takes the datagram.
bool sendAll(int fd, const QByteArray &data, const QHostAddress &to, quint16 port)
{
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(to.toIPv4Address());
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (::sendto(fd, data.constData(), size_t(data.size()), 0, reinterpret_cast<sockaddr *>(&sa), sizeof sa) >= 0)
            return true;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOBUFS && errno != EINTR)
            return false;
        pollfd p { fd, POLLOUT, 0 };
        ::poll(&p, 1, 10);
    }
    return false;
}

class Simulator
{
public:
    Simulator(std::vector<sim::TerminalState> terminals, QFile &log, bool logLocal, bool lanOnly)
        : m_terminals(std::move(terminals))
        , m_log(log)
        , m_logLocal(logLocal)
        , m_lanOnly(lanOnly)
    {
    }

    bool start()
    {
        if (!m_lan.bind(QHostAddress::AnyIPv4, LanPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
            std::fprintf(stderr, "LAN bind to port %u failed: %s\n", LanPort, qPrintable(m_lan.errorString()));
            return false;
        }
        m_lan.setSocketOption(QAbstractSocket::MulticastLoopbackOption, QVariant(0));
        if (!m_lan.joinMulticastGroup(QHostAddress(QLatin1String(Group))))
            std::fprintf(stderr, "join of %s failed: %s\n", Group, qPrintable(m_lan.errorString()));
        QObject::connect(&m_lan, &QUdpSocket::readyRead, &m_lan, [this] { readLan(); });
        syncWanSockets();
        return true;
    }

private:
    // One socket per distinct terminal address; a terminal whose address
    // changed by command is reachable at the new one from then on.
    void syncWanSockets()
    {
        if (m_lanOnly)
            return;
        for (const sim::TerminalState &t : m_terminals) {
            const quint32 ip = addressNumber(t.ip);
            if (m_wan.count(ip))
                continue;
            auto socket = std::make_unique<QUdpSocket>();
            QUdpSocket *raw = socket.get();
            if (!raw->bind(QHostAddress(ip), WanPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
                std::fprintf(stderr, "WAN bind to %s:%u failed (%s); terminals there answer LAN queries only\n",
                    qPrintable(QHostAddress(ip).toString()), WanPort, qPrintable(raw->errorString()));
                m_wan.emplace(ip, nullptr);
                continue;
            }
            QObject::connect(raw, &QUdpSocket::readyRead, raw, [this, raw, ip] { readWan(raw, ip); });
            m_wan.emplace(ip, std::move(socket));
        }
    }

    void logDatagram(const QNetworkDatagram &d, const QHostAddress &local, quint16 localPort)
    {
        QByteArray line = d.data().toHex(' ') + ' ' + d.senderAddress().toString().toLatin1() + ' '
            + QByteArray::number(d.senderPort());
        if (m_logLocal)
            line += " to " + local.toString().toLatin1() + ':' + QByteArray::number(localPort);
        m_log.write(line + '\n');
    }

    void readLan()
    {
        while (m_lan.hasPendingDatagrams()) {
            const QNetworkDatagram d = m_lan.receiveDatagram();
            const QHostAddress local
                = d.destinationAddress().isNull() ? QHostAddress(QLatin1String(Group)) : d.destinationAddress();
            if (d.data().startsWith(SyncMarker)) {
                // A test waits for this line to know that everything sent
                // before it has been taken: what waits at the WAN sockets
                // is read first.
                for (auto &wan : m_wan) {
                    if (wan.second)
                        readWan(wan.second.get(), wan.first);
                }
                logDatagram(d, local, LanPort);
                continue;
            }
            logDatagram(d, local, LanPort);
            std::vector<size_t> all(m_terminals.size());
            for (size_t i = 0; i < all.size(); ++i)
                all[i] = i;
            deliver(d, all, int(m_lan.socketDescriptor()));
        }
    }

    void readWan(QUdpSocket *socket, quint32 ip)
    {
        while (socket->hasPendingDatagrams()) {
            const QNetworkDatagram d = socket->receiveDatagram();
            logDatagram(d, QHostAddress(ip), WanPort);
            std::vector<size_t> here;
            for (size_t i = 0; i < m_terminals.size(); ++i) {
                if (addressNumber(m_terminals[i].ip) == ip)
                    here.push_back(i);
            }
            deliver(d, here, int(socket->socketDescriptor()));
        }
    }

    void deliver(const QNetworkDatagram &d, const std::vector<size_t> &targets, int replyFd)
    {
        const QByteArray data = d.data();
        bool changed = false;
        for (size_t i : targets) {
            if (m_terminals[i].ignoresCommands)
                continue;
            const sim::ApplyResult r = sim::applyCommand(m_terminals[i], data);
            if (r.applied) {
                m_log.write("applied " + QByteArray::number(m_terminals[i].id) + ' ' + r.description.toUtf8() + '\n');
                changed = true;
            }
        }
        if (changed)
            syncWanSockets();
        if (!isQuery(data) || targets.empty())
            return;
        int sent = 0;
        for (size_t i : targets) {
            // A terminal answers from its own address where it has a socket
            // there, as a device of its own would; the rest share replyFd.
            int fd = replyFd;
            const auto own = m_wan.find(addressNumber(m_terminals[i].ip));
            if (own != m_wan.end() && own->second)
                fd = int(own->second->socketDescriptor());
            if (sendAll(fd, sim::buildStatusReply(m_terminals[i]), d.senderAddress(), quint16(d.senderPort())))
                ++sent;
        }
        std::printf("replied %d %lld\n", sent, static_cast<long long>(monotonicNs()));
        std::fflush(stdout);
    }

    std::vector<sim::TerminalState> m_terminals;
    QFile &m_log;
    bool m_logLocal;
    bool m_lanOnly;
    QUdpSocket m_lan;
    std::map<quint32, std::unique_ptr<QUdpSocket>> m_wan;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays a fleet of terminals for the maintenance tool."));
    parser.addHelpOption();
    const QCommandLineOption configOption(
        QStringLiteral("config"), QStringLiteral("fleet file"), QStringLiteral("file"));
    const QCommandLineOption logOption(
        QStringLiteral("log"), QStringLiteral("log file (default stdout)"), QStringLiteral("file"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("run time limit (default 60)"),
        QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption logLocalOption(QStringLiteral("log-local"),
        QStringLiteral("append \" to <address>:<port>\" (where it arrived) to each log line"));
    const QCommandLineOption lanOnlyOption(
        QStringLiteral("lan-only"), QStringLiteral("no WAN sockets: the terminals answer LAN queries only"));
    parser.addOptions({ configOption, logOption, secondsOption, logLocalOption, lanOnlyOption });
    parser.process(app);

    if (!parser.isSet(configOption)) {
        std::fprintf(stderr, "--config is required\n");
        return 2;
    }
    QFile configFile(parser.value(configOption));
    if (!configFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(configFile.fileName()));
        return 2;
    }
    sim::FleetConfig config = sim::parseFleetConfig(QString::fromUtf8(configFile.readAll()));
    if (!config.error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(configFile.fileName()), qPrintable(config.error));
        return 2;
    }

    QFile log;
    if (parser.isSet(logOption)) {
        log.setFileName(parser.value(logOption));
        if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(log.fileName()));
            return 2;
        }
    } else if (!log.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return 2;
    }

    const int seconds = qBound(1, parser.value(secondsOption).toInt(), 24 * 3600);
    Simulator simulator(std::move(config.terminals), log, parser.isSet(logLocalOption), parser.isSet(lanOnlyOption));
    if (!simulator.start())
        return 1;
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
