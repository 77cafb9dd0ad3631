#include "cli/cliargs.h"

#include "core/commands/verify.h"
#include "core/transport/statusreply.h"

#include <QCommandLineParser>

#include <cmath>

namespace quenzal::cli {

namespace {

const QString Program = QStringLiteral("quenzal-cli");
// An ID travels as an ID pair whose high byte is ID div 256 + 1: above
// 65279 it no longer fits a byte.
constexpr int MaxId = 65279;
constexpr double MaxWaitSeconds = 3600;

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
                          "\n"
                          "quenzal-cli SUBCOMMAND --help shows the options of a subcommand.\n"
                          "Exit codes: 0 success, 1 failure, 2 bad usage (nothing sent),\n"
                          "3 not verified, 4 differences found.\n");
}

Command invalid(const QString &why)
{
    Command c;
    c.kind = Command::Invalid;
    c.error = oneLine(why);
    return c;
}

Command help(const QString &text)
{
    Command c;
    c.kind = Command::Help;
    c.text = text;
    return c;
}

bool parseFormat(const QString &text, Format *format)
{
    if (text == QLatin1String("table"))
        *format = Format::Table;
    else if (text == QLatin1String("csv"))
        *format = Format::Csv;
    else if (text == QLatin1String("json"))
        *format = Format::Json;
    else
        return false;
    return true;
}

bool parseInt(const QString &text, int min, int max, int *out)
{
    // Plain decimal only: no sign other than '-', no blanks, no base prefix.
    if (text.isEmpty() || text.size() > 12)
        return false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !(i == 0 && c == QLatin1Char('-')))
            return false;
    }
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    if (!ok || v < min || v > max)
        return false;
    *out = int(v);
    return true;
}

bool parseMac(const QString &text, quint8 mac[6])
{
    const QChar sep = text.contains(QLatin1Char('-')) ? QLatin1Char('-') : QLatin1Char(':');
    const QStringList parts = text.split(sep);
    if (parts.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        const QString &p = parts.at(i);
        if (p.size() != 2)
            return false;
        for (const QChar c : p) {
            if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !(c >= QLatin1Char('a') && c <= QLatin1Char('f'))
                && !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
                return false;
        }
        mac[i] = quint8(p.toUInt(nullptr, 16));
    }
    return true;
}

// The parser of one subcommand; "--help" is added to every one.
struct SubParser
{
    QCommandLineParser parser;
    QString name;

    SubParser(const QString &subcommand, const QString &description)
        : name(subcommand)
    {
        parser.setApplicationDescription(description);
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
        parser.addHelpOption();
    }

    // The parser's help with the subcommand in its usage line (the parser
    // itself names the program by its path).
    QString helpText() const
    {
        QString text = parser.helpText();
        const qsizetype options = text.indexOf(QLatin1String(" [options]"));
        const qsizetype eol = text.indexOf(QLatin1Char('\n'));
        if (text.startsWith(QLatin1String("Usage: ")) && options > 0 && options < eol)
            text.replace(7, options - 7, Program + QLatin1Char(' ') + name);
        return text;
    }

    // False with *error set, or true; *helpShown when --help was given.
    bool parse(const QStringList &rest, QString *error, bool *helpShown)
    {
        QStringList args { Program + QLatin1Char(' ') + name };
        args += rest;
        if (!parser.parse(args)) {
            *error = name + QStringLiteral(": ") + parser.errorText();
            return false;
        }
        *helpShown = parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"));
        return true;
    }
};

const QCommandLineOption &wanOption()
{
    static const QCommandLineOption o(QStringLiteral("wan"),
        QStringLiteral("WAN scan of an address range, e.g. 10.0.1.1-10.0.1.200 (6-byte query to each address, 5 ms "
                       "apart); without it one LAN query to 239.0.0.2"),
        QStringLiteral("FROM-TO"));
    return o;
}
const QCommandLineOption &interfaceOption()
{
    static const QCommandLineOption o(QStringLiteral("interface"),
        QStringLiteral("network interface for the multicast group (default: the system's choice)"),
        QStringLiteral("NAME"));
    return o;
}
const QCommandLineOption &waitOption()
{
    static const QCommandLineOption o(QStringLiteral("wait"),
        QStringLiteral("seconds without a reply that end the scan (default 2)"), QStringLiteral("SECONDS"),
        QStringLiteral("2"));
    return o;
}
const QCommandLineOption &formatOption()
{
    static const QCommandLineOption o(QStringLiteral("format"), QStringLiteral("table (default), csv or json"),
        QStringLiteral("FORMAT"), QStringLiteral("table"));
    return o;
}

