// The automatic numbering passes: shared IDs and shared MACs.
//
// In WAN mode a numbering packet goes to the address of the row it is about
// (column 1), not to the selected terminal: the packet names that row's
// terminal, and any other terminal would ignore it while the list already
// shows the new ID. In LAN mode the multicast reaches every terminal anyway.
#include "core/discovery/logging.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/commands/commandpackets.h"
#include "core/discovery/numbering.h"

#include <QFutureWatcher>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

#include "ui_toolforkx.h"

using namespace quenzal;

namespace {

// The list's rows in on-screen order (hidden rows included), as the pass's
// table is filled from them. Reading a row makes the list carry out a sort
// it still owes after rows were added, as the pass's first look at a row
// did when it ran on the list itself.
std::vector<QTreeWidgetItem *> listItems(QTreeWidget *tree)
{
    std::vector<QTreeWidgetItem *> items(size_t(tree->topLevelItemCount()));
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = tree->topLevelItem(int(i));
    return items;
}

// The table of a pass: the list's rows as they stand, moving as the list's
// rows move when an edit touches the column the list is sorted by.
TerminalTable passTable(const ToolForKX &window, QTreeWidget *tree)
{
    TerminalTable table(window.terminalListRows());
    if (tree->isSortingEnabled())
        table.keepSorted(tree->header()->sortIndicatorSection(), tree->header()->sortIndicatorOrder());
    return table;
}

// Writes a pass's cell changes back to the rows they came from, in the order
// the pass made them, and sorts the list as the pass left the table. The
// pass leaves the texts of `column` distinct, so the list's own stable sort
// puts its rows in the table's order. While the changes go in, the list does
// not sort itself: with sorting on it would move every edited row at once,
// a walk over the list per change, only to be sorted again at the end.
void applyPass(ToolForKX &window, QTreeWidget *tree, const std::vector<QTreeWidgetItem *> &items,
    const TerminalTable &table, int column, const std::vector<bool> &left)
{
    QHeaderView *header = tree->header();
    const bool sorting = tree->isSortingEnabled();
    const bool indicatorShown = header->isSortIndicatorShown();
    const bool clickable = header->sectionsClickable();
    if (sorting)
        tree->setSortingEnabled(false);
    // One cell change per packet, in the same order: a row whose packet did
    // not leave keeps what it showed.
    const std::vector<TerminalTable::CellChange> &changes = table.changes();
    for (size_t i = 0; i < changes.size(); ++i) {
        if (changes.size() == left.size() && !left[i])
            continue;
        window.setTerminalListCellText(items[size_t(changes[i].origin)], changes[i].column, changes[i].text);
    }
    // One sort by `column`, on ranks. Only this column's texts changed, so
    // sorting by the indicator first, as switching sorting on does, would
    // leave the order this sort starts from as it is. Switched on after it,
    // sorting finds the rows in order already.
    window.prepareTerminalListSort(column);
    tree->sortItems(column, Qt::AscendingOrder);
    if (sorting)
        tree->setSortingEnabled(true);
    header->setSortIndicatorShown(indicatorShown);
    header->setSectionsClickable(clickable);
}

void logIdChange(int oldId, int newId, const QString &mac)
{
    qCDebug(lcDiscovery) << "SetDefalutID ID=" << oldId << " Mac " << mac.toLocal8Bit().constData()
                         << " Change_ID_To ==>" << newId;
}

// What a pass plans to send, with the table as the pass leaves it.
struct PassPlan
{
    TerminalTable table;
    std::vector<IdChange> ids;
    std::vector<MacRepair> repairs;
};

PassPlan planPass(TerminalTable table, bool macs, int startNumber)
{
    PassPlan plan;
    if (macs)
        plan.repairs = planSharedMacs(table);
    else
        plan.ids = planSharedIds(table, startNumber);
    plan.table = std::move(table);
    return plan;
}

// A numbering packet in WAN mode: to the row's own address.
void sendToRow(ToolForKX &window, const SingleTerminalPacket &packet, const QString &rowAddress)
{
    QByteArray address = rowAddress.toLocal8Bit();
    window.WanPacketSend(
        const_cast<char *>(reinterpret_cast<const char *>(packet.data())), SingleTerminalPacket::Size, address.data());
}

// Holds the transport's sends for the length of a pass: the packets leave
// in the same order, in one hand-over to the reader thread. Each packet of
// the pass is noted; finish() says which of them left and tells the status
// bar about those that did not.
class HeldSends
{
public:
    explicit HeldSends(UdpTransport *transport)
        : m_transport(transport)
    {
        if (m_transport)
            m_transport->holdSends();
    }
    ~HeldSends() { finish(); }
    HeldSends(const HeldSends &) = delete;
    HeldSends &operator=(const HeldSends &) = delete;

