// renumber: the window's automatic ID assignment (or MAC repair) on a scan.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/commands/commandpackets.h"
#include "core/discovery/numbering.h"

#include "core/export/json.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

namespace quenzal::cli {

namespace {

QString destination(bool wan, const QString &rowAddress)
{
    if (!wan)
        return QStringLiteral("%1:%2").arg(QLatin1String(MulticastGroup)).arg(LanPort);
    const QHostAddress a = parseAddressText(rowAddress);
    return a.isNull() ? QStringLiteral("-") : QStringLiteral("%1:%2").arg(a.toString()).arg(WanPort);
}

int distinctCount(const std::vector<TerminalTexts> &rows, int column)
{
    QSet<QString> seen;
    for (const TerminalTexts &r : rows)
        seen.insert(r[size_t(column)]);
    return int(seen.size());
}

} // namespace

int runRenumber(const RenumberOptions &o)
{
    Session session;
    if (!session.open(o.scan.wan, o.scan.interface))
        return ExitFailure;
    const ScanResult scanned = session.scan(o.scan);
    reportLosses(scanned);
    // A plan made without every terminal could hand out an ID that a
    // terminal the scan missed already has.
    if (const int failed = scanOutcome(scanned, o.scan))
        return failed;
    // The list as the window shows it once replies stop: sorted by the ID
    // text, replies in arrival order among equal IDs.
    std::vector<TerminalTexts> rows = inArrivalOrder(scanned);
    sortTerminalTexts(rows, ColId);

    std::vector<QByteArray> packets;
    std::vector<QHostAddress> to;
    std::vector<QStringList> plan;
    QJsonArray planJson;
    SingleTerminalPacket &packet = session.packet();
    QStringList header;
    if (!o.mac) {
        header = QStringList { QStringLiteral("OLD"), QStringLiteral("NEW"), QStringLiteral("MAC"),
            QStringLiteral("DESTINATION") };
        for (const IdChange &c : planSharedIds(rows, o.start)) {
            writeIdChange(packet, c.oldId, c.newId, c.mac);
            packets.push_back(packet.bytes());
            to.push_back(parseAddressText(c.address));
            plan.push_back({ idText(c.oldId), QStringLiteral("-> %1").arg(idText(c.newId)), c.mac,
                destination(o.scan.wan, c.address) });
            planJson.append(QJsonObject { { QStringLiteral("old_id"), c.oldId }, { QStringLiteral("new_id"), c.newId },
                { QStringLiteral("mac"), c.mac }, { QStringLiteral("destination"), plan.back().at(3) } });
        }
    } else {
        header = QStringList { QStringLiteral("ID"), QStringLiteral("OLD MAC"), QStringLiteral("NEW MAC"),
            QStringLiteral("DESTINATION") };
        for (const MacRepair &r : planSharedMacs(rows)) {
            writeFactoryReset(packet, r.id);
            packets.push_back(packet.bytes());
            to.push_back(parseAddressText(r.address));
            plan.push_back(
                { idText(r.id), r.oldMac, QStringLiteral("-> %1").arg(r.newMac), destination(o.scan.wan, r.address) });
            planJson.append(QJsonObject { { QStringLiteral("id"), r.id }, { QStringLiteral("old_mac"), r.oldMac },
                { QStringLiteral("new_mac"), r.newMac }, { QStringLiteral("destination"), plan.back().at(3) } });
        }
    }
    if (!writeOut(o.scan.format == Format::Json ? jsonArrayBytes(planJson) : textTable(header, plan)))
        return ExitFailure; // said by finishOutput()
    printNote(QStringLiteral("%1 terminals, %2 %3")
                  .arg(rows.size())
                  .arg(plan.size())
                  .arg(o.mac ? QStringLiteral("factory resets planned") : QStringLiteral("ID changes planned")));
    if (o.dryRun)
        return ExitOk;

    // Back to back, as the window's pass sends them.
    int unsent = 0;
    for (size_t i = 0; i < packets.size(); ++i) {
        QString why = QStringLiteral("no address");
        const bool sent = o.scan.wan ? (!to[i].isNull() && session.sendWan(packets[i], to[i], &why))
                                     : session.sendLan(packets[i], &why);
        if (!sent) {
            ++unsent;
            printError(QStringLiteral("packet %1 could not be sent: %2").arg(i + 1).arg(why));
        }
    }

    const ScanResult after = session.scan(o.scan);
    reportLosses(after);
    if (unsent) {
        printError(QStringLiteral("%1 of %2 packets could not be sent").arg(unsent).arg(packets.size()));
        return ExitFailure;
    }
    if (const int failed = scanOutcome(after, o.scan))
        return failed;
    const std::vector<TerminalTexts> now = inArrivalOrder(after);
    const int column = o.mac ? ColMac : ColId;
    const int distinct = distinctCount(now, column);
    if (distinct == int(now.size())) {
        printNote(QStringLiteral("rescan: %1 terminals, every %2 distinct")
                      .arg(now.size())
                      .arg(o.mac ? QStringLiteral("MAC") : QStringLiteral("ID")));
        return ExitOk;
    }
    printError(QStringLiteral("rescan: %1 terminals, only %2 distinct %3")
                   .arg(now.size())
                   .arg(distinct)
                   .arg(o.mac ? QStringLiteral("MACs") : QStringLiteral("IDs")));
    return ExitNotVerified;
}

} // namespace quenzal::cli
