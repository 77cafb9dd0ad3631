#include <QApplication>

#include <cstdio>

#include "gui/startup/commandline.h"
#include "gui/startup/language.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/transport/localaddress.h"

namespace {

QStringList interfaceNames()
{
    QStringList names;
    for (const quenzal::LocalInterfaceAddress &entry : quenzal::localIPv4Interfaces())
        names << entry.name;
    return names;
}

QStringList rawArguments(int argc, char *argv[])
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

int answer(const quenzal::CommandLine &line)
{
    std::fputs(line.output.toLocal8Bit().constData(), line.exitCode == 0 ? stdout : stderr);
    return line.exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version are answered before the application object
    // exists, so they work without a display.
    quenzal::CommandLine early = quenzal::parseCommandLine(rawArguments(argc, argv));
    if (early.action == quenzal::CommandLine::Action::Exit && early.exitCode == 0)
        return answer(early);
    // An interface that does not exist is answered before any window too.
    quenzal::checkInterface(early, interfaceNames());
    if (early.action == quenzal::CommandLine::Action::Exit && !early.interfaceName.isEmpty())
        return answer(early);

    QApplication app(argc, argv);
    // Qt's own options (-platform, -style, ...) are gone from arguments() now.
    quenzal::CommandLine line = quenzal::parseCommandLine(QCoreApplication::arguments());
    quenzal::checkInterface(line, interfaceNames());
    if (line.action == quenzal::CommandLine::Action::Exit)
        return answer(line);
    quenzal::installLanguage(app, quenzal::chooseLanguage(line.language));

    int result = 0;
    {
        ToolForKX window(line.interfaceName);
        window.show();
        result = app.exec();
    }
    return result;
}
