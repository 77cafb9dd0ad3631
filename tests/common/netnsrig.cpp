#include "netnsrig.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>

namespace testrig {

bool inTestNetns()
{
    return !qEnvironmentVariableIsEmpty("QZ_NETNS_TERM") && !qEnvironmentVariableIsEmpty("QZ_NETNS_TOOL");
}

const char *notInNetnsReason()
{
    return "opens the tool's sockets: run it through tests/netns/run-in-netns.sh (ctest does)";
}

QString toolAddress()
{
    return qEnvironmentVariable("QZ_TOOL_ADDR", QStringLiteral("198.18.0.1"));
}

QString terminalAddress()
{
    return qEnvironmentVariable("QZ_TERM_ADDR", QStringLiteral("198.18.0.2"));
}

bool addTerminalAddress(const QString &address)
{
    const QStringList args{QStringLiteral("-n"), qEnvironmentVariable("QZ_NETNS_TERM"), QStringLiteral("addr"),
                           QStringLiteral("replace"), address + QStringLiteral("/16"), QStringLiteral("dev"),
                           qEnvironmentVariable("QZ_TERM_IF")};
    return QProcess::execute(QStringLiteral("ip"), args) == 0;
}

QString toolProgram(const QString &name)
{
    QString dir = qEnvironmentVariable("QUENZAL_TOOLS_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../../tools");
    return QDir(dir).absoluteFilePath(name);
}

std::unique_ptr<QProcess> startInTerminalNetns(const QString &program, const QStringList &args)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::SeparateChannels);
    QStringList full{QStringLiteral("netns"), QStringLiteral("exec"), qEnvironmentVariable("QZ_NETNS_TERM"), program};
    full += args;
    process->start(QStringLiteral("ip"), full);
    process->waitForStarted(5000);
    return std::unique_ptr<QProcess>(process.release());
}

bool waitForLine(QProcess &process, const QByteArray &marker, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QByteArray seen;
    while (!deadline.hasExpired()) {
        if (process.canReadLine() || process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            while (process.canReadLine()) {
                const QByteArray line = process.readLine();
                if (line.contains(marker))
                    return true;
            }
        }
        if (process.state() == QProcess::NotRunning)
            return false;
    }
    return false;
}

} // namespace testrig
