// quenzal-cli, the real binary, against the terminal simulator inside the
// namespace rig: scans in every format compared with the fleet, set with
// and without a terminal that takes the command, renumbering whose plan is
// what goes out, reconcile with each kind of difference, diff, and a table
// of bad arguments that end the run before anything is sent.
#include <QtTest>

#include "cli/cliargs.h"
#include "cli/session.h"
#include "core/commands/commandpackets.h"
#include "core/discovery/scanrange.h"
#include "core/discovery/terminalexport.h"
#include "dbfixtures.h"
#include "netnsrig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

QStringList sl(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

struct Run
{
    int exit = -1; // -1: did not end in time, -2: crashed
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList &args, int timeoutMs = 30000)
{
    QProcess p;
    p.start(QStringLiteral(QUENZAL_CLI), args);
    Run r;
    if (!p.waitForStarted(5000))
        return r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QByteArray why(const Run &r)
{
    return "exit " + QByteArray::number(r.exit) + "\nstdout: " + r.out + "\nstderr: " + r.err;
}

// The fleet of the scan tests and what each terminal's record must show.
const char ScanFleet[] = "mask = 255.255.0.0\ngateway = 198.18.0.254\nserver = 198.18.0.1\nfirmware = 545\nvolume = 8\n"
                         "[terminal]\nid = 5\nip = 198.18.1.6\nmac = 02:00:00:00:00:06\ntext = KX-100\namplifier = 1\n"
                         "[terminal]\nid = 5\nip = 198.18.1.12\nmac = 02:00:00:00:00:0C\nnetmode = wan\ndhcp = 1\n"
                         "[terminal]\nid = 300\nip = 198.18.1.30\nmac = 02:00:00:00:01:30\nring = 1\nmaxvolume = 200\n";

struct Expected
{
    int id;
    const char *ip, *mac, *dhcp, *network, *amplifier, *mode, *ring, *maxVolume;
    bool sharedId;
};
const Expected ScanExpected[] = {
    { 5, "198.018.001.006", "02:00:00:00:00:06", "---No", "LAN---", "ON", "KX-100", "CLOSE", "0", true },
    { 5, "198.018.001.012", "02:00:00:00:00:0C", "Yes--", "---WAN", "OFF", "", "CLOSE", "0", true },
    { 300, "198.018.001.030", "02:00:00:00:01:30", "---No", "LAN---", "OFF", "", "OPEN", "15", false },
};

QStringList idsOf(const QByteArray &json)
{
    QStringList out;
    for (const ExportRow &r : terminalsFromJson(json).rows)
        out << r.texts[ColId];
    return out;
}

} // namespace

class TestCliE2e : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    testrig::Simulator m_sim;

    int m_runs = 0;

    QString path(const char *name) const { return m_dir.filePath(s(name)); }
    // A fresh simulator with a log of its own.
    bool startSim(const QByteArray &fleet, const char *name)
    {
        return m_sim.start(m_dir.path(), fleet, QStringLiteral("%1-%2").arg(s(name)).arg(++m_runs));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QVERIFY(m_dir.isValid());
        for (const char *a :
            { "198.18.1.6", "198.18.1.12", "198.18.1.30", "198.18.1.40", "198.18.1.41", "198.18.1.42", "198.18.1.43" })
            QVERIFY2(testrig::addTerminalAddress(s(a)), a);
    }

    void cleanup() { m_sim.stop(); }

    void scan_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::addColumn<QString>("format");
        for (bool wan : { false, true }) {
            for (const char *f : { "table", "csv", "json" })
                QTest::addRow("%s %s", wan ? "WAN" : "LAN", f) << wan << s(f);
        }
    }

    void scan()
    {
        QFETCH(bool, wan);
        QFETCH(QString, format);
        QVERIFY(startSim(ScanFleet, "scan"));
        QStringList args { s("scan"), s("--wait"), s("0.5"), s("--format"), format };
        if (wan)
            args << s("--wan") << s("198.18.1.1-198.18.1.40");
        const Run r = runCli(args);
        QVERIFY2(r.exit == 0, why(r));

        if (format == QLatin1String("json")) {
            QJsonParseError error {};
            const QJsonArray array = QJsonDocument::fromJson(r.out, &error).array();
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
            QCOMPARE(array.size(), 3);
            for (int i = 0; i < 3; ++i) {
                const Expected &e = ScanExpected[i];
                const QJsonObject o = array.at(i).toObject();
                QCOMPARE(o.value(s("id")).toInt(-1), e.id);
                QCOMPARE(o.value(s("ip")).toString(), s(e.ip));
                QCOMPARE(o.value(s("mask")).toString(), s("255.255.000.000"));
                QCOMPARE(o.value(s("gateway")).toString(), s("198.018.000.254"));
                QCOMPARE(o.value(s("server")).toString(), s("198.018.000.001"));
                QCOMPARE(o.value(s("mac")).toString(), s(e.mac));
                QCOMPARE(o.value(s("dhcp")).toString(), s(e.dhcp));
                QCOMPARE(o.value(s("network")).toString(), s(e.network));
                QCOMPARE(o.value(s("amplifier")).toString(), s(e.amplifier));
                QCOMPARE(o.value(s("mode")).toString(), s(e.mode));
                QCOMPARE(o.value(s("ring")).toString(), s(e.ring));
                QCOMPARE(o.value(s("max_volume")).toString(), s(e.maxVolume));
                QCOMPARE(o.value(s("volume")).toString(), s("8"));
                QCOMPARE(o.value(s("firmware")).toString(), s("545"));
                QCOMPARE(o.value(s("link")).toString(), s("Yes--"));
                QCOMPARE(o.value(s("shared_id")).toBool(), e.sharedId);
                QCOMPARE(o.value(s("shared_ip")).toBool(), false);
                QCOMPARE(o.value(s("shared_mac")).toBool(), false);
            }
        } else if (format == QLatin1String("csv")) {
            QVERIFY(r.out.startsWith("\xEF\xBB\xBF"));
            const QList<QByteArray> lines = r.out.mid(3).trimmed().split('\n');
            QCOMPARE(lines.size(), 4);
            QCOMPARE(QString::fromUtf8(lines[0].trimmed()),
                QStringList(terminalHeaderCaptions().begin(), terminalHeaderCaptions().end()).join(QLatin1Char(',')));
            for (int i = 0; i < 3; ++i) {
                const QList<QByteArray> cells = lines[i + 1].trimmed().split(',');
                QCOMPARE(cells.size(), 32);
                QCOMPARE(cells[1], QByteArray(ScanExpected[i].ip));
                QCOMPARE(cells[4], QByteArray(ScanExpected[i].mac));
            }
        } else {
            const QList<QByteArray> lines = r.out.trimmed().split('\n');
            QCOMPARE(lines.size(), 4);
            QVERIFY(lines[0].startsWith("ID "));
            for (int i = 0; i < 3; ++i) {
                QVERIFY2(lines[i + 1].contains(ScanExpected[i].ip), lines[i + 1].constData());
                QVERIFY(lines[i + 1].contains(ScanExpected[i].mac));
            }
            QVERIFY(lines[1].trimmed().endsWith(" id"));
        }

        // The window's query bytes, from the window's socket.
        SingleTerminalPacket fresh;
        fresh.writeStartupBytes();
        if (!wan) {
            const QList<QByteArray> queries = m_sim.logLines(" 198.18.0.1 12682 to 239.0.0.2:12682");
            QCOMPARE(queries.size(), 1);
            QVERIFY2(queries[0].startsWith(composeLanQuery(fresh).toHex(' ') + ' '), queries[0].constData());
        } else {
            for (const char *a : { "198.18.1.6", "198.18.1.12", "198.18.1.30" }) {
                const QList<QByteArray> q = m_sim.logLines(QByteArray(" 198.18.0.1 12685 to ") + a + ":12685");
                QCOMPARE(q.size(), 1);
                QVERIFY2(q[0].startsWith("aa 02 f2 00 00 00 198.18.0.1"), q[0].constData());
            }
            QVERIFY(m_sim.logLines("12682 to").isEmpty());
        }
    }

    void scanOnInterface()
    {
        // The group joined on the named interface: the veth of the rig.
        QVERIFY(startSim(ScanFleet, "scan-interface"));
        const Run r = runCli({ s("scan"), s("--wait"), s("0.5"), s("--format"), s("json"), s("--interface"),
            qEnvironmentVariable("QZ_TOOL_IF") });
        QVERIFY2(r.exit == 0, why(r));
        QCOMPARE(idsOf(r.out), (QStringList { s("005"), s("005"), s("300") }));
        const Run lo = runCli({ s("scan"), s("--wait"), s("0.5"), s("--interface"), s("lo") });
        QVERIFY2(lo.exit == 0 && lo.out.trimmed().split('\n').size() == 1, why(lo)); // nobody on loopback
    }

    void set_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("applied"); // in the simulator's log; empty: nothing applied
        QTest::newRow("LAN ip") << sl({ "set", "--id", "7", "ip", "198.18.1.42" }) << 0
                                << s("applied 7 ip 198.18.1.42");
        QTest::newRow("LAN id") << sl({ "set", "--id", "7", "id", "42" }) << 0 << s("applied 42 id -> 42");
        QTest::newRow("LAN dhcp") << sl({ "set", "--id", "7", "dhcp", "on" }) << 0 << s("applied 7 dhcp 1");
        QTest::newRow("LAN mac") << sl({ "set", "--id", "7", "mac", "02-00-00-00-00-7a" }) << 0
                                 << s("applied 7 mac 02:00:00:00:00:7A");
        QTest::newRow("LAN gateway") << sl({ "set", "--id", "7", "gateway", "198.18.0.253" }) << 0
                                     << s("applied 7 gateway 198.18.0.253");
        QTest::newRow("LAN no verify") << sl({ "set", "--id", "7", "mask", "255.255.255.0", "--no-verify" }) << 0
                                       << s("applied 7 mask 255.255.255.0");
        QTest::newRow("WAN ip") << sl({ "set", "--ip", "198.18.1.40", "ip", "198.18.1.42" }) << 0
                                << s("applied 8 ip 198.18.1.42");
        QTest::newRow("WAN server") << sl({ "set", "--ip", "198.18.1.40", "server", "198.18.0.9" }) << 0
                                    << s("applied 8 server 198.18.0.9");
        QTest::newRow("WAN id") << sl({ "set", "--ip", "198.18.1.40", "id", "77" }) << 0 << s("applied 77 id -> 77");
        QTest::newRow("LAN ignored") << sl({ "set", "--id", "9", "dhcp", "on" }) << 3 << QString();
        QTest::newRow("WAN ignored") << sl({ "set", "--ip", "198.18.1.41", "ip", "198.18.1.43" }) << 3 << QString();
        QTest::newRow("LAN nobody") << sl({ "set", "--id", "99", "dhcp", "on" }) << 3 << QString();
        QTest::newRow("WAN nobody") << sl({ "set", "--ip", "198.18.1.43", "dhcp", "on" }) << 1 << QString();
    }

    void set()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(QString, applied);
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 7\nip = 198.18.0.2\nmac = 02:00:00:00:00:07\n"
                         "[terminal]\nid = 8\nip = 198.18.1.40\nmac = 02:00:00:00:00:08\n"
                         "[terminal]\nid = 9\nip = 198.18.1.41\nmac = 02:00:00:00:00:09\nignorecommands = 1\n",
            "set"));
        QElapsedTimer clock;
        clock.start();
        const Run r = runCli(args);
        QVERIFY2(r.exit == exit, why(r));
        QVERIFY2(clock.elapsed() < 6000, "three queries within three seconds");
        const QList<QByteArray> done = m_sim.logLines("applied");
        if (applied.isEmpty()) {
            QVERIFY2(done.isEmpty(), done.value(0).constData());
            if (exit == 3)
                QVERIFY2(r.err.contains("not verified"), r.err.constData());
            return;
        }
        QCOMPARE(done.size(), 1);
        QCOMPARE(QString::fromUtf8(done[0]), applied);

        // The bytes are the window's: the command as its button writes it,
        // after the queries the run sent before it.
        const cli::Command c = cli::parseCommandLine(QStringList { s("quenzal-cli") } + args);
        SingleTerminalPacket p;
        p.writeStartupBytes();
        QString target = QString::number(c.set.id);
        if (!c.set.byId) {
            composeWanQuery(p);
            target = s("8");
        }
        const QByteArray bytes = composeTerminalCommand(p, c.set.command, c.set.commandFields, target, true);
        const QByteArray at
            = c.set.byId ? QByteArray(" to 239.0.0.2:12682") : QByteArray(" 198.18.0.1 12685 to 198.18.1.40:12685");
        bool found = false;
        for (const QByteArray &line : m_sim.logLines(at))
            found = found || line.startsWith(bytes.toHex(' ') + ' ');
        QVERIFY2(found, bytes.toHex(' ').constData());
    }

    void renumber_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::newRow("LAN") << false;
        QTest::newRow("WAN") << true;
    }

    void renumber()
    {
        QFETCH(bool, wan);
        const QByteArray fleet = "mask = 255.255.0.0\n"
                                 "[terminal]\nid = 5\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n"
                                 "[terminal]\nid = 5\nip = 198.18.1.6\nmac = 02:00:00:00:00:02\n"
                                 "[terminal]\nid = 5\nip = 198.18.1.12\nmac = 02:00:00:00:00:03\n"
                                 "[terminal]\nid = 9\nip = 198.18.1.30\nmac = 02:00:00:00:00:04\n";
        QStringList scanArgs { s("--wait"), s("0.5") };
        if (wan)
            // On-link addresses nobody has hold their query in the socket
            // until ARP gives up; a short range keeps the send buffer free.
            scanArgs << s("--wan") << s("198.18.1.1-198.18.1.41");

        // A dry run sends queries only.
        QVERIFY(startSim(fleet, "renumber-dry"));
        Run r = runCli(QStringList { s("renumber"), s("--dry-run") } + scanArgs);
        QVERIFY2(r.exit == 0, why(r));
        QCOMPARE(r.out.trimmed().split('\n').size(), 3);
        QVERIFY(m_sim.logLines("applied").isEmpty());

        QVERIFY(startSim(fleet, "renumber"));
        r = runCli(QStringList { s("renumber") } + scanArgs);
        QVERIFY2(r.exit == 0, why(r));
        // The plan: "OLD -> NEW MAC DESTINATION" per line after the header.
        QStringList planned, destinations;
        for (const QByteArray &line : r.out.trimmed().split('\n').mid(1)) {
            const QList<QByteArray> f = line.simplified().split(' ');
            QCOMPARE(f.size(), 5);
            planned << QStringLiteral("%1 -> %2 (mac %3)")
                           .arg(f[0].toInt())
                           .arg(f[2].toInt())
                           .arg(QString::fromLatin1(f[3]));
            destinations << QString::fromLatin1(f[4]);
        }
        QCOMPARE(planned.size(), 2);
        QStringList applied;
        for (const QByteArray &line : m_sim.logLines("applied")) {
            // "applied <new id> id <old> -> <new> (mac M)"
            applied << QString::fromUtf8(line.mid(line.indexOf(" id ") + 4));
        }
        // Over the WAN each change goes to its own terminal's address, and
        // the simulator may log two addresses' datagrams in either order.
        QStringList plannedSorted = planned;
        plannedSorted.sort();
        applied.sort();
        QCOMPARE(applied, plannedSorted);
        // Each ID change went where the plan says.
        QStringList sentTo;
        for (const QByteArray &line : m_sim.logLines(" to ")) {
            if (line.startsWith("aa 01 f2 ") && line.mid(15, 2) == "b2")
                sentTo << QString::fromLatin1(line.mid(line.lastIndexOf(" to ") + 4));
        }
        if (wan) {
            sentTo.sort();
            destinations.sort();
            QCOMPARE(sentTo, destinations);
        } else {
            QCOMPARE(destinations, (QStringList { s("239.0.0.2:12682"), s("239.0.0.2:12682") }));
            QCOMPARE(sentTo, destinations);
        }

        r = runCli(QStringList { s("scan"), s("--format"), s("json") } + scanArgs);
        QVERIFY2(r.exit == 0, why(r));
        QCOMPARE(idsOf(r.out), (QStringList { s("005"), s("009"), s("010"), s("011") }));
    }

    void renumberMacNotDistinct()
    {
        // The factory reset keeps a terminal's MAC: the plan goes out, and
        // the rescan still shows the shared MAC.
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 3\nip = 198.18.1.6\nmac = 02:00:00:00:00:0A\n"
                         "[terminal]\nid = 4\nip = 198.18.1.12\nmac = 02:00:00:00:00:0A\n"
                         "[terminal]\nid = 6\nip = 198.18.0.2\nmac = 02:00:00:00:00:0B\n",
            "renumber-mac"));
        const Run r = runCli({ s("renumber"), s("--mac"), s("--wait"), s("0.5") });
        QVERIFY2(r.exit == 3, why(r));
        const QList<QByteArray> plan = r.out.trimmed().split('\n');
        QCOMPARE(plan.size(), 2);
        QVERIFY2(plan[1].simplified().startsWith("003 02:00:00:00:00:0A -> 02:00:00:00:00:0C"), plan[1].constData());
        QCOMPARE(m_sim.logLines("applied"), (QList<QByteArray> { "applied 3 factory reset" }));
    }

    void reconcile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("json") << s("json");
        QTest::newRow("table") << s("table");
    }

    void reconcile()
    {
        QFETCH(QString, format);
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 1\nip = 198.18.0.2\nmac = 02:00:00:00:00:01\n"
                         "[terminal]\nid = 2\nip = 198.18.1.6\nmac = 02:00:00:00:00:02\n"
                         "[terminal]\nid = 3\nip = 198.18.1.12\nmac = 02:00:00:00:00:03\n"
                         "[terminal]\nid = 4\nip = 198.18.1.30\nmac = 02:00:00:00:00:04\n"
                         "[terminal]\nid = 5\nip = 198.18.1.40\nmac = 02:00:00:00:00:05\n",
            "reconcile"));
        auto terminal = [](int id, const char *ip, const char *mac, const char *name) {
            return fixtures::Row { id, 8, 0, 1, 1, 1, 1, QByteArray(ip), QByteArray(mac), s(name) };
        };
        const QString differ = path("differ.db");
        QFile::remove(differ);
        QVERIFY(fixtures::createOldFormat(differ));
        QVERIFY(fixtures::insert(differ, "Terminal",
            { terminal(1, "198.18.0.2", "02:00:00:00:00:01", "hall"),
                terminal(20, "198.18.1.6", "02:00:00:00:00:02", "gate"),
                terminal(3, "198.18.1.13", "02:00:00:00:00:03", "yard"),
                terminal(4, "198.18.1.30", "02:00:00:00:00:44", "shop"),
                terminal(6, "198.18.1.50", "02:00:00:00:00:06", "roof") }));
        Run r = runCli({ s("reconcile"), differ, s("--wait"), s("0.5"), s("--format"), format });
        QVERIFY2(r.exit == 4, why(r));
        if (format == QLatin1String("json")) {
            const QJsonArray a = QJsonDocument::fromJson(r.out).array();
            QStringList got;
            for (const QJsonValue &v : a) {
                const QJsonObject o = v.toObject();
                got << QStringLiteral("%1 %2 %3 %4")
                           .arg(o.value(s("kind")).toString(), o.value(s("db")).toObject().value(s("name")).toString(),
                               o.value(s("db_value")).toString(), o.value(s("terminal_value")).toString());
            }
            QCOMPARE(got,
                (QStringList { s("id gate 20 002"), s("ip yard 198.18.1.13 198.018.001.012"),
                    s("mac shop 02:00:00:00:00:44 02:00:00:00:00:04"), s("silent roof  "), s("unknown   ") }));
        } else {
            const QList<QByteArray> lines = r.out.trimmed().split('\n');
            QCOMPARE(lines.size(), 6);
            QVERIFY(lines[4].startsWith("silent "));
            QVERIFY(lines[5].startsWith("unknown ") && lines[5].contains("198.018.001.040"));
        }

        const QString agree = path("agree.db");
        QFile::remove(agree);
        QVERIFY(fixtures::createNewFormat(agree));
        QVERIFY(fixtures::insert(agree, "Terminal",
            { terminal(1, "198.18.0.2", "02:00:00:00:00:01", "a"), terminal(2, "198.18.1.6", "02-00-00-00-00-02", "b"),
                terminal(3, "198.18.1.12", "02:00:00:00:00:03", "c"), terminal(4, "198.18.1.30", "020000000004", "d"),
                terminal(5, "198.018.001.040", "02:00:00:00:00:05", "e") }));
        r = runCli({ s("reconcile"), agree, s("--wait"), s("0.5"), s("--format"), format });
        QVERIFY2(r.exit == 0, why(r));

        r = runCli({ s("reconcile"), path("missing.db"), s("--wait"), s("0.5") });
        QVERIFY2(r.exit == 1, why(r));
    }

    void diff()
    {
        const QByteArray before = "mask = 255.255.0.0\nvolume = 8\n"
                                  "[terminal]\nid = 1\nip = 198.18.0.2\nmac = 02:00:00:00:00:01\n"
                                  "[terminal]\nid = 2\nip = 198.18.1.6\nmac = 02:00:00:00:00:02\n"
                                  "[terminal]\nid = 3\nip = 198.18.1.12\nmac = 02:00:00:00:00:03\n";
        const QByteArray after = "mask = 255.255.0.0\nvolume = 8\n"
                                 "[terminal]\nid = 1\nip = 198.18.0.2\nmac = 02:00:00:00:00:01\n"
                                 "[terminal]\nid = 2\nip = 198.18.1.6\nmac = 02:00:00:00:00:02\nvolume = 9\n"
                                 "[terminal]\nid = 4\nip = 198.18.1.30\nmac = 02:00:00:00:00:04\n";
        auto scanTo = [this](const QByteArray &fleet, const char *name) {
            if (!startSim(fleet, name))
                return false;
            const Run r = runCli({ s("scan"), s("--wait"), s("0.5"), s("--format"), s("json") });
            QFile f(path(name));
            return r.exit == 0 && f.open(QIODevice::WriteOnly) && f.write(r.out) == r.out.size();
        };
        QVERIFY(scanTo(before, "before.json"));
        QVERIFY(scanTo(after, "after.json"));

        Run r = runCli({ s("diff"), path("before.json"), path("after.json") });
        QVERIFY2(r.exit == 4, why(r));
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith("changed  ID 002") && lines[0].endsWith("volume 8 -> 9"), lines[0].constData());
        QVERIFY2(lines[1].startsWith("gone     ID 003"), lines[1].constData());
        QVERIFY2(lines[2].startsWith("new      ID 004"), lines[2].constData());

        r = runCli({ s("diff"), path("before.json"), path("before.json") });
        QVERIFY2(r.exit == 0 && r.out.isEmpty(), why(r));
        r = runCli({ s("diff"), path("before.json"), path("nothing.json") });
        QVERIFY2(r.exit == 1, why(r));
    }

    void badArgumentsSendNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("none") << QStringList();
        QTest::newRow("unknown subcommand") << sl({ "scna" });
        QTest::newRow("unknown option") << sl({ "scan", "--wna", "198.18.1.1-198.18.1.9" });
        QTest::newRow("range backwards") << sl({ "scan", "--wan", "198.18.1.9-198.18.1.1" });
        QTest::newRow("range bad octet") << sl({ "scan", "--wan", "198.18.1.1-198.18.1.256" });
        QTest::newRow("range other /16") << sl({ "renumber", "--wan", "198.18.1.1-198.19.1.1" });
        QTest::newRow("wait") << sl({ "scan", "--wait", "forever" });
        QTest::newRow("format") << sl({ "reconcile", "x.db", "--format", "yaml" });
        QTest::newRow("interface") << sl({ "scan", "--interface", "qzNoSuch0" });
        QTest::newRow("set bad address") << sl({ "set", "--ip", "198.18.1.300", "dhcp", "on" });
        QTest::newRow("set bad value") << sl({ "set", "--id", "7", "ip", "198.18.1" });
        QTest::newRow("set bad field") << sl({ "set", "--id", "7", "volume", "3" });
        QTest::newRow("set two targets") << sl({ "set", "--id", "7", "--ip", "198.18.0.2", "id", "8" });
        QTest::newRow("set extra") << sl({ "set", "--id", "7", "id", "8", "9" });
        QTest::newRow("renumber bad start") << sl({ "renumber", "--start", "ten" });
        QTest::newRow("db unknown") << sl({ "db", "repair", "x.db" });
        QTest::newRow("diff three") << sl({ "diff", "a", "b", "c" });
        QTest::newRow("huge argument") << QStringList { s("scan"), s("--wan"), QString(100000, QLatin1Char('1')) };
        QTest::newRow("line breaks") << sl({ "set", "--id", "7\n8", "id", "9\r\n" });
        QTest::newRow("bidi and nonsense")
            << QStringList { s("scan"), QString(QChar(0x202E)) + s("--wan"), s("💥"), s("--") };
        QTest::newRow("dash only") << sl({ "-" });
    }

    void badArgumentsSendNothing()
    {
        QFETCH(QStringList, args);
        QVERIFY(startSim("mask = 255.255.0.0\n[terminal]\nid = 7\nip = 198.18.0.2\nmac = 02:00:00:00:00:07\n"
                         "[terminal]\nid = 8\nip = 198.18.1.6\nmac = 02:00:00:00:00:08\n",
            "bad-args"));
        const Run r = runCli(args);
        QVERIFY2(r.exit == 2, why(r));
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.endsWith('\n') && r.err.count('\n') == 1, r.err.constData());
        QVERIFY(r.err.startsWith("quenzal-cli: "));
        QTest::qWait(200);
        QVERIFY2(m_sim.logLines().isEmpty(), m_sim.logLines().value(0).constData());
    }
};

QTEST_GUILESS_MAIN(TestCliE2e)
#include "tst_cli_e2e.moc"
