#pragma once
// Commissioning from a plan: the settings each terminal must get, named by
// its MAC, against what a scan found.
//
// The plan is read from a CSV or JSON file or from the server's Terminal
// table (planread.h). comparePlan() pairs each planned MAC with the scan's
// records (MACs and addresses compared as values, as reconcile compares
// them), gives every planned MAC and every online terminal the plan does not
// name a status, and finds the problems that forbid sending anything.
// planSends() orders what is to be sent: the ID changes first (addressed by
// old ID and MAC, so terminals that share an ID are told apart), in an order
// that never gives two online terminals the same ID on the way, then per
// terminal mask, gateway, server and the IP last (addressed by the ID it has
// by then). Nothing here touches a socket: the CLI and the window send what
// these functions give and compare again after a rescan.
#include "core/transport/packets.h"
#include "core/transport/statusreply.h"

#include <QHostAddress>
#include <QString>

#include <array>
#include <vector>

namespace quenzal {

// The settings a plan can give, in the order of the JSON keys and of the
// report's columns.
enum class PlanField { Id, Ip, Mask, Gateway, Server };
inline constexpr int PlanFieldCount = 5;
using PlanValues = std::array<QString, PlanFieldCount>;

// "id", "ip", "mask", "gateway", "server".
QString planFieldName(PlanField field);

struct PlanEntry
{
    int line = 0; // CSV line, JSON element or database row, from 1
    QString mac; // as written
    PlanValues values; // as written; empty: leave the setting as it is
};

enum class PlanStatus { Ok, Change, Missing, Clone, Unplanned, Problem };
// "ok", "change", "missing", "clone", "unplanned", "problem".
QString planStatusName(PlanStatus status);

struct PlanChange
{
    PlanField field = PlanField::Id;
    QString now;
    QString planned;
};

struct PlanRow
{
    QString mac; // "AA:BB:CC:DD:EE:FF", or as written when it does not read
    PlanStatus status = PlanStatus::Ok;
    std::vector<PlanChange> changes; // ok/change: the settings that differ
    QString reason; // problem, clone, missing: why
    int entry = -1; // index into the plan; -1 for an unplanned terminal
    int record = -1; // index into the scanned records; -1 when not online (or a clone)
    PlanValues now; // the terminal's settings as values ("7", "10.0.0.7"); empty when not online
};

struct PlanComparison
{
    std::vector<PlanRow> rows; // planned MACs in plan order, then unplanned terminals in scan order
    bool problems = false; // some row is a problem: nothing may be sent
    std::vector<qint64> onlineIds; // the ID of every scanned record that reads, clones included
};

// `scanned`: every reply of the scan, in arrival order (one terminal that
// answered twice is two records with its MAC and counts as a clone).
PlanComparison comparePlan(const std::vector<PlanEntry> &plan, const std::vector<TerminalTexts> &scanned);

struct PlanSend
{
    enum Kind { IdChange, Setting };
    Kind kind = IdChange;
    PlanField field = PlanField::Id; // Setting: Mask, Gateway, Server or Ip
    int row = -1; // into PlanComparison::rows
    QString mac;
    int oldId = 0; // IdChange: the ID the terminal has when this goes out
    int newId = 0; // IdChange: the ID it gets (a temporary one for a swap); Setting: the ID that addresses it
    QString value; // Setting: the dotted address
    QHostAddress address; // the terminal's address when this goes out (WAN destination)
};

// What to send to bring the online terminals of a comparison without
// problems to the plan; empty when there are problems or nothing differs.
// The settings of a terminal that keeps an ID other terminals share now are
// left for the next comparison, once a rescan shows that ID its own.
std::vector<PlanSend> planSends(const PlanComparison &comparison);

// The datagram of one send, written into the session's packet as the
// numbering pass and `quenzal-cli set` write theirs.
QByteArray encodePlanSend(SingleTerminalPacket &packet, const PlanSend &send);

} // namespace quenzal