bool readInterface(const QCommandLineParser &p, QString *name, QNetworkInterface *iface, QString *error)
{
    if (!p.isSet(interfaceOption()))
        return true;
    *name = p.value(interfaceOption());
    *iface = name->isEmpty() ? QNetworkInterface() : QNetworkInterface::interfaceFromName(*name);
    if (!iface->isValid()) {
        *error = QStringLiteral("unknown network interface '%1'").arg(*name);
        return false;
    }
    return true;
}

bool readScan(const QCommandLineParser &p, ScanOptions *scan, QString *error, bool withFormat)
{
    if (p.isSet(wanOption())) {
        scan->wan = true;
        QString why;
        if (!parseScanRange(p.value(wanOption()), &scan->range, &scan->count, &why)) {
            *error = QStringLiteral("bad --wan range '%1': %2").arg(p.value(wanOption()), why);
            return false;
        }
    }
    bool ok = false;
    const QString wait = p.value(waitOption());
    const double seconds = wait.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > MaxWaitSeconds) {
        *error = QStringLiteral("bad --wait '%1': seconds from 0 to 3600").arg(wait);
        return false;
    }
    scan->waitMs = int(std::lround(seconds * 1000));
    if (withFormat && !parseFormat(p.value(formatOption()), &scan->format)) {
        *error = QStringLiteral("bad --format '%1': table, csv or json").arg(p.value(formatOption()));
        return false;
    }
    return readInterface(p, &scan->interfaceName, &scan->interface, error);
}

Command parseScan(const QStringList &rest)
{
    SubParser sp(QStringLiteral("scan"),
        QStringLiteral("Queries the terminals and prints one record per terminal, sorted by ID."));
    sp.parser.addOptions({ wanOption(), interfaceOption(), waitOption(), formatOption() });
    QString error;
    bool helpShown = false;
    if (!sp.parse(rest, &error, &helpShown))
        return invalid(error);
    if (helpShown)
        return help(sp.helpText());
    if (!sp.parser.positionalArguments().isEmpty())
        return invalid(QStringLiteral("scan: unexpected argument '%1'").arg(sp.parser.positionalArguments().first()));
    Command c;
    c.kind = Command::Scan;
    if (!readScan(sp.parser, &c.scan, &error, true))
        return invalid(QStringLiteral("scan: ") + error);
    return c;
}

