// Deleting Terminal rows by their stored values.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

using namespace detail;

DeleteResult deleteTerminalRows(const QString &path, const TerminalKey &key, const OperationControl *control)
{
    DeleteResult result;
    if (!QFileInfo(path).isFile()) {
        result.error = noSuchFile(path);
        result.code = SQLITE_CANTOPEN;
        return result;
    }
    Connection db = openDatabase(path, OpenMode::ReadWrite, &result.error, &result.code);
    if (!db)
        return result;
    followOperation(db.get(), control);
    // IS rather than =, so a row listed with a NULL in one of the four
    // columns can be deleted as well.
    Statement stmt = prepare(db.get(),
        "DELETE FROM Terminal WHERE ID IS ?1 AND IP IS ?2 AND MAC IS ?3 "
        "AND Name IS ?4",
        &result.error);
    if (!stmt) {
        result.code = sqlite3_extended_errcode(db.get());
        return result;
    }
    for (int i = 0; i < int(key.size()); ++i) {
        // An unbound parameter would be NULL and delete the rows whose value
        // is NULL instead: a failed bind stops the delete.
        const int rc = key[i].bindTo(stmt.get(), i + 1);
        if (rc != SQLITE_OK) {
            result.code = rc;
            result.error = QString::fromUtf8(sqlite3_errstr(rc));
            return result;
        }
    }
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_DONE) {
        result.code = rc;
        result.error = lastError(db.get());
        return result;
    }
    result.removed = sqlite3_changes(db.get());
    result.ok = true;
    return result;
}

} // namespace quenzal::serverdb
