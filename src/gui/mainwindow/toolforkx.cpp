#include "gui/mainwindow/toolforkx.h"

#include <QTimer>
#include <QUdpSocket>

#include "ui_toolforkx.h"

ToolForKX::ToolForKX(QWidget *parent)
    : ToolForKX(QString(), parent)
{
}

ToolForKX::ToolForKX(const QString &interfaceName, QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::ToolForKX>())
    , m_startInterface(interfaceName)
{
    ui->setupUi(this);
    connectButtons();

    m_sysTimer = new QTimer(this);
    m_sysTimer->setObjectName(QStringLiteral("sysTimer"));
    connect(m_sysTimer, &QTimer::timeout, this, &ToolForKX::slotSysTimer);
    m_sysTimer->start(500);

    setupNetwork();

    setupScan();
    setupFieldTools();
    setupVerifier();
}

ToolForKX::~ToolForKX() = default;

// Every button starts exactly one slot; the check boxes and the combo box
// have no connection, slots read their state when they run. pressed() rather
// than clicked() on the list, so pressing the current row selects it again.
void ToolForKX::connectButtons()
{
    connect(ui->but_indexreboot, &QAbstractButton::clicked, this, &ToolForKX::SlotSendindexreboot);
    connect(ui->but_voladd, &QAbstractButton::clicked, this, &ToolForKX::SlotSendvoladd);
    connect(ui->but_CServerip, &QAbstractButton::clicked, this, &ToolForKX::SlotSendServerIP);
    connect(ui->but_CMachType, &QAbstractButton::clicked, this, &ToolForKX::SlotSendMachType);
    connect(ui->but_Cid, &QAbstractButton::clicked, this, &ToolForKX::SoltSetID);
    connect(ui->but_Cip, &QAbstractButton::clicked, this, &ToolForKX::SoltSetIP);
    connect(ui->but_Cmac, &QAbstractButton::clicked, this, &ToolForKX::SoltSetMAC);
    connect(ui->but_Cgateway, &QAbstractButton::clicked, this, &ToolForKX::SoltSetGATEWAy);
    connect(ui->but_Cprot, &QAbstractButton::clicked, this, &ToolForKX::SoltSetMask);
    connect(ui->but_DhcpOn, &QAbstractButton::clicked, this, &ToolForKX::SoltSetDhcpOn);
    connect(ui->but_DhcpOff, &QAbstractButton::clicked, this, &ToolForKX::SoltSetDhcpOff);
    connect(ui->but_Scan, &QAbstractButton::clicked, this, &ToolForKX::SoltSetScan);
    connect(ui->but_COneKeyCall, &QAbstractButton::clicked, this, &ToolForKX::SoltSetOneKeyCall);
    connect(ui->but_CLineIn, &QAbstractButton::clicked, this, &ToolForKX::SoltSetLineInAddr);
    connect(ui->treeWidget, &QAbstractItemView::pressed, this, &ToolForKX::SoltSettest);
    connect(ui->but_LAN, &QAbstractButton::clicked, this, &ToolForKX::SoltSetLan);
    connect(ui->but_WAN, &QAbstractButton::clicked, this, &ToolForKX::SoltSetWan);
    connect(ui->but_MyMachType, &QAbstractButton::clicked, this, &ToolForKX::SoltSetMyMachType);
    connect(ui->but_SetAllReboot, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAllReboot);
    connect(ui->but_SetAllServer, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAllServer);
    connect(ui->but_SetAllDhcpOn, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAllDhcpOn);
    connect(ui->but_SetAllDhcpOff, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAllDhcpOff);
    connect(ui->but_SetAllLan, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAllLan);
    connect(ui->but_SetAllWan, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAllWan);
    connect(ui->but_Settcmd, &QAbstractButton::clicked, this, &ToolForKX::SoltSetTcmd);
    connect(ui->but_onecall, &QAbstractButton::clicked, this, &ToolForKX::SoltSetOneCall);
    connect(ui->but_partcall, &QAbstractButton::clicked, this, &ToolForKX::SoltSetPartCall);
    connect(ui->but_allcall, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAllCall);
    connect(ui->but_intercom, &QAbstractButton::clicked, this, &ToolForKX::SoltSetIntercom);
    connect(ui->but_CallStop, &QAbstractButton::clicked, this, &ToolForKX::SoltSetCallStop);
    connect(ui->but_CMicGain, &QAbstractButton::clicked, this, &ToolForKX::SoltSetMicGain);
    connect(ui->but_SetRelayTime, &QAbstractButton::clicked, this, &ToolForKX::SoltSetRelayTime);
    connect(ui->but_SetLanRate, &QAbstractButton::clicked, this, &ToolForKX::SoltSetLanRate);
    connect(ui->but_SetWanRate, &QAbstractButton::clicked, this, &ToolForKX::SoltSetWanRate);
    connect(ui->but_SetAuto1, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAutoIntercomOn);
    connect(ui->but_SetAuto0, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAutoIntercomOff);
    connect(ui->but_SetPAMuteOn, &QAbstractButton::clicked, this, &ToolForKX::SoltSetPAMuteOn);
    connect(ui->but_SetPAMuteOff, &QAbstractButton::clicked, this, &ToolForKX::SoltSetPAMuteOff);
    connect(ui->but_AutoID, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAutoId);
    connect(ui->but_AutoMac, &QAbstractButton::clicked, this, &ToolForKX::SoltSetAutoMac);
    connect(ui->but_MachineReset, &QAbstractButton::clicked, this, &ToolForKX::SoltSetMachineReset);
    connect(ui->but_SetExtMute, &QAbstractButton::clicked, this, &ToolForKX::SoltSetExtAudioMode1);
    connect(ui->but_SetExtLINEIN, &QAbstractButton::clicked, this, &ToolForKX::SoltSetExtAudioMode2);
    connect(ui->but_SetExtMIC, &QAbstractButton::clicked, this, &ToolForKX::SoltSetExtAudioMode3);
    connect(ui->but_SetExtMute_ALL, &QAbstractButton::clicked, this, &ToolForKX::SoltSetExtAudioMode_All1);
    connect(ui->but_SetExtLINEIN_ALL, &QAbstractButton::clicked, this, &ToolForKX::SoltSetExtAudioMode_All2);
    connect(ui->but_SetExtMIC_ALL, &QAbstractButton::clicked, this, &ToolForKX::SoltSetExtAudioMode_All3);
    connect(ui->but_SetCallModeOnline, &QAbstractButton::clicked, this, &ToolForKX::SoltSetCallModeOnline);
    connect(ui->but_SetCallModeOffline, &QAbstractButton::clicked, this, &ToolForKX::SoltSetCallModeOffline);
    connect(ui->but_SetFontUpdata, &QAbstractButton::clicked, this, &ToolForKX::SoltSetUpdataFont);
    connect(ui->but_SetOfflineName, &QAbstractButton::clicked, this, &ToolForKX::SoltSetOfflineName);
    connect(ui->but_SetOfflinepartid, &QAbstractButton::clicked, this, &ToolForKX::SoltSetOfflinePartId);
    connect(ui->but_SetDisplayOk, &QAbstractButton::clicked, this, &ToolForKX::SoltSetDisplayOK);
    connect(ui->but_Settcmd2, &QAbstractButton::clicked, this, &ToolForKX::SoltSettcmd2);
    connect(ui->but_check_serverdb, &QAbstractButton::clicked, this, &ToolForKX::SoltSetCheckServer_db);
    connect(ui->but_RingOn, &QAbstractButton::clicked, this, &ToolForKX::SoltSetRingOn);
    connect(ui->but_RingOff, &QAbstractButton::clicked, this, &ToolForKX::SoltSetRingOFF);
    connect(ui->but_SetMaxVol, &QAbstractButton::clicked, this, &ToolForKX::SoltSetMaxVol);
}

bool ToolForKX::isWanMode() const
{
    return ui->checkBox_Wan->isChecked();
}

QByteArray ToolForKX::selectedTerminalAddress() const
{
    return QByteArray(m_selectedAddress, int(qstrnlen(m_selectedAddress, sizeof m_selectedAddress)));
}

// Slots that exist in the window's slot table but have no behaviour and no
// connection.
void ToolForKX::SlotSendReboot() { }
void ToolForKX::SlotSendChinese() { }
void ToolForKX::SlotSendEnglish() { }
void ToolForKX::SlotSendGetMachineMessage() { }
void ToolForKX::SlotSendreset() { }
void ToolForKX::SoltSetAllMachSAddr() { }
void ToolForKX::SoltSetMode() { }
void ToolForKX::SlotSendvoldel() { }
