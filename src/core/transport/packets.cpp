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

} // namespace quenzal
