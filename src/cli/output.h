#pragma once
// Everything quenzal-cli prints: results to stdout, messages to stderr, and
// the aligned text tables of the `table` format.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace quenzal::cli {

// "quenzal-cli: <text>" as one line on stderr.
void printError(const QString &text);
// A line on stderr without the program name.
void printNote(const QString &text);
// Writes everything to stdout; false when stdout refused it. A refusal is
// remembered: the run then ends with exit code 1 (see finishOutput).
bool writeOut(const QByteArray &bytes);
// Flushes stdout and, when some output could not be written, says why on
// stderr; returns the exit code the run ends with: `code`, or 1 after a
// failed write.
int finishOutput(int code);

// Columns padded to the widest cell (by characters; East Asian wide
// characters count twice), two blanks apart, header first.
QByteArray textTable(const QStringList &header, const std::vector<QStringList> &rows);

} // namespace quenzal::cli
