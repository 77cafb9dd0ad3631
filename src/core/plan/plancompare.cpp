// The plan against the scan: statuses, changes and the problems found
// before anything is sent.
#include "core/plan/plan.h"

#include "core/discovery/reconcile.h"

#include <QHash>

#include <optional>

namespace quenzal {

namespace {

constexpr qint64 MaxPlanId = 65279; // an ID pair's high byte is ID div 256 + 1

QString addressText(quint32 v)
{
    return QHostAddress(v).toString();
}

// A value as the comparison shows it: an ID as a plain number, an address
// without zero padding; a text that does not read stays as it is.
QString valueText(PlanField field, const QString &text)
{
    if (field == PlanField::Id) {
        const std::optional<qint64> id = identityId(text);
        return id ? QString::number(*id) : text;
    }
    const std::optional<quint32> a = identityIp(text);
    return a ? addressText(*a) : text;
}

PlanValues nowOf(const TerminalTexts &t)
{
    PlanValues v;
    v[size_t(PlanField::Id)] = valueText(PlanField::Id, t[ColId]);
    v[size_t(PlanField::Ip)] = valueText(PlanField::Ip, t[ColIp]);
    v[size_t(PlanField::Mask)] = valueText(PlanField::Mask, t[ColMask]);
    v[size_t(PlanField::Gateway)] = valueText(PlanField::Gateway, t[ColGateway]);
    v[size_t(PlanField::Server)] = valueText(PlanField::Server, t[ColServer]);
    return v;
}

bool isSubnetMask(quint32 m)
{
    const quint32 host = ~m;
    return m != 0 && (host & (host + 1)) == 0;
}

// Why `ip` is no host address under `mask` (0 when the mask is unknown).
QString hostAddressProblem(quint32 ip, quint32 mask)
{
    const QString a = addressText(ip);
    if (ip == 0)
        return QStringLiteral("ip 0.0.0.0 is no host address");
    if ((ip >> 24) == 127)
        return QStringLiteral("ip %1 is a loopback address").arg(a);
    if ((ip >> 28) == 0xE)
        return QStringLiteral("ip %1 is a multicast address").arg(a);
    if (ip == 0xFFFFFFFFu)
        return QStringLiteral("ip %1 is the broadcast address").arg(a);
    const quint32 host = ~mask;
    if (mask != 0 && host > 1) { // /31 and /32 have no network or broadcast address
        if ((ip & host) == 0)
            return QStringLiteral("ip %1 is the network address of mask %2").arg(a, addressText(mask));
        if ((ip & host) == host)
            return QStringLiteral("ip %1 is the broadcast address of mask %2").arg(a, addressText(mask));
    }
    return QString();
}

struct Planned
{
    std::optional<qint64> id;
    std::array<std::optional<quint32>, PlanFieldCount> address;
    QStringList problems;
};

} // namespace

QString planFieldName(PlanField field)
{
    static const char *const names[] = { "id", "ip", "mask", "gateway", "server" };
    return QLatin1String(names[int(field)]);
}

QString planStatusName(PlanStatus status)
{
    static const char *const names[] = { "ok", "change", "missing", "clone", "unplanned", "problem" };
    return QLatin1String(names[int(status)]);
}

PlanComparison comparePlan(const std::vector<PlanEntry> &plan, const std::vector<TerminalTexts> &scanned)
{
    std::vector<std::optional<QString>> recordMac(scanned.size());
    QHash<QString, std::vector<int>> recordsByMac;
    for (size_t i = 0; i < scanned.size(); ++i) {
        recordMac[i] = identityMac(scanned[i][ColMac]);
        if (recordMac[i])
            recordsByMac[*recordMac[i]].push_back(int(i));
    }

    PlanComparison out;
    std::vector<Planned> planned(plan.size());
    QHash<QString, int> firstEntryOfMac;
    QHash<qint64, int> firstEntryOfId;
    QHash<quint32, int> firstEntryOfIp;
    for (size_t i = 0; i < plan.size(); ++i) {
        const PlanEntry &e = plan[i];
        Planned &p = planned[i];
        PlanRow row;
        row.entry = int(i);
        const std::optional<QString> mac = identityMac(e.mac);
        row.mac = mac ? *mac : e.mac;
        if (!mac)
            p.problems << QStringLiteral("MAC '%1' does not read").arg(e.mac);
        else if (firstEntryOfMac.contains(*mac)) {
            const int first = firstEntryOfMac.value(*mac);
            p.problems << QStringLiteral("MAC also on line %1").arg(plan[size_t(first)].line);
            planned[size_t(first)].problems << QStringLiteral("MAC also on line %1").arg(e.line);
        } else
            firstEntryOfMac.insert(*mac, int(i));

        for (int f = 0; f < PlanFieldCount; ++f) {
            const QString &text = e.values[size_t(f)];
            if (text.isEmpty())
                continue;
            if (PlanField(f) == PlanField::Id) {
                p.id = identityId(text);
                if (!p.id || *p.id < 0 || *p.id > MaxPlanId) {
                    p.problems << QStringLiteral("ID '%1' outside 0 to %2").arg(text).arg(MaxPlanId);
                    p.id.reset();
                }
            } else {
                p.address[size_t(f)] = identityIp(text);
                if (!p.address[size_t(f)])
                    p.problems << QStringLiteral("%1 '%2' is no address").arg(planFieldName(PlanField(f)), text);
            }
        }
        if (p.id) {
            if (firstEntryOfId.contains(*p.id)) {
                const int first = firstEntryOfId.value(*p.id);
                p.problems << QStringLiteral("ID %1 also planned for %2").arg(*p.id).arg(out.rows[size_t(first)].mac);
                planned[size_t(first)].problems << QStringLiteral("ID %1 also planned for %2").arg(*p.id).arg(row.mac);
            } else
                firstEntryOfId.insert(*p.id, int(i));
        }
        if (const auto &ip = p.address[size_t(PlanField::Ip)]) {
            if (firstEntryOfIp.contains(*ip)) {
                const int first = firstEntryOfIp.value(*ip);
                p.problems
                    << QStringLiteral("ip %1 also planned for %2").arg(addressText(*ip), out.rows[size_t(first)].mac);
                planned[size_t(first)].problems
                    << QStringLiteral("ip %1 also planned for %2").arg(addressText(*ip), row.mac);
            } else
                firstEntryOfIp.insert(*ip, int(i));
        }
        if (mac) {
            const std::vector<int> records = recordsByMac.value(*mac);
            if (records.size() == 1) {
                row.record = records.front();
                row.now = nowOf(scanned[size_t(row.record)]);
            } else if (records.size() > 1) {
                row.status = PlanStatus::Clone;
                row.reason = QStringLiteral("%1 terminals answer with this MAC: repair MACs first").arg(records.size());
            } else {
                row.status = PlanStatus::Missing;
                row.reason = QStringLiteral("not online");
            }
        }
        out.rows.push_back(std::move(row));
    }

    // Addresses against their mask and gateway: the planned value, else the
    // terminal's own. A gateway 0.0.0.0 is none.
    for (size_t i = 0; i < plan.size(); ++i) {
        Planned &p = planned[i];
        const PlanRow &row = out.rows[i];
        auto effective = [&](PlanField f) -> std::optional<quint32> {
            if (p.address[size_t(f)])
                return p.address[size_t(f)];
            if (!plan[i].values[size_t(f)].isEmpty() || row.record < 0)
                return std::nullopt;
            return identityIp(row.now[size_t(f)]);
        };
        const auto ip = effective(PlanField::Ip), mask = effective(PlanField::Mask),
                   gateway = effective(PlanField::Gateway);
        const bool masked = p.address[size_t(PlanField::Mask)].has_value();
        if (masked && !isSubnetMask(*mask))
            p.problems << QStringLiteral("mask %1 is no subnet mask").arg(addressText(*mask));
        const quint32 usableMask = mask && isSubnetMask(*mask) ? *mask : 0;
        if (p.address[size_t(PlanField::Ip)] || masked) {
            const QString why = ip ? hostAddressProblem(*ip, usableMask) : QString();
            if (!why.isEmpty())
                p.problems << why;
        }
        const bool networkPlanned = p.address[size_t(PlanField::Ip)] || masked || p.address[size_t(PlanField::Gateway)];
        if (networkPlanned && ip && gateway && *gateway != 0 && usableMask
            && (*gateway & usableMask) != (*ip & usableMask))
            p.problems << QStringLiteral("gateway %1 is outside the subnet of %2/%3")
                              .arg(addressText(*gateway), addressText(*ip), addressText(usableMask));
    }

    // What the online terminals the plan does not name already hold.
    QHash<qint64, int> unplannedId;
    QHash<quint32, int> unplannedIp;
    std::vector<int> unplanned;
    std::vector<bool> isUnplanned(scanned.size(), false);
    for (size_t r = 0; r < scanned.size(); ++r) {
        if (recordMac[r] && firstEntryOfMac.contains(*recordMac[r]))
            continue;
        unplanned.push_back(int(r));
        isUnplanned[r] = true;
        if (const auto id = identityId(scanned[r][ColId]); id && !unplannedId.contains(*id))
            unplannedId.insert(*id, int(r));
        if (const auto ip = identityIp(scanned[r][ColIp]); ip && !unplannedIp.contains(*ip))
            unplannedIp.insert(*ip, int(r));
    }
    auto macOfRecord = [&](int r) { return recordMac[size_t(r)] ? *recordMac[size_t(r)] : scanned[size_t(r)][ColMac]; };
    for (size_t i = 0; i < plan.size(); ++i) {
        Planned &p = planned[i];
        if (p.id && unplannedId.contains(*p.id))
            p.problems << QStringLiteral("ID %1 is held by %2, online and not in the plan")
                              .arg(*p.id)
                              .arg(macOfRecord(unplannedId.value(*p.id)));
        if (const auto &ip = p.address[size_t(PlanField::Ip)]; ip && unplannedIp.contains(*ip))
            p.problems << QStringLiteral("ip %1 is held by %2, online and not in the plan")
                              .arg(addressText(*ip), macOfRecord(unplannedIp.value(*ip)));
    }

    // Changes of the terminals found once.
    for (size_t i = 0; i < plan.size(); ++i) {
        PlanRow &row = out.rows[i];
        if (row.record < 0)
            continue;
        const Planned &p = planned[i];
        if (p.id && identityId(row.now[0]) != p.id)
            row.changes.push_back({ PlanField::Id, row.now[0], QString::number(*p.id) });
        for (PlanField f : { PlanField::Ip, PlanField::Mask, PlanField::Gateway, PlanField::Server }) {
            const auto &want = p.address[size_t(f)];
            if (want && identityIp(row.now[size_t(f)]) != want)
                row.changes.push_back({ f, row.now[size_t(f)], addressText(*want) });
        }
    }

    // Settings go by ID: a terminal that is sent anything must end with an ID
    // no other online terminal ends with.
    QHash<qint64, std::vector<int>> finalIds; // ID -> records
    std::vector<std::optional<qint64>> finalOf(scanned.size());
    for (size_t r = 0; r < scanned.size(); ++r)
        finalOf[r] = identityId(scanned[r][ColId]);
    for (size_t i = 0; i < plan.size(); ++i)
        if (out.rows[i].record >= 0 && planned[i].id)
            finalOf[size_t(out.rows[i].record)] = planned[i].id;
    for (size_t r = 0; r < scanned.size(); ++r)
        if (finalOf[r])
            finalIds[*finalOf[r]].push_back(int(r));
    for (size_t i = 0; i < plan.size(); ++i) {
        const PlanRow &row = out.rows[i];
        if (row.record < 0 || row.changes.empty() || !finalOf[size_t(row.record)] || !planned[i].problems.isEmpty())
            continue; // a row with a problem already sends nothing
        const qint64 id = *finalOf[size_t(row.record)];
        for (int other : finalIds.value(id)) {
            if (other == row.record || (planned[i].id && isUnplanned[size_t(other)]))
                continue; // an unplanned holder of a planned ID is said above
            planned[i].problems << QStringLiteral("ID %1 would also be the ID of %2").arg(id).arg(macOfRecord(other));
            break;
        }
    }

    for (size_t i = 0; i < plan.size(); ++i) {
        PlanRow &row = out.rows[i];
        if (!planned[i].problems.isEmpty()) {
            row.status = PlanStatus::Problem;
            row.reason = planned[i].problems.join(QStringLiteral("; "));
            out.problems = true;
        } else if (row.record >= 0)
            row.status = row.changes.empty() ? PlanStatus::Ok : PlanStatus::Change;
    }
    for (int r : unplanned) {
        PlanRow row;
        row.mac = macOfRecord(r);
        row.status = PlanStatus::Unplanned;
        row.record = r;
        row.now = nowOf(scanned[size_t(r)]);
        out.rows.push_back(std::move(row));
    }
    for (size_t r = 0; r < scanned.size(); ++r)
        if (const auto id = identityId(scanned[r][ColId]))
            out.onlineIds.push_back(*id);
    return out;
}

} // namespace quenzal
