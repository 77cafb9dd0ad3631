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

#include <cstddef>
#include <vector>

namespace sim {

// The most terminals one fleet file may describe, `repeat` included; a
// larger fleet is refused with an error instead of exhausting memory.
constexpr std::size_t kMaxFleetTerminals = 100000;

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
