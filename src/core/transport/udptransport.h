#pragma once
// The tool's two UDP sockets and the road of every datagram that reaches
// them.
//
// A LAN query on a large site is answered by every terminal at once. The
// kernel keeps only so many datagrams per socket; whatever arrives while the
// GUI thread sorts, fits columns or paints would be lost. So the two sockets
// live on a reader thread of their own, which does nothing but move status
// replies into a bounded queue; the owner (the window, the command-line tool)
// takes them at its own pace. Anything that is no status reply is dropped on
// the reader side and only counted, since a datagram of any kind still tells
// the list that replies are arriving.
//
// Sends leave from the same two sockets (ports 12682 and 12685), handed to the
// reader thread and written there before send() returns, so the order of
// datagrams on the wire is the order of the calls.
//
// If the reader thread cannot run, the sockets are read on the owner's
// thread instead: slower under a burst, never deaf. Every failure (a bind, the
// multicast join, the reader thread, a full queue) is logged and reported
// through status() and the signals, for the window's status bar and the
// command-line tool's exit code.
#include "core/transport/packets.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QObject>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class QThread;

namespace quenzal {

class TransportEndpoint;

class UdpTransport : public QObject
{
    Q_OBJECT

public:
    enum Socket : int { Lan = 0, Wan = 1 };
    struct Datagram
    {
        Socket source = Lan;
        QByteArray data;
        QHostAddress sender;
    };

    struct Config
    {
        quint16 lanPort = LanPort; // 0: any free port
        quint16 wanPort = WanPort;
        QHostAddress bindAddress = QHostAddress::AnyIPv4;
        QHostAddress group = QHostAddress(QLatin1String(MulticastGroup));
        bool joinGroup = true;
        // The interface the group is joined on and multicast leaves by; an
        // invalid one leaves the choice to the system.
        QNetworkInterface multicastInterface;
        // False: read on the owner's thread (also the fallback when the
        // reader thread cannot start). The environment variable
        // QUENZAL_READER_THREAD=0 forces it.
        bool readerThread = true;
        // Asked for on both sockets. A 102-byte reply takes about 1 KiB of
        // kernel buffer, so this holds a burst of well over 10,000 replies;
        // above net.core.rmem_max only a privileged process gets it.
        int receiveBufferBytes = 16 << 20;
        // Asked for on both sockets: a WAN scan of an on-link range queues
        // every query to an absent host in the kernel while its address is
        // being resolved (about 3 s), and that counts against the sender.
        int sendBufferBytes = 4 << 20;
        // Replies waiting between the sockets and the owner, at most.
        int maxQueued = 1 << 17;
    };

    struct Status
    {
        bool lanBound = false;
        bool wanBound = false;
        bool joined = false;
        QString lanError;
        QString wanError;
        QString joinError;
        bool readerThread = false; // replies are read on a thread of their own
        int lanReceiveBuffer = 0; // bytes, as the system reports them
        int wanReceiveBuffer = 0;
        // Another socket (a second copy of the tool, the command-line tool
        // beside the window) was bound to the port before ours: both bind,
        // and the system hands some replies to the other one.
        bool lanPortShared = false;
        bool wanPortShared = false;
    };

    explicit UdpTransport(QObject *parent = nullptr);
    ~UdpTransport() override;

    // Binds both sockets and joins the group. Call once.
    Status open(const Config &config);
    const Status &status() const { return m_status; }
    bool isOpen() const { return m_endpoint != nullptr; }

    // Writes one datagram from the given socket; returns the bytes written
    // or -1 (the socket is not bound, the address is null, the write failed),
    // with the reason in *error.
    qint64 send(Socket socket, const char *data, qint64 size, const QHostAddress &to, quint16 port,
        QString *error = nullptr);

    // Between holdSends() and releaseSends() (on the owner's thread) send()
    // keeps its datagrams, returning their size, and releaseSends() writes
    // them all, in call order, in one hand-over to the reader thread. A pass
    // that sends thousands of packets back to back would otherwise wait for
    // the reader thread once per packet. releaseSends() returns, per held
    // datagram in order, why it did not leave (empty when it did).
    void holdSends();
    std::vector<QString> releaseSends();
    int heldSends() const { return int(m_held.size()); }

    // Leaves the group, joins it again on `iface` and sends multicast out of
    // it. Returns false, with the reason in *error, when the join fails.
    bool setMulticastInterface(const QNetworkInterface &iface, QString *error = nullptr);

    quint16 localPort(Socket socket) const;
    QAbstractSocket::SocketState state(Socket socket) const;
    QVariant socketOption(Socket socket, QAbstractSocket::SocketOption option) const;

    // Moves up to `max` waiting replies to the end of `out`, oldest first,
    // and returns how many. Also returns (in *ignored) how many datagrams
    // were dropped as no status reply since the last call.
    int take(std::deque<Datagram> &out, int max, int *ignored = nullptr);
    int queued() const;
    // Replies lost because the queue was full, since open().
    quint64 dropped() const { return m_dropped.load(); }
    // Datagrams the system dropped on both sockets because their receive
    // buffers were full, since open(); 0 where the platform does not tell.
    quint64 systemDropped() const;

    // Throws away every datagram that has arrived and not been taken, in
    // the queue and still at the sockets: what a new scan must not count
    // as answers to its query. Returns how many.
    int discardWaiting();

Q_SIGNALS:
    // Something arrived while nothing was waiting: take() it. Emitted once
    // until the next take().
    void datagramsReady();
    // The queue was full and replies were lost; `total` since open().
    void repliesDropped(quint64 total);
    // The reader thread stopped or could not start; replies are now read on
    // the owner's thread.
    void readerStopped(const QString &reason);

private:
    friend class TransportEndpoint;
    // Called by the endpoint, on whatever thread reads the sockets.
    void enqueue(std::deque<Datagram> &batch, int ignored);
    template <typename F> auto onEndpoint(F &&f) const;

    Status m_status;
    std::unique_ptr<QThread> m_thread;
    TransportEndpoint *m_endpoint = nullptr; // lives on m_thread, or on ours
    int m_maxQueued = 0;

    struct HeldSend
    {
        Socket socket;
        QByteArray data;
        QHostAddress to;
        quint16 port;
    };
    bool m_holding = false;
    std::vector<HeldSend> m_held; // the owner's thread only

    mutable std::mutex m_mutex;
    std::deque<Datagram> m_queue;
    int m_ignored = 0;
    bool m_readyPending = false;
    std::atomic<quint64> m_dropped { 0 };
    // The sockets' descriptors and their system drop counts at open().
    qintptr m_descriptors[2] = { -1, -1 };
    qint64 m_systemDropsAtOpen[2] = { 0, 0 };
    quint64 m_droppedReported = 0;
};

} // namespace quenzal
