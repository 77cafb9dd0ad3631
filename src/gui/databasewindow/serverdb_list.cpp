// The database window's terminal list: read and marked on the worker, the
// finished items put into the list in slices, and the one-row marking that
// Function_AddRow keeps for rows added one at a time.
#include "gui/databasewindow/serverdb.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalBlocker>

#include <algorithm>

#include "core/serverdb/dbcore.h"
#include "core/serverdb/logging.h"
#include "gui/databasewindow/operationrunner.h"
#include "ui_serverdb.h"

using namespace quenzal::serverdb;
using Shower = OperationRunner::Shower;

namespace {

// GUI time spent per slice of a load, and rows put into the list between
// two looks at the clock: the window answers between two slices.
constexpr qint64 kSliceNs = 4'000'000;
constexpr std::size_t kChunkRows = 500;

} // namespace

// A list read on the worker: its items, built there, and how far the GUI
// thread has taken them; and the items of the list it replaces, taken out of
// the view at once and deleted a slice at a time. Items not yet in the list,
// and old ones not yet deleted, go with it (a cancelled or closed window).
struct Serverdb::ListLoad
{
    TerminalListing listing;
    std::vector<QTreeWidgetItem *> items;
    QList<QTreeWidgetItem *> old;
    std::size_t shown = 0;
    qsizetype dropped = 0;
    bool started = false;
    bool sorting = false;

    ListLoad() = default;
    ListLoad(const ListLoad &) = delete;
    ListLoad &operator=(const ListLoad &) = delete;
    ~ListLoad()
    {
        for (std::size_t i = shown; i < items.size(); ++i)
            delete items[i];
        for (qsizetype i = dropped; i < old.size(); ++i)
            delete old[i];
    }
};

namespace {

// A listed row. The list sorts by comparing one column's texts exactly as a
// plain item does (case-sensitive, not locale-aware), but from texts it
// keeps at hand instead of two variants made per comparison: the one sort
// after a load of 100,000 rows takes a fraction of the time.
class ListedRow : public QTreeWidgetItem
{
public:
    explicit ListedRow(const QStringList &texts)
        : QTreeWidgetItem(texts)
        , m_texts(texts)
    {
    }
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const auto *row = dynamic_cast<const ListedRow *>(&other);
        const QTreeWidget *list = treeWidget();
        const int column = list ? list->sortColumn() : 0;
        if (!row || column < 0 || column >= m_texts.size())
            return QTreeWidgetItem::operator<(other);
        return m_texts.at(column) < row->m_texts.at(column);
    }
    // The same order for a given column, without a list.
    bool before(const ListedRow &other, int column) const { return m_texts.at(column) < other.m_texts.at(column); }

private:
    QStringList m_texts; // shares the item's own texts
};

// Puts the items in the order that the list's sort will give them, so the
// one sort on the GUI thread finds them in place and takes far less time.
void presort(std::vector<QTreeWidgetItem *> *items, int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kTerminalColumns)
        return;
    auto row = [](const QTreeWidgetItem *item) { return static_cast<const ListedRow *>(item); };
    if (order == Qt::AscendingOrder)
        std::stable_sort(items->begin(), items->end(),
            [&](const QTreeWidgetItem *a, const QTreeWidgetItem *b) { return row(a)->before(*row(b), column); });
    else
        std::stable_sort(items->begin(), items->end(),
            [&](const QTreeWidgetItem *a, const QTreeWidgetItem *b) { return row(b)->before(*row(a), column); });
}

// Items without a view are plain values, so they can be made off the GUI
// thread; the list adopts them later.
void buildItems(
    std::vector<QTreeWidgetItem *> *items, const std::vector<TerminalRow> &rows, const OperationControl &control)
{
    const std::vector<std::uint8_t> marks = duplicateMarks(rows);
    const QBrush mark(Serverdb::duplicateColor());
    items->reserve(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r % 4096 == 0 && control.isCancelled())
            return;
        const TerminalRow &row = rows[r];
        auto *item = new ListedRow(QStringList(row.texts.begin(), row.texts.end()));
        item->setData(0, Serverdb::StoredValueRole, QVariant::fromValue(row.key));
        for (std::size_t k = 0; k < kKeyColumns.size(); ++k) {
            if (marks[r] & (1u << k))
                item->setBackground(kKeyColumns[k], mark);
        }
        items->push_back(item);
    }
}

