#pragma once
// The database window's work on the server's SQLite file, without widgets.
//
// Design:
// - Every operation opens its own connections, works and closes them before
//   it returns (the owners in sqliteraii.h), because the server program keeps
//   using the same file; nothing is cached between operations. Every
//   connection waits up to kBusyTimeoutMs for the server's locks.
// - The server's file is read where it lies, through a read-only
//   connection, in short read transactions: listing reads table Terminal and
//   the format mark in one, the Setting fields in another, so memory grows
//   with the rows listed, not with the file, and the server's writes wait
//   only for those reads. Where a copy is the point (a backup, the
//   conversion's backup, the check's copy) the online backup API copies the
//   file in small steps into a file, never into memory; the conversion and
//   the check then read their own copy, not the server's file.
// - Every operation takes an optional OperationControl (sqliteraii.h): the
//   database window runs operations on a worker thread and follows them
//   (waits for the server's lock, progress) and cancels them through it.
// - Reading never changes the server's file: the connection is read-only,
//   never creates a file and never checkpoints a WAL. A file in WAL mode is
//   read with its WAL, which stays as it is (SQLite's shared-memory index
//   beside it, the -shm file, is written as by any reader). A file with a
//   hot journal (a server that died mid-transaction) is not rolled back: the
//   file and its journal are copied aside and the copy is rolled back and
//   read, which gives the last committed state.
// - Failures are told apart (ReadStatus): a missing file lists nothing and
//   says nothing, as before; a locked file, a file that is no database and a
//   file that cannot be read say so.
// - Values are kept as stored (StoredValue: SQLite type plus bytes). The list
//   shows decoded texts, but a delete binds the stored values back, so a name
//   whose bytes do not survive the 8-bit codec, or an ID stored as text, still
//   finds its row. No statement is ever built by pasting values into SQL, and
//   a statement whose parameters cannot all be bound is not run.
// - Duplicate marking counts each shown text once in a hash per column, so a
//   load is linear in the number of rows.
// - Backups and the conversion output are written under a temporary name in
//   the target's folder and renamed into place only when complete, so a
//   crash at any moment leaves either the previous file or a complete one.
//   A backup never replaces an existing file.
// - The conversion copies six tables from its backup of an old-format file
//   into a fresh copy of a blank new-format reference, one transaction per
//   table, with prepared INSERTs whose parameters carry each value with the
//   type its target column expects. A row that the output refuses is
//   counted, not fatal; a read or write error stops the whole conversion and
//   removes the half-written output. Conversions to one output take turns
//   (a lock file beside it), and each removes the temporary files that a
//   killed one left there.
// One file per job: storedvalue.cpp (values), snapshot.cpp (reading),
// terminallisting.cpp (the Terminal list and its marks), setting.cpp,
// deleterows.cpp, backup.cpp, tablecopy.cpp and conversion.cpp; dbfiles.cpp
// holds what they share about files (dbinternal.h).
#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <memory>
#include <cstdint>
#include <vector>

#include "core/serverdb/sqliteraii.h"

namespace quenzal::serverdb {

// One value as SQLite stored it. `bytes` holds the content of a text or blob
// and, for numbers, the text that SQLite renders for them (what the list
// shows); a NULL has no bytes.
struct StoredValue
{
    enum Type : std::uint8_t { Null, Integer, Float, Text, Blob };
    Type type = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes;

    static StoredValue fromColumn(sqlite3_stmt *stmt, int column);
    // fromColumn, false when SQLite could not hand out the value's bytes.
    static bool read(sqlite3_stmt *stmt, int column, StoredValue *out);
    static StoredValue text(const QByteArray &bytes);
    static StoredValue number(qint64 value);

