#include "core/discovery/duplicateindex.h"

#include <algorithm>

namespace quenzal {

int DuplicateIndex::keyOfColumn(int listColumn)
{
    const auto it = std::find(ListColumns.begin(), ListColumns.end(), listColumn);
    return it == ListColumns.end() ? -1 : int(it - ListColumns.begin());
}

std::array<std::vector<DuplicateIndex::Row>, DuplicateIndex::Keys> DuplicateIndex::add(
    Row row, const std::array<QString, Keys> &texts)
{
    std::array<std::vector<Row>, Keys> marks;
    if (m_rows.contains(row))
        remove(row);
    Entry &entry = m_rows[row];
    entry.texts = texts;
    for (int k = 0; k < Keys; ++k) {
        Group &group = m_groups[size_t(k)][texts[size_t(k)]];
        join(group, k);
        group.uncoloured.push_back(row);
        if (group.members > 1) {
            marks[size_t(k)].swap(group.uncoloured);
            for (Row r : marks[size_t(k)])
                m_rows[r].coloured[size_t(k)] = true;
        }
    }
    return marks;
}

void DuplicateIndex::leave(Row row, int key, const Entry &entry)
{
    auto &groups = m_groups[size_t(key)];
    const auto it = groups.find(entry.texts[size_t(key)]);
    if (it == groups.end())
        return;
    if (!entry.coloured[size_t(key)]) {
        auto &u = it->uncoloured;
        u.erase(std::remove(u.begin(), u.end(), row), u.end());
    }
    // A group of two leaves one row alone; a larger one loses one sharer.
    m_shared[size_t(key)] -= it->members == 2 ? 2 : it->members > 2 ? 1 : 0;
    if (--it->members == 0)
        groups.erase(it);
}

void DuplicateIndex::join(Group &group, int key)
{
    ++group.members;
    m_shared[size_t(key)] += group.members == 2 ? 2 : group.members > 2 ? 1 : 0;
}

void DuplicateIndex::rename(Row row, int key, const QString &text)
{
    const auto it = m_rows.find(row);
    if (it == m_rows.end() || key < 0 || key >= Keys || it->texts[size_t(key)] == text)
        return;
    leave(row, key, *it);
    it->texts[size_t(key)] = text;
    Group &group = m_groups[size_t(key)][text];
    join(group, key);
    if (!it->coloured[size_t(key)])
        group.uncoloured.push_back(row);
}

void DuplicateIndex::remove(Row row)
{
    const auto it = m_rows.find(row);
    if (it == m_rows.end())
        return;
    for (int k = 0; k < Keys; ++k)
        leave(row, k, *it);
    m_rows.erase(it);
}

void DuplicateIndex::clear()
{
    for (auto &g : m_groups)
        g.clear();
    m_rows.clear();
    m_shared = {};
}

} // namespace quenzal
