// Calls, audio and terminal functions of the selected terminal (codes 161 to
// 190). The caller of a test call is the addressed terminal itself.
#include "gui/mainwindow/toolforkx.h"
#include "gui/mainwindow/commandsend.h"

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::SoltSetOneCall()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::OneCall, { ui->lineEdit_Beijiao->text() });
}

void ToolForKX::SoltSetPartCall()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::GroupCall, { ui->lineEdit_Beijiao->text() });
}

void ToolForKX::SoltSetAllCall()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::AllCall, { ui->lineEdit_Beijiao->text() });
}

void ToolForKX::SoltSetIntercom()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Intercom, { ui->lineEdit_Beijiao->text() });
}

void ToolForKX::SoltSetCallStop()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::CallStop, { ui->lineEdit_Beijiao->text() });
}

void ToolForKX::SoltSetMicGain()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::MicGain, { ui->lineEdit_CMicGain->text() });
}

void ToolForKX::SoltSetAutoIntercomOn()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::AutoAnswerOn, {});
}

void ToolForKX::SoltSetAutoIntercomOff()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::AutoAnswerOff, {});
}

void ToolForKX::SoltSetPAMuteOn()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::AmplifierOn, {});
}

void ToolForKX::SoltSetPAMuteOff()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::AmplifierOff, {});
}

void ToolForKX::SoltSetMachineReset()
{
    const Encoded e = writeTerminalCommand(m_one, TerminalCommand::FactoryReset, {});
    if (!ui->checkBox_Reset->isChecked()) {
        showCommandWarning(this, tr("请确认！"));
        return;
    }
    SendCommand(1, e.code, m_one.data(), e.length);
    // One tick allows one reset.
    ui->checkBox_Reset->setChecked(false);
}

void ToolForKX::SoltSetExtAudioMode1()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::ExtAudioOff, {});
}

void ToolForKX::SoltSetExtAudioMode2()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::ExtAudioLineIn, {});
}

void ToolForKX::SoltSetExtAudioMode3()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::ExtAudioMic, {});
}

void ToolForKX::SoltSetCallModeOnline()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::MicModeOnline, {});
}

void ToolForKX::SoltSetCallModeOffline()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::MicModeOffline, {});
}

void ToolForKX::SoltSetUpdataFont()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::UpdateFont, {});
}

void ToolForKX::SoltSetOfflineName()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::StandbyText, { ui->lineEdit_COfflineName->text() });
}

void ToolForKX::SoltSetOfflinePartId()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::OfflineGroup, { ui->lineEdit_COfflinePartId->text() });
}

void ToolForKX::SoltSetDisplayOK()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::DisplayOk, {});
}

void ToolForKX::SoltSetRingOn()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::RingOn, {});
}

void ToolForKX::SoltSetRingOFF()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::RingOff, {});
}

void ToolForKX::SoltSetMaxVol()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::MaxVolume, { ui->lineEdit_MaxVol->text() });
}
