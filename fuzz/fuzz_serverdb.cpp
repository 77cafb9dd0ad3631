// libFuzzer target: any bytes as the server's database file, through what
// the database window does with it: the Terminal listing with duplicate
// marks, the Setting fields, the format test, and the conversion's six copy
// steps into a blank new-format reference. The file is handed to SQLite as
// an in-memory image (read-only), so a run touches no disk. Nothing may
// crash, read out of bounds or leak; a listing that claims success has the
// shape the window relies on, and every row read by a copy step is either
// copied or counted as skipped.
#include "core/serverdb/dbcore.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace quenzal::serverdb;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The blank new-format reference, built once.
sqlite3 *reference()
{
    static sqlite3 *db = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("quenzal.serverdb.debug=false"));
        Connection c = openMemoryDatabase();
        check(c && execute(c.get(),
                           "CREATE TABLE Terminal(ID INTEGER, Vol INTEGER, M INTEGER, IEnable INTEGER,"
                           " RBEnable INTEGER, RMEnable INTEGER, OBEnable INTEGER, IP TEXT, MAC TEXT, Name TEXT);"
                           "CREATE TABLE Setting(ID INTEGER, NetworkType TEXT, ServerIP TEXT, Port INTEGER);"
                           "CREATE TABLE Team(ID TEXT, Name TEXT, Members TEXT, Note TEXT);"
                           "CREATE TABLE Solution(ID TEXT, Name TEXT, Code TEXT);"
                           "CREATE TABLE Task(c0 INTEGER, c1 INTEGER, c2 INTEGER, c3 INTEGER, c4 INTEGER,"
                           " c5 INTEGER, c6 INTEGER, c7 INTEGER, c8 INTEGER, c9 INTEGER, c10 INTEGER,"
                           " c11 INTEGER, c12 INTEGER, c13 INTEGER, c14 TEXT, c15 TEXT, c16 TEXT, c17 TEXT,"
                           " c18 TEXT, c19 TEXT, c20 TEXT, c21 TEXT, c22 TEXT, c23 TEXT, c24 TEXT, c25 TEXT,"
                           " c26 TEXT, c27 TEXT);"
                           "CREATE TABLE User(Name TEXT, Password TEXT, Role TEXT, A INTEGER, B INTEGER,"
                           " C INTEGER, D INTEGER, E INTEGER, F INTEGER, G INTEGER, Note TEXT);"
                           "CREATE TABLE MusicData(ID INTEGER, Name TEXT, Path TEXT, Len TEXT, Kind TEXT);"
                           "CREATE TABLE AlarmInformation(ID INTEGER, Text TEXT);"
                           "INSERT INTO Team VALUES('0','Default Group','','');"
                           "INSERT INTO Solution VALUES('0','Default Solution','0');")
                      == SQLITE_OK);
        return c.release();
    }();
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    sqlite3 *ref = reference();
    int progress = 0; // outlives the connection that counts into it
    Connection src = openMemoryDatabase();
    check(bool(src));
    // Keep pathological files from running for minutes: no value above
    // 1 MB, no statement running past a bounded number of steps.
    sqlite3_limit(src.get(), SQLITE_LIMIT_LENGTH, 1 << 20);
    auto *image = static_cast<unsigned char *>(sqlite3_malloc64(size ? size : 1));
    check(image != nullptr);
    if (size)
        std::memcpy(image, data, size);
    if (sqlite3_deserialize(src.get(), "main", image, sqlite3_int64(size), sqlite3_int64(size),
                            SQLITE_DESERIALIZE_READONLY | SQLITE_DESERIALIZE_FREEONCLOSE)
        != SQLITE_OK)
        return 0;
    sqlite3_progress_handler(src.get(), 1000, [](void *count) { return ++*static_cast<int *>(count) > 20000 ? 1 : 0; },
                             &progress);

    const TerminalListing listing = listTerminals(src.get());
    if (listing.ok) {
        check(listing.status == ReadStatus::Ok);
        const std::vector<std::uint8_t> marks = duplicateMarks(listing.rows);
        check(marks.size() == listing.rows.size());
        for (std::size_t r = 0; r < marks.size(); ++r)
            check(marks[r] < 16);
    } else {
        check(listing.status != ReadStatus::Ok && listing.rows.empty());
    }
    const SettingValues setting = readSettingFrom(src.get());
    if (setting.ok) {
        (void)networkTypeText(setting.networkType);
        (void)serverIpText(setting.serverIp);
    }
    if (!Function_HasAlarmTable(src.get())) {
        Connection out = openMemoryDatabase();
        check(out && copyPages(ref, out.get(), -1) == SQLITE_DONE);
        std::vector<TableCopyResult> tables;
        QString error;
        const bool ok = copyTables(src.get(), out.get(), &tables, &error);
        check(ok ? tables.size() == 6 : tables.size() <= 6);
        for (const TableCopyResult &t : tables)
            check(t.copied + t.skipped == t.read || !ok);
    }
    return 0;
}
