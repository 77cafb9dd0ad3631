#pragma once
// Status replies: the one datagram the tool reads.
//
// A terminal reports itself in a status reply of at least 102 bytes that
// begins 0xAA 0xFD. The decoder turns one datagram into the 32 texts of a row
// of the terminal list plus the two flags that colour cells, and nothing
// else: no widget and no socket, so it can be tested and fuzzed directly.
// Bytes beyond the end of a short datagram read as zero; bytes past the
// first 102 are never looked at, so any length from 0 up is safe.

#include <QByteArray>
#include <QString>

#include <array>

namespace quenzal {

inline constexpr int TerminalListColumns = 32;
// One row of the terminal list: its 32 texts in column order.
using TerminalTexts = std::array<QString, TerminalListColumns>;

// Columns of the list that other code addresses by number.
enum TerminalColumn : int {
    ColId = 0,
    ColIp = 1,
    ColMask = 2,
    ColGateway = 3,
    ColMac = 4,
    ColServer = 5,
    ColDhcp = 7,
    ColNetMode = 9,
    ColAmplifier = 13,
    ColModelText = 17,
    ColAutoAnswer = 22,
    ColExtAudio = 24,
    ColMicMode = 25,
    ColFontState = 28,
};

inline constexpr int StatusReplyMinSize = 102;
// A reply is read into a buffer of this size; anything longer is cut.
inline constexpr int StatusReplyReadLimit = 1024;

struct StatusRow
{
    TerminalTexts texts;
    bool wanMode = false; // byte 42 is 0xBB: column 9 gets its own colour
    bool fontMarked = false; // byte 87 is 0xAA: column 28 gets its own colour
};

// True when the datagram begins 0xAA 0xFD. Anything else is not a reply.
bool isStatusReply(const char *data, qsizetype size);
inline bool isStatusReply(const QByteArray &d)
{
    return isStatusReply(d.constData(), d.size());
}

// The row a status reply becomes. Call only when isStatusReply() holds; the
// lead bytes are not looked at again.
StatusRow decodeStatusReply(const char *data, qsizetype size);
inline StatusRow decodeStatusReply(const QByteArray &d)
{
    return decodeStatusReply(d.constData(), d.size());
}

// Text formats of the list, shared with code that writes cells itself.
QString idText(long id); // "%03ld"
QString addressText(const quint8 octets[4]); // "%03d.%03d.%03d.%03d"
QString macText(const quint8 mac[6]); // "%02X:%02X:%02X:%02X:%02X:%02X"

} // namespace quenzal
