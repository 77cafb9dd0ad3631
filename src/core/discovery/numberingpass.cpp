// The two numbering passes. Each examines the rows from the top, renumbers
// the first row whose text in the pass's column is shared, sorts, and
// starts again at position 1. Sorting the whole table after every
// renumbering makes a list of 10,000 terminals that share one ID a matter
// of minutes; here the rows stay in order in a SortedRows and only the
// renumbered row moves, to where that sort would have put it. Which row the
// next walk from position 1 stops at follows from the order alone: the
// first row of the lowest shared text, or the row at position 1 when that
// text starts at position 0. The rows walked past on the way are only
// visited for the debug messages, when those are switched on.
#include "core/discovery/logging.h"
#include "core/discovery/numbering.h"
#include "core/discovery/sortedrows.h"
#include "core/transport/packets.h"

#include <set>

namespace quenzal {

namespace {

struct TextBefore
{
    bool operator()(const QString &a, const QString &b) const { return QString::compare(a, b, Qt::CaseSensitive) < 0; }
};

} // namespace

// A pass over a table already sorted by its column.
class SharedTextPass
{
public:
    SharedTextPass(TerminalTable &table, int column)
        : m_table(table)
        , m_column(column)
        , m_counts(table.counts(column))
        , m_order(table.m_rows, identity(table.count()), column)
    {
        for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it) {
            if (it.value() > 1)
                m_shared.insert(it.key());
        }
    }

    // Runs the examination from position `from`: `examined(position, row)`
    // for every row the literal walk would examine (only while debug
    // messages are on), `renumber(position, row)` for each row to renumber,
    // giving its new text. Leaves the table in the order reached.
    template <class Examined, class Renumber> void run(int from, Examined examined, Renumber renumber)
    {
        const bool tracing = lcDiscovery().isDebugEnabled();
        while (!m_shared.empty()) {
            const QString lowest = *m_shared.begin();
            const int position = qMax(m_order.lowerBound(lowest), from);
            if (tracing)
                m_order.forRange(from, position, examined);
            const int row = m_order.at(position);
            setText(position, row, renumber(position, row));
            from = 1;
        }
        if (tracing)
            m_order.forRange(from, m_order.size() - 1, examined);
        finish();
    }

