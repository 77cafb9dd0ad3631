// The terminal list's sorting at scale: the sort paused for a burst and
// resumed once, and the ranks that make the list's comparisons cheap.
#include "gui/terminallist/terminallistfeed.h"
#include "gui/terminallist/terminalrowitem.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

using namespace quenzal;

namespace {

// The first code units of a text, for sorting many texts without reaching
// for each one's storage; texts that agree in all of them compare in full.
struct RankKey
{
    static constexpr int Units = 17;
    char16_t units[Units];
    quint16 length;
    int row;
    const QString *text;
};

bool keyLess(const RankKey &a, const RankKey &b)
{
    const int n = qMin(qMin(int(a.length), int(b.length)), RankKey::Units);
    for (int i = 0; i < n; ++i) {
        if (a.units[i] != b.units[i])
            return a.units[i] < b.units[i];
    }
    if (a.length <= RankKey::Units || b.length <= RankKey::Units)
        return a.length < b.length;
    return *a.text < *b.text;
}

} // namespace

// One stable sort of the rows in arrival order (those before the burst
// first, in order): the order the sort after every insertion gives.
void TerminalListFeed::resumeSorting()
{
    if (!m_resortPending)
        return;
    m_resortPending = false;
    m_resortTimer.stop();
    QHeaderView *header = m_list->header();
    rank(header->sortIndicatorSection());
    const bool shown = header->isSortIndicatorShown();
    const bool clickable = header->sectionsClickable();
    m_list->setSortingEnabled(true);
    header->setSortIndicatorShown(shown);
    header->setSectionsClickable(clickable);
}

void TerminalListFeed::sortItems(int column, Qt::SortOrder order)
{
    QHeaderView *header = m_list->header();
    if (m_resortPending) {
        // Sorted by this column when the burst has passed (now, if it has).
        header->setSortIndicator(column, order);
        if (!m_fitPending)
            resumeSorting();
        return;
    }
    if (header->sortIndicatorSection() == column && header->sortIndicatorOrder() == order && inOrder(column, order))
        return; // the stable sort would move nothing
    rank(column);
    m_list->sortItems(column, order);
}

bool TerminalListFeed::inOrder(int column, Qt::SortOrder order) const
{
    const int n = m_list->topLevelItemCount();
    QString previous;
    for (int i = 0; i < n; ++i) {
        QString text = m_list->topLevelItem(i)->text(column);
        if (i > 0 && (order == Qt::AscendingOrder ? text < previous : previous < text))
            return false;
        previous = std::move(text);
    }
    return true;
}

// The list's sort compares rows about a million times at 60,000 rows; each
// comparison of two texts reaches into two places in memory far apart,
// which makes a sort take hundreds of milliseconds. Here the texts of the
// column are sorted once in a compact copy and each row is given the rank
// of its text (equal texts, equal ranks), so the list's comparisons put
// rows in exactly the order the texts would. The ranks hold until a row
// comes or a text of the column changes.
void TerminalListFeed::rank(int column)
{
    const int n = m_list->topLevelItemCount();
    if (m_mode != Mode::Batched || column < 0 || column >= TerminalListColumns)
        return;
    if (m_ranks.valid && m_ranks.column == column)
        return;
    m_ranks.valid = false;
    std::vector<RankKey> keys;
    keys.reserve(size_t(n));
    std::vector<TerminalRowItem *> rows;
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        const QString *text = item->type() == TerminalRowItem::RowType
            ? static_cast<TerminalRowItem *>(item)->sortText(column)
            : nullptr;
        if (!text)
            return; // the stock comparison decides
        RankKey key;
        key.length = quint16(qMin<qsizetype>(text->size(), 0xFFFF));
        const int units = qMin(int(key.length), RankKey::Units);
        std::copy_n(reinterpret_cast<const char16_t *>(text->constData()), units, key.units);
        key.row = i;
        key.text = text;
        keys.push_back(key);
        rows.push_back(static_cast<TerminalRowItem *>(item));
    }
    std::sort(keys.begin(), keys.end(), keyLess);
    int rank = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0 && keyLess(keys[i - 1], keys[i]))
            ++rank;
        rows[size_t(keys[i].row)]->setRank(rank);
    }
    m_ranks.column = column;
    m_ranks.valid = true;
}
