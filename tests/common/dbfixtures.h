#pragma once
// Builds the SQLite files the database tests work on: old-format and
// new-format server databases and the blank new-format reference, with
// values written through bound parameters so that any byte sequence, NULLs
// and quotes end up stored exactly as given.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace fixtures {

// A value to store: QVariant() is NULL, qlonglong/int an integer, double a
// real, QByteArray a text with exactly these bytes, QString a text in the
// local 8-bit encoding (what the server writes for names).
using Row = QList<QVariant>;

// Runs SQL statements on the file, creating it when missing. Fails the
// calling test (returns false) on any error.
bool exec(const QString &path, const QByteArray &sql);
bool insert(const QString &path, const QByteArray &table, const QList<Row> &rows);
// Every row of a table with each value as stored (types preserved as above,
// texts as QByteArray, blobs as QByteArray too).
QList<Row> rows(const QString &path, const QByteArray &sql);
QList<QByteArray> columnTypes(const QString &path, const QByteArray &sql);

// Schemas. The old format has no AlarmInformation; the new one does, and
// its Team, Solution, Task, User and MusicData have the new column layout.
bool createOldFormat(const QString &path);
bool createNewFormat(const QString &path);
// The blank reference: new format with its "Default Group" team and
// "Default Solution" solution and a Setting row.
bool createReference(const QString &path);

// An old-format Task row c0..c24 with recognisable values.
Row oldTaskRow(int n);

QByteArray fileDigest(const QString &path);

} // namespace fixtures
