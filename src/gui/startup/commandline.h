#pragma once
// The window's command line: --help, --version and whatever options the
// window grows later. Parsing is one function so that a new option is one
// more line in commandline.cpp and one more field here.

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace quenzal {

struct CommandLine
{
    enum class Action {
        Run, // open the window
        Exit, // --help or --version was answered: leave with exitCode
    };
    Action action = Action::Run;
    int exitCode = 0;
    QString output; // what to print before leaving (stdout when exitCode is 0, stderr otherwise)
    QString interfaceName; // --interface NAME: empty for the system's choice
    QString language; // --lang en|zh: empty to follow the system locale
};

// "quenzal 7.6": the program name and the project version.
QString versionText();

// Reads the arguments (arguments.first() is the program). Unknown options
// give exit code 2 and a one-line message; Qt's own platform options
// (-platform, -display, ...) are taken by QApplication before this runs.
CommandLine parseCommandLine(const QStringList &arguments);

// Checks --interface against the interfaces that have an IPv4 address (their
// names, in any order, repeats allowed). An unknown name turns the line into
// an exit with code 2 and a message that lists the names there are.
void checkInterface(CommandLine &line, const QStringList &interfaceNames);

} // namespace quenzal
