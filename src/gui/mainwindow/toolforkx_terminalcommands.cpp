// Identity and network settings of the selected terminal (codes 1 to 16).
#include "gui/mainwindow/toolforkx.h"
#include "gui/mainwindow/commandsend.h"

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::SoltSetID()
{
    const int n = fieldNumber(ui->lineEdit_Cid->text());
    sendTerminalCommand(*this, m_one, TerminalCommand::SetId, { ui->lineEdit_Cid->text() });
    // Show the number as it went out: "abc" becomes 0, "007" becomes 7.
    ui->lineEdit_Cid->setText(QString::number(n));
}

void ToolForKX::SlotSendvoladd()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Volume, { ui->lineEdit_Csetvol->text() });
}

void ToolForKX::SoltSetDhcpOn()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::DhcpOn, {});
}

void ToolForKX::SoltSetDhcpOff()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::DhcpOff, {});
}

void ToolForKX::SoltSetIP()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Ip,
        { ui->lineEdit_Cip->text(), ui->lineEdit_Cip_2->text(), ui->lineEdit_Cip_3->text(),
            ui->lineEdit_Cip_4->text() });
}

void ToolForKX::SoltSetMask()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Mask,
        { ui->lineEdit_CMask->text(), ui->lineEdit_CMask_2->text(), ui->lineEdit_CMask_3->text(),
            ui->lineEdit_CMask_4->text() });
}

void ToolForKX::SoltSetGATEWAy()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Gateway,
        { ui->lineEdit_Cgateway->text(), ui->lineEdit_Cgateway_2->text(), ui->lineEdit_Cgateway_3->text(),
            ui->lineEdit_Cgateway_4->text() });
}

void ToolForKX::SlotSendServerIP()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::ServerIp,
        { ui->lineEdit_CServerip->text(), ui->lineEdit_CServerip_2->text(), ui->lineEdit_CServerip_3->text(),
            ui->lineEdit_CServerip_4->text() });
}

void ToolForKX::SoltSetMAC()
{
    const QStringList fields { ui->lineEdit_Cmac->text(), ui->lineEdit_Cmac_2->text(), ui->lineEdit_Cmac_3->text(),
        ui->lineEdit_Cmac_4->text(), ui->lineEdit_Cmac_5->text(), ui->lineEdit_Cmac_6->text() };
    // The bytes are written whether or not the change is armed.
    const Encoded e = writeTerminalCommand(m_one, TerminalCommand::Mac, fields);
    if (!ui->checkBox_SetMac->isChecked()) {
        showCommandWarning(this, tr("请确认修改！并且不要设置与列表其他设备相同的MAC地址！"));
        return;
    }
    SendCommand(1, e.code, m_one.data(), e.length);
    // Every MAC change needs a fresh tick.
    ui->checkBox_SetMac->setChecked(false);
    verifyAfterCommand(TerminalCommand::Mac, fields);
}

void ToolForKX::SlotSendMachType()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::MachineType, { ui->Cbox_Type->currentText() });
}

void ToolForKX::SlotSendindexreboot()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Reboot, {});
}

void ToolForKX::SoltSetOneKeyCall()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::OneKeyHosts,
        { ui->lineEdit_COneKeyCall->text(), ui->lineEdit_COneKeyCall_2->text(), ui->lineEdit_COneKeyCall_3->text() });
}

void ToolForKX::SoltSetLineInAddr()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::CaptureAddress,
        { ui->lineEdit_CLineIn1->text(), ui->lineEdit_CLineIn2->text(), ui->lineEdit_CLineIn3->text(),
            ui->lineEdit_CLineIn4->text() });
}

void ToolForKX::SoltSetLan()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Lan, {});
}

void ToolForKX::SoltSetWan()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::Wan, {});
}

void ToolForKX::SoltSetMyMachType()
{
    sendTerminalCommand(*this, m_one, TerminalCommand::ModelText, { ui->lineEdit_MyMachType->text() });
}
