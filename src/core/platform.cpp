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
