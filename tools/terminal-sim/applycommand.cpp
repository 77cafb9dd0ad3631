#include "applycommand.h"

namespace sim {

ApplyResult applyCommand(TerminalState &, const QByteArray &)
{
    return {};
}

} // namespace sim
