#pragma once
// The rounds of an apply, step by step, for every caller that sends: the
// CLI's `apply` and the window's plan dialog drive the same object, each with
// its own socket and clock.
//
//   PlanRun run(plan);
//   run.start(firstScan);              // the first comparison (the dry run)
//   while (sends = run.nextSends(), !sends.empty()) {
//       send them (batches of SendBatch, SendPauseMs apart);
//       rescan; run.afterScan(records);
//   }
//   run.rows(dryRun);                  // the final statuses, for output and report
//
// nextSends() gives nothing once the plan has problems, nothing differs or
// MaxRounds rounds went out. The report (applyReport) is the CLI's
// `--report` and the dialog's "保存报告…", the same bytes.
#include "core/discovery/scanrange.h"
#include "core/plan/plan.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <vector>

namespace quenzal {

// A terminal's row as a run ends: the first comparison (what was planned
// and what the terminal had), its final status and the settings the last
// scan showed.
struct ApplyRow
{
    PlanRow row; // from the first comparison: status, changes (before -> planned), reason, settings before
    PlanStatus status = PlanStatus::Ok; // final
    QString reason; // final
    PlanValues after; // the last scan's settings; empty when it did not show the terminal once
};

// The rows of a run from its first and last comparison. `planned`: the
// plan's entries (the first rows); `rounds`: the rounds sent, for the reason
// of a row still to change.
std::vector<ApplyRow> finalRows(
    const PlanComparison &first, const PlanComparison &last, size_t planned, int rounds, bool dryRun);

// "3 ok, 1 missing, 1 unplanned", or "no terminals".
QString applySummary(const std::vector<ApplyRow> &rows);

// The report: per terminal the settings before and after and the final
// status; JSON when the name ends in .json, else CSV.
QByteArray applyReport(const std::vector<ApplyRow> &rows, const QString &fileName);

// On the WAN the planned addresses outside the scanned range (`count`
// addresses of `range`) are queried too: a terminal that took its new IP
// answers there. Each address once, in plan order.
std::vector<QHostAddress> planAddressesBeyondRange(
    const ScanFields &range, int count, const std::vector<PlanEntry> &plan);

class PlanRun
{
public:
    static constexpr int MaxRounds = 3;
    // Sends go in batches with a short pause between them, so that neither
    // the system's send queue nor the terminals' receive queues overflow:
    // every terminal on the LAN reads every command.
    static constexpr int SendBatch = 16;
    static constexpr int SendPauseMs = 4;
    // A rescan that hears fewer replies than the first scan is made again,
    // up to this many scans per round: terminals busy with the round's
    // commands may answer late or not at all.
    static constexpr int VerifyScans = 3;

    explicit PlanRun(std::vector<PlanEntry> plan);

    // The first scan's records, every reply in arrival order.
    const PlanComparison &start(const std::vector<TerminalTexts> &records);
    // The sends of the next round (and the round counted), or nothing when
    // the run is over: problems, nothing differs, or MaxRounds sent.
    std::vector<PlanSend> nextSends();
    // The rescan after a round.
    const PlanComparison &afterScan(const std::vector<TerminalTexts> &records);

    const std::vector<PlanEntry> &plan() const { return m_plan; }
    const PlanComparison &first() const { return m_first; }
    const PlanComparison &last() const { return m_last; }
    size_t firstReplies() const { return m_firstReplies; }
    int rounds() const { return m_rounds; }
    std::vector<ApplyRow> rows(bool dryRun) const;

private:
    std::vector<PlanEntry> m_plan;
    PlanComparison m_first;
    PlanComparison m_last;
    size_t m_firstReplies = 0;
    int m_rounds = 0;
};

} // namespace quenzal
