#include "core/plan/planread.h"

#include "core/serverdb/dbcore.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <optional>

namespace quenzal {

namespace {

// Column captions: the plan's own names and the terminal list's CSV export.
std::optional<int> columnOf(const QString &caption)
{
    const QString c = caption.trimmed();
    const QString lower = c.toLower();
    if (lower == QLatin1String("mac") || c == QStringLiteral("MAC地址"))
        return -1;
    if (lower == QLatin1String("id") || c == QStringLiteral("编号"))
        return int(PlanField::Id);
    if (lower == QLatin1String("ip") || c == QStringLiteral("本地地址"))
        return int(PlanField::Ip);
    if (lower == QLatin1String("mask") || c == QStringLiteral("子网掩码"))
        return int(PlanField::Mask);
    if (lower == QLatin1String("gateway") || c == QStringLiteral("本地网关"))
        return int(PlanField::Gateway);
    if (lower == QLatin1String("server") || c == QStringLiteral("服务器地址"))
        return int(PlanField::Server);
    return std::nullopt;
}

// RFC 4180 records: quoted fields may hold commas, quotes (doubled) and line
// breaks; lines end in LF or CR LF. *lines gets each record's first line.
std::vector<QStringList> csvRecords(const QString &text, std::vector<int> *lines, bool *unterminated)
{
    std::vector<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false, any = false;
    int line = 1, recordLine = 1;
    auto endField = [&] {
        record << field;
        field.clear();
    };
    auto endRecord = [&] {
        endField();
        if (!(record.size() == 1 && record.first().isEmpty())) { // blank lines are no records
            records.push_back(record);
            lines->push_back(recordLine);
        }
        record.clear();
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (quoted) {
            if (ch == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += ch;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (ch == QLatin1Char('\n'))
                    ++line;
                field += ch;
            }
            continue;
        }
        if (!any)
            recordLine = line;
        any = true;
        if (ch == QLatin1Char('"'))
            quoted = true;
        else if (ch == QLatin1Char(','))
            endField();
        else if (ch == QLatin1Char('\n')) {
            endRecord();
            ++line;
        } else if (ch != QLatin1Char('\r'))
            field += ch;
    }
    *unterminated = quoted;
    if (any)
        endRecord();
    return records;
}

PlanReadResult failed(const QString &why)
{
    PlanReadResult r;
    r.error = why;
    return r;
}

} // namespace

PlanReadResult readPlanCsv(const QByteArray &bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const QString text = QString::fromUtf8(data);
    if (text.contains(QChar::ReplacementCharacter) && !data.contains("\xEF\xBF\xBD"))
        return failed(QStringLiteral("the CSV file is not UTF-8"));
    std::vector<int> lines;
    bool unterminated = false;
    const std::vector<QStringList> records = csvRecords(text, &lines, &unterminated);
    if (unterminated)
        return failed(QStringLiteral("the CSV file ends inside a quoted field"));
    if (records.empty())
        return failed(QStringLiteral("the CSV file has no header row"));
    // Column index per field; -1 for the MAC column.
    std::vector<std::optional<int>> columns;
    int macColumn = -1;
    for (int c = 0; c < records.front().size(); ++c) {
        columns.push_back(columnOf(records.front().at(c)));
        if (columns.back() && *columns.back() == -1) {
            if (macColumn >= 0)
                return failed(QStringLiteral("the CSV header names the MAC column twice"));
            macColumn = c;
        }
    }
    if (macColumn < 0)
        return failed(QStringLiteral("the CSV header has no mac column"));
    PlanReadResult result;
    for (size_t r = 1; r < records.size(); ++r) {
        const QStringList &cells = records[r];
        PlanEntry e;
        e.line = lines[r];
        for (int c = 0; c < cells.size() && c < int(columns.size()); ++c) {
            if (!columns[size_t(c)])
                continue;
            const QString cell = cells.at(c).trimmed();
            if (c == macColumn)
                e.mac = cell;
            else
                e.values[size_t(*columns[size_t(c)])] = cell;
        }
        result.entries.push_back(std::move(e));
    }
    result.ok = true;
    return result;
}

PlanReadResult readPlanJson(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return failed(
            QStringLiteral("the JSON file does not parse at offset %1: %2").arg(error.offset).arg(error.errorString()));
    if (!doc.isArray())
        return failed(QStringLiteral("the JSON file is not an array of terminals"));
    const QJsonArray array = doc.array();
    PlanReadResult result;
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!array.at(i).isObject())
            return failed(QStringLiteral("element %1 of the JSON array is not an object").arg(i + 1));
        const QJsonObject o = array.at(i).toObject();
        auto text = [&o](const char *key) {
            const QJsonValue v = o.value(QLatin1String(key));
            if (v.isDouble()) {
                const double d = v.toDouble();
                return d == std::floor(d) && std::fabs(d) < 1e15 ? QString::number(qint64(d)) : QString::number(d);
            }
            return v.isString() ? v.toString().trimmed() : QString();
        };
        PlanEntry e;
        e.line = int(i) + 1;
        e.mac = text("mac");
        for (int f = 0; f < PlanFieldCount; ++f)
            e.values[size_t(f)] = text(planFieldName(PlanField(f)).toLatin1().constData());
        result.entries.push_back(std::move(e));
    }
    result.ok = true;
    return result;
}

PlanReadResult readPlanFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const bool json = QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0
        || bytes.trimmed().startsWith('[');
    return json ? readPlanJson(bytes) : readPlanCsv(bytes);
}

PlanReadResult readPlanDatabase(const QString &path)
{
    const serverdb::TerminalListing listing = serverdb::readTerminals(path);
    if (!listing.ok) {
        QString why = listing.error;
        if (why.isEmpty())
            why = listing.status == serverdb::ReadStatus::Missing ? QStringLiteral("no such file")
                                                                  : QStringLiteral("not a readable server database");
        return failed(QStringLiteral("cannot read the database %1: %2").arg(path, why));
    }
    PlanReadResult result;
    int line = 0;
    for (const serverdb::TerminalRow &row : listing.rows) {
        PlanEntry e;
        e.line = ++line;
        e.mac = row.texts[serverdb::kColMac].trimmed();
        e.values[size_t(PlanField::Id)] = row.texts[serverdb::kColId].trimmed();
        e.values[size_t(PlanField::Ip)] = row.texts[serverdb::kColIp].trimmed();
        result.entries.push_back(std::move(e));
    }
    result.ok = true;
    return result;
}

} // namespace quenzal
