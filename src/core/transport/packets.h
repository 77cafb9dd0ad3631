#pragma once
// Packet buffers, the ID pair and address texts.
//
// The tool keeps two long-lived packet buffers: the 32-byte single-terminal
// packet and the 64-byte all-terminals packet. Both start zero-filled and are
// never cleared: a command writes only its own bytes, every other byte goes
// out as an earlier command left it. Terminals rely on that layout, so the
// buffers are plain byte arrays with a few named writers and nothing clever.
// Nothing here touches a socket or a widget.

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <array>
#include <cstdint>

#include "core/transport/addresstext.h"

namespace quenzal {

inline constexpr quint16 LanPort = 12682;
inline constexpr quint16 WanPort = 12685;
inline constexpr char MulticastGroup[] = "239.0.0.2";

// The two-byte form in which terminal IDs and several other numbers travel:
// high = v div 256 + 1, low = (v mod 256) + 1, both in 8 bits, with C
// division (truncating toward zero). 255 gives 1, 0; 256 gives 2, 1.
struct IdPair
{
    quint8 high = 0;
    quint8 low = 0;
};
IdPair idPair(int v);

// 32-byte packet of every command to one terminal:
// 0 = 0xAA, 1 = packet kind, 2 = 0xF2, 3-4 = target ID pair, 5 = code,
// 6.. parameters, 15 and 31 = 0xDD markers.
class SingleTerminalPacket
{
public:
    static constexpr int Size = 32;
    static constexpr quint8 KindCommand = 0x01;
    static constexpr quint8 KindQuery = 0x02;

    SingleTerminalPacket() = default;

    // Lead byte, packet kind 0x01, 0xF2 and the two 0xDD markers.
    void writeStartupBytes();
    void setIdPair(int offset, int v);

    quint8 &operator[](int i) { return m_bytes[static_cast<size_t>(i)]; }
    quint8 operator[](int i) const { return m_bytes[static_cast<size_t>(i)]; }
    quint8 *data() { return m_bytes.data(); }
    const quint8 *data() const { return m_bytes.data(); }
    QByteArray bytes(int n = Size) const;

private:
    std::array<quint8, Size> m_bytes{};
};

// 64-byte packet of the commands to all terminals: bytes 0-3 the length of
// the packet (32-bit little-endian), byte 4 the code, parameters from byte 5.
// Only the first `length` bytes are sent.
class AllTerminalsPacket
{
public:
    static constexpr int Size = 64;

    void setLength(quint32 n);
    quint32 length() const;
    void setIdPair(int offset, int v);

    quint8 &operator[](int i) { return m_bytes[static_cast<size_t>(i)]; }
    quint8 operator[](int i) const { return m_bytes[static_cast<size_t>(i)]; }
    quint8 *data() { return m_bytes.data(); }
    const quint8 *data() const { return m_bytes.data(); }
    QByteArray bytes(int n = Size) const;

private:
    std::array<quint8, Size> m_bytes{};
};

// Number from a line edit: base 10, text that is no number counts as 0.
int fieldNumber(const QString &text);

// Copies the first n bytes of text into dst and zero-fills the rest; a text
// of n bytes or more carries no terminating zero.
void copyTextField(quint8 *dst, int n, const QByteArray &text);


} // namespace quenzal
