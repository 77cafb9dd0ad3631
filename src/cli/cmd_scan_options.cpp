// scan: its options.
#include "cli/options.h"

namespace quenzal::cli {

Command parseScan(const QStringList &rest)
{
    SubParser sp(QStringLiteral("scan"),
        QStringLiteral("Queries the terminals and prints one record per terminal, sorted by ID."));
    sp.parser.addOptions({ wanOption(), interfaceOption(), waitOption(), formatOption(), allowLossOption() });
    if (const std::optional<Command> early = sp.start(rest))
        return *early;
    QString error;
    if (!sp.parser.positionalArguments().isEmpty())
        return invalid(QStringLiteral("scan: unexpected argument '%1'").arg(sp.parser.positionalArguments().first()));
    Command c;
    c.kind = Command::Scan;
    if (!readScan(sp.parser, &c.scan, &error, true))
        return invalid(QStringLiteral("scan: ") + error);
    return c;
}

} // namespace quenzal::cli
