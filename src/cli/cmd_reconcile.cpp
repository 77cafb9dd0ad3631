// reconcile: the database's Terminal table against the terminals that answer.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/discovery/reconcile.h"
#include "core/discovery/terminalexport.h"
#include "core/export/csv.h"
#include "core/export/json.h"
#include "core/export/records.h"
#include "core/serverdb/dbcore.h"

#include <QJsonArray>

namespace quenzal::cli {

using namespace quenzal::serverdb;

int runReconcile(const ReconcileOptions &o)
{
    // The file first: a database that cannot be read costs no scan.
    const TerminalListing listing = readTerminals(o.database);
    if (!listing.ok) {
        printError(QStringLiteral("cannot read the Terminal table of %1: %2").arg(o.database, listing.error));
        return ExitFailure;
    }
    std::vector<TerminalIdentity> database;
    for (const TerminalRow &r : listing.rows)
        database.push_back(TerminalIdentity { r.texts[kColId], r.texts[kColIp], r.texts[kColMac], r.texts[kColName] });

    Session session;
    if (!session.open(o.scan.wan, o.scan.interface))
        return ExitFailure;
    const ScanResult scan = session.scan(o.scan);
    reportLosses(scan);
    if (const int failed = scanOutcome(scan, o.scan))
        return failed;
    const std::vector<TerminalTexts> rows = sortedById(scan);
    std::vector<TerminalIdentity> scanned;
    for (const TerminalTexts &r : rows)
        scanned.push_back(identityOfListRow(r));

    const std::vector<Difference> diffs = reconcileTerminals(database, scanned);
    QByteArray out;
    if (o.scan.format == Format::Json) {
        QJsonArray records;
        for (const Difference &d : diffs)
            records.append(differenceJson(d, database, scanned));
        out = jsonArrayBytes(records);
    } else {
        std::vector<QStringList> cells;
        for (const Difference &d : diffs)
            cells.push_back(differenceCells(d, database, scanned));
        if (o.scan.format == Format::Csv) {
            CsvWriter csv;
            csv.addRow(differenceHeader());
            for (const QStringList &line : cells)
                csv.addRow(line);
            out = csv.bytes();
        } else {
            out = textTable(differenceHeader(), cells);
            if (cells.empty())
                out += "no differences: the database and the network agree\n";
        }
    }
    if (!writeOut(out))
        return ExitFailure; // said by finishOutput()
    printNote(QStringLiteral("%1 in the database, %2 answering, %3 differences")
                  .arg(database.size())
                  .arg(scanned.size())
                  .arg(diffs.size()));
    return diffs.empty() ? ExitOk : ExitDifferences;
}

} // namespace quenzal::cli
