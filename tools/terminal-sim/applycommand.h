#pragma once
// What a simulated terminal does with a datagram from the tool: single-
// terminal commands addressed to its ID (or, for the ID change, to its old ID
// and MAC) and all-terminals commands. Pure: no sockets.
#include "terminalstate.h"

#include <QByteArray>
#include <QString>

namespace sim {

struct ApplyResult
{
    bool applied = false;   // the datagram was a command meant for this terminal
    QString description;    // one line for the simulator's log, empty if not applied
};

ApplyResult applyCommand(TerminalState &terminal, const QByteArray &datagram);

} // namespace sim
