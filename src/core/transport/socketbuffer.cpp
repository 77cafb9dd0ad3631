#include "core/transport/socketbuffer.h"

#if defined(Q_OS_LINUX)
#include <sys/socket.h>

#include <climits>
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

} // namespace quenzal
