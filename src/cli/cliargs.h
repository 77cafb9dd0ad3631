#pragma once
// The command line of quenzal-cli, read into plain option structs before
// anything opens a socket or a file. Every value is checked here: a bad
// address, range, number or field ends the run with exit code 2 and one
// line on stderr, and nothing has been sent. Pure apart from the interface
// lookup, so it is fuzzed directly.
#include "core/commands/commandpackets.h"
#include "core/discovery/scanrange.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QString>
#include <QStringList>

namespace quenzal::cli {

enum ExitCode : int {
    ExitOk = 0,
    ExitFailure = 1, // a socket that cannot be bound, a file that cannot be read
    ExitUsage = 2, // bad usage: nothing was sent
    ExitNotVerified = 3,
    ExitDifferences = 4,
};

enum class Format { Table, Csv, Json };

struct ScanOptions
{
    bool wan = false;
    ScanFields range; // WAN: the window's eight scan fields
    int count = 0; // WAN: addresses queried
    QString interfaceName; // empty: the system's choice
    QNetworkInterface interface;
    int waitMs = 2000;
    Format format = Format::Table;
    bool allowLoss = false; // replies lost to a full buffer do not fail the run
};

enum class SetField { Id, Ip, Mask, Gateway, Server, Mac, Dhcp };

struct SetOptions
{
    bool byId = true; // --id: LAN multicast; --ip: WAN unicast
    int id = 0;
    QHostAddress address;
    SetField field = SetField::Id;
    QString fieldName; // as given: id, ip, ...
    TerminalCommand command = TerminalCommand::SetId;
    QStringList commandFields; // the texts the window's fields would hold
    int column = 0; // column of the list that shows the new value
    QString expected; // its text once the terminal took the value
    QHostAddress newAddress; // field ip: where the terminal answers afterwards
    bool verify = true;
    QString interfaceName;
    QNetworkInterface interface;
};

struct RenumberOptions
{
    ScanOptions scan;
    int start = 0;
    bool mac = false;
    bool dryRun = false;
};

struct DbOptions
{
    enum Op { List, Check, Backup, Convert };
    Op op = List;
    QString path;
    Format format = Format::Table;
    QString reference = QStringLiteral("LS_New.db");
    QString output = QStringLiteral("Velmora_new.db");
};

struct ReconcileOptions
{
    ScanOptions scan;
    QString database;
};

struct DiffOptions
{
    QString oldPath;
    QString newPath;
};

struct ApplyOptions
{
    ScanOptions scan; // format: table or json
    QString plan; // a CSV or JSON plan file
    QString database; // --from-db: the server's database as the plan
    bool dryRun = false;
    QString report; // --report: JSON or CSV by the extension; empty: none
};

struct Command
{
    enum Kind { Invalid, Help, Version, Scan, Set, Renumber, Db, Reconcile, Diff, Apply };
    Kind kind = Invalid;
    QString error; // Invalid: the one-line message
    QString text; // Help: the text to print
    ScanOptions scan;
    SetOptions set;
    RenumberOptions renumber;
    DbOptions db;
    ReconcileOptions reconcile;
    DiffOptions diff;
    ApplyOptions apply;
};

// `args` as main() gets them, program name first.
Command parseCommandLine(const QStringList &args);

// A message fit for one line of stderr: control characters shown as '?',
// cut to a sane length.
QString oneLine(const QString &text);

} // namespace quenzal::cli
