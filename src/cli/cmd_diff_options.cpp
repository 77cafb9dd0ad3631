// diff: the two scan files.
#include "cli/options.h"

namespace quenzal::cli {

Command parseDiff(const QStringList &rest)
{
    SubParser sp(QStringLiteral("diff"),
        QStringLiteral("Compares two `scan --format json` results: exit 0 when equal, 4 when not."));
    sp.parser.addPositionalArgument(QStringLiteral("OLD.json"), QStringLiteral("earlier scan"));
    sp.parser.addPositionalArgument(QStringLiteral("NEW.json"), QStringLiteral("later scan"));
    if (const std::optional<Command> early = sp.start(rest))
        return *early;
    const QStringList pos = sp.parser.positionalArguments();
    if (pos.size() != 2 || pos.at(0).isEmpty() || pos.at(1).isEmpty())
        return invalid(QStringLiteral("diff: expected OLD.json NEW.json"));
    Command c;
    c.kind = Command::Diff;
    c.diff.oldPath = pos.at(0);
    c.diff.newPath = pos.at(1);
    return c;
}

} // namespace quenzal::cli
