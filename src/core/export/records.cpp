#include "core/export/records.h"

#include "core/export/json.h"

#include <QJsonArray>

namespace quenzal {

namespace {

template <size_t N> std::array<QString, N> latin1(const char *const (&texts)[N])
{
    std::array<QString, N> out;
    for (size_t i = 0; i < N; ++i)
        out[i] = QString::fromLatin1(texts[i]);
    return out;
}

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

// The ID, IP and MAC of a terminal, as `reconcile` and `diff` name one.
QJsonObject identityJson(const QString &id, const QString &ip, const QString &mac)
{
    QJsonObject o;
    o.insert(key("id"), jsonId(id));
    o.insert(key("ip"), ip);
    o.insert(key("mac"), mac);
    return o;
}

QString who(const TerminalTexts &t)
{
    return QStringLiteral("ID %1  IP %2  MAC %3").arg(t[ColId], t[ColIp], t[ColMac]);
}

} // namespace

QJsonObject terminalRecordJson(const ExportRow &row)
{
    const auto &keys = terminalExportKeys();
    QJsonObject o;
    for (int c = 0; c < TerminalListColumns; ++c) {
        const QString &text = row.texts[size_t(c)];
        o.insert(keys[size_t(c)], c == ColId ? jsonId(text) : QJsonValue(text));
    }
    o.insert(key("shared_id"), row.sharedId);
    o.insert(key("shared_ip"), row.sharedIp);
    o.insert(key("shared_mac"), row.sharedMac);
    return o;
}

const std::array<QString, serverdb::kTerminalColumns> &databaseTerminalCaptions()
{
    // The database window's list.
    static const auto captions
        = latin1({ "ID", "Vol", "M", "IEnable", "RBEnable", "RMEnable", "OBEnable", "IP", "MAC", "Name" });
    return captions;
}

const std::array<QString, serverdb::kTerminalColumns> &databaseTerminalKeys()
{
    // Never rename a key: scripts depend on them.
    static const auto keys
        = latin1({ "id", "vol", "m", "ienable", "rbenable", "rmenable", "obenable", "ip", "mac", "name" });
    return keys;
}

const std::array<QString, 4> &databaseKeyNames()
{
    static const auto names = latin1({ "id", "ip", "mac", "name" });
    return names;
}

QJsonObject databaseTerminalJson(const serverdb::TerminalRow &row, std::uint8_t marks)
{
    const auto &keys = databaseTerminalKeys();
    QJsonObject o;
    for (int c = 0; c < serverdb::kTerminalColumns; ++c) {
        const QString &text = row.texts[size_t(c)];
        o.insert(keys[size_t(c)], c == serverdb::kColId ? jsonId(text) : QJsonValue(text));
    }
    for (size_t k = 0; k < databaseKeyNames().size(); ++k)
        o.insert(QStringLiteral("shared_") + databaseKeyNames()[k], bool((marks >> k) & 1u));
    return o;
}

QStringList differenceHeader()
{
    return { key("KIND"), key("DB ID"), key("DB IP"), key("DB MAC"), key("DB NAME"), key("ID"), key("IP"), key("MAC") };
}

QStringList differenceCells(const Difference &difference, const std::vector<TerminalIdentity> &database,
    const std::vector<TerminalIdentity> &scanned)
{
    const TerminalIdentity none;
    const TerminalIdentity &db = difference.dbRow >= 0 ? database[size_t(difference.dbRow)] : none;
    const TerminalIdentity &net = difference.scanRow >= 0 ? scanned[size_t(difference.scanRow)] : none;
    return { differenceKindName(difference.kind), db.id, db.ip, db.mac, db.name, net.id, net.ip, net.mac };
}

QJsonObject differenceJson(const Difference &difference, const std::vector<TerminalIdentity> &database,
    const std::vector<TerminalIdentity> &scanned)
{
    QJsonObject o;
    o.insert(key("kind"), differenceKindName(difference.kind));
    if (difference.dbRow >= 0) {
        const TerminalIdentity &db = database[size_t(difference.dbRow)];
        QJsonObject row = identityJson(db.id, db.ip, db.mac);
        row.insert(key("name"), db.name);
        o.insert(key("db"), row);
    } else {
        o.insert(key("db"), QJsonValue::Null);
    }
    if (difference.scanRow >= 0) {
        const TerminalIdentity &net = scanned[size_t(difference.scanRow)];
        o.insert(key("terminal"), identityJson(net.id, net.ip, net.mac));
    } else {
        o.insert(key("terminal"), QJsonValue::Null);
    }
    // The differing field's texts as each side shows them, whichever field
    // it is (an ID as "005" on the list's side).
    if (difference.kind >= Difference::IdDiffers) {
        o.insert(key("db_value"), difference.dbValue);
        o.insert(key("terminal_value"), difference.scanValue);
    }
    return o;
}

QString scanChangeLine(
    const ScanChange &change, const std::vector<TerminalTexts> &before, const std::vector<TerminalTexts> &after)
{
    switch (change.kind) {
    case ScanChange::Gone:
        return QStringLiteral("gone     %1").arg(who(before[size_t(change.before)]));
    case ScanChange::New:
        return QStringLiteral("new      %1").arg(who(after[size_t(change.after)]));
    case ScanChange::Changed:
        break;
    }
    const TerminalTexts &a = before[size_t(change.before)], &b = after[size_t(change.after)];
    const auto &keys = terminalExportKeys();
    QStringList changes;
    for (const int c : change.columns)
        changes << QStringLiteral("%1 %2 -> %3").arg(keys[size_t(c)], a[size_t(c)], b[size_t(c)]);
    return QStringLiteral("changed  %1: %2").arg(who(a), changes.join(QStringLiteral(", ")));
}

QJsonObject scanChangeJson(
    const ScanChange &change, const std::vector<TerminalTexts> &before, const std::vector<TerminalTexts> &after)
{
    static const char *const kinds[] = { "changed", "gone", "new" };
    auto side = [](const std::vector<TerminalTexts> &rows, int row) -> QJsonValue {
        if (row < 0)
            return QJsonValue::Null;
        const TerminalTexts &t = rows[size_t(row)];
        return identityJson(t[ColId], t[ColIp], t[ColMac]);
    };
    QJsonObject o;
    o.insert(key("kind"), key(kinds[change.kind]));
    o.insert(key("old"), side(before, change.before));
    o.insert(key("new"), side(after, change.after));
    const auto &keys = terminalExportKeys();
    QJsonArray changes;
    for (const int c : change.columns) {
        QJsonObject field;
        field.insert(key("key"), keys[size_t(c)]);
        field.insert(key("old"), before[size_t(change.before)][size_t(c)]);
        field.insert(key("new"), after[size_t(change.after)][size_t(c)]);
        changes.append(field);
    }
    o.insert(key("changes"), changes);
    return o;
}

} // namespace quenzal
