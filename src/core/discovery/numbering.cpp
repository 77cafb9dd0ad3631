#include "core/discovery/numbering.h"

#include "core/transport/packets.h"

#include <algorithm>

namespace quenzal {

Mac nextMac(const Mac &mac)
{
    Mac next = mac;
    const int w = mac[5] + 1;
    next[5] = quint8(w % 255);
    next[4] = quint8(mac[4] + w / 255);
    return next;
}

TerminalTable::TerminalTable(std::vector<TerminalTexts> rows)
    : m_rows(std::move(rows))
    , m_origins(m_rows.size())
{
    for (size_t i = 0; i < m_origins.size(); ++i)
        m_origins[i] = int(i);
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
    m_changes.push_back(CellChange { m_origins[size_t(row)], column, text });
    if (m_keepSorted && column == m_sortColumn)
        settle(row);
}

void TerminalTable::keepSorted(int column, Qt::SortOrder order)
{
    m_keepSorted = true;
    m_sortColumn = column;
    m_sortOrder = order;
}

// Where QTreeWidget puts an item whose text in the sort column changed: the
// lower bound of its new text among the other rows, except that it stays
// where it is when the row just before it holds the same text.
void TerminalTable::settle(int row)
{
    const size_t column = size_t(m_sortColumn);
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    auto before = [column, ascending](const TerminalTexts *a, const TerminalTexts *b) {
        const int c = QString::compare((*a)[column], (*b)[column], Qt::CaseSensitive);
        return ascending ? c < 0 : c > 0;
    };
    std::vector<const TerminalTexts *> others;
    others.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (int(i) != row)
            others.push_back(&m_rows[i]);
    }
    const TerminalTexts *moved = &m_rows[size_t(row)];
    int to = int(std::lower_bound(others.begin(), others.end(), moved, before) - others.begin());
    if (to < row && !before(moved, others[size_t(row - 1)]) && !before(others[size_t(row - 1)], moved))
        to = row;
    if (to == row)
        return;
    TerminalTexts texts = std::move(m_rows[size_t(row)]);
    const int origin = m_origins[size_t(row)];
    m_rows.erase(m_rows.begin() + row);
    m_origins.erase(m_origins.begin() + row);
    m_rows.insert(m_rows.begin() + to, std::move(texts));
    m_origins.insert(m_origins.begin() + to, origin);
}

void TerminalTable::sortBy(int column)
{
    // The rows and their origins move together: sort positions, then
    // rearrange both.
    std::vector<size_t> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this, column](size_t a, size_t b) {
        return QString::compare(m_rows[a][size_t(column)], m_rows[b][size_t(column)], Qt::CaseSensitive) < 0;
    });
    std::vector<TerminalTexts> rows;
    std::vector<int> origins;
    rows.reserve(order.size());
    origins.reserve(order.size());
    for (size_t i : order) {
        rows.push_back(std::move(m_rows[i]));
        origins.push_back(m_origins[i]);
    }
    m_rows = std::move(rows);
    m_origins = std::move(origins);
    m_sortColumn = column;
    m_sortOrder = Qt::AscendingOrder;
}

void sortTerminalTexts(std::vector<TerminalTexts> &rows, int column)
{
    std::stable_sort(rows.begin(), rows.end(), [column](const TerminalTexts &a, const TerminalTexts &b) {
        return QString::compare(a[size_t(column)], b[size_t(column)], Qt::CaseSensitive) < 0;
    });
}

std::vector<IdChange> planSharedIds(TerminalTable &table, int startNumber)
{
    std::vector<IdChange> plan;
    assignSharedIds(table, startNumber, [&plan](const IdChange &c) { plan.push_back(c); });
    return plan;
}

std::vector<MacRepair> planSharedMacs(TerminalTable &table)
{
    std::vector<MacRepair> plan;
    repairSharedMacs(table, [&plan](const MacRepair &r) { plan.push_back(r); });
    return plan;
}

std::vector<IdChange> planSharedIds(std::vector<TerminalTexts> rows, int startNumber, std::vector<TerminalTexts> *after)
{
    TerminalTable table(std::move(rows));
    std::vector<IdChange> plan = planSharedIds(table, startNumber);
    if (after)
        *after = table.rows();
    return plan;
}

std::vector<MacRepair> planSharedMacs(std::vector<TerminalTexts> rows, std::vector<TerminalTexts> *after)
{
    TerminalTable table(std::move(rows));
    std::vector<MacRepair> plan = planSharedMacs(table);
    if (after)
        *after = table.rows();
    return plan;
}

} // namespace quenzal
