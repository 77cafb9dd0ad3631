// The database core on a file the server is using: locks, WAL mode, a hot
// journal, read statuses, and binds that fail. Real SQLite files built by
// the test; the "server" is a second connection (or thread) of the test.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <atomic>
#include <thread>

#include "dbfixtures.h"
#include "core/serverdb/dbcore.h"

using namespace quenzal::serverdb;
using fixtures::Row;

namespace {

Row terminal(QVariant id, QVariant ip, QVariant mac, QVariant name, QVariant vol = 5)
{
    return {id, vol, 0, 1, 1, 0, 1, ip, mac, name};
}

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

// A connection of the "server", kept open by the test.
struct Server {
    sqlite3 *db = nullptr;
    explicit Server(const QString &path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Server() { sqlite3_close_v2(db); }
    bool exec(const char *sql) const
    {
        char *err = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
        if (rc != SQLITE_OK)
            qWarning("server SQL failed: %s", err ? err : "?");
        sqlite3_free(err);
        return rc == SQLITE_OK;
    }
};

// The bytes of the file and of every journal beside it ("" when missing).
QStringList fileSet(const QString &path)
{
    QStringList out;
    for (const char *suffix : {"", "-journal", "-wal"}) {
        const QString name = path + QLatin1String(suffix);
        out << (QFile::exists(name) ? QString::fromLatin1(fixtures::fileDigest(name)) : QString());
    }
    return out;
}

// Limits the length of any value on the connections whose file name ends
// with s_limitSuffix, for every connection opened while it is installed.
QByteArray s_limitSuffix;
int limitLength(sqlite3 *db, const char **, const struct sqlite3_api_routines *)
{
    const char *file = sqlite3_db_filename(db, "main");
    if (file && QByteArray(file).endsWith(s_limitSuffix))
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1000);
    return SQLITE_OK;
}

struct LengthLimit {
    explicit LengthLimit(const QByteArray &suffix)
    {
        s_limitSuffix = suffix;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(limitLength));
    }
    ~LengthLimit() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(limitLength)); }
};

QList<Row> someTerminals(int n, const char *prefix)
{
    QList<Row> rows;
    for (int i = 0; i < n; ++i)
        rows << terminal(i, QByteArray("10.0.0.") + QByteArray::number(i), QByteArray("m") + QByteArray::number(i),
                         QByteArray(prefix) + QByteArray::number(i) + QByteArray(200, 'x'));
    return rows;
}

} // namespace

