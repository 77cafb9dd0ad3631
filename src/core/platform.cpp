#include "core/platform.h"

#include <QDir>
#include <QFile>

#include <cstdio>

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#else
#include <climits>
#include <sys/socket.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <linux/sock_diag.h>
#endif

namespace quenzal {

bool forceReceiveBuffer(qintptr descriptor, int bytes)
{
#if defined(Q_OS_LINUX) && defined(SO_RCVBUFFORCE)
    if (descriptor < 0 || descriptor > INT_MAX || bytes <= 0)
        return false;
    return ::setsockopt(int(descriptor), SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0;
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(bytes);
    return false;
#endif
}

qint64 receiveDrops(qintptr descriptor)
{
#if defined(Q_OS_LINUX) && defined(SO_MEMINFO)
    // The socket's drop counter: datagrams the kernel threw away because the
    // receive buffer was full (the count that SO_RXQ_OVFL attaches to each
    // read), without changing how the sockets are read.
    if (descriptor < 0 || descriptor > INT_MAX)
        return -1;
    quint32 info[SK_MEMINFO_VARS] = {};
    socklen_t size = sizeof info;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_MEMINFO, info, &size) != 0
        || size < socklen_t((SK_MEMINFO_DROPS + 1) * sizeof(quint32)))
        return -1;
    return qint64(info[SK_MEMINFO_DROPS]);
#else
    Q_UNUSED(descriptor);
    return -1;
#endif
}

bool replaceFile(const QString &from, const QString &to)
{
#if defined(Q_OS_WIN)
    return MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
               reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        != 0;
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

bool stderrIsTerminal()
{
#if defined(Q_OS_WIN)
    return _isatty(2) != 0;
#else
    return isatty(2) != 0;
#endif
}

} // namespace quenzal
