#include "fleetconfig.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace sim {

namespace {

bool parseNumber(const QString &v, unsigned maxValue, unsigned &out)
{
    bool ok = false;
    const unsigned n
        = v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? v.mid(2).toUInt(&ok, 16) : v.toUInt(&ok, 10);
    if (!ok || n > maxValue)
        return false;
    out = n;
    return true;
}

template <size_t N> bool parseBytes(const QString &v, QChar sep, int base, std::array<quint8, N> &out)
{
    const QStringList parts = v.split(sep);
    if (parts.size() != int(N))
        return false;
    for (size_t i = 0; i < N; ++i) {
        bool ok = false;
        const unsigned n = parts[int(i)].trimmed().toUInt(&ok, base);
        if (!ok || n > 255)
            return false;
        out[i] = quint8(n);
    }
    return true;
}

using Setter = std::function<bool(TerminalState &, const QString &)>;

template <typename T> Setter number(T TerminalState::*field, unsigned maxValue)
{
    return [field, maxValue](TerminalState &t, const QString &v) {
        unsigned n = 0;
        if (!parseNumber(v, maxValue, n))
            return false;
        t.*field = T(n);
        return true;
    };
}

Setter address(std::array<quint8, 4> TerminalState::*field)
{
    return [field](TerminalState &t, const QString &v) { return parseBytes(v, QLatin1Char('.'), 10, t.*field); };
}

const QHash<QString, Setter> &setters()
{
    static const QHash<QString, Setter> table {
        { QStringLiteral("id"), number(&TerminalState::id, 0xFFFF) },
        { QStringLiteral("volume"), number(&TerminalState::volume, 0xFF) },
        { QStringLiteral("type"), number(&TerminalState::deviceType, 0xFF) },
        { QStringLiteral("dhcp"), number(&TerminalState::dhcp, 0xFF) },
        { QStringLiteral("link"), number(&TerminalState::link, 0xFF) },
        { QStringLiteral("firmware"), number(&TerminalState::firmware, 0xFFFF) },
        { QStringLiteral("ip"), address(&TerminalState::ip) },
        { QStringLiteral("gateway"), address(&TerminalState::gateway) },
        { QStringLiteral("mask"), address(&TerminalState::mask) },
        { QStringLiteral("server"), address(&TerminalState::server) },
        { QStringLiteral("mac"),
            [](TerminalState &t, const QString &v) { return parseBytes(v, QLatin1Char(':'), 16, t.mac); } },
        { QStringLiteral("capture"), address(&TerminalState::capture) },
        { QStringLiteral("host1"), number(&TerminalState::host1, 0xFFFF) },
        { QStringLiteral("netmode"),
            [](TerminalState &t, const QString &v) {
                if (v.compare(QLatin1String("wan"), Qt::CaseInsensitive) == 0) {
                    t.netMode = 0xBB;
                    return true;
                }
                if (v.compare(QLatin1String("lan"), Qt::CaseInsensitive) == 0) {
                    t.netMode = 0xAA;
                    return true;
                }
                unsigned n = 0;
                if (!parseNumber(v, 0xFF, n))
                    return false;
                t.netMode = quint8(n);
                return true;
            } },
        { QStringLiteral("text"),
            [](TerminalState &t, const QString &v) {
                const QByteArray bytes = v.toLocal8Bit();
                t.text.fill(0);
                std::copy_n(bytes.constData(), qMin<qsizetype>(bytes.size(), 16), t.text.begin());
                return true;
            } },
        { QStringLiteral("gain"), number(&TerminalState::gain, 0xFF) },
        { QStringLiteral("delay"), number(&TerminalState::delay, 0xFF) },
        { QStringLiteral("lanrate"), number(&TerminalState::lanRate, 0xFFFF) },
        { QStringLiteral("wanrate"), number(&TerminalState::wanRate, 0xFFFF) },
        { QStringLiteral("autoanswer"), number(&TerminalState::autoAnswer, 0xFF) },
        { QStringLiteral("amplifier"), number(&TerminalState::amplifier, 0xFF) },
        { QStringLiteral("extaudio"), number(&TerminalState::extAudio, 0xFF) },
        { QStringLiteral("micmode"), number(&TerminalState::micMode, 0xFF) },
        { QStringLiteral("group"), number(&TerminalState::group, 0xFF) },
        { QStringLiteral("font"), number(&TerminalState::fontState, 0xFF) },
        { QStringLiteral("boot"), number(&TerminalState::bootState, 0xFF) },
        { QStringLiteral("host2"), number(&TerminalState::host2, 0xFFFF) },
        { QStringLiteral("host3"), number(&TerminalState::host3, 0xFFFF) },
        { QStringLiteral("server2"), address(&TerminalState::server2) },
        { QStringLiteral("ring"), number(&TerminalState::ringSwitch, 0xFF) },
        { QStringLiteral("maxvolume"), number(&TerminalState::maxVolume, 0xFF) },
        { QStringLiteral("ignorecommands"),
            [](TerminalState &t, const QString &v) {
                unsigned n = 0;
                if (!parseNumber(v, 1, n))
                    return false;
                t.ignoresCommands = n == 1;
                return true;
            } },
    };
    return table;
}

} // namespace

std::array<quint8, 4> nextAddress(std::array<quint8, 4> a)
{
    for (int i = 3; i >= 0 && ++a[size_t(i)] == 0; --i) { }
    return a;
}

std::array<quint8, 6> nextMac(std::array<quint8, 6> m)
{
    for (int i = 5; i >= 0 && ++m[size_t(i)] == 0; --i) { }
    return m;
}

FleetConfig parseFleetConfig(const QString &text)
{
    FleetConfig config;
    TerminalState defaults;
    TerminalState current;
    bool inTerminal = false;
    unsigned repeat = 1;

    auto finish = [&] {
        if (!inTerminal)
            return;
        TerminalState t = current;
        for (unsigned i = 0; i < repeat; ++i) {
            config.terminals.push_back(t);
            t.id = quint16(t.id + 1);
            t.ip = nextAddress(t.ip);
            t.mac = nextMac(t.mac);
        }
    };

    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line == QLatin1String("[terminal]")) {
            finish();
            if (config.terminals.size() >= kMaxFleetTerminals) {
                config.error = QStringLiteral("line %1: more than %2 terminals").arg(n + 1).arg(kMaxFleetTerminals);
                return config;
            }
            inTerminal = true;
            current = defaults;
            repeat = 1;
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            config.error = QStringLiteral("line %1: expected key = value or [terminal]").arg(n + 1);
            return config;
        }
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("repeat")) {
            if (!inTerminal || !parseNumber(value, 1000000, repeat)) {
                config.error = QStringLiteral("line %1: repeat needs a number inside [terminal]").arg(n + 1);
                return config;
            }
            // Checked here, before the copies are made: a file of many large
            // repeats would otherwise exhaust memory.
            if (repeat > kMaxFleetTerminals - config.terminals.size()) {
                config.error = QStringLiteral("line %1: more than %2 terminals").arg(n + 1).arg(kMaxFleetTerminals);
                return config;
            }
            continue;
        }
        const auto setter = setters().constFind(key);
        if (setter == setters().constEnd()) {
            config.error = QStringLiteral("line %1: unknown key '%2'").arg(n + 1).arg(key);
            return config;
        }
        if (!(*setter)(inTerminal ? current : defaults, value)) {
            config.error = QStringLiteral("line %1: bad value for %2: '%3'").arg(n + 1).arg(key, value);
            return config;
        }
    }
    finish();
    return config;
}

} // namespace sim
