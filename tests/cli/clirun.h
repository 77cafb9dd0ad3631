#pragma once
// Running the real quenzal-cli (QUENZAL_CLI, set by tests/cli/CMakeLists.txt)
// from the CLI tests: its exit code and both outputs.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace clitest {

inline QString s(const char *t)
{
    return QString::fromUtf8(t);
}

inline QStringList sl(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

struct Run
{
    int exit = -1; // -1: did not end in time, -2: crashed
    QByteArray out;
    QByteArray err;
};

// `stdoutFile`: where stdout goes instead of r.out (e.g. /dev/full).
inline Run runCli(const QStringList &args, const QString &workDir = QString(), int timeoutMs = 30000,
    const QString &stdoutFile = QString())
{
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    p.start(QStringLiteral(QUENZAL_CLI), args);
    Run r;
    if (!p.waitForStarted(5000))
        return r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// What a failed check prints.
inline QByteArray why(const Run &r)
{
    return "exit " + QByteArray::number(r.exit) + "\nstdout: " + r.out + "\nstderr: " + r.err;
}

} // namespace clitest
