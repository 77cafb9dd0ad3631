#pragma once
// Every kind of record the tool writes, one writer each, so that the window
// and quenzal-cli cannot drift apart: the keys and types here are the ones
// docs/export.md lists. The JSON rules (ID a number, addresses texts, the
// layout) are in core/export/json.h, the CSV form in core/export/csv.h.
#include "core/discovery/reconcile.h"
#include "core/discovery/terminalexport.h"
#include "core/export/scandiff.h"
#include "core/serverdb/dbcore.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace quenzal {

// --- A row of the terminal list (`scan`, the window's export) ------------
// The 32 columns by their keys (terminalExportKeys()), `id` a number, the
// others the texts the list shows, and the flags shared_id, shared_ip,
// shared_mac. Its CSV form is the row's 32 texts (terminalsToCsv).
QJsonObject terminalRecordJson(const ExportRow &row);

// --- A row of the server database's table Terminal (`db list`) -----------
// Captions (CSV header, table header) and JSON keys, in column order.
const std::array<QString, serverdb::kTerminalColumns> &databaseTerminalCaptions();
const std::array<QString, serverdb::kTerminalColumns> &databaseTerminalKeys();
// The names of the key columns (serverdb::kKeyColumns): "id", "ip", "mac", "name".
const std::array<QString, 4> &databaseKeyNames();
// The 10 columns by their keys, `id` a number, the others texts, and
// shared_id, shared_ip, shared_mac, shared_name from `marks`
// (serverdb::duplicateMarks: bit i for key column i).
QJsonObject databaseTerminalJson(const serverdb::TerminalRow &row, std::uint8_t marks);

// --- A difference between the database and the network (`reconcile`) -----
// `database` and `scanned` are the identities the difference's rows index.
// The table and CSV form: KIND, DB ID, DB IP, DB MAC, DB NAME, ID, IP, MAC;
// a side without a row shows empty cells.
QStringList differenceHeader();
QStringList differenceCells(const Difference &difference, const std::vector<TerminalIdentity> &database,
    const std::vector<TerminalIdentity> &scanned);
// kind, db ({id, ip, mac, name} or null), terminal ({id, ip, mac} or null),
// and for the kinds id, ip and mac the two texts db_value, terminal_value.
QJsonObject differenceJson(const Difference &difference, const std::vector<TerminalIdentity> &database,
    const std::vector<TerminalIdentity> &scanned);

// --- A change between two saved scans (`diff`) ---------------------------
// "gone     ID 003  IP …  MAC …", "new      …", or "changed  ID …: key old ->
// new, …" with the changed columns by their JSON keys; no line end.
QString scanChangeLine(
    const ScanChange &change, const std::vector<TerminalTexts> &before, const std::vector<TerminalTexts> &after);
// kind ("changed", "gone", "new"), old and new ({id, ip, mac} or null) and
// changes ([{key, old, new}], the texts as the list shows them).
QJsonObject scanChangeJson(
    const ScanChange &change, const std::vector<TerminalTexts> &before, const std::vector<TerminalTexts> &after);

} // namespace quenzal
