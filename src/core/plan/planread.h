#pragma once
// Reading a plan. A CSV file: UTF-8, a byte-order mark allowed, a header row
// naming the columns in any order (mac, id, ip, mask, gateway, server, or the
// captions of the terminal list's CSV export), other columns ignored. A JSON
// file: an array of objects with those keys (the scan's JSON export is one).
// The server's database: the MAC, ID and IP of each Terminal row. Values are
// kept as written; comparePlan() says which do not read.
#include "core/plan/plan.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quenzal {

struct PlanReadResult
{
    bool ok = false;
    QString error; // !ok: why the plan cannot be used
    std::vector<PlanEntry> entries;
};

PlanReadResult readPlanCsv(const QByteArray &bytes);
PlanReadResult readPlanJson(const QByteArray &bytes);
// JSON when the name ends in .json or the text starts with '[', else CSV.
PlanReadResult readPlanFile(const QString &path);
// The Terminal table of the server's database file.
PlanReadResult readPlanDatabase(const QString &path);

} // namespace quenzal