    int rowAt(int position) const { return m_order.at(position); }
    const TerminalTexts &texts(int row) const { return m_table.m_rows[size_t(row)]; }

private:
    static std::vector<int> identity(int n)
    {
        std::vector<int> order(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            order[size_t(i)] = i;
        return order;
    }

    void count(const QString &text, int step)
    {
        int &n = m_counts[text];
        n += step;
        if (n == 2 && step > 0)
            m_shared.insert(text);
        else if (n == 1 && step < 0)
            m_shared.erase(text);
    }

    // TerminalTable::setText followed by the table's stable sort, for the
    // one row that changed.
    void setText(int position, int row, const QString &text)
    {
        QString &cell = m_table.m_rows[size_t(row)][size_t(m_column)];
        const QString old = cell;
        count(old, -1);
        count(text, +1);
        cell = text;
        m_table.m_changes.push_back(TerminalTable::CellChange { m_table.m_origins[size_t(row)], m_column, text });

        const int c = QString::compare(text, old, Qt::CaseSensitive);
        if (c == 0)
            return;
        m_order.erase(position);
        int to;
        if (m_table.m_keepSorted) {
            // The list moved the row itself (TerminalTable::settle): before
            // the rows of the same text, unless it already follows one.
            to = m_order.lowerBound(text);
            if (to < position && texts(m_order.at(position - 1))[size_t(m_column)] == text)
                to = position;
        } else {
            // A stable sort keeps the row's place relative to the rows it
            // now shares its text with: all after it, or all before it.
            to = c > 0 ? m_order.lowerBound(text) : m_order.upperBound(text);
        }
        m_order.insert(to, row);
    }

    void finish()
    {
        const std::vector<int> order = m_order.order();
        std::vector<TerminalTexts> rows;
        std::vector<int> origins;
        rows.reserve(order.size());
        origins.reserve(order.size());
        for (int r : order) {
            rows.push_back(std::move(m_table.m_rows[size_t(r)]));
            origins.push_back(m_table.m_origins[size_t(r)]);
        }
        m_table.m_rows = std::move(rows);
        m_table.m_origins = std::move(origins);
    }

    TerminalTable &m_table;
    int m_column;
    QHash<QString, int> &m_counts;
    SortedRows m_order;
    std::set<QString, TextBefore> m_shared; // texts held by more than one row
};

void assignSharedIds(TerminalTable &rows, int startNumber, const std::function<void(const IdChange &)> &send)
{
    int running = startNumber;
    if (rows.count() > 0) {
        // The first row is examined in the order the user left the list:
        // the append rule counts from the ID of the row shown last.
        const QString id = rows.text(0, ColId);
        const QString mac = rows.text(0, ColMac);
        qCDebug(lcDiscovery) << "Find=" << 0 << "ID=" << id << "Mac=" << mac;
        if (rows.countExact(ColId, id) > 1) {
            const QString text
                = idText(startNumber > 0 ? running : fieldNumber(rows.text(rows.count() - 1, ColId)) + 1);
            send(IdChange { fieldNumber(id), fieldNumber(text), mac, rows.text(0, ColIp), 0 });
            if (startNumber > 0)
                ++running;
            rows.setText(0, ColId, text);
        }
    }
    rows.sortBy(ColId);
    if (rows.count() == 0)
        return;

    // From here on the list is sorted after every examined row, and the
    // append rule counts from the numerically highest ID ("1000" sorts
    // before "999"). A new ID is above all others, so the highest follows
    // the renumberings.
    int highest = 0;
    for (int r = 0; r < rows.count(); ++r)
        highest = qMax(highest, fieldNumber(rows.text(r, ColId)));
    SharedTextPass pass(rows, ColId);
    pass.run(
        1,
        [&](int position, int row) {
            const TerminalTexts &t = pass.texts(row);
            qCDebug(lcDiscovery) << "Find=" << position << "ID=" << t[ColId] << "Mac=" << t[ColMac];
        },
        [&](int position, int row) {
            // The table's texts are read by row here, not by position.
            const TerminalTexts &t = pass.texts(row);
            const QString text = idText(startNumber > 0 ? running : highest + 1);
            send(IdChange { fieldNumber(t[ColId]), fieldNumber(text), t[ColMac], t[ColIp], position });
            if (startNumber > 0)
                ++running;
            highest = qMax(highest, fieldNumber(text));
            return text;
        });
    rows.sortBy(ColId);
}

void repairSharedMacs(TerminalTable &rows, const std::function<void(const MacRepair &)> &reset)
{
    const int last = rows.count() - 1;
    rows.sortBy(ColMac);
    if (rows.count() == 0)
        return;
    SharedTextPass pass(rows, ColMac);
    pass.run(
        0, [](int position, int) { qCDebug(lcDiscovery) << "Find[" << position << "]"; },
        [&](int position, int row) {
            // One step above the highest MAC. Past the wrap of the fifth
            // byte, or after an unreadable highest MAC, that step can land
            // on a MAC the list already holds, and taking it would renumber
            // the same rows for ever: step on to the next free one instead.
            Mac next = nextMac(parseMacText(pass.texts(pass.rowAt(last))[ColMac]));
            for (int step = 0; step < 255 * 256 && rows.countExact(ColMac, formatMac(next)) > 0; ++step)
                next = nextMac(next);
            const TerminalTexts &t = pass.texts(row);
            const QString newMac = formatMac(next);
            reset(MacRepair { fieldNumber(t[ColId]), t[ColMac], newMac, t[ColIp], position });
            return newMac;
        });
}

} // namespace quenzal
