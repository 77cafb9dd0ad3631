#include "core/transport/localaddress.h"

#include <QNetworkInterface>

#include <algorithm>

namespace quenzal {

QList<QHostAddress> localIPv4Addresses()
{
    QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    std::stable_sort(interfaces.begin(), interfaces.end(),
                     [](const QNetworkInterface &a, const QNetworkInterface &b) { return a.index() < b.index(); });
    QList<QHostAddress> result;
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                result.append(entry.ip());
        }
    }
    return result;
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
