// The database core against real SQLite files built by the test.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include "dbfixtures.h"
#include "core/serverdb/dbcore.h"

using namespace quenzal::serverdb;
using fixtures::Row;

namespace {

// A second connection that holds a lock on the file, as the server would.
class Holder
{
public:
    Holder(const QString &path, const char *begin, const char *write = nullptr)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        m_ok = sqlite3_exec(m_db, begin, nullptr, nullptr, nullptr) == SQLITE_OK
               && (!write || sqlite3_exec(m_db, write, nullptr, nullptr, nullptr) == SQLITE_OK);
    }
    ~Holder()
    {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
    bool ok() const { return m_ok; }

private:
    sqlite3 *m_db = nullptr;
    bool m_ok = false;
};

Row terminal(QVariant id, QVariant ip, QVariant mac, QVariant name, QVariant vol = 5)
{
    return {id, vol, 0, 1, 1, 0, 1, ip, mac, name};
}

QStringList names(const TerminalListing &l)
{
    QStringList out;
    for (const TerminalRow &row : l.rows)
        out << row.texts[kColName];
    out.sort();
    return out;
}

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList sl(std::initializer_list<const char *> texts)
{
    QStringList out;
    for (const char *t : texts)
        out << u(t);
    return out;
}

} // namespace

class TestServerdbCore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_db; // an old-format database in the temporary folder
    QString path(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        QDir::setCurrent(m_dir->path());
        m_db = path(QStringLiteral("Velmora.db"));
        QVERIFY(fixtures::createOldFormat(m_db));
    }
    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        delete m_dir;
        m_dir = nullptr;
    }

    // ------------------------------------------------------------ listing

    void listsDistinctRowsAsShown()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal",
                                 {terminal(1, QByteArray("192.168.1.10"), QByteArray("AA:BB:CC:00:00:01"), QStringLiteral("大厅广播")),
                                  terminal(1, QByteArray("192.168.1.10"), QByteArray("AA:BB:CC:00:00:01"), QStringLiteral("大厅广播")),
                                  terminal(2, QVariant(), QVariant(), QVariant(), QVariant()),
                                  terminal(3, QByteArray("10.0.0.3"), QByteArray("x"), QByteArray("it's \"quoted\""))}));
        const TerminalListing l = readTerminals(m_db);
        QVERIFY2(l.ok, qPrintable(l.error));
        QVERIFY(!l.newFormat);
        QCOMPARE(l.rows.size(), std::size_t(3)); // the equal pair is one row
        const TerminalRow *hall = nullptr, *empty = nullptr;
        for (const TerminalRow &r : l.rows) {
            if (r.texts[0] == QLatin1String("1"))
                hall = &r;
            if (r.texts[0] == QLatin1String("2"))
                empty = &r;
        }
        QVERIFY(hall && empty);
        QCOMPARE(hall->texts[kColName], QStringLiteral("大厅广播"));
        QCOMPARE(hall->texts[1], QStringLiteral("5"));
        QCOMPARE(hall->texts[kColIp], QStringLiteral("192.168.1.10"));
        QCOMPARE(hall->key[0].type, StoredValue::Integer);
        QCOMPARE(hall->key[3].bytes, QStringLiteral("大厅广播").toLocal8Bit());
        QVERIFY2(empty->texts[1].isEmpty() && empty->texts[kColIp].isEmpty(), "NULL shows as an empty cell");
        QVERIFY(empty->key[1].isNull() && empty->key[3].isNull());
        QVERIFY(names(l).contains(QStringLiteral("it's \"quoted\"")));
    }

    void missingFileListsNothingAndCreatesNothing()
    {
        const QString missing = path(QStringLiteral("nothere/Velmora.db"));
        const QString missing2 = path(QStringLiteral("Velmora2.db"));
        QVERIFY(!readTerminals(missing).ok);
        QVERIFY(!readTerminals(missing2).ok);
        QVERIFY(!readSetting(missing2).ok);
        QVERIFY(!deleteTerminalRows(missing2, {}).ok);
        QVERIFY2(!QFile::exists(missing2), "a read must not create the file");
    }

    void badFilesListNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("truncate");
        QTest::newRow("text file") << QByteArray("this is no database\n").repeated(200) << false;
        QTest::newRow("random header") << QByteArray("SQLite format 3\0garbage", 24).repeated(100) << false;
        QTest::newRow("truncated database") << QByteArray() << true;
        QTest::newRow("empty file") << QByteArray() << false;
    }
    void badFilesListNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, truncate);
        const QString bad = path(QStringLiteral("bad.db"));
        if (truncate) {
            QVERIFY(fixtures::createOldFormat(bad));
            QList<Row> many;
            for (int i = 0; i < 2000; ++i)
                many << terminal(i, QByteArray("10.0.0.1"), QByteArray("m"), QByteArray("n").repeated(50));
            QVERIFY(fixtures::insert(bad, "Terminal", many));
            QFile f(bad);
            QVERIFY(f.resize(f.size() / 2));
        } else {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QByteArray before = fixtures::fileDigest(bad);
        const TerminalListing l = readTerminals(bad);
        QVERIFY2(!l.ok, "a damaged file must not list as if complete");
        QVERIFY(l.rows.empty());
        QVERIFY(!readSetting(bad).ok);
        QCOMPARE(fixtures::fileDigest(bad), before);
    }

    void lockedDatabase()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(1, QByteArray("a"), QByteArray("b"), QByteArray("c"))}));
        {
            // A writer in the middle of its transaction: readers see the
            // committed state.
            Holder writer(m_db, "BEGIN IMMEDIATE", "INSERT INTO Terminal(ID) VALUES(99)");
            QVERIFY(writer.ok());
            const TerminalListing l = readTerminals(m_db);
            QVERIFY(l.ok);
            QCOMPARE(l.rows.size(), std::size_t(1));
        }
        {
            Holder writer(m_db, "BEGIN EXCLUSIVE", "INSERT INTO Terminal(ID) VALUES(99)");
            QVERIFY(writer.ok());
            QVERIFY2(!readTerminals(m_db).ok, "an exclusive lock makes the read fail, not wait");
            QVERIFY(!deleteTerminalRows(m_db, TerminalKey{}).ok);
        }
    }

    void columnCountsOtherThanTen()
    {
        const QString narrow = path(QStringLiteral("narrow.db"));
        QVERIFY(fixtures::exec(narrow, "CREATE TABLE Terminal(ID, Vol, M, IEnable, RBEnable, RMEnable, OBEnable, IP);"
                                       "INSERT INTO Terminal VALUES(7,1,1,1,1,1,1,'10.0.0.7');"));
        TerminalListing l = readTerminals(narrow);
        QVERIFY(l.ok);
        QCOMPARE(l.rows.size(), std::size_t(1));
        QCOMPARE(l.rows[0].texts[kColIp], QStringLiteral("10.0.0.7"));
        QVERIFY(l.rows[0].texts[kColMac].isEmpty() && l.rows[0].key[2].isNull());

        const QString wide = path(QStringLiteral("wide.db"));
        QVERIFY(fixtures::exec(wide, "CREATE TABLE Terminal(ID, Vol, M, IEnable, RBEnable, RMEnable, OBEnable, IP, MAC, Name, Extra1, Extra2);"
                                     "INSERT INTO Terminal VALUES(7,1,1,1,1,1,1,'ip','mac','name','x','y');"));
        l = readTerminals(wide);
        QVERIFY(l.ok);
        QCOMPARE(l.rows[0].texts[kColName], QStringLiteral("name"));
    }

    void formatMarker()
    {
        QVERIFY(fixtures::exec(m_db, "INSERT INTO Terminal(ID) VALUES(1);"));
        QVERIFY(!readTerminals(m_db).newFormat);
        QVERIFY(fixtures::exec(m_db, "CREATE TABLE AlarmInformation(ID INTEGER);"));
        QVERIFY2(readTerminals(m_db).newFormat, "an empty AlarmInformation still marks the new format");
    }

    void duplicateMarks_data()
    {
        // Rows as "ID|IP|MAC|Name"; marks as a string of bits per row
        // (ID, IP, MAC, Name).
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("shared ID only") << sl({"1|a|m1|n1", "1|b|m2|n2"}) << sl({"1000", "1000"});
        QTest::newRow("three equal MACs") << sl({"1|a|m|x", "2|b|m|y", "3|c|m|z"})
                                          << sl({"0010", "0010", "0010"});
        QTest::newRow("empty IPs are equal") << sl({"1||m1|n1", "2||m2|n2"}) << sl({"0100", "0100"});
        QTest::newRow("12 and 012 differ") << sl({"12|a|m1|n1", "012|b|m2|n2"}) << sl({"0000", "0000"});
        QTest::newRow("MAC case counts") << sl({"1|a|aa:bb|n1", "2|b|AA:BB|n2"}) << sl({"0000", "0000"});
        QTest::newRow("equal Chinese names") << sl({"1|a|m1|大厅", "2|b|m2|大厅", "3|c|m3|门口"})
                                             << sl({"0001", "0001", "0000"});
        QTest::newRow("single row") << sl({"1|a|m|n"}) << sl({"0000"});
    }
    void duplicateMarks()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, marks);
        std::vector<TerminalRow> list;
        for (const QString &r : rows) {
            const QStringList parts = r.split(QLatin1Char('|'));
            TerminalRow row;
            for (std::size_t k = 0; k < kKeyColumns.size(); ++k)
                row.texts[kKeyColumns[k]] = parts[int(k)];
            list.push_back(row);
        }
        const std::vector<std::uint8_t> got = quenzal::serverdb::duplicateMarks(list);
        for (int r = 0; r < rows.size(); ++r) {
            QString bits;
            for (int k = 0; k < 4; ++k)
                bits += (got[r] & (1u << k)) ? QLatin1Char('1') : QLatin1Char('0');
            QCOMPARE(bits, marks[r]);
        }
    }

    void setting_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("netType");
        QTest::addColumn<QString>("serverIp");
        QTest::newRow("LAN, automatic") << QByteArray("INSERT INTO Setting VALUES(1,'0','',1)") << true << u("LAN") << u("Auto");
        QTest::newRow("integer 0 is LAN") << QByteArray("INSERT INTO Setting VALUES(1,0,'10.1.1.1',1)") << true << u("LAN") << u("10.1.1.1");
        QTest::newRow("1 is WAN") << QByteArray("INSERT INTO Setting VALUES(1,1,'10.1.1.1',1)") << true << u("WAN") << u("10.1.1.1");
        QTest::newRow("NULLs") << QByteArray("INSERT INTO Setting VALUES(1,NULL,NULL,1)") << true << u("WAN") << u("Auto");
        QTest::newRow("no rows") << QByteArray("SELECT 1") << false << QString() << QString();
        QTest::newRow("no table") << QByteArray("DROP TABLE Setting") << false << QString() << QString();
    }
    void setting()
    {
        QFETCH(QByteArray, sql);
        QFETCH(bool, ok);
        QFETCH(QString, netType);
        QFETCH(QString, serverIp);
        QVERIFY(fixtures::exec(m_db, sql));
        const SettingValues s = readSetting(m_db);
        QCOMPARE(s.ok, ok);
        if (!ok)
            return;
        QVERIFY(s.hasNetworkType && s.hasServerIp);
        QCOMPARE(networkTypeText(s.networkType), netType);
        QCOMPARE(serverIpText(s.serverIp), serverIp);
    }

    void settingColumnsFoundByName()
    {
        const QString other = path(QStringLiteral("other.db"));
        QVERIFY(fixtures::exec(other, "CREATE TABLE Setting(ServerIP TEXT, A, B, NetworkType TEXT);"
                                      "INSERT INTO Setting VALUES('172.16.0.9',1,2,'5');"));
        const SettingValues s = readSetting(other);
        QVERIFY(s.ok);
        QCOMPARE(networkTypeText(s.networkType), QStringLiteral("WAN"));
        QCOMPARE(serverIpText(s.serverIp), QStringLiteral("172.16.0.9"));
    }

    // ------------------------------------------------------------- delete

    void deleteByStoredValues_data()
    {
        QTest::addColumn<QVariant>("id");
        QTest::addColumn<QVariant>("name");
        QTest::newRow("double quote") << QVariant(5) << QVariant(QByteArray("Hall \"A\""));
        QTest::newRow("crafted name") << QVariant(5) << QVariant(QByteArray("x\" OR \"1\"=\"1"));
        QTest::newRow("single quote") << QVariant(5) << QVariant(QByteArray("it's"));
        QTest::newRow("Chinese") << QVariant(5) << QVariant(QStringLiteral("二楼走廊"));
        QTest::newRow("invalid bytes") << QVariant(5) << QVariant(QByteArray("\xff\xfe\x80name"));
        QTest::newRow("ID stored as text") << QVariant(QByteArray("5")) << QVariant(QByteArray("n"));
        QTest::newRow("NULL name") << QVariant(5) << QVariant();
    }
    void deleteByStoredValues()
    {
        QFETCH(QVariant, id);
        QFETCH(QVariant, name);
        QVERIFY(fixtures::insert(m_db, "Terminal",
                                 {{id, 1, 0, 0, 0, 0, 0, QByteArray("10.0.0.5"), QByteArray("mac5"), name},
                                  terminal(5, QByteArray("10.0.0.6"), QByteArray("mac6"), QByteArray("other")),
                                  terminal(6, QByteArray("10.0.0.5"), QByteArray("mac5"), QByteArray("1"))}));
        TerminalListing l = readTerminals(m_db);
        QCOMPARE(l.rows.size(), std::size_t(3));
        TerminalKey key;
        for (const TerminalRow &r : l.rows) {
            if (r.texts[kColMac] == QLatin1String("mac5") && r.texts[kColName] != QLatin1String("1"))
                key = r.key;
        }
        const DeleteResult d = deleteTerminalRows(m_db, key);
        QVERIFY2(d.ok, qPrintable(d.error));
        QCOMPARE(d.removed, 1);
        l = readTerminals(m_db);
        QCOMPARE(names(l), (QStringList{QStringLiteral("1"), QStringLiteral("other")}));
    }

    void deleteTakesRowsDifferingElsewhere()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal",
                                 {terminal(8, QByteArray("ip"), QByteArray("mac"), QByteArray("n"), 3),
                                  terminal(8, QByteArray("ip"), QByteArray("mac"), QByteArray("n"), 9),
                                  terminal(8, QByteArray("ip2"), QByteArray("mac"), QByteArray("n"), 3)}));
        TerminalListing l = readTerminals(m_db);
        QCOMPARE(l.rows.size(), std::size_t(3));
        TerminalKey key;
        for (const TerminalRow &r : l.rows) {
            if (r.texts[kColIp] == QLatin1String("ip"))
                key = r.key;
        }
        const DeleteResult d = deleteTerminalRows(m_db, key);
        QVERIFY(d.ok);
        QCOMPARE(d.removed, 2);
        l = readTerminals(m_db);
        QCOMPARE(l.rows.size(), std::size_t(1));
        QCOMPARE(l.rows[0].texts[kColIp], QStringLiteral("ip2"));
    }

    void deleteFailures()
    {
        QVERIFY(fixtures::exec(m_db, "DROP TABLE Terminal"));
        QVERIFY(!deleteTerminalRows(m_db, {StoredValue::number(1)}).ok);
        const QString notDb = path(QStringLiteral("text.db"));
        QFile f(notDb);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("plain text, no database\n").repeated(100));
        f.close();
        const QByteArray before = fixtures::fileDigest(notDb);
        QVERIFY(!deleteTerminalRows(notDb, {StoredValue::number(1)}).ok);
        QCOMPARE(fixtures::fileDigest(notDb), before);
    }

    // ------------------------------------------------------------- backup

    void backupName()
    {
        const QDateTime t(QDate(2024, 3, 5), QTime(14, 7, 9));
        QCOMPARE(backupFileName(QStringLiteral("C:/IP-SERVER"), t, QStringLiteral(".db")),
                 QStringLiteral("C:/IP-SERVER/Velmora_2024_03_05_14_07_09.db"));
        QCOMPARE(backupFileName(QString(), t, QStringLiteral("_41X.db")),
                 QStringLiteral("Velmora_2024_03_05_14_07_09_41X.db"));
    }

    void backupIsSnapshotAndNeverOverwrites()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(1, QByteArray("a"), QByteArray("b"), QStringLiteral("名"))}));
        const QString target = path(QStringLiteral("copy.db"));
        {
            // Uncommitted work of the server is not in the copy.
            Holder writer(m_db, "BEGIN IMMEDIATE", "INSERT INTO Terminal(ID) VALUES(99)");
            QVERIFY(writer.ok());
            const BackupResult b = backupDatabase(m_db, target);
            QVERIFY2(b.ok, qPrintable(b.error));
        }
        QCOMPARE(fixtures::rows(target, "SELECT ID, Name FROM Terminal"),
                 fixtures::rows(m_db, "SELECT ID, Name FROM Terminal WHERE ID <> 99"));
        const QByteArray first = fixtures::fileDigest(target);
        QVERIFY(fixtures::exec(m_db, "INSERT INTO Terminal(ID) VALUES(2)"));
        QVERIFY2(!backupDatabase(m_db, target).ok, "an existing backup is never replaced");
        QCOMPARE(fixtures::fileDigest(target), first);
    }

    void backupFailuresLeaveNoFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing source") << u("missing");
        QTest::newRow("not a database") << u("text");
        QTest::newRow("exclusively locked") << u("locked");
        QTest::newRow("missing folder") << u("folder");
    }
    void backupFailuresLeaveNoFile()
    {
        QFETCH(QString, kind);
        QString source = m_db;
        QString target = path(QStringLiteral("copy.db"));
        std::unique_ptr<Holder> lock;
        if (kind == QLatin1String("missing"))
            source = path(QStringLiteral("none.db"));
        if (kind == QLatin1String("text")) {
            source = path(QStringLiteral("text.db"));
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("not a database at all\n").repeated(100));
        }
        if (kind == QLatin1String("locked")) {
            lock = std::make_unique<Holder>(m_db, "BEGIN EXCLUSIVE", "INSERT INTO Terminal(ID) VALUES(1)");
            QVERIFY(lock->ok());
        }
        if (kind == QLatin1String("folder"))
            target = path(QStringLiteral("no/such/folder/copy.db"));
        const BackupResult b = backupDatabase(source, target);
        QVERIFY(!b.ok);
        QVERIFY(!b.error.isEmpty());
        QVERIFY2(!QFile::exists(target), "a failed backup leaves nothing behind");
        QVERIFY(!QFile::exists(source + QLatin1String("-journal")) || kind == QLatin1String("locked"));
    }

    // ---------------------------------------------------------- conversion

    void conversionCopiesEveryTable()
    {
        const QString ref = path(QStringLiteral("LS_New.db"));
        QVERIFY(fixtures::createReference(ref));
        const QString nameWithQuote = QStringLiteral("王's \"门\"");
        QVERIFY(fixtures::insert(m_db, "Terminal",
                                 {terminal(1, QByteArray("192.168.0.1"), QByteArray("AA"), nameWithQuote),
                                  terminal(1, QByteArray("192.168.0.1"), QByteArray("AA"), nameWithQuote),
                                  terminal(2, QVariant(), QByteArray("BB"), QVariant()),
                                  terminal(3, QByteArray("ip3"), QByteArray("CC"), QByteArray("\xff\xfe"), 2.5),
                                  terminal(QByteArray("abc"), QByteArray("ip4"), QByteArray("DD"), QByteArray("text id"))}));
        QVERIFY(fixtures::insert(m_db, "Team", {{QByteArray("1"), QByteArray("Default Group"), QByteArray("1,2"), QVariant()},
                                                {QByteArray("2"), QStringLiteral("一组"), QByteArray("3"), QByteArray("it's")}}));
        QVERIFY(fixtures::insert(m_db, "Solution", {{QByteArray("A"), QByteArray("B")}}));
        QVERIFY(fixtures::insert(m_db, "Task", {fixtures::oldTaskRow(1), fixtures::oldTaskRow(2)}));
        QVERIFY(fixtures::insert(m_db, "User", {{QByteArray("admin"), QByteArray("pw'd"), QByteArray("r"), 1, 2, 3, 4, 5, 6, 7, QVariant()}}));
        QVERIFY(fixtures::insert(m_db, "MusicData", {{10, QStringLiteral("歌"), QByteArray("C:/m/a.mp3"), QByteArray("3:00"), QByteArray("mp3")}}));
        QVERIFY(fixtures::exec(m_db, "INSERT INTO Setting VALUES(1,'1','10.9.9.9',9)"));
        const QByteArray sourceBefore = fixtures::fileDigest(m_db);

        const QString out = path(QStringLiteral("Velmora_new.db"));
        const QString backup = path(QStringLiteral("Velmora_2024_01_01_00_00_00_41X.db"));
        const ConversionResult r = convertDatabase(m_db, ref, out, backup);
        QVERIFY2(r.status == ConversionResult::Done, qPrintable(r.error));
        QCOMPARE(r.skippedRows(), 0);
        QCOMPARE(r.tables.size(), std::size_t(6));
        QCOMPARE(fixtures::fileDigest(m_db), sourceBefore);
        QCOMPARE(fixtures::rows(backup, "SELECT * FROM Terminal"), fixtures::rows(m_db, "SELECT * FROM Terminal"));

        // Terminal: numbers as stored, IP/MAC/Name as text, NULL stays NULL,
        // quotes and undecodable bytes intact, a text ID kept as text.
        QCOMPARE(fixtures::rows(out, "SELECT * FROM Terminal ORDER BY rowid"),
                 fixtures::rows(m_db, "SELECT DISTINCT * FROM Terminal"));
        QCOMPARE(fixtures::columnTypes(out, "SELECT * FROM Terminal WHERE ID=2"),
                 (QList<QByteArray>{"integer", "integer", "integer", "integer", "integer", "integer", "integer", "null", "text", "null"}));
        QCOMPARE(fixtures::columnTypes(out, "SELECT Vol FROM Terminal WHERE ID=3"), QList<QByteArray>{"real"});

        // Team: the reference's default row goes, the source's rows come,
        // one of them named "Default Group" as well.
        QCOMPARE(fixtures::rows(out, "SELECT * FROM Team ORDER BY ID"),
                 (QList<Row>{{QByteArray("1"), QByteArray("Default Group"), QByteArray("1,2"), QVariant()},
                             {QByteArray("2"), QStringLiteral("一组").toLocal8Bit(), QByteArray("3"), QByteArray("it's")}}));
        QCOMPARE(fixtures::rows(out, "SELECT * FROM Solution"),
                 (QList<Row>{{QByteArray("A"), QByteArray("B"), QByteArray("A")}}));

        // Task: the column mapping, with the values' types.
        const Row src = fixtures::oldTaskRow(2);
        Row expected;
        for (int c = 0; c <= 10; ++c)
            expected << src[c];
        expected << qlonglong(0) << qlonglong(0) << src[12] << src[13] << QByteArray("")
                 << src[15] << src[16] << src[17] << src[18]
                 << QByteArray("0") << QByteArray("0") << QByteArray("0") << QByteArray("")
                 << src[22] << QByteArray("0") << src[23] << src[24];
        const QList<Row> tasks = fixtures::rows(out, "SELECT * FROM Task ORDER BY c0");
        QCOMPARE(tasks.size(), 2);
        QCOMPARE(tasks[1], expected);

        QCOMPARE(fixtures::rows(out, "SELECT * FROM User"),
                 (QList<Row>{{QByteArray("admin"), QByteArray("pw'd"), QByteArray("r"), qlonglong(1), qlonglong(2), qlonglong(3),
                              qlonglong(4), qlonglong(5), qlonglong(6), qlonglong(7), QVariant()}}));
        QCOMPARE(fixtures::rows(out, "SELECT * FROM MusicData"),
                 (QList<Row>{{qlonglong(10), QStringLiteral("歌").toLocal8Bit(), QByteArray("C:/m/a.mp3"), QByteArray("3:00"), QByteArray("mp3")}}));
        // Setting and AlarmInformation are the reference's.
        QCOMPARE(fixtures::rows(out, "SELECT * FROM Setting"), fixtures::rows(ref, "SELECT * FROM Setting"));
        QCOMPARE(fixtures::rows(out, "SELECT * FROM AlarmInformation"), fixtures::rows(ref, "SELECT * FROM AlarmInformation"));
    }

    void quotedNumbersBecomeText()
    {
        const QString ref = path(QStringLiteral("LS_New.db"));
        QVERIFY(fixtures::createReference(ref));
        // Untyped output columns show what the value was written as.
        QVERIFY(fixtures::exec(ref, "DROP TABLE Team; CREATE TABLE Team(a, Name, c, d);"));
        QVERIFY(fixtures::exec(m_db, "DROP TABLE Team; CREATE TABLE Team(a, b, c, d);"
                                     "INSERT INTO Team VALUES(12, 1.5, x'41', NULL);"));
        const QString out = path(QStringLiteral("out.db"));
        const ConversionResult r = convertDatabase(m_db, ref, out, path(QStringLiteral("b.db")));
        QVERIFY(r.status == ConversionResult::Done);
        QCOMPARE(fixtures::columnTypes(out, "SELECT * FROM Team"), (QList<QByteArray>{"text", "text", "text", "null"}));
        QCOMPARE(fixtures::rows(out, "SELECT * FROM Team"), (QList<Row>{{QByteArray("12"), QByteArray("1.5"), QByteArray("A"), QVariant()}}));
    }

    void refusedRowsAreCounted()
    {
        const QString ref = path(QStringLiteral("LS_New.db"));
        QVERIFY(fixtures::createReference(ref));
        QVERIFY(fixtures::exec(ref, "CREATE UNIQUE INDEX one_id ON Terminal(ID);"
                                    "CREATE TABLE keep(x); DROP TABLE MusicData;"
                                    "CREATE TABLE MusicData(ID INTEGER, Name TEXT);")); // wrong shape
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(1, QByteArray("a"), QByteArray("m"), QByteArray("x")),
                                                     terminal(1, QByteArray("b"), QByteArray("m"), QByteArray("y")),
                                                     terminal(2, QByteArray("c"), QByteArray("m"), QByteArray("z"))}));
        QVERIFY(fixtures::insert(m_db, "MusicData", {{1, QByteArray("a"), QByteArray("b"), QByteArray("c"), QByteArray("d")}}));
        QVERIFY(fixtures::exec(m_db, "DROP TABLE User; CREATE TABLE User(a, b);" // too few columns
                                     "INSERT INTO User VALUES(1,2); INSERT INTO User VALUES(3,4);"
                                     "DROP TABLE Solution;")); // missing table
        const QString out = path(QStringLiteral("out.db"));
        const ConversionResult r = convertDatabase(m_db, ref, out, path(QStringLiteral("b.db")));
        QVERIFY2(r.status == ConversionResult::Done, qPrintable(r.error));
        QCOMPARE(r.tables[0].copied, 2);
        QCOMPARE(r.tables[0].skipped, 1);
        QVERIFY(r.tables[2].missing);
        QCOMPARE(r.tables[4].skipped, 2);
        QCOMPARE(r.tables[5].skipped, 1);
        QCOMPARE(r.skippedRows(), 4);
        QCOMPARE(fixtures::rows(out, "SELECT count(*) FROM Terminal"), (QList<Row>{{qlonglong(2)}}));
        // The default row goes before the source is read, missing or not.
        QCOMPARE(fixtures::rows(out, "SELECT count(*) FROM Solution"), (QList<Row>{{qlonglong(0)}}));
    }

    void conversionRefusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::newRow("new format") << u("new") << int(ConversionResult::AlreadyNewFormat);
        QTest::newRow("not a database") << u("text") << int(ConversionResult::SourceUnreadable);
        QTest::newRow("exclusively locked") << u("locked") << int(ConversionResult::SourceUnreadable);
        QTest::newRow("backup exists") << u("backup") << int(ConversionResult::BackupFailed);
        QTest::newRow("output not removable") << u("outdir") << int(ConversionResult::OutputNotReplaced);
        QTest::newRow("reference no database") << u("badref") << int(ConversionResult::OutputNotReplaced);
        QTest::newRow("source is the output") << u("same") << int(ConversionResult::SameFile);
        QTest::newRow("truncated source") << u("truncated") << int(ConversionResult::SourceUnreadable);
        QTest::newRow("damaged table pages") << u("corrupt") << int(ConversionResult::Failed);
    }
    void conversionRefusals()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        const QString ref = path(QStringLiteral("LS_New.db"));
        QVERIFY(fixtures::createReference(ref));
        QString source = m_db;
        QString out = path(QStringLiteral("Velmora_new.db"));
        const QString backup = path(QStringLiteral("backup.db"));
        std::unique_ptr<Holder> lock;
        if (kind == QLatin1String("new"))
            QVERIFY(fixtures::exec(m_db, "CREATE TABLE AlarmInformation(x)"));
        if (kind == QLatin1String("text")) {
            QFile f(m_db);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("plain text\n").repeated(500));
        }
        if (kind == QLatin1String("locked")) {
            lock = std::make_unique<Holder>(m_db, "BEGIN EXCLUSIVE", "INSERT INTO Terminal(ID) VALUES(1)");
            QVERIFY(lock->ok());
        }
        if (kind == QLatin1String("backup"))
            QVERIFY(fixtures::exec(backup, "CREATE TABLE x(y)"));
        if (kind == QLatin1String("outdir"))
            QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Velmora_new.db/sub")));
        if (kind == QLatin1String("badref")) {
            QFile f(ref);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray("not a database\n").repeated(500));
        }
        if (kind == QLatin1String("same"))
            out = m_db;
        if (kind == QLatin1String("truncated") || kind == QLatin1String("corrupt")) {
            QList<Row> many;
            for (int i = 0; i < 3000; ++i)
                many << fixtures::oldTaskRow(i);
            QVERIFY(fixtures::insert(m_db, "Task", many));
            QFile f(m_db);
            if (kind == QLatin1String("truncated")) {
                QVERIFY(f.resize(f.size() * 2 / 3));
            } else {
                // The schema page stays intact, the table's pages do not.
                QVERIFY(f.open(QIODevice::ReadWrite));
                QVERIFY(f.seek(f.size() / 2));
                f.write(QByteArray(int(f.size() / 4), '\xA5'));
            }
        }
        const QByteArray sourceBefore = fixtures::fileDigest(source);
        const QByteArray backupBefore = fixtures::fileDigest(backup);
        const ConversionResult r = convertDatabase(source, ref, out, backup);
        QCOMPARE(int(r.status), status);
        QCOMPARE(fixtures::fileDigest(source), sourceBefore);
        if (kind == QLatin1String("outdir"))
            QVERIFY(QFileInfo(out).isDir());
        else if (kind != QLatin1String("same"))
            QVERIFY2(!QFile::exists(out), "no output is left that could pass for a finished one");
        if (kind == QLatin1String("backup"))
            QCOMPARE(fixtures::fileDigest(backup), backupBefore);
        else if (status == int(ConversionResult::AlreadyNewFormat) || status == int(ConversionResult::SourceUnreadable)
                 || status == int(ConversionResult::SameFile))
            QVERIFY2(!QFile::exists(backup), "nothing is written before the source is known to be convertible");
    }

    void conversionReplacesOldOutput()
    {
        const QString ref = path(QStringLiteral("LS_New.db"));
        QVERIFY(fixtures::createReference(ref));
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(1, QByteArray("a"), QByteArray("m"), QByteArray("x"))}));
        const QString out = path(QStringLiteral("Velmora_new.db"));
        QVERIFY(convertDatabase(m_db, ref, out, path(QStringLiteral("b1.db"))).status == ConversionResult::Done);
        // A stale rollback journal beside the output must not be played
        // back into the fresh copy.
        QFile journal(out + QLatin1String("-journal"));
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.write(QByteArray(4096, '\x17'));
        journal.close();
        QVERIFY(convertDatabase(m_db, ref, out, path(QStringLiteral("b2.db"))).status == ConversionResult::Done);
        QCOMPARE(fixtures::rows(out, "SELECT count(*) FROM Terminal"), (QList<Row>{{qlonglong(1)}}));
        QCOMPARE(fixtures::rows(out, "SELECT count(*) FROM Team"), (QList<Row>{{qlonglong(0)}}));
    }

    void hugeValuesAreCopied()
    {
        const QString ref = path(QStringLiteral("LS_New.db"));
        QVERIFY(fixtures::createReference(ref));
        const QByteArray huge = QByteArray("名'\"").repeated(1 << 20);
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(1, QByteArray("a"), QByteArray("m"), huge)}));
        const QString out = path(QStringLiteral("out.db"));
        QVERIFY(convertDatabase(m_db, ref, out, path(QStringLiteral("b.db"))).status == ConversionResult::Done);
        QCOMPARE(fixtures::rows(out, "SELECT Name FROM Terminal"), (QList<Row>{{huge}}));
        const TerminalListing l = readTerminals(out);
        QVERIFY(l.ok);
        QCOMPARE(l.rows[0].key[3].bytes, huge);
    }
};

QTEST_GUILESS_MAIN(TestServerdbCore)
#include "tst_serverdb_core.moc"
