#include "core/discovery/scanrange.h"

#include <climits>

namespace quenzal {

int scanAddressCount(const ScanFields &f)
{
    // Wrapping arithmetic: absurd field values must not be undefined.
    const qint64 n = (qint64(f.e3) - f.s3) * 255 + (qint64(f.e4) - f.s4) + 1;
    return int(qBound(qint64(INT_MIN), n, qint64(INT_MAX)));
}

QByteArray scanStepAddress(const ScanFields &f, int k)
{
    const qint64 r = qint64(f.s4) + k;
    const qint64 octet3 = qint64(f.s3) + r / 255;
    const qint64 octet4 = r % 255;
    return QByteArray::number(f.s1) + '.' + QByteArray::number(f.s2) + '.' + QByteArray::number(octet3) + '.'
        + QByteArray::number(octet4);
}

namespace {

QByteArray composeQuery(SingleTerminalPacket &packet, int length)
{
    packet[1] = SingleTerminalPacket::KindQuery;
    packet[6] = 0x01;
    const QByteArray bytes = packet.bytes(length);
    packet[1] = SingleTerminalPacket::KindCommand;
    return bytes;
}

} // namespace

QByteArray composeLanQuery(SingleTerminalPacket &packet)
{
    return composeQuery(packet, SingleTerminalPacket::Size);
}

QByteArray composeWanQuery(SingleTerminalPacket &packet)
{
    return composeQuery(packet, 6);
}

} // namespace quenzal
