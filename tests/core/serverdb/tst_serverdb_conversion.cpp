// The database core converting an old-format file into the new format.
#include "tst_serverdb_core_fixture.h"

class TestServerdbConversion : public TestServerdbCoreFixture
{
    Q_OBJECT

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestServerdbConversion)
#include "moc_tst_serverdb_core_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_serverdb_conversion.moc"
