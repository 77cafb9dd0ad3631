#pragma once
// Addresses and MACs as texts: the one reading of each, used by the window's
// fields, the list's cells, the command-line tool's arguments and the
// matching against the server's database.
#include <QHostAddress>
#include <QString>

#include <array>
#include <optional>

namespace quenzal {

// Dotted decimal IPv4 text, leading zeros read as decimal (the list shows
// addresses zero-padded: 192.168.001.010 is 192.168.1.10). Anything else,
// including an octet above 255, gives an invalid (null) address.
QHostAddress parseAddressText(const QByteArray &text);
QHostAddress parseAddressText(const QString &text);
// The same reading into four octets; false for anything else.
bool parseAddressOctets(const QString &text, quint8 octets[4]);

using Mac = std::array<quint8, 6>;

// A MAC as the list shows it, "%02X:%02X:%02X:%02X:%02X:%02X", read field by
// field; the fields from the first one that does not parse on are 0.
Mac parseMacText(const QString &text);
// A MAC as a user writes it: six pairs of hexadecimal digits (either case)
// joined by ':' or by '-'. Nothing else: no spaces, no mixed separators.
std::optional<Mac> parseMacPairs(const QString &text);
QString formatMac(const Mac &mac);

} // namespace quenzal
