// apply: the plan (a file or the server's database) and the scan options.
#include "cli/options.h"

namespace quenzal::cli {

Command parseApply(const QStringList &rest)
{
    SubParser sp(QStringLiteral("apply"),
        QStringLiteral("Scans, compares the terminals with a plan (by MAC) and prints a status per planned MAC and "
                       "per online terminal the plan does not name. Without --dry-run and when the plan has no "
                       "problem, sends the ID changes, then mask, gateway, server and IP, rescans and re-sends what "
                       "does not match, up to three rounds."));
    const QCommandLineOption fromDb(QStringLiteral("from-db"),
        QStringLiteral("the server's database as the plan: the MAC, ID and IP of each Terminal row"),
        QStringLiteral("FILE"));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"), QStringLiteral("compare and print only: no command is sent"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("table (default) or json"),
        QStringLiteral("FORMAT"), QStringLiteral("table"));
    const QCommandLineOption report(QStringLiteral("report"),
        QStringLiteral("write each terminal's settings before and after and its final status to FILE (.json: JSON, "
                       "else CSV)"),
        QStringLiteral("FILE"));
    sp.parser.addOptions(
        { fromDb, dryRun, wanOption(), interfaceOption(), waitOption(), format, report, allowLossOption() });
    sp.parser.addPositionalArgument(QStringLiteral("PLAN"),
        QStringLiteral("CSV (header row: mac, id, ip, mask, gateway, server, or the list's captions) or JSON plan"));
    if (const std::optional<Command> early = sp.start(rest))
        return *early;
    const QStringList pos = sp.parser.positionalArguments();
    Command c;
    c.kind = Command::Apply;
    ApplyOptions &o = c.apply;
    if (sp.parser.isSet(fromDb)) {
        if (!pos.isEmpty())
            return invalid(QStringLiteral("apply: give either PLAN or --from-db FILE, not both"));
        o.database = sp.parser.value(fromDb);
        if (o.database.isEmpty())
            return invalid(QStringLiteral("apply: --from-db needs a database path"));
    } else {
        if (pos.size() != 1 || pos.first().isEmpty())
            return invalid(QStringLiteral("apply: expected one plan file (or --from-db FILE)"));
        o.plan = pos.first();
    }
    o.dryRun = sp.parser.isSet(dryRun);
    if (sp.parser.isSet(report)) {
        o.report = sp.parser.value(report);
        if (o.report.isEmpty())
            return invalid(QStringLiteral("apply: --report needs a file name"));
    }
    QString error;
    if (!readScan(sp.parser, &o.scan, &error, false))
        return invalid(QStringLiteral("apply: ") + error);
    const QString text = sp.parser.value(format);
    if (!parseFormat(text, &o.scan.format) || o.scan.format == Format::Csv)
        return invalid(QStringLiteral("apply: bad --format '%1': table or json").arg(text));
    return c;
}

} // namespace quenzal::cli
