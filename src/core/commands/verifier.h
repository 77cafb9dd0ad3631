#pragma once
// The verification run after a command: up to three queries, one second
// apart, until a reply from the terminal shows the expected value. The
// window's "发送后确认" and quenzal-cli's `set` run it the same way; which
// reply speaks for the terminal and what it must show is verify.h's.
//
// The verifier sends nothing itself: it says when a query is due, and its
// driver writes the query (LAN or WAN, as the target says) and sends it.
// Replies are handed in by the driver as they come.
#include "core/commands/verify.h"

#include <QObject>
#include <QTimer>

namespace quenzal {

class Verifier : public QObject
{
    Q_OBJECT

public:
    explicit Verifier(QObject *parent = nullptr);
    // How exactly the second between two queries is kept.
    void setTimerType(Qt::TimerType type) { m_timer.setTimerType(type); }
    // The time between two queries: VerifyAttemptMs unless a test (or a
    // driver with another rhythm) sets it before start().
    void setAttemptMs(int ms) { m_timer.setInterval(ms); }
    int attemptMs() const { return m_timer.interval(); }

    // Starts over for `target`: the first query at once, each further one
    // when attemptMs() passed without a reply that shows the value.
    void start(const VerifyTarget &target);
    // A status reply (decoded) from `from`, while the verification runs.
    VerifyMatch offer(const TerminalTexts &reply, const QHostAddress &from);

    bool active() const { return m_active; }
    const VerifyTarget &target() const { return m_target; }
    int attempts() const { return m_attempts; }
    // What the terminal's replies showed instead, each text once, in order
    // of first sight; empty when it did not answer.
    const QStringList &seen() const { return m_seen; }

Q_SIGNALS:
    // Send one query about target() now.
    void queryDue();
    // A reply showed the value (`shown`, the text of its column).
    void confirmed(const QString &shown);
    // The last query's second passed without such a reply.
    void notConfirmed();

private:
    void query();
    void attemptOver();

    QTimer m_timer;
    VerifyTarget m_target;
    bool m_active = false;
    int m_attempts = 0;
    QStringList m_seen;
};

} // namespace quenzal
