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
// Writes everything to stdout; false when stdout refused it.
bool writeOut(const QByteArray &bytes);

// Columns padded to the widest cell (by characters; East Asian wide
// characters count twice), two blanks apart, header first.
QByteArray textTable(const QStringList &header, const std::vector<QStringList> &rows);

} // namespace quenzal::cli
