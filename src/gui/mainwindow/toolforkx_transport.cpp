// Network set-up and the send operations of the main window.
#include "core/transport/logging.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/commands/commandpackets.h"
#include "core/transport/localaddress.h"

#include <QComboBox>
#include <QNetworkInterface>
#include <QSignalBlocker>
#include <QStatusBar>

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::setupNetwork()
{
    // Local address: every IPv4 address of the host is written in turn, so
    // the last one stays in the fields.
    for (const QHostAddress &address : localIPv4Addresses()) {
        const QString text = address.toString();
        qCDebug(lcTransport) << text;
        useLocalAddress(text);
        qCDebug(lcTransport).noquote() << QStringLiteral("Init = ") + text;
    }

    m_one.writeStartupBytes();

    // An interface named on the command line: its address in the fields, the
    // group joined on it and multicast sent out of it. Otherwise the system
    // chooses, as it always has.
    UdpTransport::Config config;
    if (!m_startInterface.isEmpty()) {
        const QList<LocalInterfaceAddress> entries = localIPv4Interfaces();
        const int index = interfaceChoiceIndex(entries, m_startInterface);
        if (index >= 0)
            useLocalAddress(entries.at(index).address.toString());
        config.multicastInterface = QNetworkInterface::interfaceFromName(m_startInterface);
    }

    // Both sockets are bound (WAN first, then LAN) and the group joined by
    // the transport; every failure is logged there and shown in the status bar.
    m_transport = new UdpTransport(this);
    m_transport->open(config);
    m_wanDestination = parseAddressText(ui->lineEdit_LocalIP->text());
    m_lanDestination = QHostAddress(QLatin1String(MulticastGroup));
    connect(m_transport, &UdpTransport::datagramsReady, this, &ToolForKX::recv_slot);
    connect(m_transport, &UdpTransport::repliesDropped, this, [this](quint64 total) {
        // The signal's count, which the queue has reached by now or will.
        const quint64 system = m_transport->systemDropped();
        if (system == 0)
            showStatus(tr("负载过高：已丢弃 %1 个终端回复").arg(total));
        else
            showDrops();
    });
    connect(m_transport, &UdpTransport::readerStopped, this,
        [this](const QString &reason) { showStatus(tr("接收线程已停止（%1），改由主线程接收").arg(reason)); });
    reportTransportStatus();
}

void ToolForKX::useLocalAddress(const QString &text)
{
    ui->lineEdit_LocalIP->setText(text);
    ui->lineEdit_AllServerAddr->setText(text);
    const QString third = QString::number(thirdOctet(text));
    ui->lineEdit_ScanIP3->setText(third);
    ui->lineEdit_ScanIP7->setText(third);
}

void ToolForKX::reportTransportStatus()
{
    const UdpTransport::Status &st = m_transport->status();
    QStringList problems;
    if (!st.lanBound)
        problems << tr("无法绑定端口 %1：%2").arg(LanPort).arg(st.lanError);
    if (!st.wanBound)
        problems << tr("无法绑定端口 %1：%2").arg(WanPort).arg(st.wanError);
    if (st.lanBound && !st.joined)
        problems << tr("无法加入组播组 %1：%2").arg(QLatin1String(MulticastGroup), st.joinError);
    // Bound beside another program (a second copy of the tool, the
    // command-line tool): the system hands some replies to it.
    for (const auto &[shared, port] :
        { std::pair { st.lanPortShared, LanPort }, std::pair { st.wanPortShared, WanPort } }) {
        if (shared)
            problems << tr("端口 %1 已被其他程序占用（可能是另一个本工具），部分回复可能被它收走").arg(port);
    }
    if (!problems.isEmpty())
        showStatus(problems.join(QStringLiteral("；")));
}

// The interfaces as they are now; the entry shown stays when it still exists.
void ToolForKX::refreshInterfaces()
{
    QComboBox *box = ui->comboBox_Interface;
    const QString current = box->currentText();
    const QSignalBlocker block(box);
    box->clear();
    // First the system's choice (the route to the group decides), the
    // default unless an interface was named at start.
    box->addItem(tr("系统选择"), QStringList { QString(), QString() });
    for (const LocalInterfaceAddress &entry : localIPv4Interfaces())
        box->addItem(interfaceChoiceText(entry), QStringList { entry.name, entry.address.toString() });
    const int keep = box->findText(current);
    if (keep >= 0)
        box->setCurrentIndex(keep);
}

