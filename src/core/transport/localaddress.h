#pragma once
// The host's own IPv4 addresses, without a blocking name lookup: the IPv4
// entries of every interface that is up and not a loopback, in interface
// index order and then in the order the interface lists them. The tool shows
// the last one as its local address.
#include <QHostAddress>
#include <QList>

namespace quenzal {

QList<QHostAddress> localIPv4Addresses();

// Third octet of a dotted IPv4 text, or -1 when the text is no such address.
int thirdOctet(const QString &dotted);

} // namespace quenzal
