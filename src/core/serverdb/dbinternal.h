#pragma once
// Helpers that the database operations' files share; not part of the core's
// interface.
#include <QString>

#include "core/serverdb/sqliteraii.h"

namespace quenzal::serverdb::detail {

// The last statement failed because a table is missing.
bool isMissingTable(sqlite3 *db);
// The message of a database file that does not exist.
QString noSuchFile(const QString &path);
// Removes a database file with its journal, WAL and shared-memory files.
void removeDatabaseFiles(const QString &path);
// A fresh, unused name beside `path` for a file written before it is renamed
// to `path`. Empty if the folder cannot be written.
QString temporaryNameBeside(const QString &path);

} // namespace quenzal::serverdb::detail
