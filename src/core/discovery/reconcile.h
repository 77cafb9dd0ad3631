#pragma once
// The server's database against the network: which terminals the database
// knows that do not answer, which answer that it does not know, and where a
// terminal's ID, IP or MAC differs between the two.
//
// Matching. Each database row is paired with at most one scanned terminal,
// and each scanned terminal with at most one row:
//   1. by MAC: the first scanned terminal (in scan order) with the row's MAC
//      that is not paired yet;
//   2. otherwise by IP: the first unpaired scanned terminal with the row's IP.
// Rows with a MAC are paired by MAC in a first round over all rows, before
// any row is paired by IP, so that a terminal that moved to another
// terminal's old address is still found by its MAC. Texts are compared as
// values, not as texts: a MAC in either case with ':' or '-' or nothing
// between the bytes, an IP with or without zero padding, an ID with or
// without leading zeros. A value that does not read (an empty MAC, an IP
// that is no address) matches nothing. A pair whose ID, IP or MAC differs
// gives one difference per field; an unpaired row is silent, an unpaired
// terminal unknown. Nothing here reads a file or a socket.
#include "core/transport/statusreply.h"

#include <QString>

#include <optional>
#include <vector>

namespace quenzal {

// The identity of a terminal as texts, from a database row (columns ID, IP,
// MAC, Name) or from a row of the terminal list (columns 0, 1, 4).
struct TerminalIdentity
{
    QString id;
    QString ip;
    QString mac;
    QString name; // database rows only
};

TerminalIdentity identityOfListRow(const TerminalTexts &row);

// Values read from the texts; nullopt when the text does not read.
std::optional<quint32> identityIp(const QString &text); // IPv4 as a number
std::optional<QString> identityMac(const QString &text); // "AA:BB:CC:DD:EE:FF"
std::optional<qint64> identityId(const QString &text);

struct Difference
{
    enum Kind { Silent, Unknown, IdDiffers, IpDiffers, MacDiffers };
    Kind kind = Silent;
    int dbRow = -1; // index into the database rows, -1 for Unknown
    int scanRow = -1; // index into the scanned rows, -1 for Silent
    QString dbValue; // for the *Differs kinds: the field's text on each side
    QString scanValue;
    bool pairedByMac = false;
};

// The pairing alone: for each left row the index of its right row, or -1.
// *byMac (if given) tells, per left row, whether the pair was made by MAC.
std::vector<int> pairTerminals(const std::vector<TerminalIdentity> &left, const std::vector<TerminalIdentity> &right,
    std::vector<bool> *byMac = nullptr);

// Stable names of the kinds, for output: "silent", "unknown", "id", "ip", "mac".
QString differenceKindName(Difference::Kind kind);

// Differences ordered: per database row in row order (silent, or the fields
// that differ, ID before IP before MAC), then the unknown terminals in scan
// order. Empty when database and network agree.
std::vector<Difference> reconcileTerminals(
    const std::vector<TerminalIdentity> &database, const std::vector<TerminalIdentity> &scanned);

} // namespace quenzal
