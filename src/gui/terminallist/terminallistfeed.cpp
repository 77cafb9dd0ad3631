#include "gui/terminallist/terminallistfeed.h"
#include "gui/terminallist/terminalrowitem.h"

#include "core/transport/logging.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>

using namespace quenzal;

namespace {

// Work per slice on the GUI thread before it returns to the event loop.
constexpr qint64 SliceMs = 8;
// Quiet time after the last row before the columns are fitted.
constexpr int FitDelayMs = 40;
// Sorting paused for a burst resumes at the latest this long after the
// burst (the window's tick sorts before, half a second after the last reply).
constexpr int ResortDelayMs = 2000;
// A wake this soon after a slice belongs to the same burst.
constexpr qint64 BurstGapMs = 50;
// Different texts of one column that rows share before the column is left
// to keep a copy per row.
constexpr qsizetype SharedTextsPerColumn = 512;
// Replies taken from the transport between two looks at the clock.
constexpr int ChunkSize = 64;

QTreeWidgetItem *itemOf(DuplicateIndex::Row row)
{
    return static_cast<QTreeWidgetItem *>(const_cast<void *>(row));
}

} // namespace

// Fitting a column asks the delegate for the size of every cell in up to a
// thousand rows; for 32 columns that is the single most expensive thing a
// large list does, and it recurs after every sort. The cells of one column
// differ only in their text (no icons, check boxes or fonts of their own),
// so the answer for a text is remembered: the widths come out the same, at
// a fraction of the cost.
class RememberingDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (option.font != m_font) {
            m_sizes.clear();
            m_font = option.font;
        }
        const Key key { index.column(), index.data(Qt::DisplayRole).toString() };
        const auto it = m_sizes.constFind(key);
        if (it != m_sizes.constEnd())
            return *it;
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        m_sizes.insert(key, size);
        return size;
    }

    void forget() { m_sizes.clear(); }

private:
    using Key = std::pair<int, QString>;
    mutable QHash<Key, QSize> m_sizes;
    mutable QFont m_font;
};

TerminalListFeed::Mode TerminalListFeed::modeFromEnvironment()
{
    return qEnvironmentVariableIntValue("QUENZAL_LIST_PER_ROW") == 1 ? Mode::PerRow : Mode::Batched;
}

TerminalListFeed::TerminalListFeed(QTreeWidget *list, UdpTransport *transport, std::function<void()> wake, Mode mode)
    : m_list(list)
    , m_transport(transport)
    , m_wake(std::move(wake))
    , m_mode(mode)
    , m_sliceMs(SliceMs)
    , m_chunkSize(ChunkSize)
    , m_baseBrush(QColor(QStringLiteral("#CAFFF0")), Qt::SolidPattern)
    , m_flagBrush(QColor(QStringLiteral("#CAFFFF")), Qt::SolidPattern)
    , m_rowBrushes { m_baseBrush, m_flagBrush }
    , m_idBrush(QColor(0, 255, 255), Qt::SolidPattern)
    , m_addressBrush(QColor(100, 255, 255), Qt::SolidPattern)
{
    // Rows that leave the list by any road leave the index too.
    QAbstractItemModel *model = m_list->model();
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_index.clear();
        for (QSet<QString> &seen : m_sharedTexts)
            seen.clear();
        if (m_delegate)
            m_delegate->forget();
    });
    connect(
        model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &parent, int first, int last) {
            if (parent.isValid())
                return;
            for (int r = first; r <= last; ++r)
                m_index.remove(m_list->topLevelItem(r));
        });
    // New rows have no rank yet.
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] { m_ranks.valid = false; });

    // Named for traces of the event loop (which timer held it).
    m_fitTimer.setObjectName(QStringLiteral("fitTimer"));
    m_resortTimer.setObjectName(QStringLiteral("resortTimer"));
    m_sliceTimer.setObjectName(QStringLiteral("sliceTimer"));
    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(FitDelayMs);
    connect(&m_fitTimer, &QTimer::timeout, this, &TerminalListFeed::fitColumns);
    // In case no sort comes after a burst.
    m_resortTimer.setSingleShot(true);
    m_resortTimer.setInterval(ResortDelayMs);
    connect(&m_resortTimer, &QTimer::timeout, this, &TerminalListFeed::resumeSorting);
    m_sliceTimer.setSingleShot(true);
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, [this] {
        m_inSliceTimer = true;
        m_wake();
        m_inSliceTimer = false;
    });

    if (m_mode == Mode::Batched) {
        m_delegate = new RememberingDelegate(m_list);
        m_list->setItemDelegate(m_delegate);
        // Every row is one line of text in the list's font, so every row is
        // as high as the first; without saying so, each layout and paint
        // asks the rows above the visible ones for their heights.
        m_list->setUniformRowHeights(true);
        // A click on a header ranks the rows first (see rank()), so the
        // list's own sort that follows compares ranks. The list connects
        // its sort to the header whenever sorting is switched on; switched
        // off and on again here, its connection comes after this one.
        const bool sorting = m_list->isSortingEnabled();
        QHeaderView *header = m_list->header();
        const bool shown = header->isSortIndicatorShown();
        const bool clickable = header->sectionsClickable();
        if (sorting)
            m_list->setSortingEnabled(false);
        connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
            Q_UNUSED(order);
            if (m_list->isSortingEnabled())
                rank(column);
            else if (m_resortPending && !m_fitPending)
                resumeSorting(); // the burst has passed: sort as the click asks
        });
        if (sorting) {
            m_list->setSortingEnabled(true);
            header->setSortIndicatorShown(shown);
            header->setSectionsClickable(clickable);
        }
    }
}

