#pragma once
// The terminal list as files: CSV for spreadsheets, JSON for scripts.
//
// Both start from the rows of the list as 32 texts, exactly as the list shows
// them, so an export of the window and the command-line tool's `scan` output
// are the same file for the same replies. CSV is the list itself in the
// tool's CSV form (core/export/csv.h): the 32 captions of the list's header
// as the first line, then one line per row. JSON is an array of the list's
// records (core/export/records.h, docs/export.md): a stable English key per
// column, `id` a number, every other column the text the list shows, plus
// the three duplicate flags of the list's colours (`shared_id`, `shared_ip`,
// `shared_mac`). A JSON export reads back into the same rows, for comparing
// two scans.
#include "core/export/csv.h"
#include "core/transport/statusreply.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace quenzal {

// The captions of the list's header, in column order.
const std::array<QString, TerminalListColumns> &terminalHeaderCaptions();
// The JSON key of each column, in column order ("id", "ip", "mask", ...).
const std::array<QString, TerminalListColumns> &terminalExportKeys();
// Column of a JSON key, or -1.
int terminalColumnOfKey(const QString &key);

struct ExportRow
{
    TerminalTexts texts;
    bool sharedId = false;
    bool sharedIp = false;
    bool sharedMac = false;
};

// The rows with the flags the list's colours show: a row's ID (IP, MAC) text
// is held by another row as well.
std::vector<ExportRow> markShared(const std::vector<TerminalTexts> &rows);

QByteArray terminalsToCsv(const std::vector<TerminalTexts> &rows);
QByteArray terminalsToJson(const std::vector<TerminalTexts> &rows);
QByteArray terminalsToJson(const std::vector<ExportRow> &rows);

// The rows as tab-separated text, one line per row ("\n" after each), the
// cells as the list shows them: what Ctrl+C on the list puts on the
// clipboard.
QString terminalsToTsv(const std::vector<TerminalTexts> &rows);

// How many rows there are and how many of them share their ID, IP or MAC
// with another row (the rows the list colours).
struct SharedCounts
{
    int rows = 0;
    int sharedId = 0;
    int sharedIp = 0;
    int sharedMac = 0;
};
SharedCounts countShared(const std::vector<TerminalTexts> &rows);
// The same from the ID, IP and MAC texts of each row.
using SharedKeys = std::array<QString, 3>;
SharedCounts countSharedKeys(const std::vector<SharedKeys> &rows);

// True when some cell contains `needle`, ignoring case; an empty needle
// matches every row. The list's filter field.
bool rowContainsText(const TerminalTexts &row, const QString &needle);

struct JsonImport
{
    bool ok = false;
    QString error; // why not, for the user
    std::vector<ExportRow> rows;
};

// Reads a JSON export back. `id` may be a number or a text; a missing key
// reads as an empty text; unknown keys are ignored. The ID text is formatted
// as the list formats it ("%03ld").
JsonImport terminalsFromJson(const QByteArray &json);

} // namespace quenzal
