#pragma once
// The rules every JSON output of the tool follows (docs/export.md): an
// array of records, written by QJsonDocument in its indented form (keys in
// alphabetical order, four blanks per level); an ID is a JSON number, an
// address and every other value a text as the tool shows it.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonValue>
#include <QString>

namespace quenzal {

// An ID as a JSON number when its text reads as a decimal integer ("005" is
// 5), else the text itself, so that nothing is lost.
QJsonValue jsonId(const QString &text);

// The records as the output's bytes. No record at all is "[]\n".
QByteArray jsonArrayBytes(const QJsonArray &records);

} // namespace quenzal
