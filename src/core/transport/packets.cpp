#include "core/transport/packets.h"

#include <cstring>

namespace quenzal {

IdPair idPair(int v)
{
    return IdPair{static_cast<quint8>(v / 256 + 1), static_cast<quint8>(v % 256 + 1)};
}

void SingleTerminalPacket::writeStartupBytes()
{
    m_bytes[0] = 0xAA;
    m_bytes[1] = KindCommand;
    m_bytes[2] = 0xF2;
    m_bytes[15] = 0xDD;
    m_bytes[31] = 0xDD;
}

void SingleTerminalPacket::setIdPair(int offset, int v)
{
    const IdPair p = idPair(v);
    m_bytes[static_cast<size_t>(offset)] = p.high;
    m_bytes[static_cast<size_t>(offset) + 1] = p.low;
}

QByteArray SingleTerminalPacket::bytes(int n) const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), qBound(0, n, Size));
}

void AllTerminalsPacket::setLength(quint32 n)
{
    for (int i = 0; i < 4; ++i)
        m_bytes[static_cast<size_t>(i)] = static_cast<quint8>(n >> (8 * i));
}

quint32 AllTerminalsPacket::length() const
{
    quint32 n = 0;
    for (int i = 3; i >= 0; --i)
        n = (n << 8) | m_bytes[static_cast<size_t>(i)];
    return n;
}

void AllTerminalsPacket::setIdPair(int offset, int v)
{
    const IdPair p = idPair(v);
    m_bytes[static_cast<size_t>(offset)] = p.high;
    m_bytes[static_cast<size_t>(offset) + 1] = p.low;
}

QByteArray AllTerminalsPacket::bytes(int n) const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), qBound(0, n, Size));
}

int fieldNumber(const QString &text)
{
    return text.toInt(nullptr, 10);
}

void copyTextField(quint8 *dst, int n, const QByteArray &text)
{
    const int take = qMin(n, int(text.size()));
    std::memset(dst, 0, static_cast<size_t>(n));
    if (take > 0)
        std::memcpy(dst, text.constData(), static_cast<size_t>(take));
}

QHostAddress parseAddressText(const QByteArray &text)
{
    // Exactly four groups of 1 to 3 decimal digits, each at most 255.
    quint32 octets[4] = {};
    int part = 0;
    int digits = 0;
    quint32 value = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 3)
                return {};
            value = value * 10 + quint32(c - '0');
        } else if (c == '.') {
            if (digits == 0 || part == 3 || value > 255)
                return {};
            octets[part++] = value;
            digits = 0;
            value = 0;
        } else {
            return {};
        }
    }
    if (part != 3 || digits == 0 || value > 255)
        return {};
    octets[3] = value;
    return QHostAddress((octets[0] << 24) | (octets[1] << 16) | (octets[2] << 8) | octets[3]);
}

QHostAddress parseAddressText(const QString &text)
{
    return parseAddressText(text.toLatin1());
}

} // namespace quenzal
