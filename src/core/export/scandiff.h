#pragma once
// Two saved scans compared (`quenzal-cli diff`): which terminals are gone,
// which are new and which show other texts. Scans are sets: identical
// records pair first, whatever their order; the rest pair as `reconcile`
// pairs a database row with a terminal, by MAC, else by IP.
#include "core/transport/statusreply.h"

#include <vector>

namespace quenzal {

struct ScanChange
{
    enum Kind { Changed, Gone, New };
    Kind kind = Changed;
    int before = -1; // row of the older scan, -1 for New
    int after = -1; // row of the newer scan, -1 for Gone
    std::vector<int> columns; // Changed: the columns whose texts differ, in column order
};

// The changes: per row of the older scan in its order (gone, or changed
// when a text differs), then the new rows in the newer scan's order. Empty
// when the scans agree.
std::vector<ScanChange> compareScans(const std::vector<TerminalTexts> &before, const std::vector<TerminalTexts> &after);

} // namespace quenzal
