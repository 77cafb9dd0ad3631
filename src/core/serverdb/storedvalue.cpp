// Values as SQLite stored them: read, bound back, compared.
#include "core/serverdb/dbcore.h"
#include "core/serverdb/dbinternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace quenzal::serverdb {

bool StoredValue::read(sqlite3_stmt *stmt, int column, StoredValue *out)
{
    *out = fromColumn(stmt, column);
    // A text or blob whose bytes SQLite could not hand out (out of memory)
    // comes back as a null pointer with a non-zero length.
    if (out->type == Null)
        return true;
    return !out->bytes.isNull() || sqlite3_column_bytes(stmt, column) == 0;
}

StoredValue StoredValue::fromColumn(sqlite3_stmt *stmt, int column)
{
    StoredValue v;
    // The type must be read before any conversion the text accessor makes.
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        v.type = Integer;
        v.integer = sqlite3_column_int64(stmt, column);
        break;
    case SQLITE_FLOAT:
        v.type = Float;
        v.real = sqlite3_column_double(stmt, column);
        break;
    case SQLITE_TEXT:
        v.type = Text;
        break;
    case SQLITE_BLOB: {
        v.type = Blob;
        const auto *blob = static_cast<const char *>(sqlite3_column_blob(stmt, column));
        const int size = sqlite3_column_bytes(stmt, column);
        v.bytes = blob ? QByteArray(blob, size) : QByteArray(size == 0 ? "" : nullptr);
        return v;
    }
    default:
        return v;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    // A null pointer here is a failed conversion; read() tells it apart.
    v.bytes = text ? QByteArray(text, size) : QByteArray();
    return v;
}

StoredValue StoredValue::text(const QByteArray &bytes)
{
    StoredValue v;
    v.type = Text;
    v.bytes = bytes;
    return v;
}

StoredValue StoredValue::number(qint64 value)
{
    StoredValue v;
    v.type = Integer;
    v.integer = value;
    v.bytes = QByteArray::number(value);
    return v;
}

int StoredValue::bindTo(sqlite3_stmt *stmt, int index) const
{
    switch (type) {
    case Integer:
        return sqlite3_bind_int64(stmt, index, integer);
    case Float:
        return sqlite3_bind_double(stmt, index, real);
    case Text:
        // constData() of an empty array is "", so an empty text stays text.
        return sqlite3_bind_text64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT, SQLITE_UTF8);
    case Blob:
        return sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT);
    case Null:
        break;
    }
    return sqlite3_bind_null(stmt, index);
}

bool StoredValue::operator==(const StoredValue &other) const
{
    if (type != other.type)
        return false;
    switch (type) {
    case Integer:
        return integer == other.integer;
    case Float:
        return real == other.real;
    case Text:
    case Blob:
        return bytes == other.bytes;
    case Null:
        break;
    }
    return true;
}

} // namespace quenzal::serverdb
