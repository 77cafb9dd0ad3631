// quenzal-cli, the real binary, against the terminal simulator inside the
// namespace rig, the subcommands that change terminals: set with and without
// a terminal that takes the command, renumbering whose plan is what goes
// out, and a table of bad arguments that end the run before anything is
// sent.
#include <QtTest>

#include "cli/cliargs.h"
#include "clie2e.h"
#include "core/commands/commandpackets.h"
#include "core/commands/verify.h"

using namespace quenzal;
using namespace clitest;

class TestCliE2eCommands : public CliE2eTest
{
    Q_OBJECT

private Q_SLOTS:
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
        const Run r = runCli(args);
        QVERIFY2(r.exit == exit, why(r));
        // The verification asks three times at most: the queries after the
        // command (or, when none was sent, the look-up's).
        QVERIFY(m_sim.sync());
        const QList<QByteArray> taken = m_sim.logLines();
        int queries = 0;
        for (auto line = taken.crbegin(); line != taken.crend() && line->startsWith("aa 02 f2 "); ++line)
            ++queries;
        QVERIFY2(queries <= VerifyAttempts, qPrintable(QString::number(queries)));
        QList<QByteArray> done = m_sim.logLines("applied");
        if (applied.isEmpty()) {
            QVERIFY2(done.isEmpty(), done.value(0).constData());
            if (exit == 3)
                QVERIFY2(r.err.contains("not verified"), r.err.constData());
            return;
        }
        // Without verification the CLI ends as soon as the command has left;
        // the simulator may log it a moment later.
        QTRY_VERIFY_WITH_TIMEOUT(!(done = m_sim.logLines("applied")).isEmpty(), 3000);
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
        QVERIFY(m_sim.sync());
        QVERIFY2(m_sim.logLines().isEmpty(), m_sim.logLines().value(0).constData());
    }
};

QTEST_GUILESS_MAIN(TestCliE2eCommands)
#include "moc_clie2e.cpp" // the fixture's moc here, not in a file of its own
#include "tst_cli_e2e_commands.moc"
