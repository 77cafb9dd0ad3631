#pragma once
// Turns status replies into rows of the terminal list, at the scale of
// sites with thousands of terminals.
//
// The rules per reply are simple: append a row of 32 texts, colour the even
// columns, colour the ID, IP and MAC cells that the new row shares with
// others, fit the columns, and sort by ID once replies stop. Done literally
// per datagram (search the whole list three times, refit 32 columns over the
// rows, one datagram per event-loop turn) a burst of 10,000 replies takes
// minutes and loses most of them. So:
//   - UdpTransport drains both sockets on its own thread into a bounded
//     queue;
//   - the GUI thread takes the queue in slices of a few milliseconds, so it
//     keeps painting and answering clicks, and adds each slice to the list at
//     once (one insertion, one pending sort of the list's own sorting);
//   - DuplicateIndex finds the cells to colour without searching the list;
//   - column fitting is switched off while a burst runs and done once when
//     it has passed, with the cell sizes of each column's texts remembered.
// What the user sees once a burst has passed is the same as the per-reply
// rules give: same rows, texts, colours, order and column widths.
//
// Which socket a datagram came from is kept with it: a datagram from the
// socket of the inactive mode gives no row (it still counts as a datagram
// for the sort countdown).
//
// PerRow is the literal per-reply way, kept as the reference that the
// equivalence tests and the benchmark compare against; the environment
// variable QUENZAL_LIST_PER_ROW=1 selects it.

#include "core/discovery/duplicateindex.h"
#include "core/discovery/terminalexport.h"
#include "core/transport/statusreply.h"
#include "core/transport/udptransport.h"
#include "gui/terminallist/terminalrowitem.h"

#include <QBrush>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QTreeWidget;
class RememberingDelegate;
class QTreeWidgetItem;

class TerminalListFeed : public QObject
{
public:
    enum class Mode { Batched, PerRow };

    // wake is called (on the GUI thread) whenever there is something to
    // take; the window runs its receive slot from it.
    TerminalListFeed(QTreeWidget *list, quenzal::UdpTransport *transport, std::function<void()> wake,
        Mode mode = modeFromEnvironment());
    ~TerminalListFeed() override;

    static Mode modeFromEnvironment();
    Mode mode() const { return m_mode; }

    struct Taken
    {
        int datagrams = 0; // datagrams handled, rows or not
        int rows = 0; // rows appended
    };
    // Handles what has arrived: a slice of a few milliseconds (Batched) or
    // one datagram (PerRow); the rest follows after the event loop had a turn.
    Taken take(bool wanMode);

    // The work of one slice: chunks of `chunk` replies until `ms` have
    // passed (at least one chunk per slice).
    void setSliceLimits(qint64 ms, int chunk);

    // True while rows are queued or the columns still wait for fitting.
    bool busy() const;
    // Fits the columns now if a burst left them unfitted.
    void settle();

    // Called for every row appended, after it is in the list, with the
    // reply's texts and its sender (the window's filter and verification).
    using RowObserver = std::function<void(const quenzal::TerminalTexts &, const QHostAddress &, QTreeWidgetItem *)>;
    void setRowObserver(RowObserver observer) { m_observer = std::move(observer); }

    // Rewrites one cell of an existing row, keeping the duplicate index in
    // step. The cell keeps its colour.
    void setCellText(QTreeWidgetItem *item, int column, const QString &text);

    // The texts of a row this feed made (the same as the item's texts), or
    // null for another row.
    const quenzal::TerminalTexts *textsOf(const QTreeWidgetItem *item) const;

    // The rows that share an ID, an IP or a MAC with another row, counted
    // as the rows came; nothing when some row of the list is not the feed's
    // (then the caller counts over the list).
    std::optional<quenzal::SharedCounts> sharedCounts() const;

    // Ranks the rows by `column` for a sort the caller starts at once.
    void prepareSort(int column) { rank(column); }

    // QTreeWidget::sortItems, with the rows ranked first (see rank()).
    void sortItems(int column, Qt::SortOrder order);

    using SortRanks = TerminalRowRanks;

private:
    QTreeWidgetItem *makeItem(const quenzal::StatusRow &row) const;
    void colour(const std::array<std::vector<quenzal::DuplicateIndex::Row>, quenzal::DuplicateIndex::Keys> &marks);
    Taken takeBatched(bool wanMode);
    Taken takePerRow(bool wanMode);
    void continueLater();
    void beginBurst();
    void fitColumns();
    void rank(int column);
    void resumeSorting();
    bool inOrder(int column, Qt::SortOrder order) const;

    QTreeWidget *m_list;
    quenzal::UdpTransport *m_transport;
    std::function<void()> m_wake;
    RowObserver m_observer;
    Mode m_mode;
    quenzal::DuplicateIndex m_index;
    std::deque<quenzal::UdpTransport::Datagram> m_chunk;
    RememberingDelegate *m_delegate = nullptr; // owned by the list
    QTimer m_fitTimer;
    QTimer m_sliceTimer; // the next slice of a burst
    QTimer m_resortTimer;
    QElapsedTimer m_lastSlice; // when the last slice took datagrams
    bool m_inSliceTimer = false;
    bool m_fitPending = false;
    bool m_resortPending = false; // the list's sorting is off for a burst
    bool m_continuePosted = false;
    mutable std::array<QSet<QString>, quenzal::TerminalListColumns> m_sharedTexts; // see makeItem()
    mutable SortRanks m_ranks; // shared by the rows it makes
    qint64 m_sliceMs;
    int m_chunkSize;
    const QBrush m_baseBrush;
    const QBrush m_flagBrush;
    const std::array<QBrush, 2> m_rowBrushes; // base and flag, for the rows made here
    const QBrush m_idBrush;
    const QBrush m_addressBrush;
};
