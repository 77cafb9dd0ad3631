#pragma once
// The few things the tool needs from the operating system that Qt does not
// offer. This file and platform.cpp are the only places that include a
// system header; everything else goes through Qt.
#include <QString>
#include <QtGlobal>

namespace quenzal {

// Raises a socket's receive buffer to `bytes` even above the system's limit,
// where the platform lets a privileged process do that (Linux:
// SO_RCVBUFFORCE). Returns false where it cannot; Qt's
// ReceiveBufferSizeSocketOption, capped by the system, is then what counts.
bool forceReceiveBuffer(qintptr descriptor, int bytes);

// Datagrams the system dropped on this socket because its receive buffer
// was full, since the socket was made; -1 where the platform does not tell
// (Linux tells).
qint64 receiveDrops(qintptr descriptor);

// Renames `from` to `to`, replacing `to` in one step: at no moment is there
// neither file (QFile::rename refuses to replace).
bool replaceFile(const QString &from, const QString &to);

// True when the standard error stream is a terminal (progress is shown only
// there).
bool stderrIsTerminal();

// Asks the processor to start reading the memory at `address` (a hint; it
// does nothing where the compiler offers no such request). A loop that
// reads many objects lying apart in memory lets the reads overlap.
inline void prefetchForRead(const void *address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address);
#endif
}

} // namespace quenzal
