// The rounds of an apply and the rows they end with.
#include "core/plan/planrun.h"

#include "core/discovery/reconcile.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace quenzal {

std::vector<ApplyRow> finalRows(
    const PlanComparison &first, const PlanComparison &last, size_t planned, int rounds, bool dryRun)
{
    QHash<QString, const PlanRow *> unplannedNow;
    for (size_t i = planned; i < last.rows.size(); ++i)
        if (!unplannedNow.contains(last.rows[i].mac))
            unplannedNow.insert(last.rows[i].mac, &last.rows[i]);
    std::vector<ApplyRow> rows;
    for (size_t i = 0; i < first.rows.size(); ++i) {
        ApplyRow r;
        r.row = first.rows[i];
        const PlanRow *final = i < planned ? &last.rows[i] : unplannedNow.value(first.rows[i].mac);
        r.status = final ? final->status : PlanStatus::Unplanned;
        r.reason = final ? final->reason : QStringLiteral("no longer online");
        if (final)
            r.after = final->now;
        if (!dryRun && r.status == PlanStatus::Change && rounds > 0)
            r.reason = QStringLiteral("not verified after %1 round%2")
                           .arg(rounds)
                           .arg(rounds > 1 ? QStringLiteral("s") : QString());
        rows.push_back(std::move(r));
    }
    return rows;
}

QString applySummary(const std::vector<ApplyRow> &rows)
{
    int counts[6] = {};
    for (const ApplyRow &r : rows)
        ++counts[int(r.status)];
    QStringList parts;
    for (int s = 0; s < 6; ++s)
        if (counts[s])
            parts << QStringLiteral("%1 %2").arg(counts[s]).arg(planStatusName(PlanStatus(s)));
    return parts.isEmpty() ? QStringLiteral("no terminals") : parts.join(QStringLiteral(", "));
}

std::vector<QHostAddress> planAddressesBeyondRange(
    const ScanFields &range, int count, const std::vector<PlanEntry> &plan)
{
    std::vector<QHostAddress> out;
    QSet<quint32> seen;
    for (int k = 0; k < count; ++k)
        if (const std::optional<quint32> a = identityIp(QString::fromLatin1(scanStepAddress(range, k))))
            seen.insert(*a);
    for (const PlanEntry &e : plan) {
        const std::optional<quint32> a = identityIp(e.values[size_t(PlanField::Ip)]);
        if (a && !seen.contains(*a)) {
            seen.insert(*a);
            out.push_back(QHostAddress(*a));
        }
    }
    return out;
}

PlanRun::PlanRun(std::vector<PlanEntry> plan)
    : m_plan(std::move(plan))
{
}

const PlanComparison &PlanRun::start(const std::vector<TerminalTexts> &records)
{
    m_first = comparePlan(m_plan, records);
    m_last = m_first;
    m_firstReplies = records.size();
    m_rounds = 0;
    return m_first;
}

std::vector<PlanSend> PlanRun::nextSends()
{
    if (m_rounds >= MaxRounds || m_first.problems || m_last.problems)
        return {};
    std::vector<PlanSend> sends = planSends(m_last);
    if (!sends.empty())
        ++m_rounds;
    return sends;
}

const PlanComparison &PlanRun::afterScan(const std::vector<TerminalTexts> &records)
{
    m_last = comparePlan(m_plan, records);
    return m_last;
}

std::vector<ApplyRow> PlanRun::rows(bool dryRun) const
{
    return finalRows(m_first, m_last, m_plan.size(), m_rounds, dryRun);
}

} // namespace quenzal
