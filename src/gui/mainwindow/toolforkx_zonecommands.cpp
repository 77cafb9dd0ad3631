// Commands to all terminals at once: multicast on the LAN, one copy per
// listed terminal over the WAN (SendCommand mode 2).
#include "gui/mainwindow/toolforkx.h"
#include "gui/mainwindow/commandsend.h"

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::SoltSetAllReboot()
{
    sendZoneCommand(*this, m_all, ZoneCommand::Reboot, {});
}

void ToolForKX::SoltSetAllDhcpOn()
{
    sendZoneCommand(*this, m_all, ZoneCommand::DhcpOn, {});
}

void ToolForKX::SoltSetAllDhcpOff()
{
    sendZoneCommand(*this, m_all, ZoneCommand::DhcpOff, {});
}

void ToolForKX::SoltSetAllWan()
{
    sendZoneCommand(*this, m_all, ZoneCommand::Wan, {});
}

void ToolForKX::SoltSetAllLan()
{
    sendZoneCommand(*this, m_all, ZoneCommand::Lan, {});
}

void ToolForKX::SoltSetAllServer()
{
    sendZoneCommand(*this, m_all, ZoneCommand::ServerText, ui->lineEdit_AllServerAddr->text());
}

void ToolForKX::SoltSetRelayTime()
{
    sendZoneCommand(*this, m_all, ZoneCommand::RelayDelay, ui->lineEdit_RelayTime->text());
}

void ToolForKX::SoltSetLanRate()
{
    sendZoneCommand(*this, m_all, ZoneCommand::LanRate, ui->lineEdit_LanRate->text());
}

void ToolForKX::SoltSetWanRate()
{
    sendZoneCommand(*this, m_all, ZoneCommand::WanRate, ui->lineEdit_WanRate->text());
}

void ToolForKX::SoltSetExtAudioMode_All1()
{
    sendZoneCommand(*this, m_all, ZoneCommand::ExtAudioOff, {});
}

void ToolForKX::SoltSetExtAudioMode_All2()
{
    sendZoneCommand(*this, m_all, ZoneCommand::ExtAudioLineIn, {});
}

void ToolForKX::SoltSetExtAudioMode_All3()
{
    sendZoneCommand(*this, m_all, ZoneCommand::ExtAudioMic, {});
}

void ToolForKX::SoltSetTcmd()
{
    sendZoneCommand(*this, m_all, ZoneCommand::CommandText, ui->lineEdit_tcmd->text());
}

void ToolForKX::SoltSettcmd2()
{
    sendZoneCommand(*this, m_all, ZoneCommand::CommandTextUtf8, ui->textEdit_TTS->toPlainText());
}
