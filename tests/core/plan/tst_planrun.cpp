// The rounds of an apply as the CLI and the window drive them: when a run
// stops sending (nothing differs, three rounds, problems), the final rows
// after the last scan, and the WAN addresses queried beyond the range.
#include <QtTest>

#include "core/plan/planread.h"
#include "core/plan/planrun.h"
#include "plantestdata.h"

using namespace quenzal;

namespace {

const char A[] = "02:00:00:00:00:01";
const char B[] = "02:00:00:00:00:02";

// "MAC ID IP" with the mask every scan of these cases has.
QString rec(const char *mac, int id, const char *ip)
{
    return QStringLiteral("%1 %2 %3 255.255.0.0 198.18.0.254 198.18.0.1;")
        .arg(QLatin1String(mac))
        .arg(id)
        .arg(QLatin1String(ip));
}

// "MAC status reason" as a final row reads.
QString s(const char *mac, const char *statusAndReason)
{
    return QLatin1String(mac) + QLatin1Char(' ') + QLatin1String(statusAndReason);
}

} // namespace

class TestPlanRun : public QObject
{
    Q_OBJECT

private slots:
    void rounds_data();
    void rounds();
    void beyondRange_data();
    void beyondRange();
};

void TestPlanRun::rounds_data()
{
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QStringList>("scans"); // the first scan, then the rescan after each round (the last repeats)
    QTest::addColumn<bool>("dryRun");
    QTest::addColumn<QList<int>>("sendsPerRound"); // the sends of each round the run gives
    QTest::addColumn<QStringList>("final"); // "MAC status reason" per row

    const QByteArray plan = QByteArray("mac,id,ip\n") + A + ",11,198.18.2.1\n" + B + ",12,198.18.2.2\n";
    const QString fresh = rec(A, 1, "198.18.1.40") + rec(B, 1, "198.18.1.40");
    const QString done = rec(A, 11, "198.18.2.1") + rec(B, 12, "198.18.2.2");
    // A keeps ID 1, so its IP goes in the round after the rescan shows ID 1 its own.
    const QByteArray keepOne = QByteArray("mac,id,ip\n") + A + ",1,198.18.2.1\n" + B + ",12,198.18.2.2\n";

    QTest::newRow("matches: nothing to send")
        << plan << QStringList { done } << false << QList<int> {} << QStringList { s(A, "ok"), s(B, "ok") };
    QTest::newRow("one round takes") << plan << QStringList { fresh, done } << false << QList<int> { 4 }
                                     << QStringList { s(A, "ok"), s(B, "ok") };
    QTest::newRow("shared ID kept: its IP waits a round")
        << keepOne
        << QStringList { fresh, rec(A, 1, "198.18.1.40") + rec(B, 12, "198.18.2.2"),
               rec(A, 1, "198.18.2.1") + rec(B, 12, "198.18.2.2") }
        << false << QList<int> { 2, 1 } << QStringList { s(A, "ok"), s(B, "ok") };
    QTest::newRow("never takes: three rounds, not verified")
        << plan << QStringList { fresh } << false << QList<int> { 4, 4, 4 }
        << QStringList { s(A, "change not verified after 3 rounds"), s(B, "change not verified after 3 rounds") };
    QTest::newRow("one of two takes in the second round")
        << plan << QStringList { fresh, rec(A, 11, "198.18.2.1") + rec(B, 1, "198.18.1.40"), done } << false
        << QList<int> { 4, 2 } << QStringList { s(A, "ok"), s(B, "ok") };
    QTest::newRow("dry run: pending, no reason")
        << plan << QStringList { fresh } << true << QList<int> {} << QStringList { s(A, "change"), s(B, "change") };
    QTest::newRow("problem: nothing to send") << QByteArray("mac,id\n") + A + ",12\n" + B + ",12\n"
                                              << QStringList { fresh } << false << QList<int> {}
                                              << QStringList { s(A, "problem ID 12 also planned for 02:00:00:00:00:02"),
                                                     s(B, "problem ID 12 also planned for 02:00:00:00:00:01") };
    QTest::newRow("a problem on the rescan stops the rounds")
        << plan
        << QStringList { fresh,
               rec(A, 1, "198.18.1.40") + rec(B, 1, "198.18.1.40") + rec("02:00:00:00:00:07", 11, "198.18.1.7") }
        << false << QList<int> { 4 }
        << QStringList { s(A, "problem ID 11 is held by 02:00:00:00:00:07, online and not in the plan"),
               s(B, "change not verified after 1 round") };
    QTest::newRow("missing; an unplanned terminal gone by the last scan")
        << plan
        << QStringList { rec(A, 1, "198.18.1.40") + rec("02:00:00:00:00:07", 7, "198.18.1.7"),
               rec(A, 11, "198.18.2.1") }
        << false << QList<int> { 2 }
        << QStringList { s(A, "ok"), s(B, "missing not online"), s("02:00:00:00:00:07", "unplanned no longer online") };
}

void TestPlanRun::rounds()
{
    QFETCH(QByteArray, plan);
    QFETCH(QStringList, scans);
    QFETCH(bool, dryRun);
    QFETCH(QList<int>, sendsPerRound);
    QFETCH(QStringList, final);

    const PlanReadResult read = readPlanCsv(plan);
    QVERIFY2(read.ok, qPrintable(read.error));
    PlanRun run(read.entries);
    run.start(scanOf(scans.first()));
    QList<int> sent;
    if (!dryRun) {
        for (std::vector<PlanSend> sends = run.nextSends(); !sends.empty(); sends = run.nextSends()) {
            sent << int(sends.size());
            QVERIFY(sent.size() <= PlanRun::MaxRounds);
            run.afterScan(scanOf(scans.value(sent.size(), scans.last())));
        }
    }
    QCOMPARE(sent, sendsPerRound);
    QCOMPARE(run.rounds(), int(sendsPerRound.size()));
    QStringList rows;
    for (const ApplyRow &r : run.rows(dryRun))
        rows << (r.row.mac + QLatin1Char(' ') + planStatusName(r.status) + QLatin1Char(' ') + r.reason).trimmed();
    QCOMPARE(rows, final);
}

void TestPlanRun::beyondRange_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QStringList>("beyond");

    QTest::newRow("inside the range: none") << QStringLiteral("198.18.1.40-198.18.1.43")
                                            << QByteArray("mac,ip\n02:00:00:00:00:01,198.18.1.41\n") << QStringList {};
    QTest::newRow("outside, each once, plan order; leading zeros read")
        << QStringLiteral("198.18.1.40-198.18.1.43")
        << QByteArray("mac,ip\n02:00:00:00:00:01,198.18.1.6\n02:00:00:00:00:02,198.018.001.006\n"
                      "02:00:00:00:00:03,198.18.1.5\n02:00:00:00:00:04,\n02:00:00:00:00:05,bad\n")
        << texts({ "198.18.1.6", "198.18.1.5" });
}

void TestPlanRun::beyondRange()
{
    QFETCH(QString, range);
    QFETCH(QByteArray, plan);
    QFETCH(QStringList, beyond);
    ScanFields fields;
    int count = 0;
    QString why;
    QVERIFY2(parseScanRangeText(range, &fields, &count, &why), qPrintable(why));
    QStringList out;
    for (const QHostAddress &a : planAddressesBeyondRange(fields, count, readPlanCsv(plan).entries))
        out << a.toString();
    QCOMPARE(out, beyond);
}

QTEST_APPLESS_MAIN(TestPlanRun)
#include "tst_planrun.moc"