bool readSetValue(SetOptions *o, const QString &fieldName, const QString &value, QString *error)
{
    // The column and text that show the value come from the core, from the
    // same field texts the command is written from (the window verifies the same way).
    auto expect = [o]() {
        const ExpectedValue e = expectedAfterCommand(o->command, o->commandFields);
        o->column = e.column;
        o->expected = e.text;
        o->newAddress = e.newAddress;
        return true;
    };
    auto octets = [&](SetField field, TerminalCommand command) {
        quint8 a[4];
        if (!parseStrictAddress(value, a)) {
            *error = QStringLiteral("bad %1 '%2': dotted address such as 198.18.1.30").arg(fieldName, value);
            return false;
        }
        o->field = field;
        o->command = command;
        o->commandFields.clear();
        for (quint8 b : a)
            o->commandFields << QString::number(b);
        return expect();
    };
    if (fieldName == QLatin1String("id")) {
        int id = 0;
        if (!parseInt(value, 0, MaxId, &id)) {
            *error = QStringLiteral("bad id '%1': a number from 0 to %2").arg(value).arg(MaxId);
            return false;
        }
        o->field = SetField::Id;
        o->command = TerminalCommand::SetId;
        o->commandFields = { QString::number(id) };
        return expect();
    }
    if (fieldName == QLatin1String("ip"))
        return octets(SetField::Ip, TerminalCommand::Ip);
    if (fieldName == QLatin1String("mask"))
        return octets(SetField::Mask, TerminalCommand::Mask);
    if (fieldName == QLatin1String("gateway"))
        return octets(SetField::Gateway, TerminalCommand::Gateway);
    if (fieldName == QLatin1String("server"))
        return octets(SetField::Server, TerminalCommand::ServerIp);
    if (fieldName == QLatin1String("mac")) {
        quint8 mac[6];
        if (!parseMac(value, mac)) {
            *error = QStringLiteral("bad mac '%1': six hexadecimal bytes such as 02:00:00:00:00:0A").arg(value);
            return false;
        }
        o->field = SetField::Mac;
        o->command = TerminalCommand::Mac;
        o->commandFields.clear();
        for (quint8 b : mac)
            o->commandFields << QString::asprintf("%02X", b);
        return expect();
    }
    if (fieldName == QLatin1String("dhcp")) {
        const QString v = value.toLower();
        bool on;
        if (v == QLatin1String("on") || v == QLatin1String("1"))
            on = true;
        else if (v == QLatin1String("off") || v == QLatin1String("0"))
            on = false;
        else {
            *error = QStringLiteral("bad dhcp '%1': on or off").arg(value);
            return false;
        }
        o->field = SetField::Dhcp;
        o->command = on ? TerminalCommand::DhcpOn : TerminalCommand::DhcpOff;
        o->commandFields.clear();
        return expect();
    }
    *error = QStringLiteral("unknown field '%1': id, ip, mask, gateway, server, mac or dhcp").arg(fieldName);
    return false;
}

Command parseSet(const QStringList &rest)
{
    SubParser sp(QStringLiteral("set"),
        QStringLiteral("Sends the window's command for one field to one terminal, then queries it up to three times "
                       "within three seconds: exit 0 when a reply shows the new value, 3 when none does."));
    const QCommandLineOption id(
        QStringLiteral("id"), QStringLiteral("the terminal's ID, on the LAN (multicast)"), QStringLiteral("N"));
    const QCommandLineOption ip(QStringLiteral("ip"), QStringLiteral("the terminal's address, in WAN mode (unicast)"),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"), QStringLiteral("send only, query nothing"));
    sp.parser.addOptions({ id, ip, noVerify, interfaceOption() });
    sp.parser.addPositionalArgument(
        QStringLiteral("FIELD"), QStringLiteral("id, ip, mask, gateway, server, mac or dhcp"));
    sp.parser.addPositionalArgument(QStringLiteral("VALUE"),
        QStringLiteral("the new value: a number (id), an address, a MAC such as 02:00:00:00:00:0A, on or off (dhcp)"));
    QString error;
    bool helpShown = false;
    if (!sp.parse(rest, &error, &helpShown))
        return invalid(error);
    if (helpShown)
        return help(sp.helpText());
    Command c;
    c.kind = Command::Set;
    SetOptions &o = c.set;
    if (sp.parser.isSet(id) == sp.parser.isSet(ip))
        return invalid(QStringLiteral("set: give exactly one of --id N and --ip ADDRESS"));
    if (sp.parser.isSet(id)) {
        o.byId = true;
        if (!parseInt(sp.parser.value(id), 0, MaxId, &o.id))
            return invalid(
                QStringLiteral("set: bad --id '%1': a number from 0 to %2").arg(sp.parser.value(id)).arg(MaxId));
    } else {
        o.byId = false;
        quint8 a[4];
        if (!parseStrictAddress(sp.parser.value(ip), a))
            return invalid(
                QStringLiteral("set: bad --ip '%1': dotted address such as 198.18.1.30").arg(sp.parser.value(ip)));
        o.address = QHostAddress((quint32(a[0]) << 24) | (quint32(a[1]) << 16) | (quint32(a[2]) << 8) | a[3]);
    }
    const QStringList pos = sp.parser.positionalArguments();
    if (pos.size() != 2)
        return invalid(QStringLiteral("set: expected FIELD VALUE, got %1 argument(s)").arg(pos.size()));
    o.fieldName = pos.at(0);
    if (!readSetValue(&o, pos.at(0), pos.at(1), &error))
        return invalid(QStringLiteral("set: ") + error);
    o.verify = !sp.parser.isSet(noVerify);
    if (!readInterface(sp.parser, &o.interfaceName, &o.interface, &error))
        return invalid(QStringLiteral("set: ") + error);
    return c;
}

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
    sp.parser.addOptions({ start, mac, dryRun, wanOption(), interfaceOption(), waitOption() });
    QString error;
    bool helpShown = false;
    if (!sp.parse(rest, &error, &helpShown))
        return invalid(error);
    if (helpShown)
        return help(sp.helpText());
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
    return c;
}

