#pragma once
// Helpers for tests that open the tool's sockets. Such tests run only inside
// the namespaces that tests/netns/run-in-netns.sh makes; everything they send
// stays inside those namespaces.
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace testrig {

// True inside the namespace pair of run-in-netns.sh.
bool inTestNetns();
// Why a test refuses to run outside it (for QSKIP).
const char *notInNetnsReason();

QString toolAddress();     // 198.18.0.1
QString terminalAddress(); // 198.18.0.2

// Adds an address (without prefix, /16 is used) to the terminal namespace.
bool addTerminalAddress(const QString &address);

// Path of a program built in tools/.
QString toolProgram(const QString &name);

// Starts a program in the terminal namespace; the process is killed when the
// returned object goes away.
std::unique_ptr<QProcess> startInTerminalNetns(const QString &program, const QStringList &args);
// The same in another namespace (the second terminal namespace of
// run-in-netns.sh --second-pair, QZ_NETNS_TERM2).
std::unique_ptr<QProcess> startInNetns(const QString &netns, const QString &program, const QStringList &args);

// Waits until the process prints a line containing `marker` on stdout.
bool waitForLine(QProcess &process, const QByteArray &marker, int timeoutMs = 5000);

// One run of quenzal-terminal-sim in the terminal namespace, its fleet file
// and log in a folder of the test's. It stops by itself after 60 s.
class Simulator
{
public:
    // Writes the fleet file <dir>/<name>.conf, starts the simulator (any run
    // before is stopped) and waits until it listens.
    bool start(const QString &dir, const QByteArray &fleet, const QString &name);
    // The same in the namespace `netns` instead of the terminal namespace.
    bool start(const QString &dir, const QByteArray &fleet, const QString &name, const QString &netns);
    void stop();
    // The non-empty lines of the log, or those that contain `containing`
    // (sync()'s markers left out).
    QList<QByteArray> logLines(const QByteArray &containing = QByteArray()) const;
    // Sends a marker datagram and waits until the simulator has logged it:
    // every datagram that reached it before (from the tool, the window or
    // quenzal-cli) is in the log by then. A check that something was not
    // sent reads the log after this, instead of after a fixed wait.
    bool sync(int timeoutMs = 5000);

private:
    std::unique_ptr<QProcess> m_process;
    QString m_log;
    QString m_address; // where the marker goes: the namespace's first address
    int m_syncs = 0;
};

} // namespace testrig
