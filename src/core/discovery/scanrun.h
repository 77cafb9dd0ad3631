#pragma once
// One scan from its first query to the end of its replies, the same for the
// window and for quenzal-cli's `scan` and `renumber`.
//
// A LAN scan is one query to the group; a WAN scan one query per address of
// the range, one address per 5 ms step, the range read afresh at every step
// (the window's fields may be edited while it runs). Once the last query is
// out (or the scan was stopped) the run waits for the replies to stop: every
// datagram restarts the wait, and when it runs out the scan is over.
//
// The wait is counted either on the run's own timer, in milliseconds after
// the last datagram (quenzal-cli's --wait), or in ticks of the driver's clock
// (the window's 500 ms system tick, which also sorts the list). The run
// sends nothing itself: it says when a query is due, and its driver writes
// the query into its packet and sends it by its own socket.
#include "core/discovery/scanrange.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace quenzal {

class ScanRun : public QObject
{
    Q_OBJECT

public:
    explicit ScanRun(QObject *parent = nullptr);

    // Time between two WAN queries, and how exactly the timer keeps it.
    static constexpr int StepMs = 5;
    void setStepTimerType(Qt::TimerType type) { m_step.setTimerType(type); }

    // The quiet wait on the run's own timer: `ms` without a datagram.
    void setQuietMs(int ms);
    // The quiet wait in ticks of the driver's clock (tick()): the scan is over
    // on the tick that finds the countdown at 0. It starts at `afterLanQuery`
    // when a LAN query went out and at `afterLast` when the last WAN query
    // went out, the scan was stopped or a datagram came.
    void setQuietTicks(int afterLanQuery, int afterLast);

    // Sends the LAN query (lanQueryDue) and waits. A WAN scan still stepping
    // goes on: its queries and its end are its own.
    void startLan();
    // Steps through `count` addresses (none when count <= 0: the first step
    // ends the scan); `range` gives the scan fields at each step.
    void startWan(int count, std::function<ScanFields()> range);
    // No further WAN query; the replies are still waited for.
    void stop();

    // Datagrams came (status replies or not, from either socket).
    void datagramsArrived();
    // Replies counted since the scan began (the drivers say what counts).
    void countReplies(int n) { m_replies += n; }
    // One tick of the driver's clock (only with setQuietTicks).
    void tick();

    bool stepping() const { return m_step.isActive(); }
    bool waiting() const { return m_waiting; }
    bool stopped() const { return m_stopped; }
    int count() const { return m_count; }
    int done() const { return m_done; } // WAN queries due so far
    const QByteArray &address() const { return m_address; } // of the last WAN query due
    int replies() const { return m_replies; }

Q_SIGNALS:
    void lanQueryDue();
    // The query of step done() - 1, to `address` (dotted text; it may not
    // parse, as an octet past 255 does, and the step still counts).
    void wanQueryDue(const QByteArray &address);
    // The last WAN query went out, or the scan was stopped.
    void sendingFinished(bool stopped);
    // The replies have stopped: the scan is over.
    void quiet(bool stopped);

private:
    void step();
    void beginWait(int ticks);
    void end();

    QTimer m_step;
    QTimer m_quiet;
    bool m_byTicks = false;
    int m_ticksAfterLan = 0;
    int m_ticksAfterLast = 0;
    int m_countdown = -1;
    bool m_waiting = false;
    bool m_stopped = false;
    int m_count = 0;
    int m_done = 0;
    int m_replies = 0;
    std::function<ScanFields()> m_range;
    QByteArray m_address;
};

} // namespace quenzal
