// The database core reading real SQLite files built by the test: listing, marks, Setting.
#include "tst_serverdb_core_fixture.h"

class TestServerdbReading : public TestServerdbCoreFixture
{
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestServerdbReading)
#include "moc_tst_serverdb_core_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_serverdb_reading.moc"
