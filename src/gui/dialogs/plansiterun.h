#pragma once
// The rounds of the plan dialog on the main window's sockets and scan.
//
// The run is the core's PlanRun, the same the CLI's `apply` drives; this
// class only gives it scans and sends without ever blocking the GUI thread.
// A scan is the main window's own ("扫描设备": the list is cleared and
// shows every reply), on the WAN over the window's range plus the planned
// addresses beyond it; the records are the list's rows once the replies
// have stopped. Sends go to the group on the LAN and to each terminal's
// address on the WAN, in batches of PlanRun::SendBatch with a timer of
// PlanRun::SendPauseMs between them.
//
// cancel() stops between terminals: the sends of the terminal under way go
// out, the rest of the round does not, and a rescan shows where the site
// stands; the terminals whose sends were left out are "skipped". A send
// that fails ends the rounds the same way, after a rescan, and its terminal
// is "failed".
#include "core/plan/planrun.h"

#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>

class ToolForKX;

class PlanSiteRun : public QObject
{
    Q_OBJECT

public:
    explicit PlanSiteRun(ToolForKX *window, QObject *parent = nullptr);

    // A scan and the first comparison; compared() when it is there.
    void dryRun(std::vector<quenzal::PlanEntry> plan);
    // The rounds, after a dry run without problems; finished() at the end.
    void apply();
    // Stops the rounds between terminals (nothing while a dry run scans).
    void cancel();

    bool running() const { return m_phase != Phase::Idle; }
    bool applied() const { return m_applied; }
    bool cancelled() const { return m_cancel; }
    // Null before the first dry run.
    const quenzal::PlanRun *run() const { return m_run.get(); }
    // Rows (indices of the comparison's rows) whose sends were left out or
    // did not leave.
    const QSet<int> &skippedRows() const { return m_skipped; }
    const QSet<int> &failedRows() const { return m_failed; }
    int datagrams() const { return m_datagrams; }
    int scans() const { return m_scans; }

Q_SIGNALS:
    void scanning(int round);
    void progress(int round, int sent, int total);
    void sendFailed(const QString &mac, const QString &why);
    void compared();
    void finished();

private:
    enum class Phase { Idle, DryScan, Sending, Verify };

    void scan();
    void queryBeyond();
    void scanQuiet();
    void takeRecords();
    void nextRound();
    void sendSome();
    void endRounds(bool rescan);
    void finish();

    ToolForKX *m_window;
    std::unique_ptr<quenzal::PlanRun> m_run;
    std::vector<quenzal::PlanSend> m_sends; // the round under way
    size_t m_next = 0;
    QTimer m_pause;
    // WAN: the planned addresses beyond the range, queried in batches once
    // the scan's own queries are out; the scan ends a wait after the last.
    std::vector<QHostAddress> m_beyond;
    size_t m_beyondNext = 0;
    QTimer m_beyondPause;
    bool m_quietBeforeBeyond = false;
    Phase m_phase = Phase::Idle;
    bool m_scanning = false;
    bool m_applied = false;
    bool m_cancel = false;
    bool m_stopAfterScan = false;
    int m_verifyScans = 0;
    int m_datagrams = 0;
    int m_scans = 0;
    QSet<int> m_skipped;
    QSet<int> m_failed;
};
