#include "core/discovery/scanrun.h"

namespace quenzal {

ScanRun::ScanRun(QObject *parent)
    : QObject(parent)
{
    // Named for traces of the event loop (which timer held it).
    m_step.setObjectName(QStringLiteral("scanStep"));
    m_quiet.setObjectName(QStringLiteral("scanQuiet"));
    m_step.setInterval(StepMs);
    connect(&m_step, &QTimer::timeout, this, &ScanRun::step);
    m_quiet.setSingleShot(true);
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        // A LAN scan begun while a WAN scan still steps waits for its end,
        // which starts the wait afresh.
        if (!stepping())
            end();
    });
}

void ScanRun::setQuietMs(int ms)
{
    m_byTicks = false;
    m_quiet.setInterval(qMax(0, ms));
}

void ScanRun::setQuietTicks(int afterLanQuery, int afterLast)
{
    m_byTicks = true;
    m_ticksAfterLan = afterLanQuery;
    m_ticksAfterLast = afterLast;
}

void ScanRun::startLan()
{
    m_replies = 0;
    m_stopped = false;
    Q_EMIT lanQueryDue();
    beginWait(m_ticksAfterLan);
}

void ScanRun::startWan(int count, std::function<ScanFields()> range)
{
    m_replies = 0;
    m_stopped = false;
    // The wait begins with the last query, not before.
    m_waiting = false;
    m_countdown = -1;
    m_quiet.stop();
    m_count = count;
    m_done = 0;
    m_range = std::move(range);
    m_step.start();
}

void ScanRun::step()
{
    if (m_done >= m_count) {
        m_step.stop();
        m_stopped = false;
        beginWait(m_ticksAfterLast);
        Q_EMIT sendingFinished(false);
        return;
    }
    m_address = scanStepAddress(m_range ? m_range() : ScanFields(), m_done);
    ++m_done;
    Q_EMIT wanQueryDue(m_address);
}

void ScanRun::stop()
{
    if (!stepping())
        return;
    m_step.stop();
    m_stopped = true;
    beginWait(m_ticksAfterLast);
    Q_EMIT sendingFinished(true);
}

void ScanRun::beginWait(int ticks)
{
    m_waiting = true;
    if (m_byTicks)
        m_countdown = ticks;
    else
        m_quiet.start();
}

void ScanRun::datagramsArrived()
{
    // While queries still go out the wait has not begun; the last query
    // starts it.
    if (!m_waiting)
        return;
    if (m_byTicks)
        m_countdown = m_ticksAfterLast;
    else
        m_quiet.start();
}

void ScanRun::tick()
{
    if (!m_byTicks || !m_waiting || stepping())
        return;
    if (m_countdown-- == 0)
        end();
}

void ScanRun::end()
{
    m_waiting = false;
    m_countdown = -1;
    m_quiet.stop();
    Q_EMIT quiet(m_stopped);
}

} // namespace quenzal
