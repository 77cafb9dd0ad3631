// scan: the window's query, the replies as records.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/discovery/terminalexport.h"

namespace quenzal::cli {

QByteArray formatTerminals(const std::vector<TerminalTexts> &rows, Format format)
{
    switch (format) {
    case Format::Csv:
        return terminalsToCsv(rows);
    case Format::Json:
        return terminalsToJson(rows);
    case Format::Table:
        break;
    }
    const QStringList header { QStringLiteral("ID"), QStringLiteral("IP"), QStringLiteral("MASK"),
        QStringLiteral("GATEWAY"), QStringLiteral("MAC"), QStringLiteral("SERVER"), QStringLiteral("LINK"),
        QStringLiteral("DHCP"), QStringLiteral("VOL"), QStringLiteral("NET"), QStringLiteral("FW"),
        QStringLiteral("SHARED") };
    std::vector<QStringList> cells;
    cells.reserve(rows.size());
    for (const ExportRow &r : markShared(rows)) {
        QStringList shared;
        if (r.sharedId)
            shared << QStringLiteral("id");
        if (r.sharedIp)
            shared << QStringLiteral("ip");
        if (r.sharedMac)
            shared << QStringLiteral("mac");
        const TerminalTexts &t = r.texts;
        cells.push_back({ t[ColId], t[ColIp], t[ColMask], t[ColGateway], t[ColMac], t[ColServer], t[6], t[ColDhcp],
            t[8], t[ColNetMode], t[10], shared.join(QLatin1Char(',')) });
    }
    return textTable(header, cells);
}

int runScan(const ScanOptions &options)
{
    Session session;
    if (!session.open(options.wan, options.interface))
        return ExitFailure;
    const ScanResult result = session.scan(options);
    reportLosses(result);
    if (!writeOut(formatTerminals(sortedById(result), options.format)))
        return ExitFailure; // said by finishOutput()
    if (qEnvironmentVariableIsSet("QUENZAL_CLI_TIMING"))
        printNote(
            QStringLiteral("timing: %1 records, %2 replies, %3 ms from the end of the wait to the output written; "
                           "receive buffer %4 bytes, reader thread %5")
                .arg(result.records.size())
                .arg(result.replies)
                .arg(session.clockMs() - result.waitEndedMs)
                .arg(session.transport().status().lanReceiveBuffer)
                .arg(session.transport().status().readerThread ? QStringLiteral("yes") : QStringLiteral("no")));
    return scanOutcome(result, options);
}

} // namespace quenzal::cli
