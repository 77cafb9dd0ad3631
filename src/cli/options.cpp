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
    if (withFormat && !parseFormat(p.value(formatOption()), &scan->format)) {
        *error = QStringLiteral("bad --format '%1': table, csv or json").arg(p.value(formatOption()));
        return false;
    }
    return readInterface(p, &scan->interfaceName, &scan->interface, error);
}

} // namespace quenzal::cli