// Turns the list's sorting back on without sorting it: the rows are in the
// order that the header's sort indicator names already. Sorting on sorts by
// the indicator's column, and a list sorts nothing by no column (-1); the
// indicator goes back to its column without telling the list, which would
// sort again.
void enableSortingAsIs(QTreeWidget *list)
{
    QHeaderView *header = list->header();
    const int column = header->sortIndicatorSection();
    const Qt::SortOrder order = header->sortIndicatorOrder();
    {
        const QSignalBlocker quiet(header);
        header->setSortIndicator(-1, order);
    }
    list->setSortingEnabled(true);
    const QSignalBlocker quiet(header);
    header->setSortIndicator(column, order);
}

} // namespace

void Serverdb::SoltSetDB_Init()
{
    const QString path = ui->lineEdit_Serverdb->text();
    qCDebug(lcServerdb) << "ServerDataBase Path :" << path;
    const bool sorted = ui->treeWidget->isSortingEnabled();
    const int sortColumn = ui->treeWidget->header()->sortIndicatorSection();
    const Qt::SortOrder sortOrder = ui->treeWidget->header()->sortIndicatorOrder();
    m_runner->run(tr("正在读取终端列表…"), [=](const OperationControl &control) -> Shower {
        auto load = std::make_shared<ListLoad>();
        load->listing = readTerminals(path, &control);
        if (!load->listing.ok) {
            qCDebug(lcServerdb) << "Terminal list not read:" << load->listing.error;
        } else {
            buildItems(&load->items, load->listing.rows, control);
            if (sorted && !control.isCancelled())
                presort(&load->items, sortColumn, sortOrder);
            // The items hold the texts and keys now.
            std::vector<TerminalRow>().swap(load->listing.rows);
        }
        return [this, path, load] { return showListSlice(path, *load); };
    });
}

bool Serverdb::showListSlice(const QString &path, ListLoad &load)
{
    QTreeWidget *list = ui->treeWidget;
    QElapsedTimer clock;
    clock.start();
    if (!load.started) {
        load.started = true;
        // Out of the view in one step; deleting 100,000 items takes longer
        // than a slice, so they go a slice at a time below.
        list->selectionModel()->clear();
        load.old = list->invisibleRootItem()->takeChildren();
        ui->lineEdit_Serverdb_Num->setText(QStringLiteral("0"));
        if (load.listing.ok) {
            ui->lineEdit_DB_Version->setText(load.listing.newFormat ? newFormatText() : oldFormatText());
            ui->lineEdit_Serverdb_Num->setText(QString::number(load.items.size()));
        }
        // A list left empty by a file that could not be read must not pass
        // for a server without terminals.
        showReadStatus(int(load.listing.status), path, load.listing.error);
        // The items come sorted from the worker in the list's order: put in
        // with the list's sorting off (one insertion per chunk rather than
        // one per row), and no sort of the list afterwards.
        load.sorting = list->isSortingEnabled();
        list->setSortingEnabled(false);
        // Columns fitted to their contents would be measured again after
        // every slice; they are fitted once, at the end.
        list->header()->setSectionResizeMode(QHeaderView::Interactive);
    }
    while (load.dropped < load.old.size() && clock.nsecsElapsed() < kSliceNs) {
        const qsizetype end = std::min(load.old.size(), load.dropped + qsizetype(4 * kChunkRows));
        for (; load.dropped < end; ++load.dropped)
            delete load.old[load.dropped];
    }
    if (load.dropped < load.old.size())
        return true;
    while (load.shown < load.items.size() && clock.nsecsElapsed() < kSliceNs) {
        const std::size_t end = std::min(load.items.size(), load.shown + kChunkRows);
        QList<QTreeWidgetItem *> chunk(load.items.begin() + qsizetype(load.shown), load.items.begin() + qsizetype(end));
        load.shown = end; // the list owns them from here
        list->addTopLevelItems(chunk);
    }
    if (load.shown < load.items.size())
        return true;
    // Sorting on before the columns fit their contents: moving a sort
    // indicator measures the columns again, each time.
    if (load.sorting)
        enableSortingAsIs(list);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return false;
}

void Serverdb::Function_AddRow(const char *id, const char *ip, const char *mac, const char *name, QTreeWidgetItem *item)
{
    ui->treeWidget->addTopLevelItem(item);
    ui->treeWidget->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Function_GetDate(id, kColId, item);
    Function_GetDate(ip, kColIp, item);
    Function_GetDate(mac, kColMac, item);
    Function_GetDate(name, kColName, item);
}

void Serverdb::Function_GetDate(const char *src, int num, QTreeWidgetItem *item)
{
    const QString text = cellText(num, QByteArray(src));
    const QList<QTreeWidgetItem *> found = ui->treeWidget->findItems(text, Qt::MatchExactly, num);
    if (found.size() <= 1)
        return;
    const QBrush mark(duplicateColor());
    item->setBackground(num, mark);
    for (QTreeWidgetItem *other : found)
        other->setBackground(num, mark);
}
