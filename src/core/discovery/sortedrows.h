#pragma once
// The rows of a numbering pass in the order of the pass's column, cut into
// blocks, so that finding where a text starts, reading the row at a
// position and moving one row each cost about the square root of the rows
// instead of a walk over (or a sort of) the whole table. The passes keep
// the table sorted by their column after every renumbering; with this they
// move the one renumbered row where that sort would put it.
#include "core/transport/statusreply.h"

#include <QString>

#include <vector>

namespace quenzal {

class SortedRows
{
public:
    // `order`: indices into `rows`, already sorted by `column` (QString
    // compare, case-sensitive). The texts are read from `rows` as they are
    // at each call.
    SortedRows(const std::vector<TerminalTexts> &rows, const std::vector<int> &order, int column);

    int size() const { return m_size; }
    // The row (index into the table's rows) at a position.
    int at(int position) const;
    // First position whose text is not before `text` / is after `text`.
    int lowerBound(const QString &text) const;
    int upperBound(const QString &text) const;
    void erase(int position);
    void insert(int position, int row);
    // Calls f(position, row) for the positions first..last.
    template <class F> void forRange(int first, int last, F f) const;
    std::vector<int> order() const;

private:
    const QString &textOf(int row) const { return m_rows[size_t(row)][size_t(m_column)]; }
    // Block and offset in it of a position (the end: one past the last block).
    std::pair<size_t, int> locate(int position) const;
    template <class Before> int bound(Before before) const;

    const std::vector<TerminalTexts> &m_rows;
    int m_column;
    int m_size = 0;
    std::vector<std::vector<int>> m_blocks;
};

template <class F> void SortedRows::forRange(int first, int last, F f) const
{
    if (first > last)
        return;
    auto [b, i] = locate(first);
    for (int position = first; position <= last && b < m_blocks.size(); ++b, i = 0) {
        for (; i < int(m_blocks[b].size()) && position <= last; ++i, ++position)
            f(position, m_blocks[b][size_t(i)]);
    }
}

} // namespace quenzal
