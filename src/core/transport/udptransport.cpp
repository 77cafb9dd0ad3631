#include "core/transport/udptransport.h"

#include "core/platform.h"
#include "core/transport/logging.h"
#include "core/transport/statusreply.h"

#include <QThread>

#include <future>
#include <QVariant>
#include <QUdpSocket>

namespace quenzal {

namespace {

// Datagrams read from one socket before the reader gives the other socket
// and waiting sends a turn.
constexpr int ReadRun = 512;

// Work handed to the reader thread travels through Qt's event queue, whose
// lock ThreadSanitizer cannot see in an uninstrumented Qt. Under it, these
// tell it that everything before handOver(p) happens before takeOver(p);
// otherwise they are nothing.
#if defined(__SANITIZE_THREAD__)
#define QUENZAL_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUENZAL_UNDER_TSAN 1
#endif
#endif
#ifdef QUENZAL_UNDER_TSAN
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
void handOver(void *p)
{
    __tsan_release(p);
}
void takeOver(void *p)
{
    __tsan_acquire(p);
}
#else
void handOver(void *) { }
void takeOver(void *) { }
#endif

} // namespace

// The sockets and everything done with them; lives on the reader thread (or,
// in the fallback, on the owner's thread).
class TransportEndpoint : public QObject
{
public:
    explicit TransportEndpoint(UdpTransport *owner)
        : m_owner(owner)
    {
    }

    UdpTransport::Status open(const UdpTransport::Config &config)
    {
        UdpTransport::Status status;
        m_group = config.group;
        for (int i : { UdpTransport::Wan, UdpTransport::Lan }) {
            auto *socket = new QUdpSocket(this);
            m_sockets[i] = socket;
            const auto which = UdpTransport::Socket(i);
            const quint16 port = which == UdpTransport::Lan ? config.lanPort : config.wanPort;
            (which == UdpTransport::Lan ? status.lanPortShared : status.wanPortShared)
                = port != 0 && portTaken(config.bindAddress, port);
            const bool bound = socket->bind(config.bindAddress, port, QUdpSocket::ReuseAddressHint);
            const char *name = which == UdpTransport::Lan ? "LAN" : "WAN";
            if (!bound)
                qCWarning(lcTransport) << name << "socket: bind to port" << port << "failed:" << socket->errorString();
            (which == UdpTransport::Lan ? status.lanBound : status.wanBound) = bound;
            if (!bound)
                (which == UdpTransport::Lan ? status.lanError : status.wanError) = socket->errorString();
            if (bound) {
                socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, config.sendBufferBytes);
                socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, config.receiveBufferBytes);
                if (socket->socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt()
                    < config.receiveBufferBytes)
                    forceReceiveBuffer(socket->socketDescriptor(), config.receiveBufferBytes);
                (which == UdpTransport::Lan ? status.lanReceiveBuffer : status.wanReceiveBuffer)
                    = socket->socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt();
            }
            QObject::connect(socket, &QUdpSocket::readyRead, this, [this, which] { drain(which); });
        }

        QUdpSocket *lan = m_sockets[UdpTransport::Lan];
        lan->setSocketOption(QAbstractSocket::MulticastLoopbackOption, 0);
        if (config.joinGroup && status.lanBound) {
            QString error;
            status.joined = join(config.multicastInterface, &error);
            status.joinError = error;
        }
        return status;
    }

    bool join(const QNetworkInterface &iface, QString *error)
    {
        QUdpSocket *lan = m_sockets[UdpTransport::Lan];
        if (lan->state() != QAbstractSocket::BoundState) {
            if (error)
                *error = QStringLiteral("the LAN socket is not bound");
            return false;
        }
        if (m_joined) {
            if (m_joinedOn.isValid())
                lan->leaveMulticastGroup(m_group, m_joinedOn);
            else
                lan->leaveMulticastGroup(m_group);
            m_joined = false;
        }
        if (iface.isValid())
            lan->setMulticastInterface(iface);
        else if (m_chosenInterface)
            lan->setMulticastInterface(QNetworkInterface()); // back to the system's choice
        m_chosenInterface = iface.isValid();
        const bool ok = iface.isValid() ? lan->joinMulticastGroup(m_group, iface) : lan->joinMulticastGroup(m_group);
        if (!ok) {
            qCWarning(lcTransport) << "LAN socket: join of" << m_group.toString() << "on"
                                   << (iface.isValid() ? iface.name() : QStringLiteral("the default interface"))
                                   << "failed:" << lan->errorString();
            if (error)
                *error = lan->errorString();
            return false;
        }
        m_joined = true;
        m_joinedOn = iface;
        return true;
    }

    qint64 send(
        UdpTransport::Socket which, const char *data, qint64 size, const QHostAddress &to, quint16 port, QString *error)
    {
        QUdpSocket *socket = m_sockets[which];
        if (!socket || socket->state() != QAbstractSocket::BoundState) {
            *error = QStringLiteral("the socket is not bound");
            return -1;
        }
        if (to.isNull()) {
            *error = QStringLiteral("no destination address");
            return -1;
        }
        const qint64 written = socket->writeDatagram(data, size, to, port);
        if (written < 0) {
            *error = socket->errorString();
            qCDebug(lcTransport) << "write to" << to.toString() << port << "failed:" << *error;
        } else if (written != size) {
            *error = QStringLiteral("only %1 of %2 bytes written").arg(written).arg(size);
            return -1;
        }
        return written;
    }

    // Reads and forgets whatever waits at both sockets.
    int discard()
    {
        int n = 0;
        for (QUdpSocket *socket : m_sockets) {
            while (socket && socket->state() == QAbstractSocket::BoundState && socket->hasPendingDatagrams()) {
                char byte;
                socket->readDatagram(&byte, 1);
                ++n;
            }
        }
        return n;
    }

    QUdpSocket *socket(UdpTransport::Socket which) const { return m_sockets[which]; }