    // Around each packet of the pass.
    void before() { m_mark = m_transport ? m_transport->heldSends() : 0; }
    void after() { m_packets.push_back(m_transport && m_transport->heldSends() > m_mark ? m_mark : -1); }

    // Per packet, in order: true when it left. `failed` gets the count and
    // the reason of the last failure.
    std::vector<bool> finish(int *failed = nullptr, QString *why = nullptr)
    {
        std::vector<bool> left(m_packets.size(), false);
        if (!m_transport)
            return left;
        const std::vector<QString> errors = m_transport->releaseSends();
        m_transport = nullptr;
        int failures = 0;
        for (size_t i = 0; i < m_packets.size(); ++i) {
            const int at = m_packets[i];
            left[i] = at >= 0 && size_t(at) < errors.size() && errors[size_t(at)].isEmpty();
            if (!left[i]) {
                ++failures;
                if (why)
                    *why = at >= 0 && size_t(at) < errors.size() ? errors[size_t(at)] : QString();
            }
        }
        if (failed)
            *failed = failures;
        return left;
    }

private:
    UdpTransport *m_transport;
    int m_mark = 0;
    std::vector<int> m_packets; // index among the held datagrams, -1: none held
};

} // namespace

// A pass under way. A short list is passed in one go, as the buttons always
// did. A long one is passed in steps, so that the window keeps answering:
// the plan is worked out on a worker thread from a copy of the list's texts,
// the packets leave in slices of a few milliseconds each, in the plan's
// order, and the list takes the pass's cell changes at the end. Meanwhile
// both buttons are off and the status bar tells how far the pass is.
struct ToolForKX::NumberingRun
{
    bool macs = false;
    bool wan = false; // the mode when the button was pressed
    bool inSteps = false;
    std::vector<QTreeWidgetItem *> items; // the list's rows, by the table's origins
    PassPlan plan;
    size_t sent = 0; // packets handed to the transport so far
    std::vector<bool> left; // per packet so far: it left
    int failed = 0;
    QString why;
    bool listReset = false; // the rows the pass came from are gone
    bool autoIdEnabled = true;
    bool autoMacEnabled = true;
    QFutureWatcher<PassPlan> watcher; // also the context of the run's connections: they end with it

    size_t packets() const { return macs ? plan.repairs.size() : plan.ids.size(); }
    QString name() const { return macs ? ToolForKX::tr("MAC 修复") : ToolForKX::tr("自动编号"); }
};

void ToolForKX::setNumberingSteps(int fromRows, int packetsPerStep)
{
    m_numberingStepRows = fromRows;
    m_numberingStepPackets = qMax(1, packetsPerStep);
}

bool ToolForKX::numberingRunning() const
{
    return m_numbering != nullptr;
}

void ToolForKX::SetDefalutID(int oldId, int newId, const QString &mac)
{
    logIdChange(oldId, newId, mac);
    writeIdChange(m_one, oldId, newId, mac);
    SendPacket(m_one.data(), SingleTerminalPacket::Size);
}

void ToolForKX::SoltSetAutoId()
{
    qCDebug(lcDiscovery) << "SoltSetAutoId = ";
    startNumbering(false);
}

void ToolForKX::SoltSetAutoMac()
{
    startNumbering(true);
}

