#include "gui/databasewindow/operationrunner.h"

#include <atomic>
#include <mutex>

using quenzal::serverdb::OperationControl;

// What the worker and the GUI thread share of one operation. The mutex (not
// Qt's own hand-over) orders every access, so ThreadSanitizer sees it.
struct OperationRunner::Job
{
    std::atomic<bool> cancel { false };
    std::mutex mutex;
    Shower shower; // the worker's result
    int event = -1; // the latest report: OperationControl::Event
    qint64 done = 0, total = 0;
    bool deliveryPosted = false;
};

OperationRunner::OperationRunner(QObject *parent)
    : QObject(parent)
{
    m_sliceTimer.setSingleShot(true);
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &OperationRunner::showSlice);
}

OperationRunner::~OperationRunner()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
}

bool OperationRunner::busy() const
{
    return m_job || m_shower || !m_queue.empty();
}

void OperationRunner::run(const QString &doing, Work work)
{
    const bool wasBusy = busy();
    m_queue.emplace_back(doing, std::move(work));
    if (!wasBusy)
        Q_EMIT busyChanged(true);
    startNext();
}

void OperationRunner::cancel()
{
    m_queue.clear();
    if (m_job)
        m_job->cancel = true;
    if (m_shower)
        m_showCancelled = true;
}

void OperationRunner::startNext()
{
    if (m_job || m_shower)
        return;
    if (m_queue.empty()) {
        Q_EMIT busyChanged(false);
        return;
    }
    auto [doing, work] = std::move(m_queue.front());
    m_queue.pop_front();
    auto job = std::make_shared<Job>();
    m_job = job;
    Q_EMIT started(doing);
    if (m_thread.joinable())
        m_thread.join(); // the last operation's thread, already at its end
    m_thread = std::thread([this, job, work = std::move(work)] {
        OperationControl control;
        control.cancelled = [job] { return job->cancel.load(); };
        control.progress = [this, job](OperationControl::Event event, qint64 done, qint64 total) {
            std::lock_guard<std::mutex> lock(job->mutex);
            job->event = event;
            job->done = done;
            job->total = total;
            if (job->deliveryPosted)
                return;
            job->deliveryPosted = true;
            // The runner outlives the worker (its destructor waits), and a
            // call queued to it after it is gone is dropped.
            QMetaObject::invokeMethod(
                this, [this, job] { deliver(job); }, Qt::QueuedConnection);
        };
        if (!job->cancel) {
            Shower shower = work(control);
            std::lock_guard<std::mutex> lock(job->mutex);
            job->shower = std::move(shower);
        }
        // The thread's last act; a call queued to the runner after it is
        // gone is dropped (and its destructor joins this thread first).
        QMetaObject::invokeMethod(
            this, [this, job] { onFinished(job); }, Qt::QueuedConnection);
    });
}

void OperationRunner::deliver(const std::shared_ptr<Job> &job)
{
    int event;
    qint64 done, total;
    {
        std::lock_guard<std::mutex> lock(job->mutex);
        job->deliveryPosted = false;
        event = job->event;
        done = job->done;
        total = job->total;
    }
    if (job != m_job || job->cancel)
        return; // a report that arrived after its operation ended
    if (event == OperationControl::WaitingForLock)
        Q_EMIT waitingForLock(int(done), int(total));
    else
        Q_EMIT progressed(done, total);
}

void OperationRunner::onFinished(const std::shared_ptr<Job> &finished)
{
    if (finished != m_job)
        return;
    std::shared_ptr<Job> job = std::move(m_job);
    if (m_thread.joinable())
        m_thread.join(); // it has posted this call as its last act
    Shower shower;
    {
        std::lock_guard<std::mutex> lock(job->mutex);
        shower = std::move(job->shower);
    }
    if (job->cancel) {
        Q_EMIT cancelled();
    } else if (shower) {
        m_shower = std::move(shower);
        m_showCancelled = false;
        showSlice();
        return;
    }
    startNext();
}

void OperationRunner::showSlice()
{
    if (!m_shower || m_inShower)
        return;
    bool more = false;
    if (!m_showCancelled) {
        // A message box shown here runs its own event loop: the next
        // operation waits until the result is shown.
        m_inShower = true;
        more = m_shower();
        m_inShower = false;
    }
    if (more && !m_showCancelled) {
        m_sliceTimer.start();
        return;
    }
    m_shower = nullptr; // frees what was not shown
    if (m_showCancelled)
        Q_EMIT cancelled();
    m_showCancelled = false;
    startNext();
}
