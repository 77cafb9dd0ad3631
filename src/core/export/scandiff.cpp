#include "core/export/scandiff.h"

#include "core/discovery/reconcile.h"

namespace quenzal {

std::vector<ScanChange> compareScans(const std::vector<TerminalTexts> &before, const std::vector<TerminalTexts> &after)
{
    std::vector<TerminalIdentity> left, right;
    for (const TerminalTexts &t : before)
        left.push_back(identityOfListRow(t));
    for (const TerminalTexts &t : after)
        right.push_back(identityOfListRow(t));
    const std::vector<int> pair = pairTerminals(left, right);
    std::vector<bool> paired(after.size(), false);

    std::vector<ScanChange> changes;
    for (size_t i = 0; i < before.size(); ++i) {
        if (pair[i] < 0) {
            changes.push_back(ScanChange { ScanChange::Gone, int(i), -1, {} });
            continue;
        }
        paired[size_t(pair[i])] = true;
        const TerminalTexts &a = before[i], &b = after[size_t(pair[i])];
        ScanChange change { ScanChange::Changed, int(i), pair[i], {} };
        for (int c = 0; c < TerminalListColumns; ++c) {
            if (a[size_t(c)] != b[size_t(c)])
                change.columns.push_back(c);
        }
        if (!change.columns.empty())
            changes.push_back(std::move(change));
    }
    for (size_t j = 0; j < after.size(); ++j) {
        if (!paired[j])
            changes.push_back(ScanChange { ScanChange::New, -1, int(j), {} });
    }
    return changes;
}

} // namespace quenzal
