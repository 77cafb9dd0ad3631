#pragma once
// The subcommands of quenzal-cli. Each returns the process's exit code
// (cliargs.h: ExitCode); the options have been checked already.
#include "cli/cliargs.h"
#include "core/transport/statusreply.h"

#include <QByteArray>

#include <vector>

namespace quenzal::cli {

int runScan(const ScanOptions &options);
int runSet(const SetOptions &options);
int runRenumber(const RenumberOptions &options);
int runDb(const DbOptions &options);
int runReconcile(const ReconcileOptions &options);
int runDiff(const DiffOptions &options);
int runApply(const ApplyOptions &options);

// Terminal records in one of the output formats (the scan's output).
QByteArray formatTerminals(const std::vector<TerminalTexts> &rows, Format format);

} // namespace quenzal::cli
