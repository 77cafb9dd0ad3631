// reconcile: the database's Terminal table against the terminals that answer.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/discovery/reconcile.h"
#include "core/discovery/terminalexport.h"
#include "core/serverdb/dbcore.h"

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
    const std::vector<TerminalTexts> rows = sortedById(session.scan(o.scan));
    std::vector<TerminalIdentity> scanned;
    for (const TerminalTexts &r : rows)
        scanned.push_back(identityOfListRow(r));

    const std::vector<Difference> diffs = reconcileTerminals(database, scanned);
    const TerminalIdentity none;
    auto dbOf = [&](const Difference &d) -> const TerminalIdentity & {
        return d.dbRow >= 0 ? database[size_t(d.dbRow)] : none;
    };
    auto netOf = [&](const Difference &d) -> const TerminalIdentity & {
        return d.scanRow >= 0 ? scanned[size_t(d.scanRow)] : none;
    };

    QByteArray out;
    if (o.scan.format == Format::Json) {
        out = "[";
        bool first = true;
        for (const Difference &d : diffs) {
            const TerminalIdentity &db = dbOf(d), &net = netOf(d);
            out += first ? "\n  {" : ",\n  {";
            first = false;
            out += "\"kind\": " + jsonQuoted(differenceKindName(d.kind));
            if (d.dbRow >= 0)
                out += ", \"db\": {\"id\": " + jsonQuoted(db.id) + ", \"ip\": " + jsonQuoted(db.ip)
                    + ", \"mac\": " + jsonQuoted(db.mac) + ", \"name\": " + jsonQuoted(db.name) + "}";
            else
                out += ", \"db\": null";
            if (d.scanRow >= 0)
                out += ", \"terminal\": {\"id\": " + jsonQuoted(net.id) + ", \"ip\": " + jsonQuoted(net.ip)
                    + ", \"mac\": " + jsonQuoted(net.mac) + "}";
            else
                out += ", \"terminal\": null";
            if (d.kind >= Difference::IdDiffers)
                out += ", \"db_value\": " + jsonQuoted(d.dbValue) + ", \"terminal_value\": " + jsonQuoted(d.scanValue);
            out += '}';
        }
        out += first ? "]\n" : "\n]\n";
    } else {
        const QStringList header { QStringLiteral("KIND"), QStringLiteral("DB ID"), QStringLiteral("DB IP"),
            QStringLiteral("DB MAC"), QStringLiteral("DB NAME"), QStringLiteral("ID"), QStringLiteral("IP"),
            QStringLiteral("MAC") };
        std::vector<QStringList> cells;
        for (const Difference &d : diffs) {
            const TerminalIdentity &db = dbOf(d), &net = netOf(d);
            cells.push_back({ differenceKindName(d.kind), db.id, db.ip, db.mac, db.name, net.id, net.ip, net.mac });
        }
        if (o.scan.format == Format::Csv) {
            out = "\xEF\xBB\xBF";
            for (const QStringList &line : [&] {
                     std::vector<QStringList> all { header };
                     all.insert(all.end(), cells.begin(), cells.end());
                     return all;
                 }()) {
                QStringList quoted;
                for (const QString &c : line)
                    quoted << csvField(c);
                out += quoted.join(QLatin1Char(',')).toUtf8() + "\r\n";
            }
        } else if (!cells.empty()) {
            out = textTable(header, cells);
        }
    }
    if (!writeOut(out)) {
        printError(QStringLiteral("cannot write the output"));
        return ExitFailure;
    }
    printNote(QStringLiteral("%1 in the database, %2 answering, %3 differences")
                  .arg(database.size())
                  .arg(scanned.size())
                  .arg(diffs.size()));
    return diffs.empty() ? ExitOk : ExitDifferences;
}

} // namespace quenzal::cli
