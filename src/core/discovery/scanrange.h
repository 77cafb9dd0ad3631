#pragma once
// Address arithmetic of the WAN scan.
//
// The scan counts addresses in base 255: octet 4 runs 0..254 and every 255
// steps octet 3 goes up by one. Nothing is validated: fields that are out of
// range give addresses such as 192.168.300.1 that simply do not parse when
// sent, and an end before the start gives a count of 0 or less.

#include "core/transport/packets.h"

#include <QByteArray>

namespace quenzal {

// The eight scan fields as numbers (start octets s1..s4, end octets e1..e4;
// e1 and e2 take no part in any scan).
struct ScanFields
{
    int s1 = 0, s2 = 0, s3 = 0, s4 = 0;
    int e1 = 0, e2 = 0, e3 = 0, e4 = 0;
};

// N = (e3 - s3) * 255 + (e4 - s4) + 1.
int scanAddressCount(const ScanFields &f);

// Maximum of the progress bar for a scan of n addresses (n - 2: the bar stays
// full for the last two steps).
inline int scanProgressMaximum(int n)
{
    return n - 2;
}

// Dotted text ("%d.%d.%d.%d") of step k: running number r = s4 + k, address
// s1.s2.(s3 + r div 255).(r mod 255), with C division.
QByteArray scanStepAddress(const ScanFields &f, int k);

// The scan queries, written into the single-terminal packet as the scan
// writes them: packet kind 0x02 and 0x01 in byte 6, the bytes to send taken,
// then the packet kind 0x01 put back. Bytes 3 to 5 (and, for the LAN query,
// 7 to 30) go out as the last command left them. The LAN query is the whole
// 32-byte packet, the WAN query its first 6 bytes.
QByteArray composeLanQuery(SingleTerminalPacket &packet);
QByteArray composeWanQuery(SingleTerminalPacket &packet);

// "FROM-TO", two dotted addresses, as the eight scan fields: the end keeps
// the start's first two octets and lies at or after it. False with the
// reason in *why otherwise.
bool parseScanRangeText(const QString &text, ScanFields *fields, int *count, QString *why);

} // namespace quenzal