void ToolForKX::SlotInterfaceChosen(int index)
{
    const QStringList entry = ui->comboBox_Interface->itemData(index).toStringList();
    if (entry.size() != 2)
        return;
    QString error;
    if (entry.at(0).isEmpty()) {
        if (!m_transport->setMulticastInterface(QNetworkInterface(), &error))
            showStatus(tr("无法加入组播组 %1：%2").arg(QLatin1String(MulticastGroup), error));
        else
            showStatus(tr("组播经由系统选择的接口"));
        return;
    }
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(entry.at(0));
    if (!iface.isValid() || !m_transport->setMulticastInterface(iface, &error)) {
        showStatus(tr("无法在 %1 上加入组播组 %2：%3")
                       .arg(entry.at(0), QLatin1String(MulticastGroup), iface.isValid() ? error : tr("接口不存在")));
    } else {
        showStatus(tr("组播经由 %1（%2）").arg(entry.at(0), entry.at(1)));
    }
    useLocalAddress(entry.at(1));
    m_wanDestination = parseAddressText(entry.at(1));
}

QString ToolForKX::queryInterfaceText() const
{
    const QStringList entry = ui->comboBox_Interface->currentData().toStringList();
    if (entry.size() == 2 && !entry.at(0).isEmpty())
        return tr("%1（%2）").arg(entry.at(0), entry.at(1));
    const LocalInterfaceAddress route = systemRouteTo(QHostAddress(QLatin1String(MulticastGroup)));
    if (route.name.isEmpty())
        return tr("系统选择的接口（无路由）");
    return tr("系统选择的接口 %1（%2）").arg(route.name, route.address.toString());
}

void ToolForKX::showDrops()
{
    const quint64 queue = m_transport->dropped();
    const quint64 system = m_transport->systemDropped();
    if (system == 0)
        showStatus(tr("负载过高：已丢弃 %1 个终端回复").arg(queue));
    else
        showStatus(tr("负载过高：已丢弃 %1 个终端回复（系统接收缓冲区 %2 个，接收队列 %3 个）")
                       .arg(queue + system)
                       .arg(system)
                       .arg(queue));
}

void ToolForKX::showSendFailure(const QHostAddress &to, quint16 port, const QString &why)
{
    showStatus(tr("发送失败：发往 %1:%2 的数据包未能发出（%3）").arg(to.toString()).arg(port).arg(why));
}

void ToolForKX::showStatus(const QString &text)
{
    ui->statusbar->showMessage(text);
}

QString ToolForKX::statusText() const
{
    return ui->statusbar->currentMessage();
}

void ToolForKX::LanPacketSend(char *szBuff, int len, char *ip)
{
    m_lanDestination = parseAddressText(QByteArray(ip));
    if (m_lanDestination.isNull() || len <= 0)
        return;
    QString why;
    if (m_transport->send(UdpTransport::Lan, szBuff, len, m_lanDestination, LanPort, &why) < 0)
        showSendFailure(m_lanDestination, LanPort, why);
}

void ToolForKX::WanPacketSend(char *szBuff, int len, char *ip)
{
    if (!isWanMode())
        return;
    m_wanDestination = parseAddressText(QByteArray(ip));
    if (m_wanDestination.isNull() || len <= 0)
        return;
    QString why;
    if (m_transport->send(UdpTransport::Wan, szBuff, len, m_wanDestination, WanPort, &why) < 0)
        showSendFailure(m_wanDestination, WanPort, why);
}

void ToolForKX::SendPacket(const quint8 *data, int len)
{
    char *bytes = const_cast<char *>(reinterpret_cast<const char *>(data));
    if (!isWanMode()) {
        char group[] = "239.0.0.2";
        LanPacketSend(bytes, len, group);
    } else {
        if (m_selectedAddress[0] == 0)
            showStatus(tr("跨网模式：未选择终端，命令未发送。请先在列表中点选终端。"));
        WanPacketSend(bytes, len, m_selectedAddress);
    }
}

void ToolForKX::SendResetById(int id)
{
    writeFactoryReset(m_one, id);
    SendPacket(m_one.data(), SingleTerminalPacket::Size);
}