Command parseDb(const QStringList &rest)
{
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
    } else if (op.isEmpty()) {
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
    QString error;
    bool helpShown = false;
    if (!sp.parse(rest.mid(1), &error, &helpShown))
        return invalid(error);
    if (helpShown)
        return help(sp.helpText());
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

Command parseReconcile(const QStringList &rest)
{
    SubParser sp(QStringLiteral("reconcile"),
        QStringLiteral("Scans and compares the answers with the database's Terminal table (paired by MAC, else by "
                       "IP): exit 0 when they agree, 4 when they differ."));
    sp.parser.addOptions({ wanOption(), interfaceOption(), waitOption(), formatOption() });
    sp.parser.addPositionalArgument(QStringLiteral("DB"), QStringLiteral("the server's database file"));
    QString error;
    bool helpShown = false;
    if (!sp.parse(rest, &error, &helpShown))
        return invalid(error);
    if (helpShown)
        return help(sp.helpText());
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

Command parseDiff(const QStringList &rest)
{
    SubParser sp(QStringLiteral("diff"),
        QStringLiteral("Compares two `scan --format json` results: exit 0 when equal, 4 when not."));
    sp.parser.addPositionalArgument(QStringLiteral("OLD.json"), QStringLiteral("earlier scan"));
    sp.parser.addPositionalArgument(QStringLiteral("NEW.json"), QStringLiteral("later scan"));
    QString error;
    bool helpShown = false;
    if (!sp.parse(rest, &error, &helpShown))
        return invalid(error);
    if (helpShown)
        return help(sp.helpText());
    const QStringList pos = sp.parser.positionalArguments();
    if (pos.size() != 2 || pos.at(0).isEmpty() || pos.at(1).isEmpty())
        return invalid(QStringLiteral("diff: expected OLD.json NEW.json"));
    Command c;
    c.kind = Command::Diff;
    c.diff.oldPath = pos.at(0);
    c.diff.newPath = pos.at(1);
    return c;
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

bool parseStrictAddress(const QString &text, quint8 octets[4])
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        const QString &p = parts.at(i);
        if (p.isEmpty() || p.size() > 3)
            return false;
        int v = 0;
        for (const QChar c : p) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
            v = v * 10 + (c.unicode() - '0');
        }
        if (v > 255)
            return false;
        octets[i] = quint8(v);
    }
    return true;
}

bool parseScanRange(const QString &text, ScanFields *fields, int *count, QString *why)
{
    const QStringList ends = text.split(QLatin1Char('-'));
    quint8 from[4], to[4];
    if (ends.size() != 2 || !parseStrictAddress(ends.at(0), from) || !parseStrictAddress(ends.at(1), to)) {
        *why = QStringLiteral("expected FROM-TO, two dotted addresses");
        return false;
    }
    if (from[0] != to[0] || from[1] != to[1]) {
        *why = QStringLiteral("a range stays within the first two octets of its start");
        return false;
    }
    ScanFields f;
    f.s1 = from[0];
    f.s2 = from[1];
    f.s3 = from[2];
    f.s4 = from[3];
    f.e1 = to[0];
    f.e2 = to[1];
    f.e3 = to[2];
    f.e4 = to[3];
    const int n = scanAddressCount(f);
    if (n < 1) {
        *why = QStringLiteral("the end lies before the start");
        return false;
    }
    *fields = f;
    *count = n;
    return true;
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
    if (sub.startsWith(QLatin1Char('-')))
        return invalid(QStringLiteral("unknown option '%1'; quenzal-cli --help lists the subcommands").arg(sub));
    return invalid(QStringLiteral("unknown subcommand '%1'; quenzal-cli --help lists them").arg(sub));
}

} // namespace quenzal::cli
