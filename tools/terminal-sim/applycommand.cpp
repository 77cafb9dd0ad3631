#include "applycommand.h"

#include <QStringList>

namespace sim {

namespace {

quint8 at(const QByteArray &d, int i)
{
    return i < d.size() ? quint8(d.at(i)) : 0;
}

// The tool writes numbers as an ID pair: high = v div 256 + 1, low =
// (v mod 256) + 1 in 8 bits, so a low byte of 0 stands for 255.
int pairValue(const QByteArray &d, int i)
{
    const int high = at(d, i);
    const int low = at(d, i + 1);
    return (high - 1) * 256 + (low == 0 ? 255 : low - 1);
}

template <size_t N> void copyBytes(std::array<quint8, N> &dst, const QByteArray &d, int from)
{
    for (size_t k = 0; k < N; ++k)
        dst[k] = at(d, from + int(k));
}

QString dotted(const std::array<quint8, 4> &a)
{
    return QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

QString hexMac(const std::array<quint8, 6> &m)
{
    return QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
}

// A text parameter up to its first zero byte.
QByteArray textAt(const QByteArray &d, int from, int n)
{
    QByteArray t = d.mid(from, n);
    const int zero = int(t.indexOf('\0'));
    return zero < 0 ? t : t.left(zero);
}

// Dotted text (as the zone-wide server command sends it) into four octets;
// false when it is no address.
bool parseDotted(const QByteArray &text, std::array<quint8, 4> &out)
{
    const QList<QByteArray> parts = text.split('.');
    if (parts.size() != 4)
        return false;
    std::array<quint8, 4> octets {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int v = parts.at(i).toInt(&ok, 10);
        if (!ok || v < 0 || v > 255)
            return false;
        octets[size_t(i)] = quint8(v);
    }
    out = octets;
    return true;
}

// What a factory reset brings back: the audio and device settings; identity
// and network settings stay, so the terminal can still be found.
void factoryDefaults(TerminalState &t)
{
    t.volume = 10;
    t.dhcp = 0;
    t.host1 = t.host2 = t.host3 = 0;
    t.capture = { 238, 0, 0, 2 };
    t.gain = 30;
    t.autoAnswer = 0;
    t.amplifier = 0;
    t.extAudio = 0;
    t.micMode = 0;
    t.group = 0;
    t.ringSwitch = 1;
    t.maxVolume = 15;
    ++t.factoryResets;
}

ApplyResult applied(const QString &description)
{
    return ApplyResult { true, description };
}

ApplyResult applySingle(TerminalState &t, const QByteArray &d)
{
    const int code = at(d, 5);
    const quint8 p6 = at(d, 6);

    if (code == 178) {
        // The ID change names its terminal by old ID and MAC together.
        std::array<quint8, 6> mac {};
        copyBytes(mac, d, 6);
        if (pairValue(d, 3) != t.id || mac != t.mac)
            return {};
        const int old = t.id;
        t.id = quint16(pairValue(d, 12));
        return applied(QStringLiteral("id %1 -> %2 (mac %3)").arg(old).arg(t.id).arg(hexMac(t.mac)));
    }
    if (pairValue(d, 3) != t.id)
        return {};

    switch (code) {
    case 1:
        t.id = quint16(pairValue(d, 6));
        return applied(QStringLiteral("id -> %1").arg(t.id));
    case 2:
        t.volume = p6;
        return applied(QStringLiteral("volume %1").arg(p6));
    case 3:
        t.dhcp = p6;
        return applied(QStringLiteral("dhcp %1").arg(p6));
    case 4:
        copyBytes(t.ip, d, 6);
        return applied(QStringLiteral("ip %1").arg(dotted(t.ip)));
    case 5:
        copyBytes(t.mask, d, 6);
        return applied(QStringLiteral("mask %1").arg(dotted(t.mask)));
    case 6:
        copyBytes(t.gateway, d, 6);
        return applied(QStringLiteral("gateway %1").arg(dotted(t.gateway)));
    case 7:
        copyBytes(t.server, d, 6);
        return applied(QStringLiteral("server %1").arg(dotted(t.server)));
    case 8:
        copyBytes(t.mac, d, 6);
        return applied(QStringLiteral("mac %1").arg(hexMac(t.mac)));
    case 9:
        t.deviceType = p6;
        return applied(QStringLiteral("type %1").arg(p6));
    case 10:
        ++t.reboots;
        return applied(QStringLiteral("reboot"));
    case 12:
        t.host1 = quint16(pairValue(d, 6));
        t.host2 = quint16(pairValue(d, 8));
        t.host3 = quint16(pairValue(d, 10));
        return applied(QStringLiteral("hosts %1 %2 %3").arg(t.host1).arg(t.host2).arg(t.host3));
    case 13:
        for (int i = 0; i < 4; ++i)
            t.capture[size_t(i)] = quint8(at(d, 6 + i) - 1);
        return applied(QStringLiteral("capture %1").arg(dotted(t.capture)));
    case 15:
        t.netMode = p6;
        return applied(QStringLiteral("mode %1").arg(p6 == 0xBB ? QStringLiteral("wan") : QStringLiteral("lan")));
    case 16:
        copyBytes(t.text, d, 6);
        return applied(QStringLiteral("model text \"%1\"").arg(QString::fromLocal8Bit(textAt(d, 6, 16))));
    case 161:
    case 162:
    case 163:
    case 164:
    case 165: {
        static const char *const names[] = { "call", "group call", "all call", "intercom", "call stop" };
        return applied(QStringLiteral("%1 %2").arg(QLatin1String(names[code - 161])).arg(pairValue(d, 6)));
    }
    case 166:
        t.gain = quint8(pairValue(d, 6));
        return applied(QStringLiteral("gain %1").arg(t.gain));
    case 170:
    case 171:
        t.autoAnswer = p6;
        return applied(QStringLiteral("auto answer %1").arg(p6));
    case 172:
    case 173:
        t.amplifier = p6;
        return applied(QStringLiteral("amplifier %1").arg(p6));
    case 177:
        factoryDefaults(t);
        return applied(QStringLiteral("factory reset"));
    case 180:
        t.extAudio = p6;
        return applied(QStringLiteral("external audio %1").arg(p6));
    case 181:
        t.micMode = p6;
        return applied(QStringLiteral("microphone mode %1").arg(p6));
    case 182:
        return applied(QStringLiteral("font update"));
    case 183:
        return applied(QStringLiteral("standby text \"%1\"").arg(QString::fromLocal8Bit(textAt(d, 6, 16))));
    case 184:
        t.group = quint8(pairValue(d, 6));
        return applied(QStringLiteral("offline group %1").arg(t.group));
    case 186:
        return applied(QStringLiteral("display calibration"));
    case 188:
    case 189:
        t.ringSwitch = p6;
        return applied(QStringLiteral("ring %1").arg(p6));
    case 190:
        t.maxVolume = p6;
        return applied(QStringLiteral("maximum volume %1").arg(p6));
    default:
        return {};
    }
}

ApplyResult applyZone(TerminalState &t, const QByteArray &d)
{
    const int code = at(d, 4);
    switch (code) {
    case 0:
        ++t.reboots;
        return applied(QStringLiteral("all: reboot"));
    case 2:
    case 3:
        t.dhcp = code == 2 ? 1 : 0;
        return applied(QStringLiteral("all: dhcp %1").arg(t.dhcp));
    case 4:
    case 5:
        t.netMode = code == 4 ? 0xBB : 0xAA;
        return applied(QStringLiteral("all: mode %1").arg(code == 4 ? QStringLiteral("wan") : QStringLiteral("lan")));
    case 6: {
        const QByteArray text = textAt(d, 5, 32);
        if (!parseDotted(text, t.server))
            return applied(QStringLiteral("all: server \"%1\" ignored").arg(QString::fromLocal8Bit(text)));
        return applied(QStringLiteral("all: server %1").arg(dotted(t.server)));
    }
    case 167:
        t.delay = quint8(pairValue(d, 5));
        return applied(QStringLiteral("all: relay delay %1").arg(t.delay));
    case 168:
        t.lanRate = quint16(pairValue(d, 5));
        return applied(QStringLiteral("all: lan rate %1").arg(t.lanRate));
    case 169:
        t.wanRate = quint16(pairValue(d, 5));
        return applied(QStringLiteral("all: wan rate %1").arg(t.wanRate));
    case 180:
        t.extAudio = at(d, 6);
        return applied(QStringLiteral("all: external audio %1").arg(t.extAudio));
    case 185:
        return applied(QStringLiteral("all: command \"%1\"").arg(QString::fromLocal8Bit(textAt(d, 5, 54))));
    case 187:
        return applied(QStringLiteral("all: command \"%1\"").arg(QString::fromUtf8(textAt(d, 5, 54))));
    default:
        return {};
    }
}

} // namespace

ApplyResult applyCommand(TerminalState &terminal, const QByteArray &d)
{
    // Single-terminal frame: AA 01 F2, 32 bytes. Queries (kind 0x02) and
    // status replies are no commands.
    if (d.size() >= 32 && at(d, 0) == 0xAA && at(d, 2) == 0xF2)
        return at(d, 1) == 0x01 ? applySingle(terminal, d) : ApplyResult {};
    // All-terminals frame: its own length, little-endian, in bytes 0 to 3.
    if (d.size() >= 5) {
        const quint32 length
            = quint32(at(d, 0)) | (quint32(at(d, 1)) << 8) | (quint32(at(d, 2)) << 16) | (quint32(at(d, 3)) << 24);
        if (length == quint32(d.size()))
            return applyZone(terminal, d);
    }
    return {};
}

} // namespace sim