private:
    // True when a socket bound without address sharing cannot take the port:
    // someone else holds it already (with sharing, as this tool binds).
    static bool portTaken(const QHostAddress &address, quint16 port)
    {
        QUdpSocket probe;
        if (probe.bind(address, port, QUdpSocket::DontShareAddress))
            return false;
        return probe.error() == QAbstractSocket::AddressInUseError;
    }

    // Reads a bounded run of datagrams and hands the replies over; the rest
    // comes with the next readyRead(), after the other socket and waiting
    // sends had their turn.
    void drain(UdpTransport::Socket which)
    {
        QUdpSocket *socket = m_sockets[which];
        char buffer[StatusReplyReadLimit];
        std::deque<UdpTransport::Datagram> batch;
        int ignored = 0;
        int n = 0;
        for (; n < ReadRun; ++n) {
            // The first read is tried even when nothing seems to wait: a wake
            // whose datagrams were already read (discard()) must still read
            // once, or the socket's notifier stays off for good.
            if (n > 0 && !socket->hasPendingDatagrams())
                break;
            QHostAddress from;
            const qint64 got = socket->readDatagram(buffer, sizeof buffer, &from);
            if (got < 0 && n == 0 && !socket->hasPendingDatagrams())
                return; // nothing was there
            if (got < 0 || !isStatusReply(buffer, got)) {
                ++ignored; // unreadable or no status reply: still a sign of life
                continue;
            }
            batch.push_back(UdpTransport::Datagram { which, QByteArray(buffer, qsizetype(got)), from });
        }
        if (n > 0)
            m_owner->enqueue(batch, ignored);
        // Whatever is left wakes the socket notifier again at once.
    }

    UdpTransport *m_owner;
    QUdpSocket *m_sockets[2] = { nullptr, nullptr };
    QHostAddress m_group;
    QNetworkInterface m_joinedOn;
    bool m_joined = false;
    bool m_chosenInterface = false; // multicast leaves by a named interface
};

UdpTransport::UdpTransport(QObject *parent)
    : QObject(parent)
{
}

// Runs f on the endpoint's thread and waits for its result. The hand-over
// goes through a std::promise rather than a blocking queued call, so the
// result is published by a lock that thread checkers can see.
template <typename F> auto UdpTransport::onEndpoint(F &&f) const
{
    using R = decltype(f());
    if (!m_thread || m_endpoint->thread() == QThread::currentThread())
        return f();
    std::promise<R> done;
    std::future<R> result = done.get_future();
    handOver(&done);
    QMetaObject::invokeMethod(
        m_endpoint,
        [&done, &f] {
            takeOver(&done);
            R value = f();
            handOver(&done);
            done.set_value(std::move(value));
        },
        Qt::QueuedConnection);
    R value = result.get();
    takeOver(&done);
    return value;
}

UdpTransport::~UdpTransport()
{
    if (!m_endpoint)
        return;
    if (m_thread) {
        TransportEndpoint *endpoint = m_endpoint;
        onEndpoint([endpoint] {
            delete endpoint;
            return true;
        });
        m_thread->quit();
        m_thread->wait();
    } else {
        delete m_endpoint;
    }
}

UdpTransport::Status UdpTransport::open(const Config &config)
{
    Q_ASSERT(!m_endpoint);
    m_maxQueued = qMax(1, config.maxQueued);
    m_endpoint = new TransportEndpoint(this);

    QString threadProblem;
    const bool wanted = config.readerThread && qEnvironmentVariable("QUENZAL_READER_THREAD") != QLatin1String("0");
    if (wanted) {
        m_thread = std::make_unique<QThread>();
        m_thread->setObjectName(QStringLiteral("quenzal-reader"));
        m_thread->start();
        if (!m_thread->isRunning()) {
            threadProblem = QStringLiteral("the reader thread could not start");
            m_thread.reset();
        } else {
            m_endpoint->moveToThread(m_thread.get());
        }
    }
    m_status = onEndpoint([&] { return m_endpoint->open(config); });
    for (int i : { Lan, Wan }) {
        m_descriptors[i] = onEndpoint([&] { return m_endpoint->socket(Socket(i))->socketDescriptor(); });
        m_systemDropsAtOpen[i] = qMax<qint64>(0, receiveDrops(m_descriptors[i]));
    }
    m_status.readerThread = m_thread != nullptr;
    if (!threadProblem.isEmpty()) {
        qCWarning(lcTransport).noquote() << threadProblem + QStringLiteral("; replies are read on the main thread");
        QMetaObject::invokeMethod(
            this, [this, threadProblem] { Q_EMIT readerStopped(threadProblem); }, Qt::QueuedConnection);
    }
    return m_status;
}

