#include "core/discovery/terminalexport.h"
#include "core/platform.h"

#include "core/export/json.h"
#include "core/export/records.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

namespace quenzal {

namespace {

template <size_t N> std::array<QString, N> fromUtf8(const char *const (&texts)[N])
{
    std::array<QString, N> out;
    for (size_t i = 0; i < N; ++i)
        out[i] = QString::fromUtf8(texts[i]);
    return out;
}

// The form's captions (toolforkx.ui), in column order.
const char *const Captions[TerminalListColumns]
    = { "编号", "本地地址", "子网掩码", "本地网关", "MAC地址", "服务器地址", "链接", "DHCP", "音量", "网络", "固件",
          "类型", "型号", "功放", "主机1", "主机2", "主机3", "Mode", "增益", "延迟", "LAN频率", "WAN频率", "自动接听",
          "采集地址", "外部音频", "话筒模式", "Group", "第二服务器", "字库", "引导", "响铃开关", "最大音量" };

// Never rename a key: scripts and saved scans depend on them.
const char *const Keys[TerminalListColumns]
    = { "id", "ip", "mask", "gateway", "mac", "server", "link", "dhcp", "volume", "network", "firmware", "type",
          "model", "amplifier", "host1", "host2", "host3", "mode", "gain", "delay", "lan_rate", "wan_rate",
          "auto_answer", "capture", "ext_audio", "mic_mode", "group", "server2", "font", "boot", "ring", "max_volume" };

} // namespace

const std::array<QString, TerminalListColumns> &terminalHeaderCaptions()
{
    static const std::array<QString, TerminalListColumns> captions = fromUtf8(Captions);
    return captions;
}

const std::array<QString, TerminalListColumns> &terminalExportKeys()
{
    static const std::array<QString, TerminalListColumns> keys = fromUtf8(Keys);
    return keys;
}

int terminalColumnOfKey(const QString &key)
{
    const auto &keys = terminalExportKeys();
    for (int c = 0; c < TerminalListColumns; ++c) {
        if (keys[size_t(c)] == key)
            return c;
    }
    return -1;
}

std::vector<ExportRow> markShared(const std::vector<TerminalTexts> &rows)
{
    QHash<QString, int> ids, ips, macs;
    for (const TerminalTexts &r : rows) {
        ++ids[r[ColId]];
        ++ips[r[ColIp]];
        ++macs[r[ColMac]];
    }
    std::vector<ExportRow> out;
    out.reserve(rows.size());
    for (const TerminalTexts &r : rows)
        out.push_back(ExportRow { r, ids.value(r[ColId]) > 1, ips.value(r[ColIp]) > 1, macs.value(r[ColMac]) > 1 });
    return out;
}

QString terminalsToTsv(const std::vector<TerminalTexts> &rows)
{
    QString out;
    for (const TerminalTexts &r : rows) {
        for (int c = 0; c < TerminalListColumns; ++c) {
            if (c > 0)
                out += QLatin1Char('\t');
            // A tab or line break inside a cell would split it.
            QString cell = r[size_t(c)];
            cell.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
            out += cell;
        }
        out += QLatin1Char('\n');
    }
    return out;
}

// The same counts as markShared gives, from the three compared texts alone:
// copying every cell of tens of thousands of rows costs the window a pause.
SharedCounts countSharedKeys(const std::vector<SharedKeys> &rows)
{
    std::array<QHash<QString, int>, 3> seen;
    for (QHash<QString, int> &h : seen)
        h.reserve(qsizetype(rows.size()));
    for (const SharedKeys &r : rows) {
        for (size_t k = 0; k < 3; ++k)
            ++seen[k][r[k]];
    }
    SharedCounts c;
    c.rows = int(rows.size());
    for (const SharedKeys &r : rows) {
        c.sharedId += seen[0].value(r[0]) > 1 ? 1 : 0;
        c.sharedIp += seen[1].value(r[1]) > 1 ? 1 : 0;
        c.sharedMac += seen[2].value(r[2]) > 1 ? 1 : 0;
    }
    return c;
}

SharedCounts countShared(const std::vector<TerminalTexts> &rows)
{
    std::vector<SharedKeys> keys;
    keys.reserve(rows.size());
    for (const TerminalTexts &r : rows)
        keys.push_back({ r[ColId], r[ColIp], r[ColMac] });
    return countSharedKeys(keys);
}

namespace {

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Whether `cell` contains `needle` ignoring case, where both are ASCII:
// folding ASCII letters alone gives the answer full case folding gives.
// Typing into the filter searches every cell of tens of thousands of rows;
// the general case-insensitive search costs several times more per cell.
bool asciiContains(QStringView cell, QStringView needle)
{
    const qsizetype n = needle.size();
    const char16_t first = asciiLower(needle[0].unicode());
    for (qsizetype i = 0; i + n <= cell.size(); ++i) {
        if (asciiLower(cell[i].unicode()) != first)
            continue;
        qsizetype j = 1;
        while (j < n && asciiLower(cell[i + j].unicode()) == asciiLower(needle[j].unicode()))
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

} // namespace

bool rowContainsText(const TerminalTexts &row, const QString &needle)
{
    if (needle.isEmpty())
        return true;
    const bool asciiNeedle = isAscii(needle);
    // The cells' characters lie apart in memory: asking for all of them at
    // once lets the reads of a row overlap instead of waiting one by one.
    for (const QString &cell : row)
        prefetchForRead(cell.constData());
    for (const QString &cell : row) {
        if (cell.size() < needle.size())
            continue; // case folding keeps the length of a text
        const bool found
            = asciiNeedle && isAscii(cell) ? asciiContains(cell, needle) : cell.contains(needle, Qt::CaseInsensitive);
        if (found)
            return true;
    }
    return false;
}

QByteArray terminalsToCsv(const std::vector<TerminalTexts> &rows)
{
    CsvWriter csv;
    csv.reserve(qsizetype(rows.size() + 1) * 200);
    csv.addRow(terminalHeaderCaptions());
    for (const TerminalTexts &r : rows)
        csv.addRow(r);
    return csv.bytes();
}

QByteArray terminalsToJson(const std::vector<TerminalTexts> &rows)
{
    return terminalsToJson(markShared(rows));
}

QByteArray terminalsToJson(const std::vector<ExportRow> &rows)
{
    QJsonArray records;
    for (const ExportRow &r : rows)
        records.append(terminalRecordJson(r));
    return jsonArrayBytes(records);
}

JsonImport terminalsFromJson(const QByteArray &json)
{
    JsonImport result;
    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        result.error = QStringLiteral("not JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset);
        return result;
    }
    if (!doc.isArray()) {
        result.error = QStringLiteral("not a JSON array of terminals");
        return result;
    }
    const QJsonArray array = doc.array();
    const auto &keys = terminalExportKeys();
    result.rows.reserve(size_t(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!array.at(i).isObject()) {
            result.error = QStringLiteral("element %1 is not an object").arg(i);
            result.rows.clear();
            return result;
        }
        const QJsonObject object = array.at(i).toObject();
        ExportRow row;
        for (int c = 0; c < TerminalListColumns; ++c) {
            const QJsonValue v = object.value(keys[size_t(c)]);
            if (c == ColId && v.isDouble()) {
                const double d = v.toDouble();
                row.texts[size_t(c)] = (d >= -2147483648.0 && d <= 2147483647.0 && d == std::floor(d))
                    ? idText(long(d))
                    : QString::number(d, 'g', 17);
            } else if (v.isString()) {
                row.texts[size_t(c)] = v.toString();
            } else if (v.isDouble()) {
                row.texts[size_t(c)] = QString::number(v.toDouble());
            }
        }
        row.sharedId = object.value(QLatin1String("shared_id")).toBool();
        row.sharedIp = object.value(QLatin1String("shared_ip")).toBool();
        row.sharedMac = object.value(QLatin1String("shared_mac")).toBool();
        result.rows.push_back(std::move(row));
    }
    result.ok = true;
    return result;
}

} // namespace quenzal
