// A conversion killed (SIGKILL) at 20 random moments: the source stays byte
// for byte as it was, and "Velmora_new.db" is absent, the previous file, or a
// complete conversion, never a partial one. The pre-conversion backup is
// likewise absent or complete.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include "dbfixtures.h"

using fixtures::Row;

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

const QByteArray kTables[] = {"Terminal", "Team", "Solution", "Task", "User", "MusicData", "Setting",
                              "AlarmInformation"};

// Every row of every table, in stored order.
QList<QList<Row>> content(const QString &path)
{
    QList<QList<Row>> out;
    for (const QByteArray &table : kTables)
        out << fixtures::rows(path, "SELECT * FROM \"" + table + "\" ORDER BY rowid");
    return out;
}

bool intact(const QString &path)
{
    return fixtures::rows(path, "PRAGMA integrity_check") == QList<Row>{{QByteArray("ok")}};
}

} // namespace

class TestServerdbCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedConversionLeavesNoPartialOutput()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString source = dir.filePath(u("Velmora.db"));
        const QString reference = dir.filePath(u("LS_New.db"));
        const QString output = dir.filePath(u("Velmora_new.db"));
        const QString previous = dir.filePath(u("previous.db"));
        QVERIFY(fixtures::createOldFormat(source));
        QVERIFY(fixtures::createReference(reference));
        QVERIFY(fixtures::createReference(previous));
        QVERIFY(fixtures::exec(previous, "INSERT INTO Terminal(ID, Name) VALUES(1, 'from an earlier conversion')"));
        // Large enough that the conversion takes a while to kill it in.
        QList<Row> terminals, tasks;
        for (int i = 0; i < 20000; ++i) {
            terminals << Row{i, 1, 0, 1, 1, 0, 1, QByteArray("10.1.") + QByteArray::number(i),
                             QByteArray("m") + QByteArray::number(i), QByteArray("name ") + QByteArray::number(i)};
            tasks << fixtures::oldTaskRow(i);
        }
        QVERIFY(fixtures::insert(source, "Terminal", terminals));
        QVERIFY(fixtures::insert(source, "Task", tasks));
        QVERIFY(fixtures::insert(source, "Team", {{QByteArray("1"), QByteArray("g"), QByteArray(""), QByteArray("")}}));
        const QByteArray sourceDigest = fixtures::fileDigest(source);
        const QByteArray previousDigest = fixtures::fileDigest(previous);

        auto run = [&](const QString &backup) {
            auto *p = new QProcess(this);
            p->setProgram(QStringLiteral(CONVERT_HELPER));
            p->setArguments({source, reference, output, backup});
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start();
            return p;
        };

        // A complete run: what a finished conversion holds, and how long one
        // takes.
        QElapsedTimer t;
        t.start();
        QProcess *full = run(dir.filePath(u("full_backup.db")));
        QVERIFY(full->waitForFinished(120000));
        const qint64 duration = t.elapsed();
        QCOMPARE(full->exitCode(), 0);
        const QList<QList<Row>> complete = content(output);
        const QList<QList<Row>> sourceContent = content(source);
        QCOMPARE(complete[0].size(), 20000);
        QCOMPARE(complete[3].size(), 20000);
        QVERIFY(QFile::remove(output));

        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        qInfo("conversion takes %lld ms; kill moments from seed %u", duration, seed);
        int killedRunning = 0, absent = 0, previousKept = 0, completed = 0;
        for (int i = 0; i < 20; ++i) {
            const bool hadPrevious = i % 2;
            QFile::remove(output);
            if (hadPrevious)
                QVERIFY(QFile::copy(previous, output));
            const QString backup = dir.filePath(QStringLiteral("backup%1.db").arg(i));
            const int delay = int(random.bounded(quint32(duration + 1)));

            QProcess *p = run(backup);
            QVERIFY(p->waitForStarted());
            QTest::qSleep(delay);
            const bool running = p->state() == QProcess::Running;
            p->kill(); // SIGKILL
            QVERIFY(p->waitForFinished(30000));
            killedRunning += running && p->exitStatus() == QProcess::CrashExit;
            delete p;

            QCOMPARE(fixtures::fileDigest(source), sourceDigest);
            QVERIFY2(!QFile::exists(source + u("-journal")) && !QFile::exists(source + u("-wal")),
                     "nothing is written beside the source");
            QString outcome;
            if (!QFile::exists(output)) {
                QVERIFY2(!hadPrevious, "the previous output vanished");
                outcome = u("absent");
                ++absent;
            } else if (hadPrevious && fixtures::fileDigest(output) == previousDigest) {
                outcome = u("previous");
                ++previousKept;
            } else {
                QVERIFY2(intact(output), qPrintable(QStringLiteral("kill %1 after %2 ms: damaged output").arg(i).arg(delay)));
                QVERIFY2(content(output) == complete,
                         qPrintable(QStringLiteral("kill %1 after %2 ms: partial output").arg(i).arg(delay)));
                outcome = u("complete");
                ++completed;
            }
            if (QFile::exists(backup)) {
                QVERIFY2(intact(backup) && content(backup).mid(0, 6) == sourceContent.mid(0, 6),
                         qPrintable(QStringLiteral("kill %1 after %2 ms: partial backup").arg(i).arg(delay)));
            }
            qInfo("kill %d after %d ms (%s): output %s", i, delay, running ? "while converting" : "after it ended",
                  qPrintable(outcome));
        }
        qInfo("%d of 20 killed while converting; outputs: %d absent, %d previous, %d complete", killedRunning, absent,
              previousKept, completed);
        QVERIFY2(killedRunning >= 10, "most kills must land while the conversion runs");
    }
};

QTEST_GUILESS_MAIN(TestServerdbCrash)
#include "tst_serverdb_crash.moc"
