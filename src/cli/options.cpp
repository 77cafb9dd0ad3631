// The options and checks that several subcommands share.
#include "cli/options.h"

#include "core/discovery/scanrange.h"

#include <cmath>

namespace quenzal::cli {

const QString Program = QStringLiteral("quenzal-cli");

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

QString exitCodesHelp(const QString &subcommand)
{
    // What each subcommand's exit codes mean for it; docs/cli.md has the same.
    const QString scanFailure = QStringLiteral(
        "  1  failure: a socket that cannot be bound, a query that cannot be sent, replies lost (unless\n"
        "     --allow-loss), output that cannot be written\n");
    const QString usage = QStringLiteral("  2  bad usage; nothing was sent or written\n");
    const QString fileFailure = QStringLiteral("  1  failure: a file that cannot be read or written\n");
    QString codes;
    if (subcommand == QLatin1String("scan"))
        codes = QStringLiteral("  0  success, also when nobody answers\n") + scanFailure + usage;
    else if (subcommand == QLatin1String("set"))
        codes = QStringLiteral("  0  the terminal shows the new value (with --no-verify: the command was sent)\n"
                               "  1  failure: a socket that cannot be bound, a datagram that cannot be sent, no\n"
                               "     terminal at the --ip address\n")
            + usage + QStringLiteral("  3  not verified: no reply showed the new value\n");
    else if (subcommand == QLatin1String("renumber"))
        codes = QStringLiteral("  0  every ID (MAC) distinct after the rescan; with --dry-run: the plan was printed\n")
            + scanFailure + usage + QStringLiteral("  3  IDs (MACs) still shared after the rescan\n");
    else if (subcommand == QLatin1String("reconcile"))
        codes = QStringLiteral("  0  the database and the network agree\n"
                               "  1  failure: the database cannot be read, a socket that cannot be bound, a query\n"
                               "     that cannot be sent, replies lost (unless --allow-loss), output that cannot\n"
                               "     be written\n")
            + usage + QStringLiteral("  4  differences found\n");
    else if (subcommand == QLatin1String("diff"))
        codes = QStringLiteral("  0  the scans hold the same records\n") + fileFailure + usage
            + QStringLiteral("  4  differences found\n");
    else if (subcommand == QLatin1String("apply"))
        codes = QStringLiteral("  0  every planned terminal found and matching the plan; with --dry-run: no problem\n"
                               "  1  failure: a socket that cannot be bound, a datagram that cannot be sent,\n"
                               "     replies lost (unless --allow-loss), a report or output that cannot be written\n"
                               "  2  bad usage, or a plan that cannot be read; nothing was sent\n"
                               "  3  a planned terminal missing, a clone, or not verified after three rounds\n"
                               "  4  problems in the plan; nothing was sent\n");
    else if (subcommand == QLatin1String("db check"))
        codes = QStringLiteral("  0  sound\n") + fileFailure + usage
            + QStringLiteral("  4  not sound: damaged, unreadable Terminal table or shared ID, IP or MAC\n");
    else
        codes = QStringLiteral("  0  success\n") + fileFailure + usage;
    return QStringLiteral("Exit codes:\n") + codes;
}

const QCommandLineOption &wanOption()
{
    static const QCommandLineOption o(QStringLiteral("wan"),
        QStringLiteral("WAN scan of an address range, e.g. 10.0.1.1-10.0.1.200 (6-byte query to each address, 5 ms "
                       "apart); without it one LAN query to 239.0.0.2"),
        QStringLiteral("FROM-TO"));
    return o;
}
const QCommandLineOption &allowLossOption()
{
    static const QCommandLineOption o(QStringLiteral("allow-loss"),
        QStringLiteral("replies lost because a receive buffer was full do not fail the run (they are still reported)"));
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
        if (!parseScanRangeText(p.value(wanOption()), &scan->range, &scan->count, &why)) {
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
    scan->allowLoss = p.isSet(allowLossOption());
    if (withFormat && !parseFormat(p.value(formatOption()), &scan->format)) {
        *error = QStringLiteral("bad --format '%1': table, csv or json").arg(p.value(formatOption()));
        return false;
    }
    return readInterface(p, &scan->interfaceName, &scan->interface, error);
}

} // namespace quenzal::cli
