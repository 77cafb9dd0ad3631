// `quenzal-cli scan` against a LAN query answered by a whole site at once:
// N terminals reply as fast as the simulator can send. Runs the real binary
// inside the namespace rig and prints, per run:
//   - records written out of the replies the simulator sent (every ID of the
//     fleet must be there once);
//   - replies the receive queue lost (the tool's own count);
//   - the time from the end of the quiet wait to the output written, as the
//     tool measures it (QUENZAL_CLI_TIMING=1);
//   - the time from the simulator's last reply to the process's exit, which
//     holds the wait itself (--wait seconds).
// Usage: tests/netns/run-in-netns.sh build/bench/cli/bench_cli_scan [N ...]
// BENCH_FORMAT=table|csv|json (default json), BENCH_WAIT=seconds (default 1).
#include "core/discovery/terminalexport.h"
#include "benchcommon.h"
#include "netnsrig.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <numeric>

namespace {

struct Result
{
    int sent = 0;
    int records = -1;
    bool allIds = false;
    QString lost = QStringLiteral("?");
    double writeMs = -1; // end of the wait to output written
    double exitMs = -1; // last reply sent to process exit
    int exitCode = -1;
};

Result run(int n, const QTemporaryDir &dir, const QString &format, const QString &wait)
{
    Result result;
    const QString config = dir.filePath(QStringLiteral("fleet-%1.conf").arg(n));
    if (!bench::writeShuffledFleet(n, config))
        return result;

    auto sim = testrig::startInTerminalNetns(testrig::toolProgram(QStringLiteral("quenzal-terminal-sim")),
        { QStringLiteral("--config"), config, QStringLiteral("--log"),
            dir.filePath(QStringLiteral("sim-%1.log").arg(n)), QStringLiteral("--seconds"), QStringLiteral("120"),
            QStringLiteral("--lan-only") });
    if (!testrig::waitForLine(*sim, "ready", 20000)) {
        std::fprintf(stderr, "simulator did not start\n");
        return result;
    }

    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUENZAL_CLI_TIMING"), QStringLiteral("1"));
    cli.setProcessEnvironment(env);
    const QString out = dir.filePath(QStringLiteral("scan-%1.out").arg(n));
    cli.setStandardOutputFile(out);
    cli.start(QStringLiteral(QUENZAL_CLI),
        { QStringLiteral("scan"), QStringLiteral("--format"), format, QStringLiteral("--wait"), wait });
    qint64 lastSentNs = 0;
    qint64 exitNs = 0;
    const qint64 deadline = bench::monotonicNs() + 120LL * 1000000000;
    while (bench::monotonicNs() < deadline) {
        if (sim->waitForReadyRead(5)) {
            while (sim->canReadLine()) {
                const QList<QByteArray> parts = sim->readLine().trimmed().split(' ');
                if (parts.size() == 3 && parts[0] == "replied") {
                    result.sent = parts[1].toInt();
                    lastSentNs = parts[2].toLongLong();
                }
            }
        }
        if (cli.state() == QProcess::NotRunning || cli.waitForFinished(1)) {
            exitNs = bench::monotonicNs();
            break;
        }
    }
    if (!exitNs) {
        cli.kill();
        cli.waitForFinished(5000);
        return result;
    }
    result.exitCode = cli.exitCode();
    if (lastSentNs)
        result.exitMs = double(exitNs - lastSentNs) / 1e6;
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        std::fprintf(stderr, "%s", qPrintable(err));
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("timing: (\\d+) records, (\\d+) replies, (\\d+) ms")).match(err);
    if (m.hasMatch())
        result.writeMs = m.captured(3).toDouble();
    const QRegularExpressionMatch lost = QRegularExpression(QStringLiteral("(\\d+) replies were lost")).match(err);
    result.lost = lost.hasMatch() ? lost.captured(1) : QStringLiteral("0");

    QFile o(out);
    if (!o.open(QIODevice::ReadOnly))
        return result;
    const QByteArray bytes = o.readAll();
    QSet<int> seen;
    if (format == QLatin1String("json")) {
        const quenzal::JsonImport in = quenzal::terminalsFromJson(bytes);
        result.records = int(in.rows.size());
        for (const quenzal::ExportRow &r : in.rows)
            seen.insert(r.texts[0].toInt());
    } else {
        const QList<QByteArray> lines = bytes.trimmed().split('\n');
        result.records = int(lines.size()) - 1; // header
        for (const QByteArray &line : lines.mid(1))
            seen.insert(line.left(line.indexOf(format == QLatin1String("csv") ? ',' : ' ')).toInt());
    }
    result.allIds = seen.size() == n && result.records == n;
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
    const QList<int> sizes = bench::sizesFromArguments(argc, argv, { 10000 });
    const QString format = qEnvironmentVariable("BENCH_FORMAT", QStringLiteral("json"));
    const QString wait = qEnvironmentVariable("BENCH_WAIT", QStringLiteral("1"));
    QTemporaryDir dir;
    std::printf(
        "%-6s %7s %17s %6s %5s %16s %16s\n", "format", "N", "records/sent", "ids", "lost", "write ms", "exit after ms");
    for (int n : sizes) {
        const Result r = run(n, dir, format, wait);
        std::printf("%-6s %7d %8d/%-8d %6s %5s %16.0f %16.0f\n", qPrintable(format), n, r.records, r.sent,
            r.allIds ? "all" : "MISS", qPrintable(r.lost), r.writeMs, r.exitMs);
        std::fflush(stdout);
    }
    return 0;
}
