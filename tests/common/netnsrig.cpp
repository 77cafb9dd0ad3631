#include "netnsrig.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QThread>
#include <QUdpSocket>

namespace testrig {

namespace {

// sync()'s datagram: the simulator logs it in its turn and gives it to no
// terminal.
const QByteArray SyncMarker("qz-sync-");
const QByteArray SyncHex = SyncMarker.toHex(' ');
constexpr quint16 SimulatorLanPort = 12682;

} // namespace

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
    return startInNetns(qEnvironmentVariable("QZ_NETNS_TERM"), program, args);
}

std::unique_ptr<QProcess> startInNetns(const QString &netns, const QString &program, const QStringList &args)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::SeparateChannels);
    QStringList full{QStringLiteral("netns"), QStringLiteral("exec"), netns, program};
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

bool Simulator::start(const QString &dir, const QByteArray &fleet, const QString &name)
{
    return start(dir, fleet, name, qEnvironmentVariable("QZ_NETNS_TERM"));
}

bool Simulator::start(const QString &dir, const QByteArray &fleet, const QString &name, const QString &netns)
{
    stop();
    m_address = netns == qEnvironmentVariable("QZ_NETNS_TERM2") ? qEnvironmentVariable("QZ_TERM2_ADDR")
                                                               : terminalAddress();
    const QString config = QDir(dir).filePath(name + QStringLiteral(".conf"));
    m_log = QDir(dir).filePath(name + QStringLiteral(".log"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly) || f.write(fleet) != fleet.size())
        return false;
    f.close();
    m_process = startInNetns(netns, toolProgram(QStringLiteral("quenzal-terminal-sim")),
                                     {QStringLiteral("--config"), config, QStringLiteral("--log"), m_log,
                                      QStringLiteral("--seconds"), QStringLiteral("60"), QStringLiteral("--log-local")});
    return waitForLine(*m_process, "ready", 10000);
}

void Simulator::stop()
{
    m_process.reset();
}

QList<QByteArray> Simulator::logLines(const QByteArray &containing) const
{
    QFile f(m_log);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> out;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith(SyncHex) && (containing.isEmpty() || line.contains(containing)))
            out << line;
    }
    return out;
}

bool Simulator::sync(int timeoutMs)
{
    if (!m_process)
        return false;
    // The simulator's LAN socket takes datagrams to any of its addresses.
    const QByteArray marker = SyncMarker + QByteArray::number(++m_syncs) + '.';
    QUdpSocket socket;
    if (socket.writeDatagram(marker, QHostAddress(m_address), SimulatorLanPort) != marker.size())
        return false;
    const QByteArray line = marker.toHex(' ') + ' ';
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QFile f(m_log);
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(line))
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return false;
}

} // namespace testrig
