#include "core/transport/addresstext.h"

#include <QStringList>

namespace quenzal {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

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

bool parseAddressOctets(const QString &text, quint8 octets[4])
{
    const QHostAddress address = parseAddressText(text);
    if (address.isNull())
        return false;
    const quint32 v = address.toIPv4Address();
    for (int i = 0; i < 4; ++i)
        octets[i] = quint8(v >> (24 - 8 * i));
    return true;
}

Mac parseMacText(const QString &text)
{
    Mac mac {};
    int i = 0;
    const int n = int(text.size());
    for (int field = 0; field < 6; ++field) {
        if (field > 0) {
            if (i >= n || text.at(i) != QLatin1Char(':'))
                break;
            ++i;
        }
        while (i < n && text.at(i).isSpace())
            ++i;
        int digits = 0;
        int value = 0;
        while (digits < 2 && i < n && hexDigit(text.at(i)) >= 0) {
            value = value * 16 + hexDigit(text.at(i++));
            ++digits;
        }
        if (digits == 0)
            break;
        mac[size_t(field)] = quint8(value);
    }
    return mac;
}

QString formatMac(const Mac &m)
{
    return QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
}

std::optional<Mac> parseMacPairs(const QString &text)
{
    const QChar sep = text.contains(QLatin1Char('-')) ? QLatin1Char('-') : QLatin1Char(':');
    const QStringList parts = text.split(sep);
    if (parts.size() != 6)
        return std::nullopt;
    Mac mac {};
    for (int i = 0; i < 6; ++i) {
        const QString &p = parts.at(i);
        if (p.size() != 2 || hexDigit(p.at(0)) < 0 || hexDigit(p.at(1)) < 0)
            return std::nullopt;
        mac[size_t(i)] = quint8(hexDigit(p.at(0)) * 16 + hexDigit(p.at(1)));
    }
    return mac;
}

} // namespace quenzal
