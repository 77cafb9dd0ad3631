#pragma once
// The automatic numbering passes over the terminal list (shared IDs, shared
// MACs), kept apart from the widgets.
//
// Both passes work on the list as it stands when the button is pressed and
// run to their end in one go: examine a row, renumber it when its ID (MAC)
// is shared, then sort the list and, after a renumbering, start again from
// position 1. They see the list through TerminalRows, so they run the same
// on the window's QTreeWidget and on a plain table in the tests. What goes
// to the terminals is handed to a callback; the passes themselves never send.
#include "core/transport/statusreply.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <vector>

#include "core/transport/addresstext.h"

namespace quenzal {

class TerminalRows
{
public:
    virtual ~TerminalRows() = default;
    virtual int count() const = 0;
    virtual QString text(int row, int column) const = 0;
    // Number of rows whose text in `column` equals `text` exactly.
    virtual int countExact(int column, const QString &text) const = 0;
    virtual void setText(int row, int column, const QString &text) = 0;
    // Ascending by the column's text (stable).
    virtual void sortBy(int column) = 0;
};

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

// Gives every row whose ID text is shared a new ID: from startNumber upward
// when it is above 0, else one above the highest ID of the list. `send` is
// called for each renumbering before the row's ID cell is rewritten.
void assignSharedIds(TerminalRows &rows, int startNumber, const std::function<void(const IdChange &)> &send);

// Gives every row whose MAC text is shared a MAC one step above the highest
// of the list; `reset` is called for each before the cell is rewritten.
void repairSharedMacs(TerminalRows &rows, const std::function<void(const MacRepair &)> &reset);

// The terminal list as a plain table of rows, for the passes outside the
// window: the command-line tool's renumbering, the window's preview, tests.
// Sorting is the list's: stable, ascending by the column's text compared
// as QString compares (case-sensitive, by UTF-16 code unit).
class TerminalTable : public TerminalRows
{
public:
    TerminalTable() = default;
    explicit TerminalTable(std::vector<TerminalTexts> rows);

    int count() const override { return int(m_rows.size()); }
    QString text(int row, int column) const override { return m_rows[size_t(row)][size_t(column)]; }
    int countExact(int column, const QString &text) const override;
    void setText(int row, int column, const QString &text) override;
    void sortBy(int column) override;

    const std::vector<TerminalTexts> &rows() const { return m_rows; }

private:
    QHash<QString, int> &counts(int column) const;

    std::vector<TerminalTexts> m_rows;
    mutable QHash<int, QHash<QString, int>> m_counts; // per column: rows per text
};

// Stable sort of rows by one column, as the list sorts.
void sortTerminalTexts(std::vector<TerminalTexts> &rows, int column);

// What the passes would do to a list in the given order (for the window's
// list: sorted by ID, as it stands once replies stop), without sending:
// the packets to send, in order, and the list afterwards in *after.
std::vector<IdChange> planSharedIds(
    std::vector<TerminalTexts> rows, int startNumber, std::vector<TerminalTexts> *after = nullptr);
std::vector<MacRepair> planSharedMacs(std::vector<TerminalTexts> rows, std::vector<TerminalTexts> *after = nullptr);

} // namespace quenzal
