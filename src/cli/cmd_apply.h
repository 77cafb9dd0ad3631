#pragma once
// apply's rows as the run ends: the first comparison (what was planned and
// what each terminal had), with each row's final status and the settings the
// last scan showed. cmd_apply.cpp runs the rounds, cmd_apply_report.cpp
// prints the rows and writes the report.
#include "core/plan/plan.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quenzal::cli {

struct ApplyRow
{
    PlanRow row; // from the first comparison: status, changes (before -> planned), reason, settings before
    PlanStatus status = PlanStatus::Ok; // final
    QString reason; // final
    PlanValues after; // the last scan's settings; empty when it did not show the terminal once
};

// The rows as the table or JSON output (`mac`, `status`, `changes` as
// {field: [now, planned]}, `reason`).
QByteArray applyOutput(const std::vector<ApplyRow> &rows, bool json);
// The report: per terminal the settings before and after and the final
// status; JSON when the name ends in .json, else CSV.
QByteArray applyReport(const std::vector<ApplyRow> &rows, const QString &fileName);

} // namespace quenzal::cli
