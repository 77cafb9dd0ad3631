// Status replies and the terminal list: recv_slot() and slotSysTimer().

#include "gui/mainwindow/toolforkx.h"
#include "gui/terminallist/terminallistfeed.h"

#include <QHeaderView>
#include <QTreeWidgetItem>

#include "ui_toolforkx.h"

TerminalListFeed &ToolForKX::listFeed()
{
    if (!m_listFeed) {
        auto *feed = new TerminalListFeed(ui->treeWidget, m_transport, [this] { recv_slot(); });
        m_listFeed = decltype(m_listFeed)(feed, [](TerminalListFeed *f) { delete f; });
        feed->setRowObserver([this](const quenzal::TerminalTexts &row, const QHostAddress &from,
                                 QTreeWidgetItem *item) { onRowAppended(row, from, item); });
    }
    return *m_listFeed;
}

// Runs whenever the transport has received datagrams. Replies from the
// socket of the inactive mode give no row; every datagram, row or not,
// restarts the sort countdown.
void ToolForKX::recv_slot()
{
    const TerminalListFeed::Taken taken = listFeed().take(isWanMode());
    if (taken.datagrams > 0) {
        m_sortCountdown = 3;
        m_scan->datagramsArrived();
    }
    if (taken.rows > 0) {
        m_scan->countReplies(taken.rows);
        ui->lineEdit_MachineNum->setText(QString::number(m_scan->replies()));
    }
}

void ToolForKX::slotSysTimer()
{
    // Made here too, so that the reader drains the sockets from the first
    // tick on, whether or not a datagram has come yet.
    listFeed();

    // WAN mode wins when both boxes are ticked; LAN mode shows whenever WAN
    // mode is off.
    const bool wan = ui->checkBox_Wan->isChecked();
    if (wan)
        ui->checkBox_Lan->setChecked(false);
    else if (ui->checkBox_Lan->isChecked())
        ui->checkBox_Wan->setChecked(false);
    else
        ui->checkBox_Lan->setChecked(true);

    for (QLineEdit *field : { ui->lineEdit_ScanIP1, ui->lineEdit_ScanIP2, ui->lineEdit_ScanIP3, ui->lineEdit_ScanIP4,
             ui->lineEdit_ScanIP5, ui->lineEdit_ScanIP6, ui->lineEdit_ScanIP7, ui->lineEdit_ScanIP8 })
        field->setEnabled(wan);

    // The sort falls on the second tick after the last datagram: replies
    // have stopped by then. A list already in that order is left alone.
    if (m_sortCountdown-- == 2)
        listFeed().sortItems(0, Qt::AscendingOrder);

    // Replies the system dropped because the receive buffer was full.
    if (m_transport && m_transport->systemDropped() != m_systemDropsShown) {
        m_systemDropsShown = m_transport->systemDropped();
        showDrops();
    }

    // The scan's quiet wait counts this tick; at its end the summary shows.
    m_scan->tick();
}

bool ToolForKX::terminalListBusy() const
{
    return m_listFeed && m_listFeed->busy();
}

std::vector<quenzal::TerminalTexts> ToolForKX::terminalListRows() const
{
    std::vector<quenzal::TerminalTexts> rows;
    const int n = ui->treeWidget->topLevelItemCount();
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const QTreeWidgetItem *item = ui->treeWidget->topLevelItem(i);
        // The feed's rows keep their texts at hand: cheaper than the item's
        // cells one by one at tens of thousands of rows.
        if (const quenzal::TerminalTexts *kept = m_listFeed ? m_listFeed->textsOf(item) : nullptr) {
            rows.push_back(*kept);
            continue;
        }
        quenzal::TerminalTexts texts;
        for (int c = 0; c < quenzal::TerminalListColumns; ++c)
            texts[size_t(c)] = item->text(c);
        rows.push_back(std::move(texts));
    }
    return rows;
}

std::vector<std::array<QString, 3>> ToolForKX::terminalListKeys() const
{
    std::vector<std::array<QString, 3>> rows;
    const int n = ui->treeWidget->topLevelItemCount();
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const QTreeWidgetItem *item = ui->treeWidget->topLevelItem(i);
        if (const quenzal::TerminalTexts *kept = m_listFeed ? m_listFeed->textsOf(item) : nullptr)
            rows.push_back({ (*kept)[quenzal::ColId], (*kept)[quenzal::ColIp], (*kept)[quenzal::ColMac] });
        else
            rows.push_back({ item->text(quenzal::ColId), item->text(quenzal::ColIp), item->text(quenzal::ColMac) });
    }
    return rows;
}

void ToolForKX::prepareTerminalListSort(int column)
{
    listFeed().prepareSort(column);
}

void ToolForKX::setTerminalListCellText(QTreeWidgetItem *item, int column, const QString &text)
{
    listFeed().setCellText(item, column, text);
}
