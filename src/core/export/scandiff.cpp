#include "core/export/scandiff.h"

#include "core/discovery/reconcile.h"

#include <QHash>

namespace quenzal {

namespace {

// All texts of a record as one key: records with equal keys are the same.
QString recordKey(const TerminalTexts &t)
{
    QString key;
    for (const QString &cell : t) {
        key += cell;
        key += QChar(0x1f); // a separator no cell holds
    }
    return key;
}

} // namespace

std::vector<ScanChange> compareScans(const std::vector<TerminalTexts> &before, const std::vector<TerminalTexts> &after)
{
    // A scan is a set of records: first pair the records that are identical
    // in both scans, whatever their order, so that two clones sharing a MAC
    // pair with their own copies rather than with each other.
    std::vector<int> pair(before.size(), -1);
    std::vector<bool> paired(after.size(), false);
    {
        QHash<QString, std::vector<int>> unpaired; // key -> rows of the newer scan, in order
        for (size_t j = 0; j < after.size(); ++j)
            unpaired[recordKey(after[j])].push_back(int(j));
        QHash<QString, size_t> used; // key -> how many of its rows are taken
        for (size_t i = 0; i < before.size(); ++i) {
            const QString key = recordKey(before[i]);
            auto it = unpaired.find(key);
            if (it == unpaired.end())
                continue;
            size_t &n = used[key];
            if (n < it->size()) {
                pair[i] = (*it)[n++];
                paired[size_t(pair[i])] = true;
            }
        }
    }

    // The rest pair as `reconcile` pairs a database row with a terminal: by
    // MAC, else by IP.
    std::vector<int> leftRows, rightRows;
    std::vector<TerminalIdentity> left, right;
    for (size_t i = 0; i < before.size(); ++i) {
        if (pair[i] < 0) {
            leftRows.push_back(int(i));
            left.push_back(identityOfListRow(before[i]));
        }
    }
    for (size_t j = 0; j < after.size(); ++j) {
        if (!paired[j]) {
            rightRows.push_back(int(j));
            right.push_back(identityOfListRow(after[j]));
        }
    }
    const std::vector<int> rest = pairTerminals(left, right);
    for (size_t k = 0; k < rest.size(); ++k) {
        if (rest[k] >= 0) {
            const int j = rightRows[size_t(rest[k])];
            pair[size_t(leftRows[k])] = j;
            paired[size_t(j)] = true;
        }
    }

    std::vector<ScanChange> changes;
    for (size_t i = 0; i < before.size(); ++i) {
        if (pair[i] < 0) {
            changes.push_back(ScanChange { ScanChange::Gone, int(i), -1, {} });
            continue;
        }
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
