#pragma once
// The status reply of a simulated terminal, byte for byte as the tool reads
// it: 102 bytes, 0xAA 0xFD, multi-byte numbers big-endian, the ID as a plain
// 16-bit number. Bytes that carry nothing are zero.
#include "terminalstate.h"

#include <QByteArray>

namespace sim {

inline constexpr int StatusReplySize = 102;

QByteArray buildStatusReply(const TerminalState &terminal);

} // namespace sim