TerminalListFeed::~TerminalListFeed() = default;

QTreeWidgetItem *TerminalListFeed::makeItem(const StatusRow &row) const
{
    if (m_mode == Mode::Batched) {
        // Many cells of a site repeat (firmware, mask, gateway, states):
        // rows share one copy of such a text. A column stops being looked
        // up once it has shown too many different texts to be worth it.
        TerminalTexts texts = row.texts;
        for (int c = 0; c < TerminalListColumns; ++c) {
            QSet<QString> &seen = m_sharedTexts[size_t(c)];
            if (seen.size() >= SharedTextsPerColumn)
                continue;
            const auto it = seen.constFind(texts[size_t(c)]);
            if (it != seen.constEnd())
                texts[size_t(c)] = *it;
            else
                seen.insert(texts[size_t(c)]);
        }
        auto *made = new TerminalRowItem(texts, &m_ranks);
        quint32 base = 0;
        for (int c = 0; c <= 28; c += 2)
            base |= 1u << c;
        quint32 flag = 0;
        if (row.wanMode)
            flag |= 1u << ColNetMode;
        if (row.fontMarked)
            flag |= 1u << ColFontState;
        made->setMadeColours(m_rowBrushes.data(), base, flag);
        return made;
    }
    QStringList texts;
    texts.reserve(TerminalListColumns);
    for (const QString &t : row.texts)
        texts.append(t);
    QTreeWidgetItem *item = new QTreeWidgetItem(texts);
    for (int c = 0; c <= 28; c += 2)
        item->setBackground(c, m_baseBrush);
    if (row.wanMode)
        item->setBackground(ColNetMode, m_flagBrush);
    if (row.fontMarked)
        item->setBackground(ColFontState, m_flagBrush);
    return item;
}

void TerminalListFeed::colour(const std::array<std::vector<DuplicateIndex::Row>, DuplicateIndex::Keys> &marks)
{
    for (int k = 0; k < DuplicateIndex::Keys; ++k) {
        const QBrush &brush = k == 0 ? m_idBrush : m_addressBrush;
        for (DuplicateIndex::Row r : marks[size_t(k)])
            itemOf(r)->setBackground(DuplicateIndex::ListColumns[size_t(k)], brush);
    }
}

TerminalListFeed::Taken TerminalListFeed::take(bool wanMode)
{
    if (m_mode == Mode::PerRow) {
        m_continuePosted = false;
        return takePerRow(wanMode);
    }
    // A wake while a burst runs only arms the slice timer: slices that
    // follow each other through posted events would keep Qt's timers (the
    // window's tick among them) from firing until the burst has passed.
    const bool fromTimer = m_inSliceTimer;
    m_inSliceTimer = false;
    if (!fromTimer && m_lastSlice.isValid() && m_lastSlice.elapsed() < BurstGapMs) {
        continueLater();
        return {};
    }
    m_sliceTimer.stop();
    const Taken taken = takeBatched(wanMode);
    if (taken.datagrams > 0)
        m_lastSlice.start();
    return taken;
}

void TerminalListFeed::continueLater()
{
    if (m_mode == Mode::Batched) {
        if (!m_sliceTimer.isActive())
            m_sliceTimer.start();
        return;
    }
    if (m_continuePosted)
        return;
    m_continuePosted = true;
    QMetaObject::invokeMethod(this, m_wake, Qt::QueuedConnection);
}

TerminalListFeed::Taken TerminalListFeed::takeBatched(bool wanMode)
{
    Taken taken;
    QElapsedTimer clock;
    clock.start();
    QList<QTreeWidgetItem *> batch;
    std::vector<std::pair<TerminalTexts, QHostAddress>> seen; // for the observer
    bool more = false;
    do {
        m_chunk.clear();
        int ignored = 0;
        const int got = m_transport->take(m_chunk, m_chunkSize, &ignored);
        taken.datagrams += got + ignored;
        for (const UdpTransport::Datagram &d : m_chunk) {
            // Only the socket of the current mode gives rows.
            if ((d.source == UdpTransport::Wan) != wanMode)
                continue;
            const StatusRow row = decodeStatusReply(d.data);
            QTreeWidgetItem *item = makeItem(row);
            colour(m_index.add(item, { row.texts[ColId], row.texts[ColIp], row.texts[ColMac] }));
            batch.append(item);
            if (m_observer)
                seen.emplace_back(row.texts, d.sender);
        }
        more = got == m_chunkSize;
    } while (more && clock.elapsed() < m_sliceMs);
    m_chunk.clear();

    if (!batch.isEmpty()) {
        beginBurst();
        // In arrival order, in one insertion: the list does not sort itself
        // while a burst runs.
        m_list->addTopLevelItems(batch);
        m_list->header()->setSortIndicatorShown(true);
        taken.rows = int(batch.size());
        if (m_observer) {
            for (qsizetype i = 0; i < batch.size(); ++i)
                m_observer(seen[size_t(i)].first, seen[size_t(i)].second, batch.at(i));
        }
    }
    // More than a slice arrived: give the event loop a turn (paint, clicks,
    // timers) and go on.
    if (more)
        continueLater();
    if (taken.datagrams > 0)
        qCDebug(lcTransport) << "took" << taken.datagrams << "datagrams," << taken.rows << "rows in" << clock.elapsed()
                             << "ms," << m_transport->queued() << "waiting";
    return taken;
}

