// The database operations under an OperationControl: cancelled backups,
// conversions and checks leave no file under their final names, a wait for
// the server's lock is reported and ends on cancel, and a conversion removes
// the temporary files that a killed one left.
#include "tst_serverdb_core_fixture.h"

#include "core/serverdb/dbcheck.h"

namespace {

// A control that records what it hears and cancels once it has heard
// `cancelAfter` reports of the kind `cancelOn` (-1: never).
struct Recorder
{
    QList<int> events;
    int cancelOn = -1;
    int cancelAfter = 1;
    OperationControl control;
    Recorder()
    {
        control.cancelled = [this] { return cancelOn >= 0 && events.count(cancelOn) >= cancelAfter; };
        control.progress = [this](OperationControl::Event e, qint64, qint64) { events << int(e); };
    }
};

} // namespace

class TestServerdbControl : public TestServerdbCoreFixture
{
    Q_OBJECT

    // Many pages, so a copy of the file takes many steps.
    void makeLarge(const QString &file)
    {
        QVERIFY(fixtures::insert(file, "Terminal", { terminal(1, QByteArray("10.0.0.1"), QByteArray("AA"), u("a")) }));
        QVERIFY(fixtures::exec(file,
            "CREATE TABLE Log(b);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c WHERE x<800)"
            " INSERT INTO Log SELECT randomblob(8000) FROM c"));
    }

