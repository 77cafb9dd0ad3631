// SendCommand and SendToTarget: the two roads every command button takes.
#include "core/commands/logging.h"
#include "gui/mainwindow/toolforkx.h"
#include "gui/mainwindow/commandsend.h"
#include "core/transport/statusreply.h"

#include <QMessageBox>
#include <QTreeWidgetItem>

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::SendCommand(int mode, int code, quint8 *buffer, int len)
{
    if (mode == 1) {
        qCDebug(lcCommands) << "TERMIANL_ONE ";
        SendToTarget(code, buffer, len);
    } else if (mode == 2) {
        frameZoneCommand(buffer, code, len);
        char *bytes = reinterpret_cast<char *>(buffer);
        if (!isWanMode()) {
            char group[] = "239.0.0.2";
            LanPacketSend(bytes, len, group);
            return;
        }
        // Over the WAN there is no group: one copy to every listed terminal,
        // each to the address its own status reply reported.
        const int rows = ui->treeWidget->topLevelItemCount();
        for (int row = 0; row < rows; ++row) {
            QByteArray address = ui->treeWidget->topLevelItem(row)->text(ColIp).toLocal8Bit();
            WanPacketSend(bytes, len, address.data());
        }
    }
}

void ToolForKX::SendToTarget(int code, quint8 *buffer, int len)
{
    // An empty lineEdit_rebootid (nothing selected yet) addresses ID 0.
    addressCommand(buffer, code, fieldNumber(ui->lineEdit_rebootid->text()));
    SendPacket(buffer, len);
}

namespace quenzal {

void sendTerminalCommand(
    ToolForKX &window, SingleTerminalPacket &packet, TerminalCommand command, const QStringList &fields)
{
    const Encoded e = writeTerminalCommand(packet, command, fields);
    if (e.code < 0)
        return;
    window.SendCommand(1, e.code, packet.data(), e.length);
    afterTerminalCommand(packet, command);
    window.verifyAfterCommand(command, fields);
}

void sendZoneCommand(ToolForKX &window, AllTerminalsPacket &packet, ZoneCommand command, const QString &field)
{
    const Encoded e = writeZoneCommand(packet, command, field);
    if (e.code < 0)
        return;
    window.SendCommand(2, e.code, packet.data(), e.length);
}

void showCommandWarning(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, QCoreApplication::translate("ToolForKX", "提示"), text, QMessageBox::Ok);
}

} // namespace quenzal
