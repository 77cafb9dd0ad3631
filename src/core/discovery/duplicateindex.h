#pragma once
// Duplicate marks of the terminal list, without searching the list.
//
// Rows that share an ID, an IP or a MAC text get a coloured cell in that
// column. The rule is stated per arriving row: find every row whose text in
// the column equals the new row's; if there is more than one, colour that
// cell of all of them; a colour once set stays until the list is cleared.
// Searching the whole list per reply makes a burst of N replies cost N^2, so
// this index keeps, per column, which rows hold each text and which of them
// are not coloured yet. Adding a row is then O(1) amortised and returns
// exactly the cells the search would have coloured for the first time.
//
// Rows are opaque keys (the list's item pointers); nothing here touches a
// widget. Cell texts of existing rows may change (the numbering passes
// rewrite IDs and MACs): rename() keeps the index in step, and, like a
// rewrite of the cell, it colours nothing.

#include "core/transport/statusreply.h"

#include <QHash>
#include <QString>

#include <array>
#include <vector>

namespace quenzal {

class DuplicateIndex
{
public:
    using Row = const void *;
    // The three marked columns of the list, in this order: ID, IP, MAC.
    static constexpr int Keys = 3;
    static constexpr std::array<int, Keys> ListColumns { ColId, ColIp, ColMac };
    // Index of a list column among the keys, or -1 when it is not marked.
    static int keyOfColumn(int listColumn);

    // A new row with its three texts. Returns, per key, the rows whose cell
    // must get the duplicate colour now (the new row included when marked).
    std::array<std::vector<Row>, Keys> add(Row row, const std::array<QString, Keys> &texts);
    void rename(Row row, int key, const QString &text);
    void remove(Row row);
    void clear();

    bool contains(Row row) const { return m_rows.contains(row); }
    int size() const { return int(m_rows.size()); }
    // How many rows share their text in `key` with another row now (kept up
    // to date as rows come, go and change, so the end of a scan need not
    // count them over tens of thousands of rows).
    int sharedRows(int key) const { return m_shared[size_t(key)]; }

private:
    struct Group
    {
        int members = 0;
        std::vector<Row> uncoloured; // members whose cell has no duplicate colour yet
    };
    struct Entry
    {
        std::array<QString, Keys> texts;
        std::array<bool, Keys> coloured {};
    };

    void leave(Row row, int key, const Entry &entry);
    void join(Group &group, int key);

    std::array<int, Keys> m_shared {};

    std::array<QHash<QString, Group>, Keys> m_groups;
    QHash<Row, Entry> m_rows;
};

} // namespace quenzal
