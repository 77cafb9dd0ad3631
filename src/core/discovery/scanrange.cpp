#include "core/discovery/scanrange.h"
#include "core/transport/addresstext.h"

#include <QStringList>

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

bool parseScanRangeText(const QString &text, ScanFields *fields, int *count, QString *why)
{
    const QStringList ends = text.split(QLatin1Char('-'));
    quint8 from[4], to[4];
    if (ends.size() != 2 || !parseAddressOctets(ends.at(0), from) || !parseAddressOctets(ends.at(1), to)) {
        *why = QStringLiteral("expected FROM-TO, two dotted addresses");
        return false;
    }
    if (from[0] != to[0] || from[1] != to[1]) {
        *why = QStringLiteral("a range stays within the first two octets of its start");
        return false;
    }
    ScanFields f;
    f.s1 = from[0];
    f.s2 = from[1];
    f.s3 = from[2];
    f.s4 = from[3];
    f.e1 = to[0];
    f.e2 = to[1];
    f.e3 = to[2];
    f.e4 = to[3];
    const int n = scanAddressCount(f);
    if (n < 1) {
        *why = QStringLiteral("the end lies before the start");
        return false;
    }
    *fields = f;
    *count = n;
    return true;
}

} // namespace quenzal
