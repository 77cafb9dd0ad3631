// Reading plans and comparing them with a scan: the formats, the statuses,
// the changes and every problem that forbids sending.
#include <QtTest>

#include "core/plan/planread.h"
#include "dbfixtures.h"
#include "plantestdata.h"

#include <QTemporaryDir>

using namespace quenzal;

namespace {

QString entriesText(const std::vector<PlanEntry> &entries)
{
    QStringList lines;
    for (const PlanEntry &e : entries) {
        QStringList f { QString::number(e.line), e.mac };
        for (const QString &v : e.values)
            f << v;
        lines << f.join(QLatin1Char('|'));
    }
    return lines.join(QLatin1Char('\n'));
}

QString rowText(const PlanRow &row)
{
    QStringList changes;
    for (const PlanChange &c : row.changes)
        changes << QStringLiteral("%1:%2>%3").arg(planFieldName(c.field), c.now, c.planned);
    return QStringLiteral("%1 %2 %3").arg(row.mac, planStatusName(row.status), changes.join(QLatin1Char(',')));
}

} // namespace

class TestPlan : public QObject
{
    Q_OBJECT

private slots:
    void readCsv_data();
    void readCsv();
    void readJson_data();
    void readJson();
    void readDatabase();
    void statuses_data();
    void statuses();
};

void TestPlan::readCsv_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error"); // part of the error, empty: reads
    QTest::addColumn<QString>("entries");

    QTest::newRow("plain") << QByteArray("mac,id,ip\n02:00:00:00:00:01,5,10.0.0.5\n") << QString()
                           << QStringLiteral("2|02:00:00:00:00:01|5|10.0.0.5|||");
    QTest::newRow("any order, CR LF, other columns")
        << QByteArray("name,server,MAC,gateway,mask,IP,ID\r\nhall,10.0.0.1,02-00-00-00-00-0a,10.0.0.254,"
                      "255.255.255.0,10.0.0.9,9\r\n")
        << QString() << QStringLiteral("2|02-00-00-00-00-0a|9|10.0.0.9|255.255.255.0|10.0.0.254|10.0.0.1");
    QTest::newRow("BOM and the list's captions")
        << QByteArray("\xEF\xBB\xBF")
            + QStringLiteral("编号,本地地址,子网掩码,本地网关,MAC地址,服务器地址,音量\r\n"
                             "005,192.168.001.010,255.255.255.000,192.168.001.001,"
                             "02:00:00:00:00:01,192.168.001.002,10\r\n")
                  .toUtf8()
        << QString()
        << QStringLiteral("2|02:00:00:00:00:01|005|192.168.001.010|255.255.255.000|192.168.001.001|192.168.001.002");
    QTest::newRow("empty cells leave as is, short rows, blank lines")
        << QByteArray("mac,id,ip\n02:00:00:00:00:01,,10.0.0.5\n\n02:00:00:00:00:02\n") << QString()
        << QStringLiteral("2|02:00:00:00:00:01||10.0.0.5|||\n4|02:00:00:00:00:02|||||");
    QTest::newRow("quoted cells") << QByteArray(
        "\"mac\",\"note\",id\n\"02:00:00:00:00:01\",\"a, \"\"b\"\"\nc\",7\n02:00:00:00:00:02,,8\n")
                                  << QString()
                                  << QStringLiteral("2|02:00:00:00:00:01|7||||\n4|02:00:00:00:00:02|8||||");
    QTest::newRow("header only") << QByteArray("mac,id\n") << QString() << QString();
    QTest::newRow("no mac column") << QByteArray("id,ip\n5,10.0.0.5\n") << QStringLiteral("no mac column") << QString();
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("no header row") << QString();
    QTest::newRow("mac twice in the header")
        << QByteArray("mac,MAC地址\n") << QStringLiteral("MAC column twice") << QString();
    QTest::newRow("open quote") << QByteArray("mac,id\n\"02:00:00:00:00:01,5\n") << QStringLiteral("quoted field")
                                << QString();
    QTest::newRow("not UTF-8") << QByteArray("mac,\xB1\xE0\xBA\xC5\n") << QStringLiteral("not UTF-8") << QString();
}

void TestPlan::readCsv()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(QString, entries);
    const PlanReadResult r = readPlanCsv(bytes);
    QCOMPARE(r.ok, error.isEmpty());
    if (!r.ok) {
        QVERIFY2(r.error.contains(error), qPrintable(r.error));
        return;
    }
    QCOMPARE(entriesText(r.entries), entries);
}

