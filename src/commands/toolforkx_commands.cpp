// SendCommand and SendToTarget: the two roads every command button takes.
#include "core/commands/logging.h"
#include "app/toolforkx.h"
#include "commands/commandsend.h"

#include <QMessageBox>
#include <QTreeWidgetItem>

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::SendCommand(int mode, int code, quint8 *buffer, int len)
{
    if (mode == 1) {
        qCDebug(lcCommands) << "TERMIANL_ONE ";
        buffer[5] = quint8(code);
        SendToTarget(code, buffer, len);
    } else if (mode == 2) {
        // The all-terminals frame starts with its own length.
        for (int i = 0; i < 4; ++i)
            buffer[i] = quint8(quint32(len) >> (8 * i));
        buffer[4] = quint8(code);
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
            QByteArray address = ui->treeWidget->topLevelItem(row)->text(1).toLocal8Bit();
            WanPacketSend(bytes, len, address.data());
        }
    }
}

void ToolForKX::SendToTarget(int code, quint8 *buffer, int len)
{
    // An empty lineEdit_rebootid (nothing selected yet) addresses ID 0.
    const IdPair target = idPair(fieldNumber(ui->lineEdit_rebootid->text()));
    buffer[3] = target.high;
    buffer[4] = target.low;
    buffer[5] = quint8(code);
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
    QMessageBox::warning(parent, QStringLiteral("提示"), text, QMessageBox::Ok);
}

} // namespace quenzal
