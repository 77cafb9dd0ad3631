#include "core/transport/localaddress.h"

#include <QUdpSocket>

#include <QNetworkInterface>

#include <algorithm>

namespace quenzal {

QList<QHostAddress> localIPv4Addresses()
{
    QList<QHostAddress> result;
    for (const LocalInterfaceAddress &entry : localIPv4Interfaces())
        result.append(entry.address);
    return result;
}

QList<LocalInterfaceAddress> localIPv4Interfaces()
{
    QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    std::stable_sort(interfaces.begin(), interfaces.end(),
        [](const QNetworkInterface &a, const QNetworkInterface &b) { return a.index() < b.index(); });
    QList<LocalInterfaceAddress> result;
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                result.append({ iface.name(), entry.ip() });
        }
    }
    return result;
}

QString interfaceChoiceText(const LocalInterfaceAddress &entry)
{
    return entry.name + QStringLiteral(" (") + entry.address.toString() + QLatin1Char(')');
}

int interfaceChoiceIndex(const QList<LocalInterfaceAddress> &entries, const QString &name)
{
    if (name.isEmpty())
        return int(entries.size()) - 1;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).name == name)
            return i;
    }
    return -1;
}

LocalInterfaceAddress systemRouteTo(const QHostAddress &to)
{
    // Connecting a UDP socket only looks the route up and fixes the source
    // address; no datagram leaves.
    QUdpSocket probe;
    probe.connectToHost(to, 9);
    if (!probe.waitForConnected(100))
        return {};
    const QHostAddress source = probe.localAddress();
    for (const LocalInterfaceAddress &entry : localIPv4Interfaces()) {
        if (entry.address == source)
            return entry;
    }
    return LocalInterfaceAddress { QString(), source };
}

int thirdOctet(const QString &dotted)
{
    const QStringList parts = dotted.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return -1;
    bool ok = false;
    const int v = parts.at(2).toInt(&ok, 10);
    return ok ? v : -1;
}

} // namespace quenzal
