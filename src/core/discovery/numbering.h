#pragma once
// The automatic numbering passes over the terminal list (shared IDs, shared
// MACs), kept apart from the widgets.
//
// Both passes work on the list as it stands when the button is pressed and
// run to their end in one go: examine a row, renumber it when its ID (MAC)
// is shared, then sort the list and, after a renumbering, start again from
// position 1. Taken literally that is a sort of the list per renumbering, and
// a site where every terminal has the same ID needs one renumbering per
// row; the passes reach the same packets and the same list by keeping the
// rows in order and moving only the renumbered one (numberingpass.cpp). They run on a TerminalTable: the window fills
// one from its list in on-screen order and writes the table's cell changes back, the command-line tool and the preview
// fill one from their rows, so all three plan the same packets. What goes to the terminals is handed to a callback; the
// passes themselves never send.
#include "core/transport/statusreply.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "core/transport/addresstext.h"

namespace quenzal {

// One step up: the last byte counts in base 255 and carries into the fifth,
// which wraps in 8 bits without carrying further.
Mac nextMac(const Mac &mac);

struct IdChange
{
    int oldId = 0;
    int newId = 0;
    QString mac; // column 4 of the row
    QString address; // column 1 of the row
    int row = -1; // position of the row in the list (from 0) when it is renumbered
};

struct MacRepair
{
    int id = 0; // column 0 of the row, the target of the factory reset
    QString oldMac;
    QString newMac;
    QString address; // column 1 of the row
    int row = -1; // position of the row in the list (from 0) when it is reset
};

// The terminal list as the passes see it: rows of texts in list order.
// Sorting is the list's: stable, ascending by the column's text compared
// as QString compares (case-sensitive, by UTF-16 code unit), as the
// window's list sorts its rows. Every row keeps the position it had when
// the table was filled (its origin), and every cell change is kept in
// order, so that a caller can apply the pass to the list it came from.
class TerminalTable
{
public:
    TerminalTable() = default;
    explicit TerminalTable(std::vector<TerminalTexts> rows);

    int count() const { return int(m_rows.size()); }
    QString text(int row, int column) const { return m_rows[size_t(row)][size_t(column)]; }
    // Number of rows whose text in `column` equals `text` exactly.
    int countExact(int column, const QString &text) const;
    void setText(int row, int column, const QString &text);
    // Stable, ascending; the column becomes the one the table keeps sorted by.
    void sortBy(int column);

    // Makes the table behave as the window's list does with sorting on:
    // sorted by `column` in `order`, and a row whose text in that column is
    // rewritten moves at once to where it belongs (before rows with the same
    // text, unless it already sits just after one), as QTreeWidget moves an
    // edited item. Without it (the default) a rewritten row stays put until
    // the next sortBy.
    void keepSorted(int column, Qt::SortOrder order);

    const std::vector<TerminalTexts> &rows() const { return m_rows; }
    // Position of row `row` when the table was filled.
    int origin(int row) const { return m_origins[size_t(row)]; }

    struct CellChange
    {
        int origin = -1; // the row, by its position when the table was filled
        int column = -1;
        QString text;
    };
    // Every setText so far, in order.
    const std::vector<CellChange> &changes() const { return m_changes; }

private:
    friend class SharedTextPass; // numberingpass.cpp
    QHash<QString, int> &counts(int column) const;
    void settle(int row);

    std::vector<TerminalTexts> m_rows;
    std::vector<int> m_origins;
    bool m_keepSorted = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<CellChange> m_changes;
    mutable QHash<int, QHash<QString, int>> m_counts; // per column: rows per text
};

// Gives every row whose ID text is shared a new ID: from startNumber upward
// when it is above 0, else one above the highest ID of the list. `send` is
// called for each renumbering before the row's ID cell is rewritten. The
// table ends sorted by ID with every ID text distinct.
void assignSharedIds(TerminalTable &rows, int startNumber, const std::function<void(const IdChange &)> &send);

// Gives every row whose MAC text is shared a MAC one step above the highest
// of the list; `reset` is called for each before the cell is rewritten. The
// table ends sorted by MAC with every MAC text distinct.
void repairSharedMacs(TerminalTable &rows, const std::function<void(const MacRepair &)> &reset);

// Stable sort of rows by one column, as the list sorts.
void sortTerminalTexts(std::vector<TerminalTexts> &rows, int column);

// What the passes would do to a list in the given order (for the window's
// list: sorted by ID, as it stands once replies stop), without sending:
// the packets to send, in order, and the list afterwards in *after.
std::vector<IdChange> planSharedIds(
    std::vector<TerminalTexts> rows, int startNumber, std::vector<TerminalTexts> *after = nullptr);
std::vector<MacRepair> planSharedMacs(std::vector<TerminalTexts> rows, std::vector<TerminalTexts> *after = nullptr);
// The same on a table the caller keeps, to apply its changes afterwards.
std::vector<IdChange> planSharedIds(TerminalTable &table, int startNumber);
std::vector<MacRepair> planSharedMacs(TerminalTable &table);

} // namespace quenzal
