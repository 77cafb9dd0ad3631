// `quenzal-cli apply` commissioning a factory-fresh site: N terminals that
// all answer with ID 1 and one address are brought to a plan that gives each
// its own ID and address (LAN, the real binary against the simulator inside
// the namespace rig). Prints per N: the wall time from start to exit, the
// exit code (0: every terminal verified), the commands sent, the LAN queries
// (one per scan), the rounds, and the terminals the report shows verified.
// Usage: tests/netns/run-in-netns.sh build/bench/cli/bench_apply [N ...]
// (default 100 1000 10000); BENCH_WAIT=seconds of the scans' quiet wait
// (default 1). Uses the binary only, so it builds on any tree; on a tree
// without `apply` every run ends with exit 2.
#include "benchcommon.h"
#include "netnsrig.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Result
{
    double seconds = -1;
    int exitCode = -1;
    int commands = -1;
    int rounds = -1;
    int scans = -1;
    int verified = 0;
};

QString mac(int i)
{
    return QStringLiteral("02:00:00:01:%1:%2")
        .arg((i >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(i & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

bool writeFiles(int n, const QString &fleet, const QString &plan)
{
    QByteArray f("mask = 255.255.0.0\ngateway = 10.20.0.254\nserver = 10.20.0.253\n");
    QByteArray p("mac,id,ip\n");
    for (int i = 0; i < n; ++i) {
        f += QStringLiteral("[terminal]\nid = 1\nip = 10.20.0.1\nmac = %1\n").arg(mac(i)).toUtf8();
        p += QStringLiteral("%1,%2,10.20.%3.%4\n").arg(mac(i)).arg(i + 1).arg(1 + i / 250).arg(1 + i % 250).toUtf8();
    }
    QFile a(fleet), b(plan);
    return a.open(QIODevice::WriteOnly) && a.write(f) == f.size() && b.open(QIODevice::WriteOnly)
        && b.write(p) == p.size();
}

Result run(int n, const QTemporaryDir &dir, const QString &wait)
{
    Result result;
    const QString fleet = dir.filePath(QStringLiteral("fleet-%1.conf").arg(n));
    const QString plan = dir.filePath(QStringLiteral("plan-%1.csv").arg(n));
    const QString report = dir.filePath(QStringLiteral("report-%1.json").arg(n));
    if (!writeFiles(n, fleet, plan))
        return result;
    auto sim = testrig::startInTerminalNetns(testrig::toolProgram(QStringLiteral("quenzal-terminal-sim")),
        { QStringLiteral("--config"), fleet, QStringLiteral("--log"), dir.filePath(QStringLiteral("sim-%1.log").arg(n)),
            QStringLiteral("--seconds"), QStringLiteral("600"), QStringLiteral("--lan-only") });
    if (!testrig::waitForLine(*sim, "ready", 60000)) {
        std::fprintf(stderr, "simulator did not start\n");
        return result;
    }
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    const qint64 start = bench::monotonicNs();
    cli.start(QStringLiteral(QUENZAL_CLI),
        { QStringLiteral("apply"), plan, QStringLiteral("--wait"), wait, QStringLiteral("--report"), report });
    if (!cli.waitForFinished(600000)) {
        cli.kill();
        cli.waitForFinished(5000);
        return result;
    }
    result.seconds = double(bench::monotonicNs() - start) / 1e9;
    result.exitCode = cli.exitCode();
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        std::fprintf(stderr, "%s", qPrintable(err));
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("(\\d+) datagrams sent in (\\d+) round\\(s\\), (\\d+) scan")).match(err);
    if (m.hasMatch()) {
        result.commands = m.captured(1).toInt();
        result.rounds = m.captured(2).toInt();
        result.scans = m.captured(3).toInt();
    }
    QFile r(report);
    if (r.open(QIODevice::ReadOnly))
        for (const QJsonValue &v : QJsonDocument::fromJson(r.readAll()).array())
            if (v.toObject().value(QStringLiteral("status")).toString() == QLatin1String("ok"))
                ++result.verified;
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (!testrig::inTestNetns()) {
        std::fprintf(stderr, "%s\n", testrig::notInNetnsReason());
        return 77;
    }
    const QList<int> sizes = bench::sizesFromArguments(argc, argv, { 100, 1000, 10000 });
    const QString wait = qEnvironmentVariable("BENCH_WAIT", QStringLiteral("1"));
    QTemporaryDir dir;
    std::printf("%7s %10s %5s %9s %9s %7s %9s\n", "N", "seconds", "exit", "commands", "queries", "rounds", "verified");
    for (int n : sizes) {
        const Result r = run(n, dir, wait);
        // One LAN query per scan.
        std::printf(
            "%7d %10.2f %5d %9d %9d %7d %9d\n", n, r.seconds, r.exitCode, r.commands, r.scans, r.rounds, r.verified);
        std::fflush(stdout);
    }
    return 0;
}
