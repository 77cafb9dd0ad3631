#include "core/discovery/reconcile.h"
#include "core/transport/addresstext.h"

#include "core/transport/packets.h"

#include <QHash>

namespace quenzal {

TerminalIdentity identityOfListRow(const TerminalTexts &row)
{
    return TerminalIdentity { row[ColId], row[ColIp], row[ColMac], QString() };
}

std::optional<quint32> identityIp(const QString &text)
{
    const QHostAddress a = parseAddressText(text.trimmed());
    if (a.isNull())
        return std::nullopt;
    bool ok = false;
    const quint32 v = a.toIPv4Address(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<QString> identityMac(const QString &text)
{
    // Six pairs joined by one kind of separator, or twelve digits bare.
    QString t = text.trimmed();
    if (t.size() == 12 && !t.contains(QLatin1Char(':')) && !t.contains(QLatin1Char('-'))) {
        for (int i = 10; i > 0; i -= 2)
            t.insert(i, QLatin1Char(':'));
    }
    const std::optional<Mac> mac = parseMacPairs(t);
    if (!mac)
        return std::nullopt;
    return formatMac(*mac);
}

std::optional<qint64> identityId(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

QString differenceKindName(Difference::Kind kind)
{
    switch (kind) {
    case Difference::Silent:
        return QStringLiteral("silent");
    case Difference::Unknown:
        return QStringLiteral("unknown");
    case Difference::IdDiffers:
        return QStringLiteral("id");
    case Difference::IpDiffers:
        return QStringLiteral("ip");
    case Difference::MacDiffers:
        return QStringLiteral("mac");
    }
    return QString();
}

namespace {

template <typename T> bool sameValue(const std::optional<T> &a, const std::optional<T> &b)
{
    // Unreadable on both sides is no difference to report twice; unreadable
    // on one side is.
    if (!a && !b)
        return true;
    return a && b && *a == *b;
}

} // namespace

std::vector<int> pairTerminals(const std::vector<TerminalIdentity> &database,
    const std::vector<TerminalIdentity> &scanned, std::vector<bool> *byMac_)
{
    // Unpaired scanned rows per MAC and per IP, in scan order.
    QHash<QString, std::vector<int>> byMac;
    QHash<quint32, std::vector<int>> byIp;
    for (int s = 0; s < int(scanned.size()); ++s) {
        if (const auto mac = identityMac(scanned[size_t(s)].mac))
            byMac[*mac].push_back(s);
        if (const auto ip = identityIp(scanned[size_t(s)].ip))
            byIp[*ip].push_back(s);
    }
    std::vector<bool> taken(scanned.size(), false);
    auto takeFirst = [&taken](std::vector<int> *candidates) -> int {
        if (!candidates)
            return -1;
        for (int s : *candidates) {
            if (!taken[size_t(s)]) {
                taken[size_t(s)] = true;
                return s;
            }
        }
        return -1;
    };

    std::vector<int> pair(database.size(), -1);
    std::vector<bool> byMacPair(database.size(), false);
    for (size_t d = 0; d < database.size(); ++d) {
        if (const auto mac = identityMac(database[d].mac)) {
            auto it = byMac.find(*mac);
            pair[d] = takeFirst(it == byMac.end() ? nullptr : &*it);
            byMacPair[d] = pair[d] >= 0;
        }
    }
    for (size_t d = 0; d < database.size(); ++d) {
        if (pair[d] >= 0)
            continue;
        if (const auto ip = identityIp(database[d].ip)) {
            auto it = byIp.find(*ip);
            pair[d] = takeFirst(it == byIp.end() ? nullptr : &*it);
        }
    }

    if (byMac_)
        *byMac_ = byMacPair;
    return pair;
}

std::vector<Difference> reconcileTerminals(
    const std::vector<TerminalIdentity> &database, const std::vector<TerminalIdentity> &scanned)
{
    std::vector<bool> byMacPair;
    const std::vector<int> pair = pairTerminals(database, scanned, &byMacPair);
    std::vector<bool> taken(scanned.size(), false);
    for (int s : pair) {
        if (s >= 0)
            taken[size_t(s)] = true;
    }

    std::vector<Difference> out;
    for (size_t d = 0; d < database.size(); ++d) {
        const TerminalIdentity &db = database[d];
        const int s = pair[d];
        if (s < 0) {
            out.push_back(Difference { Difference::Silent, int(d), -1, {}, {}, false });
            continue;
        }
        const TerminalIdentity &net = scanned[size_t(s)];
        if (!sameValue(identityId(db.id), identityId(net.id)))
            out.push_back(Difference { Difference::IdDiffers, int(d), s, db.id, net.id, byMacPair[d] });
        if (!sameValue(identityIp(db.ip), identityIp(net.ip)))
            out.push_back(Difference { Difference::IpDiffers, int(d), s, db.ip, net.ip, byMacPair[d] });
        if (!sameValue(identityMac(db.mac), identityMac(net.mac)))
            out.push_back(Difference { Difference::MacDiffers, int(d), s, db.mac, net.mac, byMacPair[d] });
    }
    for (int s = 0; s < int(scanned.size()); ++s) {
        if (!taken[size_t(s)])
            out.push_back(Difference { Difference::Unknown, -1, s, {}, {}, false });
    }
    return out;
}

} // namespace quenzal
