#pragma once
// Glue between the command slots of ToolForKX and the command encoding: each
// slot collects the texts of its fields and hands them to one of these.
#include "core/commands/commandpackets.h"

class QWidget;
class ToolForKX;

namespace quenzal {

// Writes the command's parameters into the single-terminal packet, sends it
// to the selected terminal (SendCommand mode 1) and runs the after-send step.
// Does nothing when the command does not go out (volume above 15).
void sendTerminalCommand(
    ToolForKX &window, SingleTerminalPacket &packet, TerminalCommand command, const QStringList &fields);

// The same for all terminals (SendCommand mode 2).
void sendZoneCommand(ToolForKX &window, AllTerminalsPacket &packet, ZoneCommand command, const QString &field);

// The modal warning of the armed commands, titled "提示".
void showCommandWarning(QWidget *parent, const QString &text);

} // namespace quenzal