    QStringList filesHere() const
    {
        QStringList files = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(u("Velmora.db"));
        files.removeAll(u("LS_New.db"));
        files.sort();
        return files;
    }

private Q_SLOTS:
    void cancelledCopiesLeaveNothing_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("after"); // page-copy steps before the cancel
        QTest::newRow("backup, first step") << u("backup") << 1;
        QTest::newRow("backup, later step") << u("backup") << 3;
        QTest::newRow("conversion, its backup") << u("convert") << 1;
        QTest::newRow("conversion, the reference") << u("convert") << 0;
        QTest::newRow("check") << u("check") << 2;
    }
    void cancelledCopiesLeaveNothing()
    {
        QFETCH(QString, operation);
        QFETCH(int, after);
        makeLarge(m_db);
        QVERIFY(fixtures::createReference(u("LS_New.db")));
        const QByteArray digest = fixtures::fileDigest(m_db);
        Recorder r;
        r.cancelOn = OperationControl::Step;
        r.cancelAfter = after;
        if (operation == u("backup")) {
            const BackupResult b = backupDatabase(m_db, path(u("backup.db")), &r.control);
            QVERIFY(!b.ok);
        } else if (operation == u("convert")) {
            // 0: cancelled on the first step after the backup is complete,
            // while the reference is copied (the backup is a few hundred
            // pages in steps of 256).
            r.cancelAfter = after ? after : 3;
            const ConversionResult c
                = convertDatabase(m_db, u("LS_New.db"), u("Velmora_new.db"), u("Velmora_41X.db"), &r.control);
            QCOMPARE(c.status, ConversionResult::Failed);
        } else {
            const DatabaseCheck c = checkDatabase(m_db, &r.control);
            QVERIFY(!c.sound());
        }
        QVERIFY2(r.events.count(OperationControl::Step) >= 1, "the copy reports its steps");
        QVERIFY2(filesHere().isEmpty(), qPrintable(filesHere().join(u(", "))));
        QCOMPARE(fixtures::fileDigest(m_db), digest);
    }

    void copiesReportProgressToTheEnd()
    {
        makeLarge(m_db);
        Recorder r;
        const BackupResult b = backupDatabase(m_db, path(u("backup.db")), &r.control);
        QVERIFY2(b.ok, qPrintable(b.error));
        QVERIFY(r.events.count(OperationControl::Step) >= 3);
        QCOMPARE(fixtures::rows(b.target, "SELECT count(*) FROM Log").value(0).value(0).toInt(), 800);
    }

    void lockWaitIsReported_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("waits out the busy timeout") << false;
        QTest::newRow("cancelled while waiting") << true;
    }
    void lockWaitIsReported()
    {
        QFETCH(bool, cancel);
        QVERIFY(fixtures::insert(m_db, "Terminal", { terminal(1, QByteArray("10.0.0.1"), QByteArray("AA"), u("a")) }));
        Holder server(m_db, "BEGIN EXCLUSIVE", "INSERT INTO Terminal(ID) VALUES(2)");
        QVERIFY(server.ok());
        Recorder r;
        if (cancel)
            r.cancelOn = OperationControl::WaitingForLock;
        const TerminalListing listing = readTerminals(m_db, &r.control);
        QVERIFY(!listing.ok);
        QCOMPARE(listing.status, ReadStatus::Locked);
        QVERIFY(r.events.contains(OperationControl::WaitingForLock));
        // About once a second: a 2 s timeout reports at 0 s and 1 s.
        QCOMPARE(r.events.count(OperationControl::WaitingForLock), cancel ? 1 : kBusyTimeoutMs / 1000);
    }

    void listingAfterTheLockGoes()
    {
        QVERIFY(fixtures::insert(m_db, "Terminal", { terminal(1, QByteArray("10.0.0.1"), QByteArray("AA"), u("a")) }));
        auto server = std::make_unique<Holder>(m_db, "BEGIN EXCLUSIVE", "INSERT INTO Terminal(ID) VALUES(2)");
        QVERIFY(server->ok());
        Recorder r;
        // The server lets go while the read waits for it.
        r.control.progress = [&](OperationControl::Event e, qint64, qint64) {
            r.events << int(e);
            if (e == OperationControl::WaitingForLock)
                server.reset();
        };
        const TerminalListing listing = readTerminals(m_db, &r.control);
        QVERIFY2(listing.ok, qPrintable(listing.error));
        QCOMPARE(listing.rows.size(), std::size_t(1));
        QCOMPARE(r.events.count(OperationControl::WaitingForLock), 1);
    }

    // A server that commits between the steps of a listing: rows deleted
    // behind the steps, added after them and added into gaps behind them.
    // The listing shows the rows of the file as it is at the end, in
    // rollback-journal mode (short steps and a last look at the rowids) and
    // in WAL mode (one transaction the third time).
    void listingFollowsCommitsBetweenSteps_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("commits"); // at the first steps' reports
        QTest::newRow("rollback journal") << u("DELETE") << 6;
        QTest::newRow("WAL") << u("WAL") << 2;
    }
    void listingFollowsCommitsBetweenSteps()
    {
        QFETCH(QString, mode);
        QFETCH(int, commits);
        QVERIFY(fixtures::exec(m_db, QByteArray("PRAGMA journal_mode=" + mode.toLatin1()).constData()));
        // Even rowids only, so that rows can be added behind the steps.
        QVERIFY(fixtures::exec(m_db,
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c WHERE x<6500)"
            " INSERT INTO Terminal(rowid, ID, IP, MAC, Name) SELECT 2*x, x, '10.0.0.1', 'M'||x, 't'||x FROM c"));
        int made = 0;
        OperationControl control;
        control.progress = [&](OperationControl::Event e, qint64, qint64) {
            if (e != OperationControl::Step || made >= commits)
                return;
            ++made;
            const QByteArray k = QByteArray::number(made);
            QVERIFY(fixtures::exec(m_db,
                "BEGIN; DELETE FROM Terminal WHERE rowid = " + QByteArray::number(made * 20)
                    + "; INSERT INTO Terminal(ID, Name) VALUES(" + k + ", 'new " + k
                    + "'); INSERT INTO Terminal(rowid, ID, Name) VALUES(" + QByteArray::number(made * 20 + 1) + ", " + k
                    + ", 'behind " + k + "'); COMMIT"));
        };
        const TerminalListing l = readTerminals(m_db, &control);
        QVERIFY2(l.ok, qPrintable(l.error));
        QCOMPARE(made, commits);
        QStringList listed;
        for (const TerminalRow &r : l.rows)
            listed << r.texts[kColName];
        listed.sort();
        const TerminalListing now = readTerminals(m_db);
        QStringList inFile;
        for (const TerminalRow &r : now.rows)
            inFile << r.texts[kColName];
        inFile.sort();
        QCOMPARE(inFile.size(), 6500 + commits);
        QCOMPARE(listed, inFile);
    }

    void conversionRemovesLeftovers()
    {
        QVERIFY(fixtures::createReference(u("LS_New.db")));
        const QStringList leftovers { u("Velmora_new.db.Ab12Cd.tmp"), u("Velmora_new.db.Ab12Cd.tmp-journal"),
            u("Velmora_2020_01_02_03_04_05_41X.db.zZ9yY8.tmp") };
        const QStringList others { u("Velmora_new.db.keep"), u("other.db.Ab12Cd.tmp"),
            u("Velmora_2020_01_02_03_04_05.db.zZ9yY8.tmp") };
        for (const QString &name : leftovers + others) {
            QFile f(path(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("partial");
        }
        const ConversionResult c
            = convertDatabase(m_db, u("LS_New.db"), u("Velmora_new.db"), u("Velmora_2024_03_05_14_07_09_41X.db"));
        QCOMPARE(c.status, ConversionResult::Done);
        QStringList expected = others;
        expected << u("Velmora_2024_03_05_14_07_09_41X.db") << u("Velmora_new.db");
        expected.sort();
        QCOMPARE(filesHere(), expected);
    }
};

QTEST_GUILESS_MAIN(TestServerdbControl)
#include "moc_tst_serverdb_core_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_serverdb_control.moc"
