#pragma once
// The one place where the tool needs more from a socket than Qt offers.
#include <QtGlobal>

namespace quenzal {

// Raises a socket's receive buffer to `bytes` even above the system's limit,
// where the platform lets a privileged process do that (Linux:
// SO_RCVBUFFORCE). Returns false where it cannot; Qt's
// ReceiveBufferSizeSocketOption, capped by the system, is then what counts.
bool forceReceiveBuffer(qintptr descriptor, int bytes);

} // namespace quenzal
