#include "core/commands/verify.h"

#include "core/transport/packets.h"

namespace quenzal {

namespace {

QString field(const QStringList &fields, int i)
{
    return i < fields.size() ? fields.at(i) : QString();
}

void fourOctets(const QStringList &fields, quint8 out[4])
{
    for (int i = 0; i < 4; ++i)
        out[i] = quint8(fieldNumber(field(fields, i)) & 0xFF);
}

} // namespace

ExpectedValue expectedAfterCommand(TerminalCommand command, const QStringList &fields)
{
    using C = TerminalCommand;
    ExpectedValue e;
    auto octets = [&](int column) {
        quint8 a[4];
        fourOctets(fields, a);
        e.verifiable = true;
        e.column = column;
        e.text = addressText(a);
        if (column == ColIp)
            e.newAddress = QHostAddress((quint32(a[0]) << 24) | (quint32(a[1]) << 16) | (quint32(a[2]) << 8) | a[3]);
        return e;
    };
    switch (command) {
    case C::SetId:
        e.verifiable = true;
        e.column = ColId;
        e.text = idText(fieldNumber(field(fields, 0)));
        return e;
    case C::Ip:
        return octets(ColIp);
    case C::Mask:
        return octets(ColMask);
    case C::Gateway:
        return octets(ColGateway);
    case C::ServerIp:
        return octets(ColServer);
    case C::Mac: {
        quint8 mac[6];
        for (int i = 0; i < 6; ++i)
            mac[i] = hexFieldByte(field(fields, i).toLocal8Bit());
        e.verifiable = true;
        e.column = ColMac;
        e.text = macText(mac);
        return e;
    }
    case C::DhcpOn:
    case C::DhcpOff:
        e.verifiable = true;
        e.column = ColDhcp;
        e.text = command == C::DhcpOn ? QStringLiteral("Yes--") : QStringLiteral("---No");
        return e;
    default:
        return e;
    }
}

VerifyTarget verifyTargetFor(bool lan, const QString &rowId, const QString &rowMac, const QHostAddress &rowAddress,
    const ExpectedValue &expected)
{
    VerifyTarget t;
    t.lan = lan;
    t.expected = expected;
    t.idText = expected.column == ColId ? expected.text : idText(fieldNumber(rowId));
    t.address = (expected.column == ColIp && !expected.newAddress.isNull()) ? expected.newAddress : rowAddress;
    t.macText = expected.column == ColMac ? QString() : rowMac;
    return t;
}

VerifyMatch matchVerifyReply(const VerifyTarget &target, const TerminalTexts &reply, const QHostAddress &from)
{
    if (target.lan) {
        if (reply[ColId] != target.idText)
            return VerifyMatch::Other;
    } else {
        if (from.toIPv4Address() != target.address.toIPv4Address())
            return VerifyMatch::Other;
        if (!target.macText.isEmpty() && reply[ColMac] != target.macText)
            return VerifyMatch::Other;
    }
    const int column = target.expected.column;
    if (column < 0 || column >= TerminalListColumns)
        return VerifyMatch::Differs;
    return reply[size_t(column)] == target.expected.text ? VerifyMatch::Shows : VerifyMatch::Differs;
}

} // namespace quenzal
