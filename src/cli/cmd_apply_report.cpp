// apply: the output and the report.
#include "cli/cmd_apply.h"

#include "cli/output.h"
#include "core/export/csv.h"
#include "core/export/json.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace quenzal::cli {

namespace {

QJsonObject settingsJson(const PlanValues &values)
{
    QJsonObject o;
    for (int f = 0; f < PlanFieldCount; ++f)
        o.insert(planFieldName(PlanField(f)), values[size_t(f)]);
    return o;
}

} // namespace

QByteArray applyOutput(const std::vector<ApplyRow> &rows, bool json)
{
    if (json) {
        QJsonArray out;
        for (const ApplyRow &r : rows) {
            QJsonObject changes;
            for (const PlanChange &c : r.row.changes)
                changes.insert(planFieldName(c.field), QJsonArray { c.now, c.planned });
            out.append(QJsonObject { { QStringLiteral("mac"), r.row.mac },
                { QStringLiteral("status"), planStatusName(r.status) }, { QStringLiteral("changes"), changes },
                { QStringLiteral("reason"), r.reason } });
        }
        return jsonArrayBytes(out);
    }
    std::vector<QStringList> table;
    for (const ApplyRow &r : rows) {
        QStringList changes;
        for (const PlanChange &c : r.row.changes)
            changes << QStringLiteral("%1 %2->%3")
                           .arg(planFieldName(c.field), c.now.isEmpty() ? QStringLiteral("-") : c.now, c.planned);
        table.push_back({ r.row.mac, planStatusName(r.status),
            changes.isEmpty() ? QStringLiteral("-") : changes.join(QStringLiteral(", ")),
            r.reason.isEmpty() ? QStringLiteral("-") : r.reason });
    }
    return textTable(
        { QStringLiteral("MAC"), QStringLiteral("STATUS"), QStringLiteral("CHANGES"), QStringLiteral("REASON") },
        table);
}

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

} // namespace quenzal::cli
