// libFuzzer target: the text fields that commands turn into packet bytes.
//
// Input: byte 0 picks the command (single-terminal or zone-wide), byte 1 the
// armed state and how the fields are decoded (UTF-8 or Latin-1), the rest is
// split at newlines into the field texts, the last one also serving as the
// target ID text. Checks:
// - a single-terminal command sends 32 bytes or nothing; the lead bytes, the
//   code and the 0xDD marker of byte 31 are right; the bytes no command
//   writes (22 to 30) keep what the buffer held; after a text command the
//   marker of byte 15 is back;
// - the text commands carry the encoded text cut or zero-padded to their
//   field;
// - a zone-wide command sends at most 64 bytes with its length and code in
//   front;
// - a MAC field byte equals what the C library's "%X" reads from the text.
#include "core/commands/commandpackets.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>

using namespace quenzal;

namespace {

constexpr int kTerminalCommands = int(TerminalCommand::MaxVolume) + 1;
constexpr int kZoneCommands = int(ZoneCommand::CommandTextUtf8) + 1;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

QByteArray field(const QByteArray &text, int n)
{
    QByteArray out = text.left(n);
    out.append(QByteArray(n - int(out.size()), '\0'));
    return out;
}

// "%X" of the C library, on texts whose value cannot overflow.
void checkHexField(const QByteArray &text)
{
    int digits = 0;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            ++digits;
    }
    if (digits > 7 || text.contains('\0'))
        return;
    unsigned value = 0;
    if (std::sscanf(text.constData(), "%X", &value) != 1)
        value = 0;
    check(hexFieldByte(text) == quint8(value & 0xFF));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int pick = data[0];
    const bool armed = data[1] & 1;
    const bool utf8 = data[1] & 2;
    const QByteArray rest(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    QStringList fields;
    for (const QByteArray &part : rest.split('\n'))
        fields << (utf8 ? QString::fromUtf8(part) : QString::fromLatin1(part));
    const QString target = fields.last();

    for (const QByteArray &part : rest.split('\n'))
        checkHexField(part);

    if (pick < 128) {
        const auto command = TerminalCommand(pick % kTerminalCommands);
        SingleTerminalPacket p;
        p.writeStartupBytes();
        // Leftovers of earlier commands in the bytes this one does not own.
        for (int i = 16; i < 31; ++i)
            p[i] = quint8(0x40 + i);
        const SingleTerminalPacket before = p;
        const QByteArray sent = composeTerminalCommand(p, command, fields, target, armed);
        check(sent.isEmpty() || sent.size() == SingleTerminalPacket::Size);
        check(p[0] == 0xAA && p[1] == SingleTerminalPacket::KindCommand && p[2] == 0xF2 && p[31] == 0xDD);
        for (int i = 22; i < 31; ++i)
            check(p[i] == before[i]);
        const bool text = command == TerminalCommand::ModelText || command == TerminalCommand::StandbyText;
        if (text)
            check(p[15] == 0xDD);
        if (!sent.isEmpty()) {
            check(quint8(sent[0]) == 0xAA && quint8(sent[2]) == 0xF2 && quint8(sent[31]) == 0xDD);
            if (text)
                check(sent.mid(6, 16) == field(fields.first().toLocal8Bit(), 16));
        } else {
            for (int i = 0; i < SingleTerminalPacket::Size; ++i) {
                if (i < 6 || i > 14) // a refused command may still have written its parameters
                    check(i == 3 || i == 4 || i == 5 || p[i] == before[i]);
            }
        }
        return 0;
    }

    const auto command = ZoneCommand((pick - 128) % kZoneCommands);
    AllTerminalsPacket p;
    for (int i = 0; i < AllTerminalsPacket::Size; ++i)
        p[i] = quint8(i);
    const QByteArray sent = composeZoneCommand(p, command, fields.first());
    check(!sent.isEmpty() && sent.size() <= AllTerminalsPacket::Size);
    check(p.length() == quint32(sent.size()));
    if (command == ZoneCommand::CommandText)
        check(sent.mid(5, 54) == field(fields.first().toLocal8Bit(), 54));
    if (command == ZoneCommand::CommandTextUtf8)
        check(sent.mid(5, 54) == field(fields.first().toUtf8(), 54));
    if (command == ZoneCommand::ServerText)
        check(sent.mid(5, 32) == field(fields.first().toLocal8Bit(), 32));
    return 0;
}
