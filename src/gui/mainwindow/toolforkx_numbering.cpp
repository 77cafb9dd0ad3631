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

#include <QTreeWidget>

#include "ui_toolforkx.h"

using namespace quenzal;

namespace {

// The window's terminal list as the numbering passes see it. The count of
// rows holding a text is what QTreeWidget::findItems with Qt::MatchExactly
// would find; it is kept in a table per column, because a pass asks for it
// once per examined row and nothing but the pass changes the list meanwhile
// (the slot holds the event loop).
class TreeRows : public TerminalRows
{
public:
    TreeRows(ToolForKX &window, QTreeWidget *tree)
        : m_window(window)
        , m_tree(tree)
    {
    }

    int count() const override { return m_tree->topLevelItemCount(); }
    QString text(int row, int column) const override { return m_tree->topLevelItem(row)->text(column); }
    int countExact(int column, const QString &text) const override { return counts(column).value(text); }
    void setText(int row, int column, const QString &text) override
    {
        QTreeWidgetItem *item = m_tree->topLevelItem(row);
        QHash<QString, int> &c = counts(column);
        --c[item->text(column)];
        ++c[text];
        m_window.setTerminalListCellText(item, column, text);
    }
    void sortBy(int column) override { m_tree->sortItems(column, Qt::AscendingOrder); }

private:
    QHash<QString, int> &counts(int column) const
    {
        auto it = m_counts.find(column);
        if (it == m_counts.end()) {
            it = m_counts.insert(column, {});
            for (int r = 0; r < m_tree->topLevelItemCount(); ++r)
                ++(*it)[m_tree->topLevelItem(r)->text(column)];
        }
        return *it;
    }

    ToolForKX &m_window;
    QTreeWidget *m_tree;
    mutable QHash<int, QHash<QString, int>> m_counts;
};

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
    TreeRows rows(*this, ui->treeWidget);
    assignSharedIds(rows, fieldNumber(ui->lineEdit_ChangStatId->text()), [this](const IdChange &change) {
        if (!isWanMode()) {
            SetDefalutID(change.oldId, change.newId, change.mac);
            return;
        }
        // The packet of SetDefalutID, sent to the row instead of the selection.
        logIdChange(change.oldId, change.newId, change.mac);
        writeIdChange(m_one, change.oldId, change.newId, change.mac);
        sendToRow(*this, m_one, change.address);
    });
    SlotFilterChanged();
}

void ToolForKX::SoltSetAutoMac()
{
    if (!previewRenumbering(true))
        return;
    TreeRows rows(*this, ui->treeWidget);
    repairSharedMacs(rows, [this](const MacRepair &repair) {
        if (!isWanMode()) {
            SendResetById(repair.id);
            return;
        }
        // The packet of SendResetById, sent to the row instead of the selection.
        writeFactoryReset(m_one, repair.id);
        sendToRow(*this, m_one, repair.address);
    });
    SlotFilterChanged();
}
