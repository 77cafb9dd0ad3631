#pragma once
// What the option readers of the subcommands share: the parser wrapper that
// adds --help and names the subcommand in its usage line, the options that
// several subcommands take, and the checks of their values. Each
// subcommand's own options are read in cmd_X_options.cpp beside cmd_X.cpp;
// cliargs.cpp picks the subcommand.
#include "cli/cliargs.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

namespace quenzal::cli {

extern const QString Program;
// An ID travels as an ID pair whose high byte is ID div 256 + 1: above
// 65279 it no longer fits a byte.
constexpr int MaxId = 65279;
constexpr double MaxWaitSeconds = 3600;

Command invalid(const QString &why);
Command help(const QString &text);
bool parseFormat(const QString &text, Format *format);
bool parseInt(const QString &text, int min, int max, int *out);

// The "Exit codes:" lines of a subcommand's help ("db list" and so on for
// the database operations).
QString exitCodesHelp(const QString &subcommand);

// The parser of one subcommand; "--help" is added to every one.
struct SubParser
{
    QCommandLineParser parser;
    QString name;

    SubParser(const QString &subcommand, const QString &description)
        : name(subcommand)
    {
        parser.setApplicationDescription(description);
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
        parser.addHelpOption();
    }

    // The parser's help with the subcommand in its usage line (the parser
    // itself names the program by its path), and its exit codes.
    QString helpText() const
    {
        QString text = parser.helpText();
        const qsizetype options = text.indexOf(QLatin1String(" [options]"));
        const qsizetype eol = text.indexOf(QLatin1Char('\n'));
        if (text.startsWith(QLatin1String("Usage: ")) && options > 0 && options < eol)
            text.replace(7, options - 7, Program + QLatin1Char(' ') + name);
        return text + QLatin1Char('\n') + exitCodesHelp(name);
    }

    // The Command to return at once: the usage error, or the help when
    // --help was given; nothing when the options are to be read on.
    std::optional<Command> start(const QStringList &rest)
    {
        QString error;
        bool helpShown = false;
        if (!parse(rest, &error, &helpShown))
            return invalid(error);
        if (helpShown)
            return help(helpText());
        return std::nullopt;
    }

    // False with *error set, or true; *helpShown when --help was given.
    bool parse(const QStringList &rest, QString *error, bool *helpShown)
    {
        QStringList args { Program + QLatin1Char(' ') + name };
        args += rest;
        if (!parser.parse(args)) {
            *error = name + QStringLiteral(": ") + parser.errorText();
            return false;
        }
        *helpShown = parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"));
        return true;
    }
};

const QCommandLineOption &wanOption();
const QCommandLineOption &allowLossOption();
const QCommandLineOption &interfaceOption();
const QCommandLineOption &waitOption();
const QCommandLineOption &formatOption();
bool readInterface(const QCommandLineParser &p, QString *name, QNetworkInterface *iface, QString *error);
bool readScan(const QCommandLineParser &p, ScanOptions *scan, QString *error, bool withFormat);

// The subcommands' option readers; `rest` is what follows the subcommand.
Command parseScan(const QStringList &rest);
Command parseSet(const QStringList &rest);
Command parseRenumber(const QStringList &rest);
Command parseDb(const QStringList &rest);
Command parseReconcile(const QStringList &rest);
Command parseDiff(const QStringList &rest);
Command parseApply(const QStringList &rest);

} // namespace quenzal::cli
