#pragma once
// apply: cmd_apply.cpp drives the core's PlanRun (the rounds, the final
// rows, the report) with the CLI's session; cmd_apply_report.cpp prints the
// rows.
#include "core/plan/planrun.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quenzal::cli {

// The rows as the table or JSON output (`mac`, `status`, `changes` as
// {field: [now, planned]}, `reason`).
QByteArray applyOutput(const std::vector<ApplyRow> &rows, bool json);
} // namespace quenzal::cli
