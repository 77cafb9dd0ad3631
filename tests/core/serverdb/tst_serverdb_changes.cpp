// The database core changing files: delete by stored values and backups.
#include "tst_serverdb_core_fixture.h"

class TestServerdbChanges : public TestServerdbCoreFixture
{
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestServerdbChanges)
#include "moc_tst_serverdb_core_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_serverdb_changes.moc"
