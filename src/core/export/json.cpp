#include "core/export/json.h"

#include <QJsonDocument>

namespace quenzal {

QJsonValue jsonId(const QString &text)
{
    bool ok = false;
    const qlonglong id = text.toLongLong(&ok, 10);
    return ok ? QJsonValue(id) : QJsonValue(text);
}

QByteArray jsonArrayBytes(const QJsonArray &records)
{
    // QJsonDocument writes an empty array as "[\n]\n"; scripts and the
    // outputs so far have "[]\n".
    if (records.isEmpty())
        return QByteArrayLiteral("[]\n");
    return QJsonDocument(records).toJson(QJsonDocument::Indented);
}

} // namespace quenzal
