#pragma once
// Drains the tool's two UDP sockets on a thread of its own.
//
// A LAN query on a large site is answered by every terminal at once. The
// kernel keeps only a few hundred datagrams per socket; whatever arrives
// while the GUI thread sorts, fits columns or paints is lost. This reader
// does nothing but move datagrams from the sockets into a queue, so the GUI
// thread can turn them into rows at its own pace without losing any.
//
// It also asks the kernel for a large receive buffer on both sockets.
// It reads the sockets' descriptors directly (non-blocking recv), cut at the
// same 1024 bytes the list would read, and remembers which socket each
// datagram came from. wake() is called from the reader thread when the queue
// turns non-empty; it must only post work to the GUI thread.

#include <QByteArray>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace quenzal {

class ReplyReader
{
public:
    enum Source : int { Lan = 0, Wan = 1 };
    struct Datagram
    {
        Source source;
        QByteArray data;
    };

    // Descriptors of the LAN and WAN sockets (-1: not there).
    ReplyReader(qintptr lanFd, qintptr wanFd, std::function<void()> wake);
    ~ReplyReader();
    ReplyReader(const ReplyReader &) = delete;
    ReplyReader &operator=(const ReplyReader &) = delete;

    // Moves everything queued so far to the end of `out`.
    void takeAll(std::deque<Datagram> &out);

    // Datagrams dropped because the queue was full (a GUI thread that stopped
    // taking for a very long time).
    quint64 dropped() const { return m_dropped.load(); }

    static constexpr size_t MaxQueued = 1 << 20;
    // Asked for on both sockets; the kernel caps it at net.core.rmem_max
    // unless the process may exceed that. A 102-byte reply takes about 1 KiB
    // of it, so this holds a burst of well over 10,000 replies.
    static constexpr int ReceiveBufferBytes = 16 << 20;

private:
    void run();

    int m_fds[2];
    int m_stopPipe[2] = { -1, -1 };
    std::function<void()> m_wake;
    std::mutex m_mutex;
    std::deque<Datagram> m_queue;
    bool m_wakePending = false;
    std::atomic<quint64> m_dropped { 0 };
    std::thread m_thread;
};

} // namespace quenzal
