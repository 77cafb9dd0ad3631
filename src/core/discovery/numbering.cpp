#include "core/discovery/numbering.h"

#include "core/discovery/logging.h"
#include "core/transport/packets.h"

#include <algorithm>

namespace quenzal {

namespace {

// Numerically highest ID of the list. Column 0 sorts as text, so once IDs
// have four digits the last row is no longer the highest ("1000" < "999").
int highestId(const TerminalRows &rows)
{
    int highest = 0;
    for (int r = 0; r < rows.count(); ++r)
        highest = qMax(highest, fieldNumber(rows.text(r, ColId)));
    return highest;
}

} // namespace

Mac nextMac(const Mac &mac)
{
    Mac next = mac;
    const int w = mac[5] + 1;
    next[5] = quint8(w % 255);
    next[4] = quint8(mac[4] + w / 255);
    return next;
}

void assignSharedIds(TerminalRows &rows, int startNumber, const std::function<void(const IdChange &)> &send)
{
    int running = startNumber;
    // Sorting after every examined row is only needed when a cell changed
    // since the last sort: the sort is stable, so a sorted list stays as it is.
    bool sorted = false;
    for (int i = 0; i < rows.count(); ++i) {
        const QString id = rows.text(i, ColId);
        const QString mac = rows.text(i, ColMac);
        const int found = rows.countExact(ColId, id);
        qCDebug(lcDiscovery) << "Find=" << i << "ID=" << id << "Mac=" << mac;
        if (found > 1) {
            int newId;
            if (startNumber > 0) {
                newId = running;
            } else if (!sorted) {
                // The list is still in the order the user left it: one above
                // the ID of the row shown last.
                newId = fieldNumber(rows.text(rows.count() - 1, ColId)) + 1;
            } else {
                newId = highestId(rows) + 1;
            }
            const QString newText = idText(newId);
            send(IdChange { fieldNumber(id), fieldNumber(newText), mac, rows.text(i, ColIp), i });
            if (startNumber > 0)
                ++running;
            rows.setText(i, ColId, newText);
            i = 0;
            sorted = false;
        }
        if (!sorted) {
            rows.sortBy(ColId);
            sorted = true;
        }
    }
    rows.sortBy(ColId);
}

void repairSharedMacs(TerminalRows &rows, const std::function<void(const MacRepair &)> &reset)
{
    const int last = rows.count() - 1;
    rows.sortBy(ColMac);
    bool sorted = true;
    for (int i = 0; i < rows.count(); ++i) {
        const QString mac = rows.text(i, ColMac);
        const int found = rows.countExact(ColMac, mac);
        qCDebug(lcDiscovery) << "Find[" << i << "]";
        if (found > 1) {
            // One step above the highest MAC. Past the wrap of the fifth byte,
            // or after an unreadable highest MAC, that step can land on a MAC
            // the list already holds, and taking it would renumber the same
            // rows for ever: step on to the next free one instead.
            Mac next = nextMac(parseMacText(rows.text(last, ColMac)));
            for (int step = 0; step < 255 * 256 && rows.countExact(ColMac, formatMac(next)) > 0; ++step)
                next = nextMac(next);
            const QString newMac = formatMac(next);
            reset(MacRepair { fieldNumber(rows.text(i, ColId)), mac, newMac, rows.text(i, ColIp), i });
            rows.setText(i, ColMac, newMac);
            i = 0;
            sorted = false;
        }
        if (!sorted) {
            rows.sortBy(ColMac);
            sorted = true;
        }
    }
}

TerminalTable::TerminalTable(std::vector<TerminalTexts> rows)
    : m_rows(std::move(rows))
{
}

QHash<QString, int> &TerminalTable::counts(int column) const
{
    auto it = m_counts.find(column);
    if (it == m_counts.end()) {
        it = m_counts.insert(column, {});
        for (const TerminalTexts &r : m_rows)
            ++(*it)[r[size_t(column)]];
    }
    return *it;
}

int TerminalTable::countExact(int column, const QString &text) const
{
    return counts(column).value(text);
}

void TerminalTable::setText(int row, int column, const QString &text)
{
    QString &cell = m_rows[size_t(row)][size_t(column)];
    auto it = m_counts.find(column);
    if (it != m_counts.end()) {
        --(*it)[cell];
        ++(*it)[text];
    }
    cell = text;
}

void TerminalTable::sortBy(int column)
{
    sortTerminalTexts(m_rows, column);
}

void sortTerminalTexts(std::vector<TerminalTexts> &rows, int column)
{
    std::stable_sort(rows.begin(), rows.end(), [column](const TerminalTexts &a, const TerminalTexts &b) {
        return QString::compare(a[size_t(column)], b[size_t(column)], Qt::CaseSensitive) < 0;
    });
}

std::vector<IdChange> planSharedIds(std::vector<TerminalTexts> rows, int startNumber, std::vector<TerminalTexts> *after)
{
    TerminalTable table(std::move(rows));
    std::vector<IdChange> plan;
    assignSharedIds(table, startNumber, [&plan](const IdChange &c) { plan.push_back(c); });
    if (after)
        *after = table.rows();
    return plan;
}

std::vector<MacRepair> planSharedMacs(std::vector<TerminalTexts> rows, std::vector<TerminalTexts> *after)
{
    TerminalTable table(std::move(rows));
    std::vector<MacRepair> plan;
    repairSharedMacs(table, [&plan](const MacRepair &r) { plan.push_back(r); });
    if (after)
        *after = table.rows();
    return plan;
}

} // namespace quenzal
