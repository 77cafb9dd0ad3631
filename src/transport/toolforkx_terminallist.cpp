// Status replies and the terminal list: recv_slot() and slotSysTimer().
#include "app/logging.h"
#include "app/toolforkx.h"

#include <QNetworkDatagram>
#include <QTreeWidgetItem>
#include <QUdpSocket>

#include "ui_toolforkx.h"

void ToolForKX::recv_slot()
{
    // Placeholder until reply decoding lands: drain whatever arrived so the
    // sockets keep notifying.
    for (QUdpSocket *socket : {m_lanSocket, m_wanSocket}) {
        while (socket && socket->hasPendingDatagrams())
            socket->receiveDatagram(1024);
    }
}

void ToolForKX::slotSysTimer()
{
}

void ToolForKX::setTerminalListCellText(QTreeWidgetItem *item, int column, const QString &text)
{
    item->setText(column, text);
}
