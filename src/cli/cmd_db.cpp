// db: the database window's operations on a server database file.
#include "cli/commands.h"
#include "cli/output.h"
#include "core/export/csv.h"
#include "core/export/json.h"
#include "core/export/records.h"
#include "core/serverdb/dbcheck.h"
#include "core/serverdb/dbcore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace quenzal::cli {

using namespace quenzal::serverdb;

namespace {

int list(const DbOptions &o)
{
    const TerminalListing listing = readTerminals(o.path);
    if (!listing.ok) {
        printError(QStringLiteral("cannot read the Terminal table of %1: %2").arg(o.path, listing.error));
        return ExitFailure;
    }
    const std::vector<std::uint8_t> marks = duplicateMarks(listing.rows);
    QByteArray out;
    if (o.format == Format::Json) {
        QJsonArray records;
        for (size_t r = 0; r < listing.rows.size(); ++r)
            records.append(databaseTerminalJson(listing.rows[r], marks[r]));
        out = jsonArrayBytes(records);
    } else if (o.format == Format::Csv) {
        CsvWriter csv;
        csv.addRow(databaseTerminalCaptions());
        for (const TerminalRow &row : listing.rows)
            csv.addRow(row.texts);
        out = csv.bytes();
    } else {
        const auto &captions = databaseTerminalCaptions();
        QStringList header(captions.begin(), captions.end());
        header << QStringLiteral("SHARED");
        std::vector<QStringList> cells;
        for (size_t r = 0; r < listing.rows.size(); ++r) {
            QStringList line(listing.rows[r].texts.begin(), listing.rows[r].texts.end());
            QStringList shared;
            for (int k = 0; k < 4; ++k) {
                if ((marks[r] >> k) & 1u)
                    shared << databaseKeyNames()[size_t(k)];
            }
            line << shared.join(QLatin1Char(','));
            cells.push_back(line);
        }
        out = textTable(header, cells);
    }
    if (!writeOut(out))
        return ExitFailure; // said by finishOutput()
    return ExitOk;
}

int check(const DbOptions &o)
{
    const DatabaseCheck c = checkDatabase(o.path);
    if (!c.opened) {
        printError(QStringLiteral("cannot read %1 as a database: %2").arg(o.path, c.error));
        return ExitFailure;
    }
    QString out;
    out += QStringLiteral("file: %1\n").arg(o.path);
    out += QStringLiteral("format: %1\n")
               .arg(c.newFormat ? QStringLiteral("new (V2.0)") : QStringLiteral("old (V1.0)"));
    out += QStringLiteral("integrity: %1\n").arg(c.integrityOk ? QStringLiteral("ok") : QStringLiteral("damaged"));
    if (!c.integrityOk) {
        for (const QString &line : c.integrity.mid(0, 20))
            out += QStringLiteral("  %1\n").arg(oneLine(line));
    }
    if (!c.terminalsRead) {
        out += QStringLiteral("terminals: table Terminal not readable (%1)\n").arg(oneLine(c.error));
    } else {
        out += QStringLiteral("terminals: %1\n").arg(c.rows.size());
        for (int k = 0; k < 4; ++k) {
            out += QStringLiteral("shared %1: %2 rows").arg(databaseKeyNames()[size_t(k)]).arg(c.sharedRows(k));
            QStringList values;
            for (size_t r = 0; r < c.rows.size() && values.size() < 10; ++r) {
                const QString v = c.rows[r].texts[size_t(kKeyColumns[size_t(k)])];
                if (((c.marks[r] >> k) & 1u) && !values.contains(v))
                    values << v;
            }
            if (!values.isEmpty())
                out += QStringLiteral(" (%1)").arg(oneLine(values.join(QStringLiteral(", "))));
            out += QLatin1Char('\n');
        }
    }
    out += QStringLiteral("result: %1\n").arg(c.sound() ? QStringLiteral("sound") : QStringLiteral("not sound"));
    writeOut(out.toUtf8());
    return c.sound() ? ExitOk : ExitDifferences;
}

int backup(const DbOptions &o)
{
    if (!QFileInfo(o.path).isFile()) {
        printError(QStringLiteral("no database file at %1").arg(o.path));
        return ExitFailure;
    }
    const QString target
        = backupFileName(QFileInfo(o.path).absolutePath(), QDateTime::currentDateTime(), QStringLiteral(".db"));
    const BackupResult r = backupDatabase(o.path, target);
    if (!r.ok) {
        printError(QStringLiteral("backup failed: %1").arg(r.error));
        return ExitFailure;
    }
    writeOut((QDir::toNativeSeparators(r.target) + QLatin1Char('\n')).toUtf8());
    return ExitOk;
}

int convert(const DbOptions &o)
{
    if (!QFileInfo(o.path).isFile()) {
        printError(QStringLiteral("no database file at %1").arg(o.path));
        return ExitFailure;
    }
    if (!QFileInfo(o.reference).isFile()) {
        printError(QStringLiteral("no blank new-format reference database at %1").arg(o.reference));
        return ExitFailure;
    }
    // The pre-conversion backup goes where the window puts it: the working
    // directory.
    const QString backupPath = backupFileName(QString(), QDateTime::currentDateTime(), QStringLiteral("_41X.db"));
    const ConversionResult r = convertDatabase(o.path, o.reference, o.output, backupPath);
    switch (r.status) {
    case ConversionResult::Done: {
        QStringList header { QStringLiteral("TABLE"), QStringLiteral("READ"), QStringLiteral("CONVERTED"),
            QStringLiteral("SKIPPED") };
        std::vector<QStringList> cells;
        for (const TableCopyResult &t : r.tables)
            cells.push_back({ t.table, t.missing ? QStringLiteral("missing") : QString::number(t.read),
                QString::number(t.copied), QString::number(t.skipped) });
        QByteArray out = textTable(header, cells);
        out += QStringLiteral("output: %1\nbackup: %2\n").arg(o.output, r.backupPath).toUtf8();
        writeOut(out);
        return ExitOk;
    }
    case ConversionResult::AlreadyNewFormat:
        printNote(QStringLiteral("%1 is already in the new format; nothing converted").arg(o.path));
        return ExitOk;
    case ConversionResult::SourceUnreadable:
        printError(QStringLiteral("cannot read %1: %2").arg(o.path, r.error));
        break;
    case ConversionResult::SameFile:
        printError(QStringLiteral("the source must not be the output or the reference"));
        break;
    case ConversionResult::BackupFailed:
        printError(QStringLiteral("the backup before the conversion failed: %1").arg(r.error));
        break;
    case ConversionResult::OutputNotReplaced:
        printError(QStringLiteral("cannot replace %1 by a copy of the reference: %2").arg(o.output, r.error));
        break;
    case ConversionResult::Failed:
        printError(QStringLiteral("conversion failed, no output left: %1").arg(r.error));
        break;
    }
    return ExitFailure;
}

} // namespace

int runDb(const DbOptions &o)
{
    switch (o.op) {
    case DbOptions::List:
        return list(o);
    case DbOptions::Check:
        return check(o);
    case DbOptions::Backup:
        return backup(o);
    case DbOptions::Convert:
        return convert(o);
    }
    return ExitUsage;
}

} // namespace quenzal::cli
