// apply: scan, compare with the plan, send what differs in rounds verified
// by a rescan, print the statuses and write the report.
#include "cli/cmd_apply.h"

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/discovery/scanrange.h"
#include "core/plan/planread.h"

#include <QFile>
#include <QSaveFile>

namespace quenzal::cli {

namespace {

constexpr int SendBatch = PlanRun::SendBatch;
constexpr int SendPauseMs = PlanRun::SendPauseMs;

// The scans of one run.
struct SiteScanner
{
    Session &session;
    const ApplyOptions &o;
    std::vector<QHostAddress> beyond; // WAN: planned addresses outside the range
    int scans = 0;

    bool scan(std::vector<TerminalTexts> *records, int *failed);
    bool verify(size_t firstReplies, std::vector<TerminalTexts> *records, int *failed);
};

// The site as a scan shows it, every reply a record; false (with the exit
// code in *failed) when the scan failed.
bool SiteScanner::scan(std::vector<TerminalTexts> *records, int *failed)
{
    ++scans;
    const ScanResult scanned = session.scan(o.scan);
    reportLosses(scanned);
    if ((*failed = scanOutcome(scanned, o.scan)))
        return false;
    *records = inArrivalOrder(scanned);
    if (beyond.empty())
        return true;
    qint64 last = 0;
    const auto take = [&](const QByteArray &data, const QHostAddress &) {
        if (isStatusReply(data)) {
            records->push_back(decodeStatusReply(data).texts);
            last = session.clockMs();
        }
        return false;
    };
    const int failedBefore = session.sendFailures();
    for (size_t i = 0; i < beyond.size(); ++i) {
        session.sendWan(composeWanQuery(session.packet()), beyond[i]);
        if ((i + 1) % SendBatch == 0)
            session.collect(1, take);
    }
    if (session.sendFailures() > failedBefore) {
        printError(QStringLiteral("%1 queries could not be sent (%2)")
                       .arg(session.sendFailures() - failedBefore)
                       .arg(session.lastSendError()));
        *failed = ExitFailure;
        return false;
    }
    last = session.clockMs();
    while (session.clockMs() - last < o.scan.waitMs)
        session.collect(int(qMin<qint64>(100, o.scan.waitMs - (session.clockMs() - last))), take);
    return true;
}

// The scan after a round. Terminals still busy with the round's commands
// may answer late or not at all: a scan that hears fewer replies than the
// first one is repeated, up to twice.
bool SiteScanner::verify(size_t firstReplies, std::vector<TerminalTexts> *records, int *failed)
{
    for (int attempt = 0; attempt < PlanRun::VerifyScans; ++attempt) {
        if (!scan(records, failed))
            return false;
        if (records->size() >= firstReplies)
            break;
    }
    return true;
}

// One round of sends; false when a datagram did not leave.
bool sendRound(Session &session, const ApplyOptions &o, const std::vector<PlanSend> &sends, int *datagrams)
{
    bool ok = true;
    for (size_t i = 0; i < sends.size(); ++i) {
        const QByteArray bytes = encodePlanSend(session.packet(), sends[i]);
        QString why;
        const bool sent = o.scan.wan ? session.sendWan(bytes, sends[i].address, &why) : session.sendLan(bytes, &why);
        ++*datagrams;
        if (!sent) {
            printError(QStringLiteral("a command to %1 could not be sent: %2").arg(sends[i].mac, why));
            ok = false;
        }
        if ((i + 1) % SendBatch == 0)
            session.collect(SendPauseMs, [](const QByteArray &, const QHostAddress &) { return false; });
    }
    return ok;
}

bool writeReport(const std::vector<ApplyRow> &rows, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(applyReport(rows, path)) < 0 || !file.commit()) {
        printError(QStringLiteral("cannot write the report %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int runApply(const ApplyOptions &o)
{
    const PlanReadResult plan = o.database.isEmpty() ? readPlanFile(o.plan) : readPlanDatabase(o.database);
    if (!plan.ok) {
        printError(plan.error + QStringLiteral("; nothing sent"));
        return ExitUsage;
    }
    Session session;
    if (!session.open(o.scan.wan, o.scan.interface))
        return ExitFailure;
    SiteScanner site { session, o,
        o.scan.wan ? planAddressesBeyondRange(o.scan.range, o.scan.count, plan.entries) : std::vector<QHostAddress>() };
    std::vector<TerminalTexts> records;
    int failed = ExitOk;
    if (!site.scan(&records, &failed))
        return failed;
    PlanRun run(plan.entries);
    const PlanComparison &first = run.start(records);

    int datagrams = 0;
    bool sendFailed = false;
    if (!first.problems && !o.dryRun) {
        for (std::vector<PlanSend> sends = run.nextSends(); !sends.empty(); sends = run.nextSends()) {
            sendFailed = !sendRound(session, o, sends, &datagrams);
            if (sendFailed || !site.verify(run.firstReplies(), &records, &failed))
                break;
            run.afterScan(records);
        }
    }

    const std::vector<ApplyRow> rows = run.rows(o.dryRun);
    if (!writeOut(applyOutput(rows, o.scan.format == Format::Json)))
        return ExitFailure; // said by finishOutput()
    printNote(QStringLiteral("%1 planned, %2 replies: %3; %4 datagrams sent in %5 round(s), %6 scan(s)")
                  .arg(plan.entries.size())
                  .arg(records.size())
                  .arg(applySummary(rows))
                  .arg(datagrams)
                  .arg(run.rounds())
                  .arg(site.scans));
    if (!o.report.isEmpty() && !writeReport(rows, o.report))
        return ExitFailure;
    if (sendFailed || failed)
        return ExitFailure;
    if (first.problems)
        return ExitDifferences;
    if (o.dryRun)
        return ExitOk;
    for (size_t i = 0; i < plan.entries.size(); ++i)
        if (rows[i].status != PlanStatus::Ok)
            return ExitNotVerified;
    return ExitOk;
}

} // namespace quenzal::cli
