// The Setting table's fields.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/serverdb/logging.h"

namespace quenzal::serverdb {

using namespace detail;

SettingValues readSetting(const QString &path, const OperationControl *control)
{
    ReadSource src = openForReading(path, control);
    if (src.status != ReadStatus::Ok) {
        SettingValues values;
        values.status = src.status;
        return values;
    }
    return readSettingFrom(src.db.get());
}

SettingValues readSettingFrom(sqlite3 *db)
{
    SettingValues values;
    values.status = ReadStatus::Ok;
    Statement stmt = prepare(db, "SELECT DISTINCT* FROM Setting");
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW)
        return values;
    const int columns = sqlite3_column_count(stmt.get());
    for (int c = 0; c < columns; ++c) {
        const char *name = sqlite3_column_name(stmt.get(), c);
        if (!name)
            return values; // out of memory: no half-read fields
        if (qstrcmp(name, "NetworkType") == 0) {
            values.hasNetworkType = true;
            if (!StoredValue::read(stmt.get(), c, &values.networkType))
                return values;
        } else if (qstrcmp(name, "ServerIP") == 0) {
            values.hasServerIp = true;
            if (!StoredValue::read(stmt.get(), c, &values.serverIp))
                return values;
        }
    }
    values.ok = true;
    return values;
}

QString networkTypeText(const StoredValue &value)
{
    return !value.isNull() && value.bytes == "0" ? QStringLiteral("LAN") : QStringLiteral("WAN");
}

QString serverIpText(const StoredValue &value)
{
    return value.bytes.isEmpty() ? QStringLiteral("Auto") : QString::fromLatin1(value.bytes);
}

} // namespace quenzal::serverdb
