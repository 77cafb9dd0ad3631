#pragma once
// What the benchmarks share: the clock that the simulator's "replied N ns"
// lines use too, a fleet file for the simulator, the process's resident
// memory, an event loop left to run, the GUI-stall meter, and the sizes
// given on the command line.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

struct sqlite3;

namespace bench {

// CLOCK_MONOTONIC in nanoseconds, the simulator's clock for its reports.
qint64 monotonicNs();

// Resident memory of this process in KiB (Linux /proc); -1 where unknown.
long residentKib();

// Runs the event loop for `ms` milliseconds.
void settle(int ms);

// The positive numbers among the arguments, or `defaults` when there are
// none.
QList<int> sizesFromArguments(int argc, char *argv[], const QList<int> &defaults);

// A fleet of `n` terminals with distinct IDs 1..n in random order (so the
// list's own sorting has work to do), addresses 10.20.x.y and MACs
// 02:00:00:00:xx:yy, written to `path`. False when the file cannot be
// written.
bool writeShuffledFleet(int n, const QString &path);

// Runs SQL that must work (a benchmark's own fixtures): exits the process
// with the error otherwise.
void execOrExit(sqlite3 *db, const char *sql);

// Runs the event loop until the child of `root` named `name` is enabled
// again (the database window's refresh button is off while an operation
// runs). Returns at once where it is on already or missing: on trees where
// the window works on the GUI thread the slot has returned with the work done.
void waitUntilEnabled(QObject *root, const QString &name);

// The longest gap between two ticks of a precise timer on the thread that
// runs it: how long that thread (the GUI thread) could not answer.
class StallMeter
{
public:
    explicit StallMeter(int periodMs = 5);
    void start();
    void stop();
    qint64 longestNs() const { return m_longest; }
    // Called after each tick with the gap that ended there.
    std::function<void(qint64 gapNs, qint64 nowNs)> onTick;

private:
    QTimer m_timer;
    int m_period;
    qint64 m_lastTick = 0;
    qint64 m_longest = 0;
};

} // namespace bench
