#include "core/transport/replyreader.h"

#include "core/transport/statusreply.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace quenzal {

namespace {

// A site answers one query all at once, faster than any thread is sure to be
// scheduled: the kernel must be able to hold the whole burst. Above the
// system's limit (net.core.rmem_max) only a privileged process gets it.
void enlargeReceiveBuffer(int fd)
{
    if (fd < 0)
        return;
    const int wanted = ReplyReader::ReceiveBufferBytes;
#ifdef SO_RCVBUFFORCE
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof wanted) == 0)
        return;
#endif
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted);
}

} // namespace

ReplyReader::ReplyReader(qintptr lanFd, qintptr wanFd, std::function<void()> wake)
    : m_fds { int(lanFd), int(wanFd) }
    , m_wake(std::move(wake))
{
    for (int fd : m_fds)
        enlargeReceiveBuffer(fd);
    if (::pipe(m_stopPipe) != 0) {
        m_stopPipe[0] = m_stopPipe[1] = -1;
    }
    m_thread = std::thread([this] { run(); });
}

ReplyReader::~ReplyReader()
{
    if (m_stopPipe[1] >= 0) {
        const char c = 0;
        while (::write(m_stopPipe[1], &c, 1) < 0 && errno == EINTR) { }
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : m_stopPipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

void ReplyReader::takeAll(std::deque<Datagram> &out)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (out.empty())
        out.swap(m_queue);
    else
        std::move(m_queue.begin(), m_queue.end(), std::back_inserter(out));
    m_queue.clear();
    m_wakePending = false;
}

void ReplyReader::run()
{
    if (m_stopPipe[0] < 0)
        return;
    char buffer[StatusReplyReadLimit];
    std::vector<Datagram> batch;
    for (;;) {
        pollfd fds[3] = { { m_fds[0], POLLIN, 0 }, { m_fds[1], POLLIN, 0 }, { m_stopPipe[0], POLLIN, 0 } };
        const int n = ::poll(fds, 3, -1);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[2].revents)
            return;
        for (int s = 0; s < 2; ++s) {
            if (fds[s].revents & POLLNVAL) {
                m_fds[s] = -1; // the socket is gone; stop watching it
                continue;
            }
            // POLLERR too: the read clears a pending socket error, which
            // would otherwise wake poll() at once, forever.
            if (!(fds[s].revents & (POLLIN | POLLERR)))
                continue;
            // A bounded run per socket, so neither can starve the other.
            for (int i = 0; i < 256; ++i) {
                const ssize_t got = ::recv(m_fds[s], buffer, sizeof buffer, MSG_DONTWAIT);
                if (got < 0) {
                    if (errno == EINTR)
                        continue;
                    break; // EAGAIN: drained (or an error the next poll shows again)
                }
                batch.push_back(Datagram { Source(s), QByteArray(buffer, qsizetype(got)) });
            }
        }
        if (batch.empty())
            continue;
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (Datagram &d : batch) {
                if (m_queue.size() < MaxQueued)
                    m_queue.push_back(std::move(d));
                else
                    m_dropped.fetch_add(1);
            }
            wake = !m_wakePending;
            m_wakePending = true;
        }
        batch.clear();
        if (wake && m_wake)
            m_wake();
    }
}

} // namespace quenzal
