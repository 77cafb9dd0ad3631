// db: the operation, its file and its options.
#include "cli/options.h"

namespace quenzal::cli {

namespace {

// The operation may stand anywhere among the options: the first word that
// is neither an option nor the value of one. Returns its index, or -1.
int operationIndex(const QStringList &args)
{
    static const QStringList takesValue { QStringLiteral("--format"), QStringLiteral("--reference"),
        QStringLiteral("--output") };
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--"))
            return i + 1 < args.size() ? i + 1 : -1;
        if (takesValue.contains(a)) {
            ++i; // its value
            continue;
        }
        if (!a.startsWith(QLatin1Char('-')))
            return i;
    }
    return -1;
}

} // namespace

Command parseDb(const QStringList &args)
{
    // "db --format json list F" reads as "db list --format json F"; alone,
    // --help (or no operation) is the operations' overview.
    QStringList rest = args;
    const int at = operationIndex(args);
    if (at > 0 && !args.mid(0, at).contains(QStringLiteral("--help"))
        && !args.mid(0, at).contains(QStringLiteral("-h")))
        rest.move(at, 0);
    const QString op = rest.value(0);
    Command c;
    c.kind = Command::Db;
    DbOptions &o = c.db;
    QString description;
    if (op == QLatin1String("list")) {
        o.op = DbOptions::List;
        description = QStringLiteral("Lists the Terminal table; rows that share an ID, IP, MAC or Name are marked.");
    } else if (op == QLatin1String("check")) {
        o.op = DbOptions::Check;
        description = QStringLiteral("SQLite's integrity check, the format and the rows that share an ID, IP or MAC; "
                                     "exit 0 when sound, 4 when not.");
    } else if (op == QLatin1String("backup")) {
        o.op = DbOptions::Backup;
        description = QStringLiteral("Backs the database up beside it (online backup, never overwriting) and prints "
                                     "the backup's path.");
    } else if (op == QLatin1String("convert")) {
        o.op = DbOptions::Convert;
        description = QStringLiteral("Converts an old-format database into the new format, as the database window "
                                     "does, and prints per table the rows converted and skipped.");
    } else if (op == QLatin1String("--help") || op == QLatin1String("-h") || op == QLatin1String("-?")) {
        return help(QStringLiteral("Usage: quenzal-cli db list|check|backup|convert PATH [options]\n"
                                   "quenzal-cli db OPERATION --help shows the options of an operation.\n"));
    } else if (op.isEmpty() || op.startsWith(QLatin1Char('-'))) {
        return invalid(QStringLiteral("db: expected list, check, backup or convert"));
    } else {
        return invalid(QStringLiteral("db: unknown operation '%1': list, check, backup or convert").arg(op));
    }
    SubParser sp(QStringLiteral("db ") + op, description);
    const QCommandLineOption reference(QStringLiteral("reference"),
        QStringLiteral("blank new-format database (default LS_New.db)"), QStringLiteral("FILE"),
        QStringLiteral("LS_New.db"));
    const QCommandLineOption output(QStringLiteral("output"),
        QStringLiteral("converted database, replaced if present (default Velmora_new.db)"), QStringLiteral("FILE"),
        QStringLiteral("Velmora_new.db"));
    if (o.op == DbOptions::List)
        sp.parser.addOption(formatOption());
    if (o.op == DbOptions::Convert)
        sp.parser.addOptions({ reference, output });
    sp.parser.addPositionalArgument(
        o.op == DbOptions::Convert ? QStringLiteral("OLD") : QStringLiteral("PATH"), QStringLiteral("database file"));
    if (const std::optional<Command> early = sp.start(rest.mid(1)))
        return *early;
    const QStringList pos = sp.parser.positionalArguments();
    if (pos.size() != 1 || pos.first().isEmpty())
        return invalid(QStringLiteral("db %1: expected one database path").arg(op));
    o.path = pos.first();
    if (o.op == DbOptions::List && !parseFormat(sp.parser.value(formatOption()), &o.format))
        return invalid(
            QStringLiteral("db list: bad --format '%1': table, csv or json").arg(sp.parser.value(formatOption())));
    if (o.op == DbOptions::Convert) {
        o.reference = sp.parser.value(reference);
        o.output = sp.parser.value(output);
        if (o.reference.isEmpty() || o.output.isEmpty())
            return invalid(QStringLiteral("db convert: empty --reference or --output"));
    }
    return c;
}

} // namespace quenzal::cli
