#include "core/commands/verifier.h"

namespace quenzal {

Verifier::Verifier(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(VerifyAttemptMs);
    connect(&m_timer, &QTimer::timeout, this, &Verifier::attemptOver);
}

void Verifier::start(const VerifyTarget &target)
{
    m_target = target;
    m_active = true;
    m_attempts = 0;
    m_seen.clear();
    query();
}

void Verifier::query()
{
    ++m_attempts;
    Q_EMIT queryDue();
    m_timer.start();
}

void Verifier::attemptOver()
{
    if (!m_active)
        return;
    if (m_attempts < VerifyAttempts) {
        query();
        return;
    }
    m_active = false;
    Q_EMIT notConfirmed();
}

VerifyMatch Verifier::offer(const TerminalTexts &reply, const QHostAddress &from)
{
    if (!m_active)
        return VerifyMatch::Other;
    const VerifyMatch match = matchVerifyReply(m_target, reply, from);
    if (match == VerifyMatch::Other)
        return match;
    const int column = m_target.expected.column;
    const QString shown = column >= 0 && column < TerminalListColumns ? reply[size_t(column)] : QString();
    if (match == VerifyMatch::Shows) {
        m_active = false;
        m_timer.stop();
        Q_EMIT confirmed(shown);
        return match;
    }
    if (!m_seen.contains(shown))
        m_seen << shown;
    return match;
}

} // namespace quenzal
