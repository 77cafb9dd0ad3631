// The plan dialog's rounds: scans through the main window, sends through its
// transport, all on timers and signals of the GUI thread.
#include "gui/dialogs/plansiterun.h"

#include "core/discovery/scanrun.h"
#include "core/transport/packets.h"
#include "gui/mainwindow/toolforkx.h"

using namespace quenzal;

namespace {
// The main window's quiet wait after the last WAN query (three ticks).
constexpr int BeyondWaitMs = 1500;
} // namespace

PlanSiteRun::PlanSiteRun(ToolForKX *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(PlanRun::SendPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &PlanSiteRun::sendSome);
    // Only the scans this run started; the user's own scans are the window's.
    connect(window->scanRun(), &ScanRun::quiet, this, [this] {
        if (m_scanning)
            scanQuiet();
    });
    connect(window->scanRun(), &ScanRun::sendingFinished, this, [this] {
        if (!m_scanning || !m_window->isWanMode())
            return;
        // A terminal that took its planned IP outside the range answers there.
        const ScanFields range = m_window->scanRange();
        m_beyond = planAddressesBeyondRange(range, scanAddressCount(range), m_run->plan());
        m_beyondNext = 0;
        queryBeyond();
    });
    m_beyondPause.setSingleShot(true);
    m_beyondPause.setInterval(PlanRun::SendPauseMs);
    connect(&m_beyondPause, &QTimer::timeout, this, &PlanSiteRun::queryBeyond);
}

void PlanSiteRun::queryBeyond()
{
    SingleTerminalPacket packet = m_window->singleTerminalPacket();
    const QByteArray query = composeWanQuery(packet);
    for (int n = 0; n < PlanRun::SendBatch && m_beyondNext < m_beyond.size(); ++n) {
        const QHostAddress &to = m_beyond[m_beyondNext++];
        QString why;
        if (m_window->transport()->send(UdpTransport::Wan, query.constData(), query.size(), to, WanPort, &why) < 0)
            Q_EMIT sendFailed(to.toString(), why);
    }
    if (m_beyondNext < m_beyond.size()) {
        m_beyondPause.start();
        return;
    }
    m_beyond.clear();
    // The scan's replies stopped while these still went out: their answers
    // get the wait a scan gives after its last query.
    if (m_quietBeforeBeyond) {
        m_quietBeforeBeyond = false;
        QTimer::singleShot(BeyondWaitMs, this, [this] {
            if (m_scanning)
                scanQuiet();
        });
    }
}

void PlanSiteRun::dryRun(std::vector<PlanEntry> plan)
{
    if (running())
        return;
    m_run = std::make_unique<PlanRun>(std::move(plan));
    m_applied = false;
    m_cancel = false;
    m_stopAfterScan = false;
    m_skipped.clear();
    m_failed.clear();
    m_datagrams = 0;
    m_scans = 0;
    m_phase = Phase::DryScan;
    scan();
}

void PlanSiteRun::apply()
{
    if (running() || !m_run || m_applied || m_run->first().problems)
        return;
    m_applied = true;
    m_cancel = false;
    nextRound();
}

void PlanSiteRun::cancel()
{
    // Only the rounds stop; a dry run sends nothing and ends by itself.
    if (running() && m_applied)
        m_cancel = true;
}

void PlanSiteRun::scan()
{
    m_beyond.clear();
    m_beyondPause.stop();
    m_quietBeforeBeyond = false;
    m_scanning = true;
    ++m_scans;
    Q_EMIT scanning(m_run->rounds());
    m_window->SoltSetScan();
}

void PlanSiteRun::scanQuiet()
{
    if (!m_beyond.empty()) {
        m_quietBeforeBeyond = true;
        return;
    }
    // The replies have stopped; the list may still be taking the last of them.
    if (m_window->terminalListBusy()) {
        QTimer::singleShot(20, this, [this] {
            if (m_scanning)
                scanQuiet();
        });
        return;
    }
    m_scanning = false;
    takeRecords();
}

void PlanSiteRun::takeRecords()
{
    const std::vector<TerminalTexts> records = m_window->terminalListRows();
    if (m_phase == Phase::DryScan) {
        m_run->start(records);
        m_phase = Phase::Idle;
        Q_EMIT compared();
        return;
    }
    // Terminals still busy with the round's commands may not have answered.
    if (records.size() < m_run->firstReplies() && ++m_verifyScans < PlanRun::VerifyScans) {
        scan();
        return;
    }
    m_run->afterScan(records);
    if (m_stopAfterScan) {
        finish();
    } else if (m_cancel) {
        // Cancelled during the rescan: the next round is what is left out.
        if (m_run->rounds() < PlanRun::MaxRounds)
            for (const PlanSend &s : planSends(m_run->last()))
                m_skipped.insert(s.row);
        finish();
    } else {
        nextRound();
    }
}

void PlanSiteRun::nextRound()
{
    m_sends = m_run->nextSends();
    m_next = 0;
    m_verifyScans = 0;
    if (m_sends.empty()) {
        finish();
        return;
    }
    m_phase = Phase::Sending;
    Q_EMIT progress(m_run->rounds(), 0, int(m_sends.size()));
    sendSome();
}

void PlanSiteRun::sendSome()
{
    const bool wan = m_window->isWanMode();
    SingleTerminalPacket packet = m_window->singleTerminalPacket();
    size_t end = m_sends.size(); // the round's end, or where a cancel cut it
    for (int n = 0; n < PlanRun::SendBatch && m_next < m_sends.size(); ++n) {
        const PlanSend &send = m_sends[m_next];
        // Between terminals: what one terminal is sent goes out whole.
        if (m_cancel && (m_next == 0 || m_sends[m_next - 1].row != send.row)) {
            for (size_t i = m_next; i < m_sends.size(); ++i)
                m_skipped.insert(m_sends[i].row);
            m_stopAfterScan = true;
            end = m_next;
            break;
        }
        const QByteArray bytes = encodePlanSend(packet, send);
        QString why;
        const qint64 sent = wan ? m_window->transport()->send(
                                UdpTransport::Wan, bytes.constData(), bytes.size(), send.address, WanPort, &why)
                                : m_window->transport()->send(UdpTransport::Lan, bytes.constData(), bytes.size(),
                                    QHostAddress(QLatin1String(MulticastGroup)), LanPort, &why);
        ++m_datagrams;
        ++m_next;
        if (sent < 0) {
            // The round goes on; no further round after its rescan.
            m_failed.insert(send.row);
            m_stopAfterScan = true;
            Q_EMIT sendFailed(send.mac, why);
        }
    }
    Q_EMIT progress(m_run->rounds(), int(m_next), int(m_sends.size()));
    if (m_next < end) {
        m_pause.start();
        return;
    }
    m_phase = Phase::Verify;
    scan();
}

void PlanSiteRun::finish()
{
    m_phase = Phase::Idle;
    Q_EMIT finished();
}
