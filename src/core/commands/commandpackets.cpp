#include "core/commands/commandpackets.h"

#include "core/discovery/numbering.h"

namespace quenzal {

namespace {

QString field(const QStringList &fields, int i)
{
    return i < fields.size() ? fields.at(i) : QString();
}

quint8 low8(int v)
{
    return static_cast<quint8>(v & 0xFF);
}

// Four numbers from four fields into bytes 6 to 9, `add` added to each.
void writeFour(SingleTerminalPacket &p, const QStringList &fields, int add)
{
    for (int i = 0; i < 4; ++i)
        p[6 + i] = low8(fieldNumber(field(fields, i)) + add);
}

Encoded single(int code)
{
    return Encoded { code, SingleTerminalPacket::Size };
}

} // namespace

quint8 hexFieldByte(const QByteArray &text)
{
    int i = 0;
    const int n = int(text.size());
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    while (i < n && isSpace(text.at(i)))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == '+' || text.at(i) == '-')) {
        negative = text.at(i) == '-';
        ++i;
    }
    if (i + 1 < n && text.at(i) == '0' && (text.at(i + 1) == 'x' || text.at(i + 1) == 'X') && i + 2 < n
        && hexValue(text.at(i + 2)) >= 0)
        i += 2;
    quint32 value = 0; // only the low 8 bits matter, wrapping is harmless
    while (i < n && hexValue(text.at(i)) >= 0)
        value = value * 16 + quint32(hexValue(text.at(i++)));
    if (negative)
        value = 0u - value;
    return static_cast<quint8>(value & 0xFF);
}

Encoded writeTerminalCommand(SingleTerminalPacket &p, TerminalCommand command, const QStringList &fields)
{
    using C = TerminalCommand;
    const QString first = field(fields, 0);
    switch (command) {
    case C::SetId: {
        const int n = fieldNumber(first);
        p[8] = 0;
        p[9] = 0;
        if (n == 255) {
            // Terminals read 255 from the four bytes 1, 0, 1, 1.
            p[6] = 1;
            p[7] = 0;
            p[8] = 1;
            p[9] = 1;
        } else {
            p.setIdPair(6, n);
        }
        return single(1);
    }
    case C::Volume: {
        const int v = fieldNumber(first);
        if (v > 15)
            return {};
        p[6] = low8(v);
        return single(2);
    }
    case C::DhcpOn:
        p[6] = 1;
        return single(3);
    case C::DhcpOff:
        p[6] = 0;
        return single(3);
    case C::Ip:
        writeFour(p, fields, 0);
        return single(4);
    case C::Mask:
        writeFour(p, fields, 0);
        return single(5);
    case C::Gateway:
        writeFour(p, fields, 0);
        return single(6);
    case C::ServerIp:
        writeFour(p, fields, 0);
        return single(7);
    case C::Mac:
        for (int i = 0; i < 6; ++i)
            p[6 + i] = hexFieldByte(field(fields, i).toLocal8Bit());
        p[12] = 0;
        p[13] = 0;
        p[14] = 0;
        return single(8);
    case C::MachineType:
        p[6] = low8(fieldNumber(first));
        return single(9);
    case C::Reboot:
        p[6] = 1;
        return single(10);
    case C::OneKeyHosts:
        for (int i = 0; i < 3; ++i)
            p.setIdPair(6 + 2 * i, fieldNumber(field(fields, i)));
        return single(12);
    case C::CaptureAddress:
        writeFour(p, fields, 1);
        return single(13);
    case C::Lan:
        p[6] = 0xAA;
        return single(15);
    case C::Wan:
        p[6] = 0xBB;
        return single(15);
    case C::ModelText:
        // Bytes 6 to 21: the tenth text byte lands on the marker of byte 15,
        // which afterTerminalCommand() puts back.
        copyTextField(p.data() + 6, 16, first.toLocal8Bit());
        return single(16);
    case C::OneCall:
        p.setIdPair(6, fieldNumber(first));
        return single(161);
    case C::GroupCall:
        p.setIdPair(6, fieldNumber(first));
        return single(162);
    case C::AllCall:
        p.setIdPair(6, fieldNumber(first));
        return single(163);
    case C::Intercom:
        p.setIdPair(6, fieldNumber(first));
        return single(164);
    case C::CallStop:
        p.setIdPair(6, fieldNumber(first));
        return single(165);
    case C::MicGain:
        p.setIdPair(6, fieldNumber(first));
        return single(166);
    case C::AutoAnswerOn:
        p[6] = 1;
        return single(170);
    case C::AutoAnswerOff:
        p[6] = 0;
        return single(171);
    case C::AmplifierOn:
        p[6] = 1;
        return single(172);
    case C::AmplifierOff:
        p[6] = 0;
        return single(173);
    case C::FactoryReset:
        p[6] = 1;
        return single(177);
    case C::ExtAudioOff:
        p[6] = 0;
        return single(180);
    case C::ExtAudioLineIn:
        p[6] = 1;
        return single(180);
    case C::ExtAudioMic:
        p[6] = 2;
        return single(180);
    case C::MicModeOnline:
        p[6] = 1;
        return single(181);
    case C::MicModeOffline:
        p[6] = 0;
        return single(181);
    case C::UpdateFont:
        return single(182);
    case C::StandbyText:
        copyTextField(p.data() + 6, 16, first.toLocal8Bit());
        return single(183);
    case C::OfflineGroup:
        p.setIdPair(6, fieldNumber(first));
        return single(184);
    case C::DisplayOk:
        return single(186);
    case C::RingOn:
        p[6] = 1;
        return single(188);
    case C::RingOff:
        p[6] = 0;
        return single(189);
    case C::MaxVolume:
        // Sent as the plain number, not plus 1 like the ID pairs.
        p[6] = low8(fieldNumber(first));
        return single(190);
    }
    return {};
}