void TestPlan::readJson_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("entries");

    QTest::newRow("keys, ID as number or text, others ignored")
        << QByteArray(R"([{"mac":"02:00:00:00:00:01","id":5,"ip":"10.0.0.5","volume":"3"},)"
                      R"({"mac":"02:00:00:00:00:02","id":"006","mask":"255.0.0.0","gateway":"10.0.0.1",)"
                      R"("server":"10.0.0.2"}])")
        << QString()
        << QStringLiteral("1|02:00:00:00:00:01|5|10.0.0.5|||\n2|02:00:00:00:00:02|006||255.0.0.0|10.0.0.1|10.0.0.2");
    QTest::newRow("empty array") << QByteArray("[]") << QString() << QString();
    QTest::newRow("not an array") << QByteArray(R"({"mac":"x"})") << QStringLiteral("not an array") << QString();
    QTest::newRow("not JSON") << QByteArray("[{") << QStringLiteral("does not parse") << QString();
    QTest::newRow("element not an object")
        << QByteArray(R"([{"mac":"a"},3])") << QStringLiteral("element 2") << QString();
}

void TestPlan::readJson()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(QString, entries);
    const PlanReadResult r = readPlanJson(bytes);
    QCOMPARE(r.ok, error.isEmpty());
    if (!r.ok) {
        QVERIFY2(r.error.contains(error), qPrintable(r.error));
        return;
    }
    QCOMPARE(entriesText(r.entries), entries);
}

void TestPlan::readDatabase()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("plan.db"));
    QVERIFY(fixtures::createOldFormat(db));
    auto terminal = [](int id, const char *ip, const char *mac) {
        return fixtures::Row { id, 8, 0, 1, 1, 1, 1, QByteArray(ip), QByteArray(mac), QStringLiteral("t") };
    };
    QVERIFY(fixtures::insert(db, "Terminal",
        { terminal(21, "198.18.1.41", "02:00:00:00:00:01"), terminal(22, " 198.18.1.42", "02-00-00-00-00-02") }));
    const PlanReadResult r = readPlanDatabase(db);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(entriesText(r.entries),
        QStringLiteral("1|02:00:00:00:00:01|21|198.18.1.41|||\n2|02-00-00-00-00-02|22|198.18.1.42|||"));
    const PlanReadResult none = readPlanDatabase(dir.filePath(QStringLiteral("none.db")));
    QVERIFY(!none.ok);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.db"))));
}

