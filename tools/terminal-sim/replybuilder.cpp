#include "replybuilder.h"

#include <algorithm>

namespace sim {

namespace {

template <size_t N>
void put(QByteArray &out, int offset, const std::array<quint8, N> &bytes)
{
    std::copy(bytes.begin(), bytes.end(), out.begin() + offset);
}

void put16(QByteArray &out, int offset, quint16 v)
{
    out[offset] = char(v >> 8);
    out[offset + 1] = char(v & 0xFF);
}

} // namespace

QByteArray buildStatusReply(const TerminalState &t)
{
    QByteArray out(StatusReplySize, '\0');
    out[0] = char(0xAA);
    out[1] = char(0xFD);
    put16(out, 3, t.id);
    out[5] = char(t.volume);
    out[6] = char(t.deviceType);
    out[7] = char(t.dhcp);
    out[10] = char(t.link);
    put16(out, 12, t.firmware);
    put(out, 14, t.ip);
    put(out, 18, t.gateway);
    put(out, 22, t.mask);
    put(out, 26, t.server);
    put(out, 30, t.mac);
    put(out, 36, t.capture);
    put16(out, 40, t.host1);
    out[42] = char(t.netMode);
    put(out, 43, t.text);
    out[59] = char(t.gain);
    out[60] = char(t.delay);
    put16(out, 61, t.lanRate);
    put16(out, 63, t.wanRate);
    out[65] = char(t.autoAnswer);
    out[66] = char(t.amplifier);
    out[68] = char(t.extAudio);
    out[69] = char(t.micMode);
    out[70] = char(t.group);
    out[87] = char(t.fontState);
    out[88] = char(t.bootState);
    put16(out, 90, t.host2);
    put16(out, 92, t.host3);
    put(out, 94, t.server2);
    out[100] = char(t.ringSwitch);
    out[101] = char(t.maxVolume);
    return out;
}

} // namespace sim
