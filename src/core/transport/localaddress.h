#pragma once
// The host's own IPv4 addresses, without a blocking name lookup: the IPv4
// entries of every interface that is up and not a loopback, in interface
// index order and then in the order the interface lists them. The tool shows
// the last one as its local address.
#include <QHostAddress>
#include <QList>

namespace quenzal {

QList<QHostAddress> localIPv4Addresses();

// One IPv4 address of an interface, in the same order as above.
struct LocalInterfaceAddress
{
    QString name; // the interface's system name ("eth0", "wlan0")
    QHostAddress address;
};
QList<LocalInterfaceAddress> localIPv4Interfaces();

// "name (address)", as the interface choice lists it.
QString interfaceChoiceText(const LocalInterfaceAddress &entry);

// Index of the entry named `name` (the first address of that interface), of
// the last entry when `name` is empty, or -1 when no entry has that name.
int interfaceChoiceIndex(const QList<LocalInterfaceAddress> &entries, const QString &name);

// The interface and address the system picks to send to `to` (a route
// lookup: nothing is sent); an empty name when there is no route.
LocalInterfaceAddress systemRouteTo(const QHostAddress &to);

// Third octet of a dotted IPv4 text, or -1 when the text is no such address.
int thirdOctet(const QString &dotted);

} // namespace quenzal