// The per-reply rules taken literally: one datagram per event-loop turn;
// three searches of the whole list; the columns refitted after every row.
TerminalListFeed::Taken TerminalListFeed::takePerRow(bool wanMode)
{
    Taken taken;
    m_chunk.clear();
    int ignored = 0;
    const int got = m_transport->take(m_chunk, 1, &ignored);
    taken.datagrams = got + ignored;
    if (m_transport->queued() > 0)
        continueLater();
    if (got == 0 || (m_chunk.front().source == UdpTransport::Wan) != wanMode)
        return taken;
    const StatusRow row = decodeStatusReply(m_chunk.front().data);
    const QHostAddress sender = m_chunk.front().sender;
    m_chunk.clear();
    QTreeWidgetItem *item = makeItem(row);
    m_list->addTopLevelItem(item);
    m_list->header()->setSortIndicatorShown(true);
    for (int k = 0; k < DuplicateIndex::Keys; ++k) {
        const int column = DuplicateIndex::ListColumns[size_t(k)];
        const QList<QTreeWidgetItem *> same = m_list->findItems(item->text(column), Qt::MatchExactly, column);
        if (same.size() > 1) {
            for (QTreeWidgetItem *other : same)
                other->setBackground(column, k == 0 ? m_idBrush : m_addressBrush);
        }
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    taken.rows = 1;
    if (m_observer)
        m_observer(row.texts, sender, item);
    return taken;
}

void TerminalListFeed::setSliceLimits(qint64 ms, int chunk)
{
    m_sliceMs = ms;
    m_chunkSize = qMax(1, chunk);
}

void TerminalListFeed::beginBurst()
{
    // Fitting 32 columns over the rows on every layout is what makes a burst
    // stall; widths are fixed until the burst has passed.
    if (!m_fitPending) {
        QHeaderView *header = m_list->header();
        for (int c = 0; c < header->count(); ++c) {
            if (header->sectionResizeMode(c) == QHeaderView::ResizeToContents)
                header->setSectionResizeMode(c, QHeaderView::Interactive);
        }
        // The list's own sorting would sort all rows again after every
        // slice; rows go in unsorted and are sorted once when the burst has
        // passed. The header looks and answers clicks as before.
        m_resortPending = m_list->isSortingEnabled();
        if (m_resortPending) {
            const bool shown = header->isSortIndicatorShown();
            const bool clickable = header->sectionsClickable();
            m_list->setSortingEnabled(false);
            header->setSortIndicatorShown(shown);
            header->setSectionsClickable(clickable);
        }
        m_fitPending = true;
    }
    m_fitTimer.start();
}

void TerminalListFeed::fitColumns()
{
    if (m_transport->queued() > 0) {
        m_fitTimer.start();
        return;
    }
    // Sorting stays off until the tick's sort by ID (or a click on a
    // header), so that the rows are sorted once, not by the indicator now
    // and by ID half a second later. The ranks are made now, in an event of
    // their own.
    if (m_resortPending) {
        rank(m_list->header()->sortIndicatorSection());
        m_resortTimer.start();
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_fitPending = false;
}

bool TerminalListFeed::busy() const
{
    return m_transport->queued() > 0 || m_fitPending;
}

void TerminalListFeed::settle()
{
    if (m_fitPending && m_transport->queued() == 0) {
        m_fitTimer.stop();
        fitColumns();
    }
}

std::optional<SharedCounts> TerminalListFeed::sharedCounts() const
{
    const int rows = m_list->topLevelItemCount();
    if (m_mode != Mode::Batched || m_index.size() != rows)
        return std::nullopt;
    SharedCounts c;
    c.rows = rows;
    c.sharedId = m_index.sharedRows(0);
    c.sharedIp = m_index.sharedRows(1);
    c.sharedMac = m_index.sharedRows(2);
    return c;
}

void TerminalListFeed::setCellText(QTreeWidgetItem *item, int column, const QString &text)
{
    item->setText(column, text);
    const int key = DuplicateIndex::keyOfColumn(column);
    if (key >= 0 && item->treeWidget() == m_list && !item->parent())
        m_index.rename(item, key, text);
}

const TerminalTexts *TerminalListFeed::textsOf(const QTreeWidgetItem *item) const
{
    if (!item || item->type() != TerminalRowItem::RowType)
        return nullptr;
    return &static_cast<const TerminalRowItem *>(item)->texts();
}
