#include "core/discovery/sortedrows.h"

#include <algorithm>

namespace quenzal {

namespace {

// Rows per block: small enough that a move within one is cheap, large
// enough that there are few to walk.
constexpr size_t BlockRows = 128;

} // namespace

SortedRows::SortedRows(const std::vector<TerminalTexts> &rows, const std::vector<int> &order, int column)
    : m_rows(rows)
    , m_column(column)
    , m_size(int(order.size()))
{
    for (size_t i = 0; i < order.size(); i += BlockRows)
        m_blocks.emplace_back(
            order.begin() + qsizetype(i), order.begin() + qsizetype(std::min(order.size(), i + BlockRows)));
}

std::pair<size_t, int> SortedRows::locate(int position) const
{
    size_t b = 0;
    for (; b < m_blocks.size() && position >= int(m_blocks[b].size()); ++b)
        position -= int(m_blocks[b].size());
    return { b, position };
}

int SortedRows::at(int position) const
{
    const auto [b, i] = locate(position);
    return m_blocks[b][size_t(i)];
}

template <class Before> int SortedRows::bound(Before before) const
{
    // The first block whose last row is not before the bound holds it.
    int position = 0;
    for (const std::vector<int> &block : m_blocks) {
        if (before(block.back())) {
            position += int(block.size());
            continue;
        }
        return position + int(std::partition_point(block.begin(), block.end(), before) - block.begin());
    }
    return position;
}

int SortedRows::lowerBound(const QString &text) const
{
    return bound([&](int row) { return QString::compare(textOf(row), text, Qt::CaseSensitive) < 0; });
}

int SortedRows::upperBound(const QString &text) const
{
    return bound([&](int row) { return QString::compare(textOf(row), text, Qt::CaseSensitive) <= 0; });
}

void SortedRows::erase(int position)
{
    const auto [b, i] = locate(position);
    std::vector<int> &block = m_blocks[b];
    block.erase(block.begin() + i);
    if (block.empty())
        m_blocks.erase(m_blocks.begin() + qsizetype(b));
    --m_size;
}

void SortedRows::insert(int position, int row)
{
    auto [b, i] = locate(position);
    if (b == m_blocks.size()) {
        // At the end: into the last block.
        if (m_blocks.empty())
            m_blocks.emplace_back();
        b = m_blocks.size() - 1;
        i = int(m_blocks[b].size());
    }
    std::vector<int> &block = m_blocks[b];
    block.insert(block.begin() + i, row);
    if (block.size() >= 2 * BlockRows) {
        std::vector<int> tail(block.begin() + qsizetype(BlockRows), block.end());
        block.resize(BlockRows);
        m_blocks.insert(m_blocks.begin() + qsizetype(b) + 1, std::move(tail));
    }
    ++m_size;
}

std::vector<int> SortedRows::order() const
{
    std::vector<int> out;
    out.reserve(size_t(m_size));
    for (const std::vector<int> &block : m_blocks)
        out.insert(out.end(), block.begin(), block.end());
    return out;
}

} // namespace quenzal
