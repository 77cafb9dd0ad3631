#pragma once
// Soundness of a server database file, for scripts and schedulers: SQLite's
// own integrity check, the format, and the Terminal rows that share an ID,
// an IP, a MAC or a Name (the rows the database window colours). Read-only:
// the file is never changed or created.
#include "core/serverdb/dbcore.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quenzal::serverdb {

struct DatabaseCheck
{
    bool opened = false; // false: no file, not a database, unreadable
    QString error;
    QStringList integrity; // the lines of PRAGMA integrity_check ("ok" alone when sound)
    bool integrityOk = false;
    bool newFormat = false;
    bool terminalsRead = false; // table Terminal could be read
    std::vector<TerminalRow> rows;
    std::vector<std::uint8_t> marks; // duplicateMarks(rows)

    // Rows whose text in kKeyColumns[key] is shared with another row.
    int sharedRows(int key) const;
    // Sound: intact, Terminal readable, no row shares its ID, IP or MAC.
    bool sound() const;
};

DatabaseCheck checkDatabase(const QString &path, const OperationControl *control = nullptr);

} // namespace quenzal::serverdb
