// The report of an apply: per terminal the settings before and after and
// the final status.
#include "core/export/csv.h"
#include "core/export/json.h"
#include "core/plan/planrun.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace quenzal {

namespace {

QJsonObject settingsJson(const PlanValues &values)
{
    QJsonObject o;
    for (int f = 0; f < PlanFieldCount; ++f)
        o.insert(planFieldName(PlanField(f)), values[size_t(f)]);
    return o;
}

} // namespace

QByteArray applyReport(const std::vector<ApplyRow> &rows, const QString &fileName)
{
    if (QFileInfo(fileName).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0) {
        QJsonArray out;
        for (const ApplyRow &r : rows)
            out.append(QJsonObject { { QStringLiteral("mac"), r.row.mac },
                { QStringLiteral("status"), planStatusName(r.status) }, { QStringLiteral("reason"), r.reason },
                { QStringLiteral("before"), settingsJson(r.row.now) },
                { QStringLiteral("after"), settingsJson(r.after) } });
        return jsonArrayBytes(out);
    }
    CsvWriter csv;
    QStringList header { QStringLiteral("mac"), QStringLiteral("status"), QStringLiteral("reason") };
    for (int f = 0; f < PlanFieldCount; ++f)
        header << planFieldName(PlanField(f)) + QStringLiteral("_before")
               << planFieldName(PlanField(f)) + QStringLiteral("_after");
    csv.addRow(header);
    for (const ApplyRow &r : rows) {
        QStringList cells { r.row.mac, planStatusName(r.status), r.reason };
        for (int f = 0; f < PlanFieldCount; ++f)
            cells << r.row.now[size_t(f)] << r.after[size_t(f)];
        csv.addRow(cells);
    }
    return csv.bytes();
}

} // namespace quenzal