qint64 UdpTransport::send(
    Socket socket, const char *data, qint64 size, const QHostAddress &to, quint16 port, QString *error)
{
    QString why;
    qint64 written = -1;
    if (!m_endpoint)
        why = QStringLiteral("the sockets are not open");
    else if (size <= 0)
        why = QStringLiteral("nothing to send");
    else if (m_holding && to.isNull())
        why = QStringLiteral("no destination address");
    else if (m_holding) {
        m_held.push_back({ socket, QByteArray(data, size), to, port });
        written = size;
    } else
        written = onEndpoint([&] { return m_endpoint->send(socket, data, size, to, port, &why); });
    if (error)
        *error = written < 0 ? why : QString();
    return written;
}

quint64 UdpTransport::systemDropped() const
{
    // The descriptors are fixed after open(); reading a socket option is
    // safe from any thread, so the reader thread is not disturbed.
    quint64 total = 0;
    for (int i : { Lan, Wan }) {
        const qint64 now = receiveDrops(m_descriptors[i]);
        if (now > m_systemDropsAtOpen[i])
            total += quint64(now - m_systemDropsAtOpen[i]);
    }
    return total;
}

int UdpTransport::discardWaiting()
{
    if (!m_endpoint)
        return 0;
    int n = onEndpoint([this] { return m_endpoint->discard(); });
    std::lock_guard<std::mutex> lock(m_mutex);
    n += int(m_queue.size());
    m_queue.clear();
    m_ignored = 0;
    return n;
}

void UdpTransport::holdSends()
{
    m_holding = true;
}

std::vector<QString> UdpTransport::releaseSends()
{
    m_holding = false;
    std::vector<QString> errors(m_held.size());
    if (m_held.empty() || !m_endpoint) {
        for (QString &e : errors)
            e = QStringLiteral("the sockets are not open");
        m_held.clear();
        return errors;
    }
    onEndpoint([&] {
        for (size_t i = 0; i < m_held.size(); ++i) {
            const HeldSend &h = m_held[i];
            m_endpoint->send(h.socket, h.data.constData(), h.data.size(), h.to, h.port, &errors[i]);
        }
        return 0;
    });
    m_held.clear();
    return errors;
}

bool UdpTransport::setMulticastInterface(const QNetworkInterface &iface, QString *error)
{
    if (!m_endpoint)
        return false;
    QString why;
    const bool ok = onEndpoint([&] { return m_endpoint->join(iface, &why); });
    m_status.joined = ok;
    m_status.joinError = why;
    if (error)
        *error = why;
    return ok;
}

quint16 UdpTransport::localPort(Socket socket) const
{
    if (!m_endpoint)
        return 0;
    return onEndpoint([&] { return m_endpoint->socket(socket)->localPort(); });
}

QAbstractSocket::SocketState UdpTransport::state(Socket socket) const
{
    if (!m_endpoint)
        return QAbstractSocket::UnconnectedState;
    return onEndpoint([&] { return m_endpoint->socket(socket)->state(); });
}

QVariant UdpTransport::socketOption(Socket socket, QAbstractSocket::SocketOption option) const
{
    if (!m_endpoint)
        return {};
    return onEndpoint([&] { return m_endpoint->socket(socket)->socketOption(option); });
}

void UdpTransport::enqueue(std::deque<Datagram> &batch, int ignored)
{
    bool wake = false;
    quint64 lost = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (Datagram &d : batch) {
            if (m_queue.size() < size_t(m_maxQueued))
                m_queue.push_back(std::move(d));
            else
                ++lost;
        }
        m_ignored += ignored;
        if (!m_readyPending) {
            m_readyPending = true;
            wake = true;
        }
    }
    if (lost)
        m_dropped.fetch_add(lost);
    if (wake)
        Q_EMIT datagramsReady();
}

int UdpTransport::take(std::deque<Datagram> &out, int max, int *ignored)
{
    int moved = 0;
    int skipped = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        while (moved < max && !m_queue.empty()) {
            out.push_back(std::move(m_queue.front()));
            m_queue.pop_front();
            ++moved;
        }
        skipped = m_ignored;
        m_ignored = 0;
        m_readyPending = false;
    }
    if (ignored)
        *ignored = skipped;
    const quint64 lost = m_dropped.load();
    if (lost != m_droppedReported) {
        qCWarning(lcTransport) << lost - m_droppedReported << "replies dropped: the receive queue was full ("
                               << m_maxQueued << "waiting);" << lost << "in all";
        m_droppedReported = lost;
        Q_EMIT repliesDropped(lost);
    }
    return moved;
}

int UdpTransport::queued() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_queue.size());
}

} // namespace quenzal
