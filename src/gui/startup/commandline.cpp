#include "gui/startup/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#ifndef QUENZAL_VERSION
#error "QUENZAL_VERSION comes from the project version (src/gui/CMakeLists.txt)"
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
    const QCommandLineOption interfaceOption(QStringLiteral("interface"),
        QStringLiteral("Join 239.0.0.2 on the interface NAME and send multicast out of it; its address goes into "
                       "the address fields. Default: the system's choice, the last address found."),
        QStringLiteral("NAME"));
    parser.addOption(interfaceOption);
    const QCommandLineOption langOption(QStringLiteral("lang"),
        QStringLiteral("Language of the window: en or zh. Default: English when the system locale is en_*, "
                       "Chinese otherwise."),
        QStringLiteral("en|zh"));
    parser.addOption(langOption);

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
    result.interfaceName = parser.value(interfaceOption);
    if (parser.isSet(interfaceOption) && result.interfaceName.isEmpty()) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = 2;
        result.output = QStringLiteral("quenzal: --interface needs the name of an interface\n");
        return result;
    }
    if (parser.isSet(langOption)) {
        const QString lang = parser.value(langOption).toLower();
        if (lang != QLatin1String("en") && lang != QLatin1String("zh")) {
            result.action = CommandLine::Action::Exit;
            result.exitCode = 2;
            result.output = QStringLiteral("quenzal: --lang takes en or zh, not '%1'\n").arg(parser.value(langOption));
            return result;
        }
        result.language = lang;
    }
    return result;
}

void checkInterface(CommandLine &line, const QStringList &interfaceNames)
{
    if (line.action != CommandLine::Action::Run || line.interfaceName.isEmpty()
        || interfaceNames.contains(line.interfaceName))
        return;
    QStringList names = interfaceNames;
    names.removeDuplicates();
    line.action = CommandLine::Action::Exit;
    line.exitCode = 2;
    line.output
        = QStringLiteral("quenzal: no interface '%1' with an IPv4 address is up (there are: %2)\n")
              .arg(line.interfaceName, names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")));
}

} // namespace quenzal
