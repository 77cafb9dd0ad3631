#pragma once
// A row of the terminal list as the feed makes it: its texts and the colours
// it is made with kept compactly, and a comparison that can use ranks.

#include "core/transport/statusreply.h"

#include <QBrush>
#include <QTreeWidget>
#include <QTreeWidgetItem>

// Which column the rows' ranks order, and whether they still hold. Shared by
// the rows of one list.
struct TerminalRowRanks
{
    bool valid = false;
    int column = -1;
};

// A row of the list that keeps its texts at hand for sorting. The stock
// comparison fetches two QVariants per comparison, which for 10,000 rows
// costs tens of milliseconds per sort. The order is the same: both compare
// the display texts of the sort column with QString::compare,
// case-sensitively. When the feed has ranked the rows' texts in the sort
// column (see TerminalListFeed::rank()), rows compare their ranks instead:
// the same order, without reaching for the texts' storage.
class TerminalRowItem : public QTreeWidgetItem
{
public:
    static constexpr int RowType = QTreeWidgetItem::UserType + 0x51;

    TerminalRowItem(const quenzal::TerminalTexts &texts, TerminalRowRanks *ranks)
        : QTreeWidgetItem(RowType)
        , m_texts(texts)
        , m_ranks(ranks)
    {
        // The texts live here only: the item's own storage would hold each
        // again in a QVariant of a list of its own per column, about 2 KB a
        // row. data() answers for them; a text set later goes through
        // setData() as usual.
    }

    // The colours a row is made with, kept as one bit per column for each
    // of two brushes the feed owns (about 1 KB a row less than a brush in
    // a list of its own per column). A colour set later is the item's.
    void setMadeColours(const QBrush *brushes, quint32 first, quint32 second)
    {
        m_brushes = brushes;
        m_firstColours = first;
        m_secondColours = second;
    }

    QVariant data(int column, int role) const override
    {
        if (role == Qt::BackgroundRole && column >= 0 && column < quenzal::TerminalListColumns && m_brushes
            && !(m_colourSetLater & (1u << column))) {
            if (m_secondColours & (1u << column))
                return m_brushes[1];
            if (m_firstColours & (1u << column))
                return m_brushes[0];
        }
        if ((role == Qt::DisplayRole || role == Qt::EditRole) && column >= 0 && column < quenzal::TerminalListColumns
            && !(m_setLater & (1u << column)))
            return m_texts[size_t(column)];
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant &value) override
    {
        if (role == Qt::BackgroundRole && column >= 0 && column < quenzal::TerminalListColumns)
            m_colourSetLater |= 1u << column;
        if ((role == Qt::DisplayRole || role == Qt::EditRole) && column >= 0 && column < quenzal::TerminalListColumns) {
            m_texts[size_t(column)] = value.toString();
            m_setLater |= 1u << column; // kept by the item, as it was given
            // A number compares as a number in the stock comparison.
            if (value.userType() != QMetaType::QString)
                m_onlyTexts = false;
            if (m_ranks->column == column)
                m_ranks->valid = false;
        }
        QTreeWidgetItem::setData(column, role, value);
    }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const QTreeWidget *view = treeWidget();
        const int column = view ? view->sortColumn() : 0;
        if (other.type() != RowType || column < 0 || column >= quenzal::TerminalListColumns)
            return QTreeWidgetItem::operator<(other);
        const auto &row = static_cast<const TerminalRowItem &>(other);
        if (!m_onlyTexts || !row.m_onlyTexts)
            return QTreeWidgetItem::operator<(other);
        if (m_ranks->valid && m_ranks->column == column && row.m_ranks == m_ranks)
            return m_rank < row.m_rank;
        return m_texts[size_t(column)] < row.m_texts[size_t(column)];
    }

    // The text operator< compares in `column`, or null where the stock
    // comparison would decide.
    const QString *sortText(int column) const
    {
        return m_onlyTexts && column >= 0 && column < quenzal::TerminalListColumns ? &m_texts[size_t(column)] : nullptr;
    }
    void setRank(int rank) { m_rank = rank; }
    const quenzal::TerminalTexts &texts() const { return m_texts; }

private:
    quenzal::TerminalTexts m_texts;
    TerminalRowRanks *m_ranks;
    int m_rank = 0;
    static_assert(quenzal::TerminalListColumns <= 32, "one bit per column");
    quint32 m_setLater = 0; // columns whose text was set through setData()
    const QBrush *m_brushes = nullptr;
    quint32 m_firstColours = 0;
    quint32 m_secondColours = 0;
    quint32 m_colourSetLater = 0;
    bool m_onlyTexts = true;
};
