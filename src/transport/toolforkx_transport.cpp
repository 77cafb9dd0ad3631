// Network set-up and the send operations of the main window.
#include "core/transport/logging.h"
#include "app/toolforkx.h"
#include "core/commands/commandpackets.h"
#include "core/transport/localaddress.h"

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::setupNetwork()
{
    // Local address: every IPv4 address of the host is written in turn, so
    // the last one stays in the fields.
    for (const QHostAddress &address : localIPv4Addresses()) {
        const QString text = address.toString();
        qCDebug(lcTransport) << text;
        ui->lineEdit_LocalIP->setText(text);
        ui->lineEdit_AllServerAddr->setText(text);
        qCDebug(lcTransport).noquote() << QStringLiteral("Init = ") + text;
        const QString third = QString::number(thirdOctet(text));
        ui->lineEdit_ScanIP3->setText(third);
        ui->lineEdit_ScanIP7->setText(third);
    }

    m_one.writeStartupBytes();

    // Both sockets are bound (WAN first, then LAN) and the group joined by
    // the transport; every failure is logged there.
    m_transport = new UdpTransport(this);
    m_transport->open(UdpTransport::Config());
    m_wanDestination = parseAddressText(ui->lineEdit_LocalIP->text());
    m_lanDestination = QHostAddress(QLatin1String(MulticastGroup));
    connect(m_transport, &UdpTransport::datagramsReady, this, &ToolForKX::recv_slot);
}

void ToolForKX::LanPacketSend(char *szBuff, int len, char *ip)
{
    m_lanDestination = parseAddressText(QByteArray(ip));
    if (m_lanDestination.isNull() || len <= 0)
        return;
    m_transport->send(UdpTransport::Lan, szBuff, len, m_lanDestination, LanPort);
}

void ToolForKX::WanPacketSend(char *szBuff, int len, char *ip)
{
    if (!isWanMode())
        return;
    m_wanDestination = parseAddressText(QByteArray(ip));
    if (m_wanDestination.isNull() || len <= 0)
        return;
    m_transport->send(UdpTransport::Wan, szBuff, len, m_wanDestination, WanPort);
}

void ToolForKX::SendPacket(const quint8 *data, int len)
{
    char *bytes = const_cast<char *>(reinterpret_cast<const char *>(data));
    if (!isWanMode()) {
        char group[] = "239.0.0.2";
        LanPacketSend(bytes, len, group);
    } else {
        WanPacketSend(bytes, len, m_selectedAddress);
    }
}

void ToolForKX::SendResetById(int id)
{
    writeFactoryReset(m_one, id);
    SendPacket(m_one.data(), SingleTerminalPacket::Size);
}
