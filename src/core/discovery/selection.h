#pragma once
// What pressing a row of the terminal list shows.
//
// Selecting a terminal copies its row into the command panel: IDs as they
// stand, addresses split into four plain numbers, the model text, and one
// highlighted button per two-way setting. These are the rules, on texts
// only; the slot reads the row and writes the widgets.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quenzal {

// The four octets of a dotted text read as "%d.%d.%d.%d" (decimal, leading
// zeros allowed, anything after the fourth number ignored). No value when
// the text does not start with four dotted numbers: the fields are then
// left empty rather than showing something made up.
std::optional<std::array<int, 4>> splitDottedAddress(const QString &text);

// The four field texts for an address column: plain numbers, or four empty
// texts.
QStringList octetFieldTexts(const QString &text);

// The selected-terminal address: the IP text in the local 8-bit encoding,
// at most 31 bytes (the buffer keeps a terminating zero).
QByteArray selectedAddressBytes(const QString &ipText);

// Column 17 as the model field shows it: through 8-bit text and back, so
// characters beyond Latin-1 become '?'.
QString modelFieldText(const QString &column17);

// True when the column text, in the local 8-bit encoding, begins with the
// given bytes.
bool beginsWith(const QString &text, const char *literal);

// Which button of a group is highlighted. Texts that are no number count as
// 0; -1 means none of the group.
bool amplifierOnHighlighted(const QString &column13); // else the OFF button
int extAudioHighlight(const QString &column24); // 0 mute, 1 line-in, 2 mic, -1 none
int callModeHighlight(const QString &column25); // 1 online, 0 offline, -1 none
bool autoAnswerManualHighlighted(const QString &column22); // else "自动"
bool dhcpOnHighlighted(const QString &column7); // else DHCP off
bool lanModeHighlighted(const QString &column9); // else WAN

inline constexpr char HighlightStyle[] = "background-color: rgb(85, 255, 255);";

} // namespace quenzal
