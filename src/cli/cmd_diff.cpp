// diff: two saved scans compared.
#include "cli/commands.h"
#include "cli/output.h"
#include "core/discovery/terminalexport.h"
#include "core/export/records.h"
#include "core/export/scandiff.h"

#include <QFile>

namespace quenzal::cli {

namespace {

bool readScanFile(const QString &path, std::vector<TerminalTexts> *rows)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
        return false;
    }
    const JsonImport in = terminalsFromJson(f.readAll());
    if (!in.ok) {
        printError(QStringLiteral("%1: %2").arg(path, in.error));
        return false;
    }
    for (const ExportRow &r : in.rows)
        rows->push_back(r.texts);
    return true;
}

} // namespace

int runDiff(const DiffOptions &o)
{
    std::vector<TerminalTexts> before, after;
    if (!readScanFile(o.oldPath, &before) || !readScanFile(o.newPath, &after))
        return ExitFailure;
    const std::vector<ScanChange> changes = compareScans(before, after);
    QString out;
    for (const ScanChange &change : changes)
        out += scanChangeLine(change, before, after) + QLatin1Char('\n');
    writeOut(out.toUtf8());
    return changes.empty() ? ExitOk : ExitDifferences;
}

} // namespace quenzal::cli
