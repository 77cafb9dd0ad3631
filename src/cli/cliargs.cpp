// The command line of quenzal-cli: the top-level help and version, and the
// choice of the subcommand, whose options its cmd_X_options.cpp reads.
#include "cli/cliargs.h"
#include "cli/options.h"

namespace quenzal::cli {

namespace {

QString globalHelp()
{
    return QStringLiteral("Usage: quenzal-cli SUBCOMMAND [options]\n"
                          "Finds, configures and checks the terminals, and checks the server's database,\n"
                          "with the same packets as the window.\n"
                          "\n"
                          "Subcommands:\n"
                          "  scan       query the terminals and list every reply\n"
                          "  set        change one setting of one terminal and verify it\n"
                          "  renumber   give terminals that share an ID (or MAC) distinct ones\n"
                          "  db         list, check, back up or convert a server database\n"
                          "  reconcile  compare the database's terminals with the network\n"
                          "  diff       compare two `scan --format json` results\n"
                          "  apply      bring the terminals to a plan, verified\n"
                          "\n"
                          "quenzal-cli SUBCOMMAND --help shows the options of a subcommand.\n"
                          "Exit codes: 0 success, 1 failure, 2 bad usage (nothing sent),\n"
                          "3 not verified, 4 differences found.\n");
}

} // namespace

QString oneLine(const QString &text)
{
    constexpr int MaxLength = 300;
    QString out;
    out.reserve(qMin<qsizetype>(text.size(), MaxLength + 3));
    for (const QChar c : text) {
        if (out.size() >= MaxLength) {
            out += QStringLiteral("...");
            break;
        }
        out += (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Format
                   || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph
                   || c.isSurrogate())
            ? QLatin1Char('?')
            : c;
    }
    return out;
}

Command parseCommandLine(const QStringList &args)
{
    if (args.size() < 2)
        return invalid(QStringLiteral("no subcommand given; quenzal-cli --help lists them"));
    const QString sub = args.at(1);
    const QStringList rest = args.mid(2);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h") || sub == QLatin1String("-?")
        || sub == QLatin1String("--help-all") || sub == QLatin1String("help")) {
        if (args.size() > 2 && sub == QLatin1String("help"))
            return parseCommandLine(QStringList { args.at(0), args.at(2), QStringLiteral("--help") });
        if (args.size() > 2)
            return invalid(QStringLiteral("unexpected argument '%1'").arg(args.at(2)));
        return help(globalHelp());
    }
    if (sub == QLatin1String("--version") || sub == QLatin1String("-v")) {
        if (args.size() > 2)
            return invalid(QStringLiteral("unexpected argument '%1'").arg(args.at(2)));
        Command c;
        c.kind = Command::Version;
        return c;
    }
    if (sub == QLatin1String("scan"))
        return parseScan(rest);
    if (sub == QLatin1String("set"))
        return parseSet(rest);
    if (sub == QLatin1String("renumber"))
        return parseRenumber(rest);
    if (sub == QLatin1String("db"))
        return parseDb(rest);
    if (sub == QLatin1String("reconcile"))
        return parseReconcile(rest);
    if (sub == QLatin1String("diff"))
        return parseDiff(rest);
    if (sub == QLatin1String("apply"))
        return parseApply(rest);
    if (sub.startsWith(QLatin1Char('-')))
        return invalid(QStringLiteral("unknown option '%1'; quenzal-cli --help lists the subcommands").arg(sub));
    return invalid(QStringLiteral("unknown subcommand '%1'; quenzal-cli --help lists them").arg(sub));
}

} // namespace quenzal::cli