void ToolForKX::startNumbering(bool macs)
{
    if (m_numbering) {
        showStatus(tr("%1 正在进行，请等它结束").arg(m_numbering->name()));
        return;
    }
    if (!previewRenumbering(macs))
        return;
    // The MAC pass sorts by MAC before it looks at any row: rows added since
    // the list last sorted itself are taken in the order they were added.
    if (macs)
        ui->treeWidget->sortItems(ColMac, Qt::AscendingOrder);
    m_numbering = decltype(m_numbering)(new NumberingRun, [](NumberingRun *run) { delete run; });
    NumberingRun &run = *m_numbering;
    run.macs = macs;
    run.wan = isWanMode();
    run.items = listItems(ui->treeWidget);
    run.inSteps = int(run.items.size()) > m_numberingStepRows;
    TerminalTable table = passTable(*this, ui->treeWidget);
    const int startNumber = fieldNumber(ui->lineEdit_ChangStatId->text());
    if (!run.inSteps) {
        run.plan = planPass(std::move(table), macs, startNumber);
        sendNumberingSlice();
        return;
    }

    run.autoIdEnabled = ui->but_AutoID->isEnabled();
    run.autoMacEnabled = ui->but_AutoMac->isEnabled();
    ui->but_AutoID->setEnabled(false);
    ui->but_AutoMac->setEnabled(false);
    // A new scan empties the list: the pass's rows are gone, and its cell
    // changes have nowhere to go.
    QAbstractItemModel *model = ui->treeWidget->model();
    const auto gone = [&run] { run.listReset = true; };
    connect(model, &QAbstractItemModel::modelAboutToBeReset, &run.watcher, gone);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, &run.watcher, gone);
    connect(&run.watcher, &QFutureWatcher<PassPlan>::finished, this, [this, &run] {
        run.plan = run.watcher.future().takeResult();
        sendNumberingSlice();
    });
    showStatus(tr("%1：正在计算 %2 行…").arg(run.name()).arg(run.items.size()));
    run.watcher.setFuture(QtConcurrent::run(
        [table = std::move(table), macs, startNumber]() mutable { return planPass(std::move(table), macs, startNumber); }));
}

// Hands the next packets of the pass to the transport, all of them for a
// pass in one go, else a slice, and goes on with the next slice or the end.
void ToolForKX::sendNumberingSlice()
{
    NumberingRun &run = *m_numbering;
    const size_t total = run.packets();
    const size_t end = run.inSteps ? qMin(total, run.sent + size_t(m_numberingStepPackets)) : total;
    HeldSends held(m_transport);
    for (; run.sent < end; ++run.sent) {
        held.before();
        if (run.macs) {
            const MacRepair &repair = run.plan.repairs[run.sent];
            if (!run.wan) {
                SendResetById(repair.id);
            } else {
                // The packet of SendResetById, sent to the row instead of the selection.
                writeFactoryReset(m_one, repair.id);
                sendToRow(*this, m_one, repair.address);
            }
        } else {
            const IdChange &change = run.plan.ids[run.sent];
            if (!run.wan) {
                SetDefalutID(change.oldId, change.newId, change.mac);
            } else {
                // The packet of SetDefalutID, sent to the row instead of the selection.
                logIdChange(change.oldId, change.newId, change.mac);
                writeIdChange(m_one, change.oldId, change.newId, change.mac);
                sendToRow(*this, m_one, change.address);
            }
        }
        held.after();
    }
    int failed = 0;
    QString why;
    const std::vector<bool> left = held.finish(&failed, &why);
    run.left.insert(run.left.end(), left.begin(), left.end());
    run.failed += failed;
    if (failed)
        run.why = why;
    if (run.sent < total) {
        showStatus(tr("%1：已发送 %2 / %3 个数据包").arg(run.name()).arg(run.sent).arg(total));
        QTimer::singleShot(0, this, [this] { sendNumberingSlice(); });
        return;
    }
    finishNumbering();
}

void ToolForKX::finishNumbering()
{
    std::unique_ptr<NumberingRun, void (*)(NumberingRun *)> done = std::move(m_numbering);
    NumberingRun &run = *done;
    if (run.inSteps) {
        ui->but_AutoID->setEnabled(run.autoIdEnabled);
        ui->but_AutoMac->setEnabled(run.autoMacEnabled);
    }
    if (!run.listReset)
        applyPass(*this, ui->treeWidget, run.items, run.plan.table, run.macs ? ColMac : ColId, run.left);
    if (run.failed && !run.macs)
        showStatus(tr("自动编号：%1 个数据包未能发送（%2），这些终端的编号未改").arg(run.failed).arg(run.why));
    else if (run.failed)
        showStatus(tr("MAC 修复：%1 个数据包未能发送（%2），这些终端的 MAC 未改").arg(run.failed).arg(run.why));
    else if (run.listReset)
        showStatus(tr("%1：已发送 %2 个数据包；列表已清空，未更新").arg(run.name()).arg(run.sent));
    else if (run.inSteps)
        showStatus(tr("%1完成：已发送 %2 个数据包").arg(run.name()).arg(run.sent));
    if (!run.listReset)
        SlotFilterChanged();
    Q_EMIT numberingFinished();
}
