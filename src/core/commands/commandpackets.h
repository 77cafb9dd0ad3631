#pragma once
// Command encoding: what every command button writes into the two packet
// buffers, from the texts of its fields.
//
// A command writes only its own parameter bytes; every other byte of the
// buffer goes out as an earlier command left it, and terminals have always
// been sent packets built that way, so the writers below touch exactly the
// bytes of their command and nothing else. The slots in this folder stay
// thin: they collect field texts, call a writer, send the buffer through
// SendCommand and run the after-send step (the text commands put the 0xDD
// marker of byte 15 back). Nothing here touches a socket or a widget, so the
// byte layout of every command is tested from tables.
#include "core/transport/packets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quenzal {

// Commands to the selected terminal (32-byte single-terminal packet).
enum class TerminalCommand {
    SetId, // 1   lineEdit_Cid
    Volume, // 2   lineEdit_Csetvol (above 15 is not sent)
    DhcpOn, // 3
    DhcpOff, // 3
    Ip, // 4   four octet fields
    Mask, // 5
    Gateway, // 6
    ServerIp, // 7
    Mac, // 8   six hexadecimal fields, armed by checkBox_SetMac
    MachineType, // 9   Cbox_Type
    Reboot, // 10
    OneKeyHosts, // 12  three IDs
    CaptureAddress, // 13  four numbers, each sent plus 1
    Lan, // 15
    Wan, // 15
    ModelText, // 16  16-byte text over bytes 6 to 21
    OneCall, // 161 lineEdit_Beijiao
    GroupCall, // 162
    AllCall, // 163
    Intercom, // 164
    CallStop, // 165
    MicGain, // 166
    AutoAnswerOn, // 170
    AutoAnswerOff, // 171
    AmplifierOn, // 172
    AmplifierOff, // 173
    FactoryReset, // 177 armed by checkBox_Reset
    ExtAudioOff, // 180
    ExtAudioLineIn, // 180
    ExtAudioMic, // 180
    MicModeOnline, // 181
    MicModeOffline, // 181
    UpdateFont, // 182
    StandbyText, // 183 16-byte text over bytes 6 to 21
    OfflineGroup, // 184
    DisplayOk, // 186
    RingOn, // 188
    RingOff, // 189
    MaxVolume, // 190
};

// Commands to all terminals (64-byte all-terminals packet).
enum class ZoneCommand {
    Reboot, // 0
    DhcpOn, // 2
    DhcpOff, // 3
    Wan, // 4
    Lan, // 5
    ServerText, // 6   32-byte text, local 8-bit encoding
    RelayDelay, // 167 ID pair
    LanRate, // 168 ID pair
    WanRate, // 169 ID pair
    ExtAudioOff, // 180 byte 6 (byte 5 is left alone)
    ExtAudioLineIn, // 180
    ExtAudioMic, // 180
    CommandText, // 185 54-byte text, local 8-bit encoding
    CommandTextUtf8 // 187 54-byte text, UTF-8
};

struct Encoded
{
    int code = -1; // -1: the command does not go out
    int length = 0; // bytes to send
};

// Writes the parameter bytes of a single-terminal command from the texts of
// its fields (in the order of the enum comments) and returns its code and
// length. The code itself and the target are written by addressCommand().
Encoded writeTerminalCommand(SingleTerminalPacket &packet, TerminalCommand command, const QStringList &fields);

// What the sender does once the packet has gone out: the text commands put
// the 0xDD marker of byte 15 back.
void afterTerminalCommand(SingleTerminalPacket &packet, TerminalCommand command);

// Target ID pair (from the text of lineEdit_rebootid) into bytes 3 and 4 and
// the code into byte 5. The raw form works on the first 32 bytes at `packet`.
void addressCommand(SingleTerminalPacket &packet, int code, const QString &targetIdText);
void addressCommand(quint8 *packet, int code, int targetId);

// Parameter bytes of a zone-wide command, from the text of its one field.
Encoded writeZoneCommand(AllTerminalsPacket &packet, ZoneCommand command, const QString &field);

// Length (little-endian) into bytes 0 to 3 and the code into byte 4. The
// raw form works on the first 5 bytes at `packet`.
void frameZoneCommand(AllTerminalsPacket &packet, int code, int length);
void frameZoneCommand(quint8 *packet, int code, int length);

// Factory reset (code 177) of the terminal with the given ID.
void writeFactoryReset(SingleTerminalPacket &packet, int targetId);

// ID change (code 178) of the automatic numbering: the old ID pair in bytes
// 3 and 4, the six bytes of the MAC text (as the list writes it; fields that
// do not parse give 0) in bytes 6 to 11, the new ID pair in 12 and 13.
void writeIdChange(SingleTerminalPacket &packet, int oldId, int newId, const QString &mac);

// A MAC field read as the C format "%X" reads it: leading blanks, an optional
// sign and "0x" prefix, then hexadecimal digits up to the first other
// character. A text without a hexadecimal digit gives 0.
quint8 hexFieldByte(const QByteArray &text);

// The whole road of one command on a bare buffer: parameters, addressing,
// the bytes that would go out, then the after-send step. Returns the sent
// bytes, or an empty array when the command does not go out (volume above
// 15, a guarded command that is not armed).
QByteArray composeTerminalCommand(SingleTerminalPacket &packet, TerminalCommand command, const QStringList &fields,
    const QString &targetIdText, bool armed = true);
QByteArray composeZoneCommand(AllTerminalsPacket &packet, ZoneCommand command, const QString &field);

// True for the commands that need their check box ticked.
bool isArmedCommand(TerminalCommand command);

} // namespace quenzal
