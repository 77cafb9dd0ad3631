// apply: the output (the report is the core's applyReport).
#include "cli/cmd_apply.h"

#include "cli/output.h"
#include "core/export/json.h"

#include <QJsonArray>
#include <QJsonObject>

namespace quenzal::cli {

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

} // namespace quenzal::cli
