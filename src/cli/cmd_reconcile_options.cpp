// reconcile: the database and the scan options.
#include "cli/options.h"

namespace quenzal::cli {

Command parseReconcile(const QStringList &rest)
{
    SubParser sp(QStringLiteral("reconcile"),
        QStringLiteral("Scans and compares the answers with the database's Terminal table (paired by MAC, else by "
                       "IP): exit 0 when they agree, 4 when they differ."));
    sp.parser.addOptions({ wanOption(), interfaceOption(), waitOption(), formatOption(), allowLossOption() });
    sp.parser.addPositionalArgument(QStringLiteral("DB"), QStringLiteral("the server's database file"));
    if (const std::optional<Command> early = sp.start(rest))
        return *early;
    QString error;
    const QStringList pos = sp.parser.positionalArguments();
    if (pos.size() != 1 || pos.first().isEmpty())
        return invalid(QStringLiteral("reconcile: expected one database path"));
    Command c;
    c.kind = Command::Reconcile;
    c.reconcile.database = pos.first();
    if (!readScan(sp.parser, &c.reconcile.scan, &error, true))
        return invalid(QStringLiteral("reconcile: ") + error);
    return c;
}

} // namespace quenzal::cli
