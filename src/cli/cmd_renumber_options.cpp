// renumber: its options.
#include "cli/options.h"

namespace quenzal::cli {

Command parseRenumber(const QStringList &rest)
{
    SubParser sp(QStringLiteral("renumber"),
        QStringLiteral("Scans, runs the window's automatic ID assignment (or, with --mac, the MAC repair) on the "
                       "list sorted by ID and prints the plan; without --dry-run sends it, rescans and exits 0 only "
                       "when every ID (MAC) is then distinct, else 3."));
    const QCommandLineOption start(QStringLiteral("start"),
        QStringLiteral("first new ID; 0 (default): one above the highest ID of the list"), QStringLiteral("N"),
        QStringLiteral("0"));
    const QCommandLineOption mac(
        QStringLiteral("mac"), QStringLiteral("repair shared MACs (factory reset of each repaired terminal)"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("print the plan, send nothing else"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("the plan as table (default) or json"),
        QStringLiteral("FORMAT"), QStringLiteral("table"));
    sp.parser.addOptions(
        { start, mac, dryRun, wanOption(), interfaceOption(), waitOption(), format, allowLossOption() });
    if (const std::optional<Command> early = sp.start(rest))
        return *early;
    QString error;
    if (!sp.parser.positionalArguments().isEmpty())
        return invalid(
            QStringLiteral("renumber: unexpected argument '%1'").arg(sp.parser.positionalArguments().first()));
    Command c;
    c.kind = Command::Renumber;
    RenumberOptions &o = c.renumber;
    if (!parseInt(sp.parser.value(start), 0, MaxId, &o.start))
        return invalid(
            QStringLiteral("renumber: bad --start '%1': a number from 0 to %2").arg(sp.parser.value(start)).arg(MaxId));
    o.mac = sp.parser.isSet(mac);
    if (o.mac && sp.parser.isSet(start))
        return invalid(QStringLiteral("renumber: --start does not apply to --mac"));
    o.dryRun = sp.parser.isSet(dryRun);
    if (!readScan(sp.parser, &o.scan, &error, false))
        return invalid(QStringLiteral("renumber: ") + error);
    const QString planFormat = sp.parser.value(format);
    if (!parseFormat(planFormat, &o.scan.format) || o.scan.format == Format::Csv)
        return invalid(QStringLiteral("renumber: bad --format '%1': table or json").arg(planFormat));
    return c;
}

} // namespace quenzal::cli