void TestPlan::statuses_data()
{
    QTest::addColumn<QByteArray>("plan"); // CSV
    QTest::addColumn<QString>("scan");
    QTest::addColumn<QStringList>("rows"); // "MAC status changes"
    QTest::addColumn<QString>("reason"); // part of the first problem row's reason; empty: no problem

    const QByteArray header("mac,id,ip,mask,gateway,server\n");
    const QString net(QStringLiteral(" 255.255.255.0 10.0.0.254 10.0.0.1"));
    QTest::newRow("ok: padded and case-insensitive")
        << header + "02-00-00-00-00-0a,005,010.000.000.005,,,\n"
        << QStringLiteral("02:00:00:00:00:0A 5 10.0.0.5") + net << texts({ "02:00:00:00:00:0A ok " }) << QString();
    QTest::newRow("change, unplanned, missing")
        << header + "02:00:00:00:00:01,7,10.0.0.7,255.255.0.0,10.0.0.254,10.0.0.2\n02:00:00:00:00:09,9,,,,\n"
        << QStringLiteral("02:00:00:00:00:01 1 10.0.0.99") + net + QStringLiteral(";02:00:00:00:00:05 5 10.0.0.5") + net
        << texts({ "02:00:00:00:00:01 change "
                   "id:1>7,ip:10.0.0.99>10.0.0.7,mask:255.255.255.0>255.255.0.0,server:10.0.0.1>10.0.0.2",
               "02:00:00:00:00:09 missing ", "02:00:00:00:00:05 unplanned " })
        << QString();
    QTest::newRow("clone") << header + "02:00:00:00:00:01,7,,,,\n"
                           << QStringLiteral("02:00:00:00:00:01 1 10.0.0.1") + net
            + QStringLiteral(";02:00:00:00:00:01 1 10.0.0.1") + net
                           << texts({ "02:00:00:00:00:01 clone " }) << QString();
    QTest::newRow("factory-fresh: all one ID and address")
        << header + "02:00:00:00:00:01,1,10.0.0.11,,,\n02:00:00:00:00:02,2,10.0.0.12,,,\n"
        << QStringLiteral("02:00:00:00:00:01 1 10.0.0.200") + net + QStringLiteral(";02:00:00:00:00:02 1 10.0.0.200")
            + net
        << texts({ "02:00:00:00:00:01 change ip:10.0.0.200>10.0.0.11",
               "02:00:00:00:00:02 change id:1>2,ip:10.0.0.200>10.0.0.12" })
        << QString();

    // Problems: the first row is the one named.
    const QString one = QStringLiteral("02:00:00:00:00:01 1 10.0.0.1") + net;
    QTest::newRow("MAC twice") << header + "02:00:00:00:00:01,1,,,,\n02-00-00-00-00-01,2,,,,\n"
                               << one << texts({ "02:00:00:00:00:01 problem ", "02:00:00:00:00:01 problem id:1>2" })
                               << QStringLiteral("MAC also on line 3");
    QTest::newRow("MAC unreadable") << header + "02:00:00:00:00,1,,,,\n"
                                    << one << texts({ "02:00:00:00:00 problem ", "02:00:00:00:00:01 unplanned " })
                                    << QStringLiteral("does not read");
    QTest::newRow("same ID twice") << header + "02:00:00:00:00:01,4,,,,\n02:00:00:00:00:02,004,,,,\n"
                                   << one << texts({ "02:00:00:00:00:01 problem id:1>4", "02:00:00:00:00:02 problem " })
                                   << QStringLiteral("ID 4 also planned for 02:00:00:00:00:02");
    QTest::newRow("same IP twice") << header + "02:00:00:00:00:01,,10.0.0.8,,,\n02:00:00:00:00:02,,010.0.0.008,,,\n"
                                   << one
                                   << texts({ "02:00:00:00:00:01 problem ip:10.0.0.1>10.0.0.8",
                                          "02:00:00:00:00:02 problem " })
                                   << QStringLiteral("ip 10.0.0.8 also planned");
    QTest::newRow("ID too high") << header + "02:00:00:00:00:01,65280,,,,\n"
                                 << one << texts({ "02:00:00:00:00:01 problem " })
                                 << QStringLiteral("ID '65280' outside 0 to 65279");
    QTest::newRow("ID negative") << header + "02:00:00:00:00:01,-1,,,,\n"
                                 << one << texts({ "02:00:00:00:00:01 problem " }) << QStringLiteral("outside 0 to");
    QTest::newRow("ID not a number") << header + "02:00:00:00:00:01,five,,,,\n"
                                     << one << texts({ "02:00:00:00:00:01 problem " })
                                     << QStringLiteral("outside 0 to");
    QTest::newRow("address unreadable") << header + "02:00:00:00:00:01,,10.0.0.256,,,\n"
                                        << one << texts({ "02:00:00:00:00:01 problem " })
                                        << QStringLiteral("ip '10.0.0.256' is no address");
    QTest::newRow("network address of the terminal's mask")
        << header + "02:00:00:00:00:01,,10.0.0.0,,,\n"
        << one << texts({ "02:00:00:00:00:01 problem ip:10.0.0.1>10.0.0.0" }) << QStringLiteral("network address");
    QTest::newRow("broadcast of the planned mask")
        << header + "02:00:00:00:00:01,,10.0.1.255,255.255.254.0,10.0.0.254,\n"
        << one << texts({ "02:00:00:00:00:01 problem ip:10.0.0.1>10.0.1.255,mask:255.255.255.0>255.255.254.0" })
        << QStringLiteral("broadcast address of mask 255.255.254.0");
    QTest::newRow("0.0.0.0") << header + "02:00:00:00:00:01,,0.0.0.0,,,\n"
                             << one << texts({ "02:00:00:00:00:01 problem ip:10.0.0.1>0.0.0.0" })
                             << QStringLiteral("no host address");
    QTest::newRow("multicast") << header + "02:00:00:00:00:01,,239.0.0.2,,,\n"
                               << QString() << texts({ "02:00:00:00:00:01 problem " }) << QStringLiteral("multicast");
    QTest::newRow("loopback") << header + "02:00:00:00:00:01,,127.0.0.1,,,\n"
                              << QString() << texts({ "02:00:00:00:00:01 problem " }) << QStringLiteral("loopback");
    QTest::newRow("mask not contiguous") << header + "02:00:00:00:00:01,,,255.0.255.0,,\n"
                                         << one << texts({ "02:00:00:00:00:01 problem mask:255.255.255.0>255.0.255.0" })
                                         << QStringLiteral("no subnet mask");
    QTest::newRow("gateway outside the planned subnet")
        << header + "02:00:00:00:00:01,,10.0.1.5,,,\n"
        << one << texts({ "02:00:00:00:00:01 problem ip:10.0.0.1>10.0.1.5" })
        << QStringLiteral("gateway 10.0.0.254 is outside");
    QTest::newRow("no gateway is never outside")
        << header + "02:00:00:00:00:01,,10.0.1.5,,,\n"
        << QStringLiteral("02:00:00:00:00:01 1 10.0.0.1 255.255.255.0 0.0.0.0")
        << texts({ "02:00:00:00:00:01 change ip:10.0.0.1>10.0.1.5" }) << QString();
    QTest::newRow("planned gateway outside") << header + "02:00:00:00:00:01,,10.0.0.9,255.255.255.0,10.0.9.1,\n"
                                             << QString() << texts({ "02:00:00:00:00:01 problem " })
                                             << QStringLiteral("outside the subnet of 10.0.0.9/255.255.255.0");
    QTest::newRow("ID held by an unplanned terminal")
        << header + "02:00:00:00:00:01,5,,,,\n"
        << one + QStringLiteral(";02:00:00:00:00:07 005 10.0.0.7") + net
        << texts({ "02:00:00:00:00:01 problem id:1>5", "02:00:00:00:00:07 unplanned " })
        << QStringLiteral("ID 5 is held by 02:00:00:00:00:07, online and not in the plan");
    QTest::newRow("IP held by an unplanned terminal, planned terminal missing")
        << header + "02:00:00:00:00:01,,10.0.0.7,,,\n"
        << QStringLiteral("02:00:00:00:00:07 7 10.0.0.7") + net
        << texts({ "02:00:00:00:00:01 problem ", "02:00:00:00:00:07 unplanned " })
        << QStringLiteral("ip 10.0.0.7 is held by 02:00:00:00:00:07");
    QTest::newRow("ID kept by a clone") << header + "02:00:00:00:00:01,3,,,,\n02:00:00:00:00:03,,,,,\n"
                                        << one + QStringLiteral(";02:00:00:00:00:03 3 10.0.0.3") + net
            + QStringLiteral(";02:00:00:00:00:03 3 10.0.0.3") + net
                                        << texts({ "02:00:00:00:00:01 problem id:1>3", "02:00:00:00:00:03 clone " })
                                        << QStringLiteral("ID 3 would also be the ID of 02:00:00:00:00:03");
    QTest::newRow("settings by an ID another terminal keeps")
        << header + "02:00:00:00:00:01,,,,,10.0.0.9\n02:00:00:00:00:02,,,,,\n"
        << one + QStringLiteral(";02:00:00:00:00:02 1 10.0.0.2") + net
        << texts({ "02:00:00:00:00:01 problem server:10.0.0.1>10.0.0.9", "02:00:00:00:00:02 ok " })
        << QStringLiteral("ID 1 would also be the ID of 02:00:00:00:00:02");
}

void TestPlan::statuses()
{
    QFETCH(QByteArray, plan);
    QFETCH(QString, scan);
    QFETCH(QStringList, rows);
    QFETCH(QString, reason);
    const PlanReadResult read = readPlanCsv(plan);
    QVERIFY2(read.ok, qPrintable(read.error));
    const PlanComparison c = comparePlan(read.entries, scanOf(scan));
    QStringList got;
    for (const PlanRow &r : c.rows)
        got << rowText(r);
    QCOMPARE(got, rows);
    QCOMPARE(c.problems, !reason.isEmpty());
    if (c.problems) {
        const auto first = std::find_if(
            c.rows.begin(), c.rows.end(), [](const PlanRow &r) { return r.status == PlanStatus::Problem; });
        QVERIFY2(first->reason.contains(reason), qPrintable(first->reason));
        QVERIFY(planSends(c).empty());
    }
}

QTEST_GUILESS_MAIN(TestPlan)
#include "tst_plan.moc"