void afterTerminalCommand(SingleTerminalPacket &p, TerminalCommand command)
{
    if (command == TerminalCommand::ModelText || command == TerminalCommand::StandbyText)
        p[15] = 0xDD;
}

void addressCommand(SingleTerminalPacket &p, int code, const QString &targetIdText)
{
    addressCommand(p.data(), code, fieldNumber(targetIdText));
}

void addressCommand(quint8 *packet, int code, int targetId)
{
    const IdPair target = idPair(targetId);
    packet[3] = target.high;
    packet[4] = target.low;
    packet[5] = low8(code);
}

void writeFactoryReset(SingleTerminalPacket &p, int targetId)
{
    writeTerminalCommand(p, TerminalCommand::FactoryReset, {});
    addressCommand(p.data(), 177, targetId);
}

void writeIdChange(SingleTerminalPacket &p, int oldId, int newId, const QString &mac)
{
    addressCommand(p.data(), 178, oldId);
    const Mac bytes = parseMacText(mac);
    for (int i = 0; i < 6; ++i)
        p[6 + i] = bytes[size_t(i)];
    p.setIdPair(12, newId);
}

bool isArmedCommand(TerminalCommand command)
{
    return command == TerminalCommand::Mac || command == TerminalCommand::FactoryReset;
}

Encoded writeZoneCommand(AllTerminalsPacket &p, ZoneCommand command, const QString &text)
{
    using Z = ZoneCommand;
    switch (command) {
    case Z::Reboot:
        return { 0, 16 };
    case Z::DhcpOn:
        return { 2, 16 };
    case Z::DhcpOff:
        return { 3, 16 };
    case Z::Wan:
        return { 4, 16 };
    case Z::Lan:
        return { 5, 16 };
    case Z::ServerText:
        // The address travels as text here, unlike the four numbers of the
        // single-terminal server command.
        copyTextField(p.data() + 5, 32, text.toLocal8Bit());
        return { 6, 37 };
    case Z::RelayDelay:
        p.setIdPair(5, fieldNumber(text));
        return { 167, 16 };
    case Z::LanRate:
        p.setIdPair(5, fieldNumber(text));
        return { 168, 16 };
    case Z::WanRate:
        p.setIdPair(5, fieldNumber(text));
        return { 169, 16 };
    case Z::ExtAudioOff:
        p[6] = 0;
        return { 180, 7 };
    case Z::ExtAudioLineIn:
        p[6] = 1;
        return { 180, 7 };
    case Z::ExtAudioMic:
        p[6] = 2;
        return { 180, 7 };
    case Z::CommandText:
        copyTextField(p.data() + 5, 54, text.toLocal8Bit());
        return { 185, 59 };
    case Z::CommandTextUtf8:
        // Cut at 54 bytes even inside a multi-byte character.
        copyTextField(p.data() + 5, 54, text.toUtf8());
        return { 187, 59 };
    }
    return {};
}

void frameZoneCommand(AllTerminalsPacket &p, int code, int length)
{
    frameZoneCommand(p.data(), code, length);
}

void frameZoneCommand(quint8 *packet, int code, int length)
{
    for (int i = 0; i < 4; ++i)
        packet[i] = quint8(quint32(length) >> (8 * i));
    packet[4] = low8(code);
}

QByteArray composeTerminalCommand(SingleTerminalPacket &p, TerminalCommand command, const QStringList &fields,
    const QString &targetIdText, bool armed)
{
    const Encoded e = writeTerminalCommand(p, command, fields);
    if (e.code < 0 || (isArmedCommand(command) && !armed))
        return {};
    addressCommand(p, e.code, targetIdText);
    const QByteArray sent = p.bytes(e.length);
    afterTerminalCommand(p, command);
    return sent;
}

QByteArray composeZoneCommand(AllTerminalsPacket &p, ZoneCommand command, const QString &field)
{
    const Encoded e = writeZoneCommand(p, command, field);
    frameZoneCommand(p, e.code, e.length);
    return p.bytes(e.length);
}

} // namespace quenzal