class TestServerdbLive : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_db;
    QString path(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        QDir::setCurrent(m_dir->path());
        m_db = path(u("Velmora.db"));
        QVERIFY(fixtures::createOldFormat(m_db));
        QVERIFY(fixtures::createReference(path(u("LS_New.db"))));
    }
    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        delete m_dir;
        m_dir = nullptr;
    }

    void readStatuses_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::newRow("ok") << u("ok") << int(ReadStatus::Ok);
        QTest::newRow("missing file") << u("missing") << int(ReadStatus::Missing);
        QTest::newRow("text file") << u("text") << int(ReadStatus::NotADatabase);
        QTest::newRow("empty file") << u("empty") << int(ReadStatus::NotADatabase);
        QTest::newRow("exclusively locked") << u("locked") << int(ReadStatus::Locked);
        QTest::newRow("no Terminal table") << u("notable") << int(ReadStatus::Unreadable);
        QTest::newRow("damaged pages") << u("corrupt") << int(ReadStatus::Unreadable);
    }
    void readStatuses()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QString file = m_db;
        std::unique_ptr<Server> server;
        if (kind == u("missing"))
            file = path(u("none.db"));
        if (kind == u("text") || kind == u("empty")) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            if (kind == u("text"))
                f.write(QByteArray("no database here\n").repeated(100));
        }
        if (kind == u("locked")) {
            server = std::make_unique<Server>(file);
            QVERIFY(server->exec("BEGIN EXCLUSIVE; INSERT INTO Terminal(ID) VALUES(1);"));
        }
        if (kind == u("notable"))
            QVERIFY(fixtures::exec(file, "DROP TABLE Terminal"));
        if (kind == u("corrupt")) {
            QVERIFY(fixtures::insert(file, "Terminal", someTerminals(500, "n")));
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(f.size() / 2));
            f.write(QByteArray(int(f.size() / 4), '\xA5'));
        }
        const QStringList before = fileSet(file);
        QElapsedTimer t;
        t.start();
        const TerminalListing l = readTerminals(file);
        QCOMPARE(int(l.status), status);
        QCOMPARE(l.ok, status == int(ReadStatus::Ok));
        QVERIFY(l.rows.empty());
        if (kind == u("locked"))
            QVERIFY2(t.elapsed() >= kBusyTimeoutMs - 100, "the busy timeout is waited out before giving up");
        QCOMPARE(fileSet(file), before);
        QVERIFY2(QFile::exists(file) == (kind != u("missing")), "no file is created");
    }

    void lockHeldBrieflyIsWaitedFor()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", someTerminals(3, "a")));
        Server server(m_db);
        QVERIFY(server.exec("BEGIN EXCLUSIVE; INSERT INTO Terminal(ID) VALUES(77);"));
        std::atomic<bool> released{false};
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            server.exec("COMMIT");
            released = true;
        });
        const TerminalListing l = readTerminals(m_db);
        const SettingValues s = readSetting(m_db);
        release.join();
        QVERIFY(released);
        QVERIFY2(l.ok, qPrintable(l.error));
        QCOMPARE(l.rows.size(), std::size_t(4)); // the server's row, committed while we waited
        QCOMPARE(int(s.status), int(ReadStatus::Ok));
    }

    void walFileIsReadWithoutChange()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", someTerminals(5, "main")));
        QVERIFY(fixtures::exec(m_db, "INSERT INTO Setting VALUES(1,'1','10.1.1.1',1)"));
        // The server switches to WAL and commits rows that so far live only
        // in the WAL; it stays connected.
        Server server(m_db);
        QVERIFY(server.exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"));
        QVERIFY(server.exec("BEGIN; INSERT INTO Terminal(ID, IP, Name) VALUES(100, 'wal-ip', 'only in the WAL'); COMMIT;"));
        QVERIFY(QFile::exists(m_db + u("-wal")));
        const QStringList before = fileSet(m_db);
        QVERIFY(!before[2].isEmpty());

        const TerminalListing l = readTerminals(m_db);
        QVERIFY2(l.ok, qPrintable(l.error));
        QCOMPARE(l.rows.size(), std::size_t(6));
        QVERIFY(std::any_of(l.rows.begin(), l.rows.end(),
                            [](const TerminalRow &r) { return r.texts[kColName] == u("only in the WAL"); }));
        QCOMPARE(networkTypeText(readSetting(m_db).networkType), u("WAN"));
        const QString copy = path(u("copy.db"));
        QVERIFY(backupDatabase(m_db, copy).ok);
        QCOMPARE(fixtures::rows(copy, "SELECT count(*) FROM Terminal"), (QList<Row>{{qlonglong(6)}}));
        const ConversionResult r = convertDatabase(m_db, u("LS_New.db"), u("Velmora_new.db"), path(u("b.db")));
        QVERIFY2(r.status == ConversionResult::Done, qPrintable(r.error));
        QCOMPARE(r.tables[0].copied, 6);

        QCOMPARE(fileSet(m_db), before);
        QVERIFY2(!QFile::exists(m_db + u("-journal")), "no journal was made");
        // The server goes on writing; its WAL is still its own.
        QVERIFY(server.exec("INSERT INTO Terminal(ID) VALUES(101)"));
    }

    void walLeftByDeadServerIsNotCheckpointed()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", someTerminals(5, "main")));
        {
            // The server ends without checkpointing (as after a crash): the
            // WAL stays with committed rows the main file lacks.
            Server server(m_db);
            QVERIFY(server.exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"));
            int off = 0;
            sqlite3_db_config(server.db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &off);
            QVERIFY(server.exec("INSERT INTO Terminal(ID, Name) VALUES(100, 'wal')"));
        }
        QFile::remove(m_db + u("-shm")); // as after a reboot
        QVERIFY(QFile::exists(m_db + u("-wal")));
        const QStringList before = fileSet(m_db);
        const TerminalListing l = readTerminals(m_db);
        QVERIFY2(l.ok, qPrintable(l.error));
        QCOMPARE(l.rows.size(), std::size_t(6));
        QVERIFY(convertDatabase(m_db, u("LS_New.db"), u("Velmora_new.db"), path(u("b.db"))).status
                == ConversionResult::Done);
        QCOMPARE(fileSet(m_db), before);
    }

    void hotJournalIsNotRolledBack()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", someTerminals(300, "committed")));
        QVERIFY(fixtures::exec(m_db, "INSERT INTO Setting VALUES(1,'0','',1)"));
        // A server in mid-transaction whose changed pages have already gone
        // to the file (its cache overflowed); the file and its journal are
        // copied at that moment, as a crash would leave them.
        const QString hot = path(u("hot.db"));
        {
            Server server(m_db);
            QVERIFY(server.exec("PRAGMA cache_size=2; BEGIN; UPDATE Terminal SET Name='half-written', IP='x';"
                                "DELETE FROM Setting;"));
            QVERIFY(QFile::exists(m_db + u("-journal")));
            QVERIFY(QFile::copy(m_db, hot));
            QVERIFY(QFile::copy(m_db + u("-journal"), hot + u("-journal")));
            QVERIFY(server.exec("ROLLBACK"));
        }
        {
            // The copy really is hot, and its main file really holds the
            // half-written pages.
            sqlite3 *db = nullptr;
            sqlite3_open_v2(hot.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_extended_result_codes(db, 1);
            QCOMPARE(sqlite3_exec(db, "SELECT count(*) FROM Terminal", nullptr, nullptr, nullptr),
                     SQLITE_READONLY_ROLLBACK);
            sqlite3_close_v2(db);
            const QString bare = path(u("bare.db"));
            QVERIFY(QFile::copy(hot, bare));
            QVERIFY(fixtures::rows(bare, "SELECT DISTINCT Name FROM Terminal") != fixtures::rows(m_db, "SELECT DISTINCT Name FROM Terminal"));
        }
        const QStringList before = fileSet(hot);

        const TerminalListing l = readTerminals(hot);
        QVERIFY2(l.ok, qPrintable(l.error));
        QCOMPARE(l.rows.size(), std::size_t(300));
        for (const TerminalRow &r : l.rows)
            QVERIFY2(r.texts[kColName].startsWith(u("committed")), "the last committed state is listed");
        const SettingValues s = readSetting(hot);
        QVERIFY(s.ok);
        QCOMPARE(networkTypeText(s.networkType), u("LAN"));
        QVERIFY(backupDatabase(hot, path(u("copy.db"))).ok);
        QCOMPARE(fixtures::rows(path(u("copy.db")), "SELECT * FROM Terminal"), fixtures::rows(m_db, "SELECT * FROM Terminal"));
        const ConversionResult r = convertDatabase(hot, u("LS_New.db"), u("Velmora_new.db"), path(u("b.db")));
        QVERIFY2(r.status == ConversionResult::Done, qPrintable(r.error));
        QCOMPARE(r.tables[0].copied, 300);

        QCOMPARE(fileSet(hot), before);
        QVERIFY2(QFile::exists(hot + u("-journal")), "the journal is left for the server to roll back");
    }

    void failedBindStopsTheDelete()
    {
        // A key whose Name cannot be bound (longer than the connection
        // allows). Were the Name parameter left unbound, it would be NULL and
        // the delete would take the row whose Name is NULL instead.
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(5, QByteArray("ip"), QByteArray("mac"), QByteArray("other")),
                                                    terminal(5, QByteArray("ip"), QByteArray("mac"), QVariant())}));
        const TerminalKey key{StoredValue::number(5), StoredValue::text("ip"), StoredValue::text("mac"),
                              StoredValue::text(QByteArray(2000, 'n'))};
        DeleteResult d;
        {
            LengthLimit limit(QFile::encodeName(m_db));
            d = deleteTerminalRows(m_db, key);
        }
        QVERIFY(!d.ok);
        QCOMPARE(d.code & 0xff, SQLITE_TOOBIG);
        QCOMPARE(fixtures::rows(m_db, "SELECT count(*) FROM Terminal"), (QList<Row>{{qlonglong(2)}}));
        const DeleteResult again = deleteTerminalRows(m_db, key);
        QVERIFY2(again.ok && again.removed == 0, "without the limit the same delete runs and finds nothing");
        QCOMPARE(fixtures::rows(m_db, "SELECT count(*) FROM Terminal"), (QList<Row>{{qlonglong(2)}}));
    }

    void failedBindSkipsTheRow()
    {
        const QByteArray longName(2000, 'n');
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(1, QByteArray("ip1"), QByteArray("m1"), QByteArray("first")),
                                                    terminal(2, QByteArray("ip2"), QByteArray("m2"), longName),
                                                    terminal(3, QByteArray("ip3"), QByteArray("m3"), QByteArray("third"))}));
        ConversionResult r;
        {
            // Only the output being written (under its temporary name)
            // refuses long values.
            LengthLimit limit(".tmp");
            r = convertDatabase(m_db, u("LS_New.db"), u("Velmora_new.db"), path(u("b.db")));
        }
        QVERIFY2(r.status == ConversionResult::Done, qPrintable(r.error));
        QCOMPARE(r.tables[0].copied, 2);
        QCOMPARE(r.tables[0].skipped, 1);
        QCOMPARE(fixtures::rows(u("Velmora_new.db"), "SELECT ID, Name FROM Terminal ORDER BY ID"),
                 (QList<Row>{{qlonglong(1), QByteArray("first")}, {qlonglong(3), QByteArray("third")}}));
    }

    void nothingIsLeftUnderTemporaryNames()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", someTerminals(3, "a")));
        QVERIFY(backupDatabase(m_db, path(u("copy.db"))).ok);
        QVERIFY(!backupDatabase(m_db, path(u("copy.db"))).ok);
        QVERIFY(convertDatabase(m_db, u("LS_New.db"), u("Velmora_new.db"), path(u("b.db"))).status == ConversionResult::Done);
        const QString text = path(u("text.db"));
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("no database\n").repeated(100));
        f.close();
        QVERIFY(convertDatabase(m_db, text, u("Velmora_new.db"), path(u("b2.db"))).status == ConversionResult::OutputNotReplaced);
        QCOMPARE(QDir(m_dir->path()).entryList({u("*.tmp*")}, QDir::Files), QStringList());
        QCOMPARE(fixtures::rows(u("Velmora_new.db"), "SELECT count(*) FROM Terminal"), (QList<Row>{{qlonglong(3)}}));
    }
};

QTEST_GUILESS_MAIN(TestServerdbLive)
#include "tst_serverdb_live.moc"
