#include "core/transport/statusreply.h"

#include <cstring>

namespace quenzal {

namespace {

// A reply read as a fixed window: every offset below 102 is valid, and bytes
// the datagram did not carry are zero. This is the only place that touches
// the datagram's memory.
class ReplyBytes
{
public:
    ReplyBytes(const char *data, qsizetype size)
    {
        if (data && size > 0)
            std::memcpy(m_bytes, data, size_t(qMin<qsizetype>(size, StatusReplyMinSize)));
    }
    quint8 u8(int i) const { return m_bytes[i]; }
    quint16 u16(int i) const { return quint16((m_bytes[i] << 8) | m_bytes[i + 1]); }
    const quint8 *at(int i) const { return m_bytes + i; }

private:
    quint8 m_bytes[StatusReplyMinSize] = {};
};

// Decimal without padding, or zero-padded to `width` digits; snprintf is
// avoided because a burst of replies formats hundreds of thousands of cells.
char *putDecimal(char *out, unsigned long v, int width = 1)
{
    char tmp[24];
    int n = 0;
    do {
        tmp[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    for (int i = n; i < width; ++i)
        *out++ = '0';
    while (n)
        *out++ = tmp[--n];
    return out;
}

QString decimal(unsigned long v)
{
    char buf[24];
    return QString::fromLatin1(buf, putDecimal(buf, v) - buf);
}

} // namespace

QString idText(long id)
{
    char buf[24];
    char *p = buf;
    unsigned long v = static_cast<unsigned long>(id);
    if (id < 0) {
        // "%03ld" pads the digits after the sign to a total width of 3.
        *p++ = '-';
        v = 0UL - v;
        p = putDecimal(p, v, 2);
    } else {
        p = putDecimal(p, v, 3);
    }
    return QString::fromLatin1(buf, p - buf);
}

QString addressText(const quint8 octets[4])
{
    char buf[16];
    char *p = buf;
    for (int i = 0; i < 4; ++i) {
        if (i)
            *p++ = '.';
        p = putDecimal(p, octets[i], 3);
    }
    return QString::fromLatin1(buf, p - buf);
}

QString macText(const quint8 mac[6])
{
    static const char hex[] = "0123456789ABCDEF";
    char buf[17];
    char *p = buf;
    for (int i = 0; i < 6; ++i) {
        if (i)
            *p++ = ':';
        *p++ = hex[mac[i] >> 4];
        *p++ = hex[mac[i] & 0xF];
    }
    return QString::fromLatin1(buf, 17);
}

bool isStatusReply(const char *data, qsizetype size)
{
    return data && size >= 2 && quint8(data[0]) == 0xAA && quint8(data[1]) == 0xFD;
}

StatusRow decodeStatusReply(const char *data, qsizetype size)
{
    const ReplyBytes b(data, size);
    StatusRow row;
    auto &t = row.texts;

    const quint16 firmware = b.u16(12);

    t[0] = idText(b.u16(3));
    t[1] = addressText(b.at(14));
    t[2] = addressText(b.at(22));
    t[3] = addressText(b.at(18));
    t[4] = macText(b.at(30));
    t[5] = addressText(b.at(26));
    switch (b.u8(10)) {
    case 2:
        t[6] = QStringLiteral("-Wait-");
        break;
    case 1:
        t[6] = QStringLiteral("Yes--");
        break;
    default:
        t[6] = QStringLiteral("---No");
        break;
    }
    t[7] = b.u8(7) == 1 ? QStringLiteral("Yes--") : QStringLiteral("---No");
    t[8] = decimal(b.u8(5));
    row.wanMode = b.u8(42) == 0xBB;
    t[9] = row.wanMode ? QStringLiteral("---WAN") : QStringLiteral("LAN---");
    t[10] = decimal(firmware);
    t[11] = decimal(b.u8(6));
    t[12] = QStringLiteral("unknow");
    t[13] = b.u8(66) == 1 ? QStringLiteral("ON") : QStringLiteral("OFF");
    t[14] = decimal(b.u16(40));
    t[15] = decimal(b.u16(90));
    t[16] = decimal(b.u16(92));
    // 16 bytes, zero-padded; a text that fills them carries no zero.
    const char *text = reinterpret_cast<const char *>(b.at(43));
    t[17] = QString::fromLocal8Bit(text, qsizetype(qstrnlen(text, 16)));
    t[18] = decimal(b.u8(59));
    t[19] = decimal(b.u8(60));
    t[20] = decimal(b.u16(61));
    t[21] = decimal(b.u16(63));
    t[22] = b.u8(65) == 1 ? QStringLiteral("Automatic") : QStringLiteral("Manual");
    t[23] = addressText(b.at(36));
    t[24] = decimal(b.u8(68));
    t[25] = decimal(b.u8(69));
    t[26] = decimal(b.u8(70));
    t[27] = addressText(b.at(94));
    row.fontMarked = b.u8(87) == 0xAA;
    t[28] = QString::number(b.u8(87), 16);
    t[29] = decimal(b.u8(88));
    // Older firmware has no ring switch and always rings.
    t[30] = (firmware <= 544 || b.u8(100) == 1) ? QStringLiteral("OPEN") : QStringLiteral("CLOSE");
    t[31] = decimal(qMin<unsigned>(b.u8(101), 15));
    return row;
}

} // namespace quenzal
