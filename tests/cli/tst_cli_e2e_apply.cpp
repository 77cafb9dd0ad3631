// quenzal-cli apply, the real binary, against the terminal simulator inside
// the namespace rig, on the LAN and the WAN: a factory-fresh fleet brought to
// a plan and a second run that sends nothing, a dry run, an ID swap, a plan
// from the server's database, clones, a terminal that ignores commands, the
// report, and the plans that must send nothing at all (problems, unreadable).
#include <QtTest>

#include "clie2e.h"
#include "dbfixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace quenzal;
using namespace clitest;

namespace {

// Four terminals as they leave the factory: one ID, one address.
const QByteArray FactoryFleet("mask = 255.255.0.0\ngateway = 198.18.0.254\nserver = 198.18.0.1\n"
                              "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n"
                              "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:02\n"
                              "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:03\n"
                              "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:04\n");
// Each its own ID and address (198.18.1.6 lies outside the WAN range below)
// and another server.
const QByteArray FactoryPlan("mac,id,ip,server\n"
                             "02:00:00:00:00:01,11,198.18.1.41,198.18.0.9\n"
                             "02-00-00-00-00-02,12,198.18.1.42,198.18.0.9\n"
                             "02:00:00:00:00:03,13,198.018.001.043,198.18.0.9\n"
                             "02:00:00:00:00:04,14,198.18.1.6,198.18.0.9\n");
const char *const WanRange = "198.18.1.40-198.18.1.43";

// "MAC status" per output object.
QStringList statuses(const QByteArray &json)
{
    QStringList out;
    for (const QJsonValue &v : QJsonDocument::fromJson(json).array())
        out << v.toObject().value(s("mac")).toString() + QLatin1Char(' ') + v.toObject().value(s("status")).toString();
    return out;
}

} // namespace

class TestCliE2eApply : public CliE2eTest
{
    Q_OBJECT

    bool writeFile(const char *name, const QByteArray &bytes)
    {
        QFile f(path(name));
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }

