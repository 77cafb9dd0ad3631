#include "core/discovery/selection.h"

#include "core/transport/packets.h"

#include <cstdio>

namespace quenzal {

std::optional<std::array<int, 4>> splitDottedAddress(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::array<int, 4> o {};
    if (std::sscanf(bytes.constData(), "%d.%d.%d.%d", &o[0], &o[1], &o[2], &o[3]) != 4)
        return std::nullopt;
    return o;
}

QStringList octetFieldTexts(const QString &text)
{
    const auto octets = splitDottedAddress(text);
    if (!octets)
        return QStringList(4, QString());
    QStringList out;
    for (int v : *octets)
        out << QString::number(v);
    return out;
}

QByteArray selectedAddressBytes(const QString &ipText)
{
    return ipText.toLocal8Bit().left(31);
}

QString modelFieldText(const QString &column17)
{
    return QString::fromLatin1(column17.toLatin1());
}

bool beginsWith(const QString &text, const char *literal)
{
    return text.toLocal8Bit().startsWith(literal);
}

bool amplifierOnHighlighted(const QString &column13)
{
    return beginsWith(column13, "ON");
}

int extAudioHighlight(const QString &column24)
{
    const int v = fieldNumber(column24);
    return (v >= 0 && v <= 2) ? v : -1;
}

int callModeHighlight(const QString &column25)
{
    const int v = fieldNumber(column25);
    return (v == 0 || v == 1) ? v : -1;
}

bool autoAnswerManualHighlighted(const QString &column22)
{
    return beginsWith(column22, "Manual");
}

bool dhcpOnHighlighted(const QString &column7)
{
    return beginsWith(column7, "Yes--");
}

bool lanModeHighlighted(const QString &column9)
{
    return beginsWith(column9, "LAN---");
}

} // namespace quenzal
