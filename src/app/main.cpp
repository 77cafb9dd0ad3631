#include <QApplication>

#include <cstdio>

#include "app/commandline.h"
#include "app/toolforkx.h"

namespace {

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
    const quenzal::CommandLine early = quenzal::parseCommandLine(rawArguments(argc, argv));
    if (early.action == quenzal::CommandLine::Action::Exit && early.exitCode == 0)
        return answer(early);

    QApplication app(argc, argv);
    // Qt's own options (-platform, -style, ...) are gone from arguments() now.
    const quenzal::CommandLine line = quenzal::parseCommandLine(QCoreApplication::arguments());
    if (line.action == quenzal::CommandLine::Action::Exit)
        return answer(line);

    int result = 0;
    {
        ToolForKX window;
        window.show();
        result = app.exec();
    }
    return result;
}
