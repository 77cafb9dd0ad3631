#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#ifndef QUENZAL_VERSION
#error "QUENZAL_VERSION comes from the project version (src/app/CMakeLists.txt)"
#endif

namespace quenzal {

QString versionText()
{
    return QStringLiteral("quenzal ") + QStringLiteral(QUENZAL_VERSION);
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Maintenance tool for IP network audio terminals: finds them on the LAN or across a WAN, "
                       "configures them by UDP and opens the central server's database."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Options of the window go here, each with a field in CommandLine.

    CommandLine result;
    const bool parsed = parser.parse(arguments);
    // --help-all (added by addHelpOption) would list Qt's own options too;
    // the window has none worth showing, so it answers as --help does.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result.action = CommandLine::Action::Exit;
        QString text = parser.helpText();
        // The usage line names the program as it was started; keep it to
        // the installed name so the text is the same from every path.
        const qsizetype end = text.indexOf(QLatin1Char('\n'));
        text.replace(0, end, QStringLiteral("Usage: quenzal [options]"));
        result.output = text;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::Exit;
        result.output = versionText() + QLatin1Char('\n');
        return result;
    }
    if (!parsed) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = 2;
        result.output = QStringLiteral("quenzal: ") + parser.errorText()
            + QStringLiteral(" (quenzal --help lists the options)\n");
        return result;
    }
    return result;
}

} // namespace quenzal
