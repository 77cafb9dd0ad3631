#pragma once
// The database window's worker: runs one database operation at a time on a
// thread of its own, queues the ones asked for meanwhile, and hands each
// result back to the GUI thread. A plain std::thread rather than Qt's
// thread pool: every hand-over between the threads is then one that
// ThreadSanitizer sees (thread start and join, std::mutex), not a queue
// inside Qt.
//
// An operation is a function run on the worker with an OperationControl
// (the core's hooks for lock waits, progress and cancel); it returns the
// function that shows its result, which runs on the GUI thread once the
// worker is done, unless the operation was cancelled. A result too large to
// show at once (a long list) is shown in slices: the function returns true
// while it has more to show and is called again from a zero timer (not a
// posted event: a chain of posted events keeps Qt's timers from firing, the
// window's own among them), so the window keeps answering; until it returns false the
// operation counts as running. What the worker
// reports is coalesced: the GUI thread hears the latest state once per
// turn of its event loop, however often the worker reports. The runner
// never blocks the GUI thread, except when it is destroyed: it cancels
// then and waits for the worker to notice, which takes at most one step
// (one page copy, a few thousand SQLite instructions, one 10 ms lock poll).
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <thread>

#include "core/serverdb/sqliteraii.h"

class OperationRunner : public QObject
{
    Q_OBJECT

public:
    // Shows (a slice of) a result; true: call again for the next slice.
    using Shower = std::function<bool()>;
    using Work = std::function<Shower(const quenzal::serverdb::OperationControl &)>;

    explicit OperationRunner(QObject *parent = nullptr);
    ~OperationRunner() override;

    // Runs `work` now, or after the operations before it. `doing` says what
    // it does, for the window's message line.
    void run(const QString &doing, Work work);
    // An operation runs or waits for its turn.
    bool busy() const;
    // Stops the running operation (its result is not shown) and drops the
    // waiting ones.
    void cancel();

Q_SIGNALS:
    void busyChanged(bool busy);
    // An operation starts.
    void started(const QString &doing);
    // The server holds its lock; the operation has waited `waitedMs` of at
    // most `timeoutMs`.
    void waitingForLock(int waitedMs, int timeoutMs);
    // done of total units (total 0: unknown); the lock, if any, has gone.
    void progressed(qint64 done, qint64 total);
    void cancelled();

private:
    struct Job;
    void startNext();
    void onFinished(const std::shared_ptr<Job> &job);
    void showSlice();
    void deliver(const std::shared_ptr<Job> &job);

    std::deque<std::pair<QString, Work>> m_queue;
    std::shared_ptr<Job> m_job;
    std::thread m_thread; // runs m_job's work
    Shower m_shower; // the result being shown, slice by slice
    QTimer m_sliceTimer; // the next slice
    bool m_inShower = false;
    bool m_showCancelled = false;
};
