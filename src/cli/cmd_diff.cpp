// diff: two saved scans compared.
#include "cli/commands.h"
#include "cli/output.h"
#include "core/discovery/reconcile.h"
#include "core/discovery/terminalexport.h"

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

QString who(const TerminalTexts &t)
{
    return QStringLiteral("ID %1  IP %2  MAC %3").arg(t[ColId], t[ColIp], t[ColMac]);
}

} // namespace

int runDiff(const DiffOptions &o)
{
    std::vector<TerminalTexts> before, after;
    if (!readScanFile(o.oldPath, &before) || !readScanFile(o.newPath, &after))
        return ExitFailure;
    // Terminals are the same terminal when paired as the reconcile pairs a
    // database row: by MAC, else by IP.
    std::vector<TerminalIdentity> left, right;
    for (const TerminalTexts &t : before)
        left.push_back(identityOfListRow(t));
    for (const TerminalTexts &t : after)
        right.push_back(identityOfListRow(t));
    const std::vector<int> pair = pairTerminals(left, right);
    std::vector<bool> paired(after.size(), false);

    const auto &keys = terminalExportKeys();
    QString out;
    int differences = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        if (pair[i] < 0) {
            out += QStringLiteral("gone     %1\n").arg(who(before[i]));
            ++differences;
            continue;
        }
        paired[size_t(pair[i])] = true;
        const TerminalTexts &a = before[i], &b = after[size_t(pair[i])];
        QStringList changes;
        for (int c = 0; c < TerminalListColumns; ++c) {
            if (a[size_t(c)] != b[size_t(c)])
                changes << QStringLiteral("%1 %2 -> %3").arg(keys[size_t(c)], a[size_t(c)], b[size_t(c)]);
        }
        if (!changes.isEmpty()) {
            out += QStringLiteral("changed  %1: %2\n").arg(who(a), changes.join(QStringLiteral(", ")));
            ++differences;
        }
    }
    for (size_t j = 0; j < after.size(); ++j) {
        if (!paired[j]) {
            out += QStringLiteral("new      %1\n").arg(who(after[j]));
            ++differences;
        }
    }
    writeOut(out.toUtf8());
    return differences ? ExitDifferences : ExitOk;
}

} // namespace quenzal::cli
