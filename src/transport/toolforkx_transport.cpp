// Network set-up and the send operations of the main window.
#include "core/transport/logging.h"
#include "app/toolforkx.h"
#include "core/transport/localaddress.h"

#include <QUdpSocket>

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

    m_wanSocket = new QUdpSocket(this);
    if (!m_wanSocket->bind(QHostAddress::AnyIPv4, WanPort, QUdpSocket::ReuseAddressHint))
        qCWarning(lcTransport) << "WAN socket: bind to port" << WanPort << "failed:" << m_wanSocket->errorString();
    m_wanDestination = parseAddressText(ui->lineEdit_LocalIP->text());
    connect(m_wanSocket, &QUdpSocket::readyRead, this, &ToolForKX::recv_slot);

    m_lanSocket = new QUdpSocket(this);
    m_lanDestination = QHostAddress(QLatin1String(MulticastGroup));
    if (!m_lanSocket->bind(QHostAddress::AnyIPv4, LanPort, QUdpSocket::ReuseAddressHint))
        qCWarning(lcTransport) << "LAN socket: bind to port" << LanPort << "failed:" << m_lanSocket->errorString();
    m_lanSocket->setSocketOption(QAbstractSocket::MulticastLoopbackOption, 0);
    if (!m_lanSocket->joinMulticastGroup(m_lanDestination))
        qCWarning(lcTransport) << "LAN socket: join of" << MulticastGroup << "failed:" << m_lanSocket->errorString();
    connect(m_lanSocket, &QUdpSocket::readyRead, this, &ToolForKX::recv_slot);
}

void ToolForKX::LanPacketSend(char *szBuff, int len, char *ip)
{
    m_lanDestination = parseAddressText(QByteArray(ip));
    if (m_lanDestination.isNull() || len <= 0)
        return;
    m_lanSocket->writeDatagram(szBuff, len, m_lanDestination, LanPort);
}

void ToolForKX::WanPacketSend(char *szBuff, int len, char *ip)
{
    if (!isWanMode())
        return;
    m_wanDestination = parseAddressText(QByteArray(ip));
    if (m_wanDestination.isNull() || len <= 0)
        return;
    m_wanSocket->writeDatagram(szBuff, len, m_wanDestination, WanPort);
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
    m_one.setIdPair(3, id);
    m_one[5] = 177;
    m_one[6] = 1;
    SendPacket(m_one.data(), SingleTerminalPacket::Size);
}
