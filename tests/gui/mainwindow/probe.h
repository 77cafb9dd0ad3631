#pragma once
// Helpers of the namespace tests of the command set: a UDP probe in the
// terminal namespace that reports every datagram the tool sends, and a catch
// for the modal warnings.
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include "netnsrig.h"

namespace cmdtest {

struct Datagram
{
    QByteArray bytes;
    QByteArray source;
    bool isNull() const { return bytes.isEmpty(); }
};

class Probe
{
public:
    Probe(quint16 port, bool joinGroup)
    {
        QStringList args { QStringLiteral("--port"), QString::number(port), QStringLiteral("--seconds"),
            QStringLiteral("30") };
        if (joinGroup)
            args << QStringLiteral("--group") << QStringLiteral("239.0.0.2");
        m_process = testrig::startInTerminalNetns(testrig::toolProgram(QStringLiteral("quenzal-udp-probe")), args);
    }
    bool ready() { return testrig::waitForLine(*m_process, "ready"); }

    // The next datagram the probe logged, or a null one after the timeout.
    Datagram next(int timeoutMs = 3000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_process->canReadLine() && !deadline.hasExpired())
            m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        if (!m_process->canReadLine())
            return {};
        // "<hex bytes> <source> <port>"
        QList<QByteArray> parts = m_process->readLine().trimmed().split(' ');
        if (parts.size() < 3)
            return {};
        parts.removeLast();
        const QByteArray source = parts.takeLast();
        return Datagram { QByteArray::fromHex(parts.join()), source };
    }

private:
    std::unique_ptr<QProcess> m_process;
};

// Runs action and answers the modal box it opens; returns "title|text" of
// the box, or an empty string when none opened.
inline QString catchWarning(const std::function<void()> &action)
{
    QString seen;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen = box->windowTitle() + QLatin1Char('|') + box->text();
            box->done(QMessageBox::Ok);
        }
    });
    timer.start();
    action();
    timer.stop();
    return seen;
}

} // namespace cmdtest
