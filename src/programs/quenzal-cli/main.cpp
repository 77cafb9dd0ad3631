// quenzal-cli: the tool's jobs without a window, on the same core.
#include "cli/cliargs.h"
#include "cli/commands.h"
#include "cli/output.h"

#include <QCoreApplication>
#include <QLoggingCategory>

using namespace quenzal::cli;

namespace {

int run(const Command &c)
{
    switch (c.kind) {
    case Command::Invalid:
        printError(c.error);
        return ExitUsage;
    case Command::Help:
        writeOut(c.text.toUtf8());
        return ExitOk;
    case Command::Version:
        writeOut(QByteArrayLiteral("quenzal-cli " QUENZAL_VERSION "\n"));
        return ExitOk;
    case Command::Scan:
        return runScan(c.scan);
    case Command::Set:
        return runSet(c.set);
    case Command::Renumber:
        return runRenumber(c.renumber);
    case Command::Db:
        return runDb(c.db);
    case Command::Reconcile:
        return runReconcile(c.reconcile);
    case Command::Diff:
        return runDiff(c.diff);
    case Command::Apply:
        return runApply(c.apply);
    }
    return ExitUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quenzal-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUENZAL_VERSION));

    // Stderr carries the tool's messages; the core's traces only on request.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("quenzal.*.debug=false"));

    const Command c = parseCommandLine(QCoreApplication::arguments());
    return finishOutput(run(c));
}
