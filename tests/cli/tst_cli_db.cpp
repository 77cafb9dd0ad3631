// quenzal-cli db: the real binary on database files built by the fixtures
// (no socket is opened): listing in each format, the soundness check and its
// exit codes, backup beside the source, conversion with its per-table counts.
#include <QtTest>

#include "clirun.h"
#include "dbfixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace clitest;

namespace {

fixtures::Row terminal(int id, const char *ip, const char *mac, const QString &name)
{
    return fixtures::Row { id, 8, 0, 1, 1, 1, 1, QByteArray(ip), QByteArray(mac), name };
}

} // namespace

class TestCliDb : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_sound, m_shared;

    QString path(const char *name) const { return m_dir.filePath(s(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_sound = path("sound.db");
        QVERIFY(fixtures::createNewFormat(m_sound));
        QVERIFY(fixtures::insert(m_sound, "Terminal",
            { terminal(1, "198.18.1.1", "02:00:00:00:00:01", s("大厅")),
                terminal(2, "198.18.1.2", "02:00:00:00:00:02", s("a,\"b\"")) }));
        m_shared = path("shared.db");
        QVERIFY(fixtures::createOldFormat(m_shared));
        QVERIFY(fixtures::insert(m_shared, "Terminal",
            { terminal(5, "198.18.1.1", "02:00:00:00:00:01", s("x")),
                terminal(5, "198.18.1.2", "02:00:00:00:00:02", s("y")),
                terminal(6, "198.18.1.2", "02:00:00:00:00:03", s("z")) }));
        QFile junk(path("junk.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
    }

    void list()
    {
        Run r = runCli({ s("db"), s("list"), m_shared });
        QVERIFY2(r.exit == 0, why(r));
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("ID  Vol  M"));
        QVERIFY2(lines[1].trimmed().endsWith(" id"), lines[1].constData());
        QVERIFY2(lines[2].trimmed().endsWith(" id,ip"), lines[2].constData());
        QVERIFY2(lines[3].trimmed().endsWith(" ip"), lines[3].constData());

        r = runCli({ s("db"), s("list"), m_sound, s("--format"), s("json") });
        QVERIFY2(r.exit == 0, why(r));
        const QJsonArray a = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(a.size(), 2);
        QCOMPARE(a.at(0).toObject().value(s("name")).toString(), s("大厅"));
        QCOMPARE(a.at(1).toObject().value(s("mac")).toString(), s("02:00:00:00:00:02"));
        QCOMPARE(a.at(1).toObject().value(s("shared_id")).toBool(), false);
        // An ID is a number, an address a text, as in every JSON output.
        QVERIFY(a.at(0).toObject().value(s("id")).isDouble());
        QCOMPARE(a.at(0).toObject().value(s("id")).toInt(), 1);
        QCOMPARE(a.at(1).toObject().value(s("id")).toInt(), 2);
        QCOMPARE(a.at(1).toObject().value(s("ip")).toString(), s("198.18.1.2"));
        QCOMPARE(a.at(1).toObject().value(s("vol")).toString(), s("8"));

        r = runCli({ s("db"), s("list"), m_sound, s("--format"), s("csv") });
        QVERIFY2(r.exit == 0, why(r));
        QVERIFY(r.out.startsWith("\xEF\xBB\xBF"
                                 "ID,Vol,M,IEnable,RBEnable,RMEnable,OBEnable,IP,MAC,Name\r\n"));
        QVERIFY2(r.out.contains(",\"a,\"\"b\"\"\"\r\n"), r.out.constData());

        r = runCli({ s("db"), s("list"), path("missing.db") });
        QVERIFY2(r.exit == 1, why(r));
        QVERIFY(!QFile::exists(path("missing.db")));
    }

    void check_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("sound") << s("sound.db") << 0 << QByteArray("result: sound");
        QTest::newRow("shared ID and IP") << s("shared.db") << 4 << QByteArray("shared id: 2 rows (5)");
        QTest::newRow("not a database") << s("junk.db") << 1 << QByteArray();
        QTest::newRow("missing") << s("nothing.db") << 1 << QByteArray();
    }

    void check()
    {
        QFETCH(QString, file);
        QFETCH(int, exit);
        QFETCH(QByteArray, says);
        const Run r = runCli({ s("db"), s("check"), m_dir.filePath(file) });
        QVERIFY2(r.exit == exit, why(r));
        if (!says.isEmpty())
            QVERIFY2(r.out.contains(says), r.out.constData());
        else
            QVERIFY(r.err.startsWith("quenzal-cli: "));
    }

    void backup()
    {
        const Run r = runCli({ s("db"), s("backup"), m_sound });
        QVERIFY2(r.exit == 0, why(r));
        const QString target = QString::fromUtf8(r.out.trimmed());
        QVERIFY2(QFileInfo(target).absolutePath() == QFileInfo(m_sound).absolutePath(), qPrintable(target));
        QVERIFY(QFileInfo(target).fileName().startsWith(s("Velmora_")));
        QCOMPARE(fixtures::rows(target, "SELECT ID, Name FROM Terminal ORDER BY ID").size(), 2);
        QVERIFY2(runCli({ s("db"), s("backup"), path("missing.db") }).exit == 1, "no source, no backup");
    }

    void convert()
    {
        const QString work = path("convert");
        QVERIFY(QDir().mkpath(work));
        QVERIFY(fixtures::createReference(work + s("/LS_New.db")));
        const QString old = work + s("/old.db");
        QVERIFY(fixtures::createOldFormat(old));
        QVERIFY(fixtures::insert(old, "Terminal",
            { terminal(1, "198.18.1.1", "02:00:00:00:00:01", s("a")),
                terminal(2, "198.18.1.2", "02:00:00:00:00:02", s("b")) }));
        Run r = runCli({ s("db"), s("convert"), old, s("--output"), s("out.db") }, work);
        QVERIFY2(r.exit == 0, why(r));
        QVERIFY2(r.out.contains("Terminal"), r.out.constData());
        QList<QByteArray> terminalLine;
        for (const QByteArray &line : r.out.split('\n')) {
            if (line.startsWith("Terminal"))
                terminalLine << line;
        }
        QCOMPARE(terminalLine.size(), 1);
        QCOMPARE(terminalLine[0].simplified(), QByteArray("Terminal 2 2 0"));
        QCOMPARE(fixtures::rows(work + s("/out.db"), "SELECT ID FROM Terminal").size(), 2);

        // Already new: nothing written, exit 0 with a note.
        r = runCli({ s("db"), s("convert"), m_sound, s("--output"), s("again.db") }, work);
        QVERIFY2(r.exit == 0 && r.err.contains("already in the new format"), why(r));
        QVERIFY(!QFile::exists(work + s("/again.db")));
        // No reference: failure, nothing written.
        r = runCli({ s("db"), s("convert"), old, s("--reference"), s("none.db"), s("--output"), s("x.db") }, work);
        QVERIFY2(r.exit == 1, why(r));
        QVERIFY(!QFile::exists(work + s("/x.db")));
    }

    // The output contract: output that cannot be written fails the run with
    // the reason; db options may come before the operation; every help lists
    // its exit codes.
    void outputThatCannotBeWritten_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("version") << sl({ "--version" });
        QTest::newRow("help") << sl({ "--help" });
        QTest::newRow("scan help") << sl({ "scan", "--help" });
        QTest::newRow("db list") << sl({ "db", "list", "SOUND" });
        QTest::newRow("db list json") << sl({ "db", "list", "SOUND", "--format", "json" });
        QTest::newRow("db check") << sl({ "db", "check", "SOUND" });
    }

    void outputThatCannotBeWritten()
    {
        QFETCH(QStringList, args);
        args.replaceInStrings(s("SOUND"), m_sound);
        const Run r = runCli(args, QString(), 30000, s("/dev/full"));
        QVERIFY2(r.exit == 1 && r.err.contains("cannot write the output: "), why(r));
    }

    void dbOptionsBeforeTheOperation_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("format first") << sl({ "db", "--format", "json", "list", "SOUND" });
        QTest::newRow("format=") << sl({ "db", "--format=json", "list", "SOUND" });
        QTest::newRow("path first") << sl(
            { "db", "SOUND", "list", "--format", "json" }); // no: the path is no operation
    }

    void dbOptionsBeforeTheOperation()
    {
        QFETCH(QStringList, args);
        args.replaceInStrings(s("SOUND"), m_sound);
        const Run expected = runCli({ s("db"), s("list"), m_sound, s("--format"), s("json") });
        const Run r = runCli(args);
        if (args.at(1) == m_sound) {
            QVERIFY2(r.exit == 2, why(r));
            return;
        }
        QVERIFY2(r.exit == 0, why(r));
        QCOMPARE(r.out, expected.out);
    }

    void helpListsExitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("scan") << sl({ "scan", "--help" }) << sl({ "  0  ", "  1  ", "  2  " });
        QTest::newRow("set") << sl({ "set", "--help" }) << sl({ "  0  ", "  1  ", "  2  ", "  3  " });
        QTest::newRow("renumber") << sl({ "renumber", "--help" }) << sl({ "  0  ", "  1  ", "  2  ", "  3  " });
        QTest::newRow("reconcile") << sl({ "reconcile", "--help" }) << sl({ "  0  ", "  1  ", "  2  ", "  4  " });
        QTest::newRow("diff") << sl({ "diff", "--help" }) << sl({ "  0  ", "  1  ", "  2  ", "  4  " });
        for (const char *op : { "list", "backup", "convert" })
            QTest::addRow("db %s", op) << sl({ "db", op, "--help" }) << sl({ "  0  ", "  1  ", "  2  " });
        QTest::newRow("db check") << sl({ "db", "check", "--help" }) << sl({ "  0  ", "  1  ", "  2  ", "  4  " });
    }

    void helpListsExitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, codes);
        const Run r = runCli(args);
        QVERIFY2(r.exit == 0, why(r));
        const QString out = QString::fromUtf8(r.out);
        const qsizetype at = out.indexOf(QStringLiteral("\nExit codes:\n"));
        QVERIFY2(at > 0, why(r));
        QStringList got;
        for (const QString &line : out.mid(at).split(QLatin1Char('\n'))) {
            if (line.size() > 5 && line.at(2).isDigit())
                got << line.left(5);
        }
        QCOMPARE(got, codes);
    }
};

QTEST_GUILESS_MAIN(TestCliDb)
#include "tst_cli_db.moc"