    QStringList args(const char *plan, bool wan, std::initializer_list<const char *> more = {})
    {
        QStringList a { s("apply"), path(plan), s("--wait"), s("0.5"), s("--format"), s("json") };
        if (wan)
            a << s("--wan") << s(WanRange);
        for (const char *m : more)
            a << s(m);
        return a;
    }

private Q_SLOTS:
    void factoryFresh_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::newRow("LAN") << false;
        QTest::newRow("WAN") << true;
    }

    void factoryFresh()
    {
        QFETCH(bool, wan);
        QVERIFY(startSim(FactoryFleet, "factory"));
        QVERIFY(writeFile("factory.csv", FactoryPlan));

        Run dry = runCli(args("factory.csv", wan, { "--dry-run" }));
        QVERIFY2(dry.exit == 0, why(dry));
        QVERIFY(m_sim.sync());
        QVERIFY2(m_sim.logLines("applied").isEmpty(), "a dry run sends no command");
        QCOMPARE(statuses(dry.out),
            sl({ "02:00:00:00:00:01 change", "02:00:00:00:00:02 change", "02:00:00:00:00:03 change",
                "02:00:00:00:00:04 change" }));

        Run r = runCli(args("factory.csv", wan, { "--report", path("factory-report.json").toUtf8().constData() }));
        QVERIFY2(r.exit == 0, why(r));
        QCOMPARE(statuses(r.out),
            sl({ "02:00:00:00:00:01 ok", "02:00:00:00:00:02 ok", "02:00:00:00:00:03 ok", "02:00:00:00:00:04 ok" }));
        // Once each: four ID changes, four servers, four IPs.
        const QList<QByteArray> applied = m_sim.logLines("applied");
        QCOMPARE(applied.size(), 12);
        QVERIFY(applied.contains("applied 14 id 1 -> 14 (mac 02:00:00:00:00:04)"));
        QVERIFY(applied.last().startsWith("applied 1") && applied.last().contains(" ip 198.18."));

        QFile report(path("factory-report.json"));
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QJsonObject first = QJsonDocument::fromJson(report.readAll()).array().at(0).toObject();
        QCOMPARE(first.value(s("before")).toObject().value(s("ip")).toString(), s("198.18.1.40"));
        QCOMPARE(first.value(s("after")).toObject().value(s("ip")).toString(), s("198.18.1.41"));
        QCOMPARE(first.value(s("after")).toObject().value(s("id")).toString(), s("11"));

        // A site that matches: nothing is sent.
        Run again = runCli(args("factory.csv", wan));
        QVERIFY2(again.exit == 0, why(again));
        QCOMPARE(m_sim.logLines("applied").size(), 12);
        QVERIFY2(again.err.contains("0 datagrams sent in 0 round(s)"), again.err.constData());
    }

    void swap_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::newRow("LAN") << false;
        QTest::newRow("WAN") << true;
    }

    void swap()
    {
        // 1 and 2 swap, 3 -> 4 -> 5 is a chain: the swap parks on a free ID.
        QFETCH(bool, wan);
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n"
                         "[terminal]\nid = 2\nip = 198.18.1.41\nmac = 02:00:00:00:00:02\n"
                         "[terminal]\nid = 3\nip = 198.18.1.42\nmac = 02:00:00:00:00:03\n"
                         "[terminal]\nid = 4\nip = 198.18.1.43\nmac = 02:00:00:00:00:04\n",
            "swap"));
        QVERIFY(writeFile("swap.json",
            R"([{"mac":"02:00:00:00:00:01","id":2},{"mac":"02:00:00:00:00:02","id":1},)"
            R"({"mac":"02:00:00:00:00:03","id":4},{"mac":"02:00:00:00:00:04","id":"005"}])"));
        Run r = runCli(args("swap.json", wan));
        QVERIFY2(r.exit == 0, why(r));
        // On the WAN each address is a socket of its own in the simulator,
        // which may take them in another order: the order is checked on the LAN.
        QList<QByteArray> applied = m_sim.logLines("applied");
        const QList<QByteArray> order { "applied 5 id 4 -> 5 (mac 02:00:00:00:00:04)",
            "applied 4 id 3 -> 4 (mac 02:00:00:00:00:03)", "applied 65279 id 1 -> 65279 (mac 02:00:00:00:00:01)",
            "applied 1 id 2 -> 1 (mac 02:00:00:00:00:02)", "applied 2 id 65279 -> 2 (mac 02:00:00:00:00:01)" };
        if (wan) {
            std::sort(applied.begin(), applied.end());
            QList<QByteArray> sorted = order;
            std::sort(sorted.begin(), sorted.end());
            QCOMPARE(applied, sorted);
        } else {
            QCOMPARE(applied, order);
        }
        Run scan = runCli({ s("scan"), s("--wait"), s("0.5"), s("--format"), s("json") });
        QCOMPARE(idsOf(scan.out), sl({ "001", "002", "004", "005" }));
    }

    void fromDatabase()
    {
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 7\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n"
                         "[terminal]\nid = 8\nip = 198.18.1.40\nmac = 02:00:00:00:00:02\n",
            "db"));
        auto terminal = [](int id, const char *ip, const char *mac) {
            return fixtures::Row { id, 8, 0, 1, 1, 1, 1, QByteArray(ip), QByteArray(mac), s("t") };
        };
        const QString db = path("plan.db");
        QFile::remove(db);
        QVERIFY(fixtures::createOldFormat(db));
        QVERIFY(fixtures::insert(db, "Terminal",
            { terminal(21, "198.18.1.41", "02:00:00:00:00:01"), terminal(22, "198.18.1.42", "02-00-00-00-00-02") }));
        Run r = runCli({ s("apply"), s("--from-db"), db, s("--wait"), s("0.5") });
        QVERIFY2(r.exit == 0, why(r));
        QCOMPARE(m_sim.logLines("applied").size(), 4);
        const QList<QByteArray> lines = r.out.split('\n');
        QVERIFY2(lines.size() > 2
                && lines.at(2).simplified() == "02:00:00:00:00:02 ok id 8->22, ip 198.18.1.40->198.18.1.42 -",
            r.out.constData());
        QCOMPARE(runCli({ s("apply"), s("--from-db"), path("none.db") }).exit, 2);
    }

    void notVerified()
    {
        // A terminal that answers and ignores every command, a missing one
        // and two that share a MAC: exit 3, the others are still brought
        // to the plan.
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\nignorecommands = 1\n"
                         "[terminal]\nid = 2\nip = 198.18.1.41\nmac = 02:00:00:00:00:02\n"
                         "[terminal]\nid = 3\nip = 198.18.1.42\nmac = 02:00:00:00:00:03\n"
                         "[terminal]\nid = 3\nip = 198.18.1.42\nmac = 02:00:00:00:00:03\n",
            "ignores"));
        QVERIFY(writeFile("ignores.csv",
            "mac,id,gateway\n02:00:00:00:00:01,11,198.18.0.253\n02:00:00:00:00:02,12,\n02:00:00:00:00:03,13,\n"
            "02:00:00:00:00:09,19,\n"));
        Run r = runCli(args("ignores.csv", false));
        QVERIFY2(r.exit == 3, why(r));
        QCOMPARE(statuses(r.out),
            sl({ "02:00:00:00:00:01 change", "02:00:00:00:00:02 ok", "02:00:00:00:00:03 clone",
                "02:00:00:00:00:09 missing" }));
        const QJsonArray rows = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(rows.at(0).toObject().value(s("reason")).toString(), s("not verified after 3 rounds"));
        QCOMPARE(rows.at(0).toObject().value(s("changes")).toObject().value(s("id")).toArray(),
            (QJsonArray { s("1"), s("11") }));
        QCOMPARE(m_sim.logLines("applied"), QList<QByteArray> { "applied 12 id 2 -> 12 (mac 02:00:00:00:00:02)" });
        QVERIFY2(r.err.contains("in 3 round(s)"), r.err.constData());
    }

    void problems_data()
    {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<bool>("wan");
        QTest::addColumn<QString>("reason");
        const QByteArray h("mac,id,ip,mask,gateway\n");
        const QByteArray ok("02:00:00:00:00:02,12,,,\n");
        QTest::newRow("MAC twice") << h + "02:00:00:00:00:01,11,,,\n02-00-00-00-00-01,13,,,\n" + ok << false
                                   << s("MAC also on line");
        QTest::newRow("ID twice") << h + "02:00:00:00:00:01,12,,,\n" + ok << true << s("ID 12 also planned");
        QTest::newRow("IP twice") << h + "02:00:00:00:00:01,,198.18.1.50,,\n02:00:00:00:00:02,,198.18.1.50,,\n"
                                  << false << s("ip 198.18.1.50 also planned");
        QTest::newRow("ID out of range") << h + "02:00:00:00:00:01,70000,,,\n" + ok << false << s("outside 0 to 65279");
        QTest::newRow("network address") << h + "02:00:00:00:00:01,,198.18.0.0,,\n" + ok << true
                                         << s("network address");
        QTest::newRow("broadcast address")
            << h + "02:00:00:00:00:01,,198.18.255.255,,\n" + ok << false << s("broadcast address");
        QTest::newRow("gateway outside") << h + "02:00:00:00:00:01,,198.18.1.50,255.255.255.0,198.18.2.1\n" + ok
                                         << false << s("outside the subnet");
        QTest::newRow("ID of an unplanned terminal") << h + "02:00:00:00:00:01,3,,,\n"
                                                     << true << s("ID 3 is held by 02:00:00:00:00:03");
        QTest::newRow("IP of an unplanned terminal") << h + "02:00:00:00:00:01,,198.18.1.42,,\n"
                                                     << false << s("ip 198.18.1.42 is held by 02:00:00:00:00:03");
    }

    void problems()
    {
        QFETCH(QByteArray, plan);
        QFETCH(bool, wan);
        QFETCH(QString, reason);
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n"
                         "[terminal]\nid = 2\nip = 198.18.1.41\nmac = 02:00:00:00:00:02\n"
                         "[terminal]\nid = 3\nip = 198.18.1.42\nmac = 02:00:00:00:00:03\n",
            "problems"));
        QVERIFY(writeFile("problems.csv", plan));
        for (const char *dry : { "--dry-run", "--allow-loss" }) {
            Run r = runCli(args("problems.csv", wan, { dry }));
            QVERIFY2(r.exit == 4, why(r));
            QVERIFY2(r.out.contains(reason.toUtf8()), r.out.constData());
            QVERIFY(statuses(r.out).first().endsWith(s(" problem")));
        }
        QVERIFY(m_sim.sync());
        QVERIFY2(m_sim.logLines("applied").isEmpty(), "nothing is sent when the plan has problems");
    }

    void unreadable_data()
    {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QString>("error");
        QTest::newRow("no mac column") << QByteArray("id,ip\n1,198.18.1.5\n") << s("no mac column");
        QTest::newRow("bad JSON") << QByteArray("[{\"mac\":") << s("does not parse");
        QTest::newRow("no file") << QByteArray() << s("cannot read");
    }

    void unreadable()
    {
        QFETCH(QByteArray, plan);
        QFETCH(QString, error);
        QVERIFY(startSim("[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n", "unreadable"));
        QFile::remove(path("unreadable.csv"));
        if (!plan.isEmpty())
            QVERIFY(writeFile("unreadable.csv", plan));
        Run r = runCli(args("unreadable.csv", false));
        QVERIFY2(r.exit == 2, why(r));
        QVERIFY2(r.err.contains(error.toUtf8()), r.err.constData());
        QVERIFY(m_sim.sync());
        QVERIFY2(m_sim.logLines(" 198.18.0.1 ").isEmpty(), "not even a query goes out");
    }

    void csvReport()
    {
        QVERIFY(
            startSim("mask = 255.255.0.0\n[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n", "report"));
        QVERIFY(writeFile("report.csv", "\xEF\xBB\xBFMAC地址,编号\n02:00:00:00:00:01,5\n"));
        Run r = runCli({ s("apply"), path("report.csv"), s("--wait"), s("0.5"), s("--report"), path("out.csv") });
        QVERIFY2(r.exit == 0, why(r));
        QFile f(path("out.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(),
            QByteArray("\xEF\xBB\xBFmac,status,reason,id_before,id_after,ip_before,ip_after,mask_before,mask_after,"
                       "gateway_before,gateway_after,server_before,server_after\r\n"
                       "02:00:00:00:00:01,ok,,1,5,198.18.1.40,198.18.1.40,255.255.0.0,255.255.0.0,0.0.0.0,0.0.0.0,"
                       "0.0.0.0,0.0.0.0\r\n"));
        QCOMPARE(runCli({ s("apply"), path("report.csv"), s("--wait"), s("0.5"), s("--report"),
                            s("/nonexistent/dir/out.csv") })
                     .exit,
            1);
    }
};

QTEST_GUILESS_MAIN(TestCliE2eApply)
#include "moc_clie2e.cpp" // the fixture's moc here, not in a file of its own
#include "tst_cli_e2e_apply.moc"
