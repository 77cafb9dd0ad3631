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

#include <QHeaderView>
#include <QTreeWidget>

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

void ToolForKX::SetDefalutID(int oldId, int newId, const QString &mac)
{
    logIdChange(oldId, newId, mac);
    writeIdChange(m_one, oldId, newId, mac);
    SendPacket(m_one.data(), SingleTerminalPacket::Size);
}

void ToolForKX::SoltSetAutoId()
{
    qCDebug(lcDiscovery) << "SoltSetAutoId = ";
    if (!previewRenumbering(false))
        return;
    const std::vector<QTreeWidgetItem *> items = listItems(ui->treeWidget);
    TerminalTable table = passTable(*this, ui->treeWidget);
    HeldSends held(m_transport);
    assignSharedIds(table, fieldNumber(ui->lineEdit_ChangStatId->text()), [this, &held](const IdChange &change) {
        held.before();
        if (!isWanMode()) {
            SetDefalutID(change.oldId, change.newId, change.mac);
        } else {
            // The packet of SetDefalutID, sent to the row instead of the selection.
            logIdChange(change.oldId, change.newId, change.mac);
            writeIdChange(m_one, change.oldId, change.newId, change.mac);
            sendToRow(*this, m_one, change.address);
        }
        held.after();
    });
    int failed = 0;
    QString why;
    const std::vector<bool> left = held.finish(&failed, &why);
    applyPass(*this, ui->treeWidget, items, table, ColId, left);
    if (failed)
        showStatus(tr("自动编号：%1 个数据包未能发送（%2），这些终端的编号未改").arg(failed).arg(why));
    SlotFilterChanged();
}

void ToolForKX::SoltSetAutoMac()
{
    if (!previewRenumbering(true))
        return;
    // The pass sorts by MAC before it looks at any row: rows added since the
    // list last sorted itself are taken in the order they were added.
    ui->treeWidget->sortItems(ColMac, Qt::AscendingOrder);
    const std::vector<QTreeWidgetItem *> items = listItems(ui->treeWidget);
    TerminalTable table = passTable(*this, ui->treeWidget);
    HeldSends held(m_transport);
    repairSharedMacs(table, [this, &held](const MacRepair &repair) {
        held.before();
        if (!isWanMode()) {
            SendResetById(repair.id);
        } else {
            // The packet of SendResetById, sent to the row instead of the selection.
            writeFactoryReset(m_one, repair.id);
            sendToRow(*this, m_one, repair.address);
        }
        held.after();
    });
    int failed = 0;
    QString why;
    const std::vector<bool> left = held.finish(&failed, &why);
    applyPass(*this, ui->treeWidget, items, table, ColMac, left);
    if (failed)
        showStatus(tr("MAC 修复：%1 个数据包未能发送（%2），这些终端的 MAC 未改").arg(failed).arg(why));
    SlotFilterChanged();
}