    bool isNull() const { return type == Null; }
    // Binds the value with its stored type; returns the SQLite result code.
    int bindTo(sqlite3_stmt *stmt, int index) const;
    bool operator==(const StoredValue &other) const;
    bool operator!=(const StoredValue &other) const { return !(*this == other); }
};

// Terminal table: ten leading columns; these four identify a row and are
// the ones checked for duplicates.
constexpr int kTerminalColumns = 10;
constexpr int kColId = 0;
constexpr int kColIp = 7;
constexpr int kColMac = 8;
constexpr int kColName = 9;
constexpr std::array<int, 4> kKeyColumns { kColId, kColIp, kColMac, kColName };

// Texts of the format field.
QString newFormatText();
QString oldFormatText();

// The text the list shows for a stored value in a Terminal column: Names are
// in the system's 8-bit code page, everything else is read as Latin-1.
QString cellText(int column, const QByteArray &bytes);

// Stored values of ID, IP, MAC and Name, in the order of kKeyColumns. A
// column the table lacks reads as NULL.
using TerminalKey = std::array<StoredValue, 4>;

struct TerminalRow
{
    std::array<QString, kTerminalColumns> texts;
    TerminalKey key;
};

// How reading the server's file went.
enum class ReadStatus {
    Ok,
    Missing, // no file at the path (nothing is created there)
    Locked, // the server held its lock for longer than the busy timeout
    NotADatabase, // the file is no SQLite database (an empty file included)
    Unreadable, // damaged, unreadable, or without the table asked for
};

// The SQLite result code's meaning for the user.
ReadStatus readStatusOf(int sqliteCode);

// A read-only connection on the database file at `path`, its header read
// once (see Design); with a hot journal, on a rolled-back copy kept in a
// temporary folder as long as the connection lives.
struct ReadSource
{
    ReadStatus status = ReadStatus::Unreadable;
    Connection db;
    QString error;
    std::unique_ptr<QTemporaryDir> rolledBackCopy;
};
ReadSource openForReading(const QString &path, const OperationControl *control = nullptr);

// A deferred read transaction for its lifetime: what is read in it is one
// committed state of the file.
class ReadTransaction
{
public:
    explicit ReadTransaction(sqlite3 *db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

private:
    sqlite3 *m_db;
    bool m_open;
};

struct TerminalListing
{
    ReadStatus status = ReadStatus::Unreadable;
    bool ok = false; // the Terminal query ran to its end
    bool newFormat = false; // table AlarmInformation exists
    std::vector<TerminalRow> rows;
    QString error;
};

// Reads the distinct rows of table Terminal and the format mark of the file,
// in short read transactions by rowid (terminallisting.cpp says how a server
// committing meanwhile is followed).
TerminalListing readTerminals(const QString &path, const OperationControl *control = nullptr);
// The same on an open connection (in the caller's transaction, if any).
TerminalListing listTerminals(sqlite3 *db, const OperationControl *control = nullptr);

// For each row, a bit per key column (bit i for kKeyColumns[i]) set when
// another row shows the same text in that column.
std::vector<std::uint8_t> duplicateMarks(const std::vector<TerminalRow> &rows);

struct SettingValues
{
    ReadStatus status = ReadStatus::Unreadable; // of the file
    bool ok = false; // the query ran and gave a first row
    bool hasNetworkType = false;
    bool hasServerIp = false;
    StoredValue networkType;
    StoredValue serverIp;
};

SettingValues readSetting(const QString &path, const OperationControl *control = nullptr);
SettingValues readSettingFrom(sqlite3 *db);
// "LAN" for exactly "0", "WAN" for anything else, NULL included.
QString networkTypeText(const StoredValue &value);
// The bound address, "Auto" when empty or NULL.
QString serverIpText(const StoredValue &value);

// True when table AlarmInformation exists on the connection (empty or not):
// the mark of the new format.
bool Function_HasAlarmTable(sqlite3 *db);

struct DeleteResult
{
    bool ok = false;
    int removed = 0;
    int code = 0; // SQLite result code of a failure
    QString error;
};

// Deletes every Terminal row whose ID, IP, MAC and Name equal the stored
// values (NULL matches NULL); rows that differ only elsewhere go together.
DeleteResult deleteTerminalRows(const QString &path, const TerminalKey &key, const OperationControl *control = nullptr);

// "<folder>/Velmora_yyyy_MM_dd_hh_mm_ss<suffix>".
QString backupFileName(const QString &folder, const QDateTime &when, const QString &suffix);

struct BackupResult
{
    bool ok = false;
    QString target;
    QString error;
};

// Copies a database with the online backup API, in steps, into a file that
// must not exist yet. On failure or cancel nothing is left at the target.
BackupResult backupDatabase(const QString &source, const QString &target, const OperationControl *control = nullptr);
// Writes an open database into a new file `target`, under a temporary name
// first; never replaces an existing file.
BackupResult writeDatabaseFile(sqlite3 *db, const QString &target, const OperationControl *control = nullptr);

struct TableCopyResult
{
    QString table;
    int read = 0; // distinct source rows
    int copied = 0; // rows the output accepted
    int skipped = 0; // rows the output refused
    bool missing = false; // the table is missing in the source
};

// The six copy steps. Each runs inside the caller's transaction on `out`.
// They return false only on a read or write error that makes the whole
// conversion worthless (the message goes to *error).
bool Function_CopyTerminal(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error);
bool Function_CopyTeam(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error);
bool Function_CopySolution(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error);
bool Function_CopyTask(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error);
bool Function_CopyUser(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error);
bool Function_CopyMusicData(sqlite3 *src, sqlite3 *out, TableCopyResult *result, QString *error);

struct ConversionResult
{
    enum Status {
        Done,
        SourceUnreadable, // not a database, locked, corrupt header
        AlreadyNewFormat,
        SameFile, // the source is the output or the reference
        BackupFailed,
        OutputNotReplaced, // the reference could not be copied to the output
        Failed, // a read or write error during the copy steps
    };
    Status status = Failed;
    QString backupPath;
    std::vector<TableCopyResult> tables;
    QString error;

    int skippedRows() const;
};

// The six copy steps from an open source into an open output, each in its
// own transaction on the output. Returns false on a read or write error
// (the message goes to *error); the tables done so far are in *tables.
bool copyTables(sqlite3 *src, sqlite3 *out, std::vector<TableCopyResult> *tables, QString *error);

// Converts an old-format database: backs it up to `backupPath`, fills a copy
// of `referencePath` under a temporary name beside `outputPath` from that
// backup and renames it to `outputPath` once complete. A cancelled
// conversion removes its backup and its output (status Failed).
// The caller has checked that source and reference exist.
ConversionResult convertDatabase(const QString &sourcePath, const QString &referencePath, const QString &outputPath,
    const QString &backupPath, const OperationControl *control = nullptr);

} // namespace quenzal::serverdb

Q_DECLARE_METATYPE(quenzal::serverdb::StoredValue)
Q_DECLARE_METATYPE(quenzal::serverdb::TerminalKey)
