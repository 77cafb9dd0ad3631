#pragma once
// The fleet file of the simulator: which terminals it plays.
//
//   # comment
//   firmware = 545            keys before the first [terminal] are defaults
//   [terminal]
//   id = 7
//   ip = 198.18.1.7
//   mac = 02:00:00:00:00:07
//   repeat = 3                this terminal and two more, with ID, IP and
//                             MAC each one higher than the one before
//
// Every status field has a key (see README.md). Duplicate IDs, IPs and MACs
// are allowed: that is what the duplicate marks are for.
#include "terminalstate.h"

#include <QString>

#include <vector>

namespace sim {

struct FleetConfig
{
    std::vector<TerminalState> terminals;
    QString error; // empty when the text parsed; else "line N: ..."
};

FleetConfig parseFleetConfig(const QString &text);

// Next address / MAC as one number, for `repeat`.
std::array<quint8, 4> nextAddress(std::array<quint8, 4> a);
std::array<quint8, 6> nextMac(std::array<quint8, 6> m);

} // namespace sim
