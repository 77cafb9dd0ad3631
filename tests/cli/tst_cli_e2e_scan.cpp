// quenzal-cli, the real binary, against the terminal simulator inside the
// namespace rig, the subcommands that only read: scans in every format
// compared with the fleet, reconcile with each kind of difference, and diff
// of two saved scans.
#include <QtTest>

#include "clie2e.h"
#include "core/commands/commandpackets.h"
#include "core/discovery/scanrange.h"
#include "core/discovery/terminalexport.h"
#include "dbfixtures.h"

#include "cli/session.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUdpSocket>

using namespace quenzal;
using namespace clitest;

namespace {

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

} // namespace

class TestCliE2eScan : public CliE2eTest
{
    Q_OBJECT

private Q_SLOTS:
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
                // IDs are numbers on both sides, the differing texts texts.
                for (const char *side : { "db", "terminal" }) {
                    if (!o.value(s(side)).isNull())
                        QVERIFY2(o.value(s(side)).toObject().value(s("id")).isDouble(), side);
                }
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
        if (format == QLatin1String("table")) // the header, and a line saying so
            QVERIFY2(r.out.startsWith("KIND") && r.out.contains("\nno differences"), why(r));
        else
            QCOMPARE(QJsonDocument::fromJson(r.out).array().size(), 0);

        r = runCli({ s("reconcile"), path("missing.db"), s("--wait"), s("0.5") });
        QVERIFY2(r.exit == 1, why(r));
    }

    // Two clones (same MAC and address, other IDs) are two records, as they
    // are two rows of the window's list, with the shared MAC and IP marked;
    // the MAC repair plans for them.
    void clonesStayVisible_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *f : { "table", "csv", "json" })
            QTest::newRow(f) << s(f);
    }

    void clonesStayVisible()
    {
        QFETCH(QString, format);
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 7\nip = 198.18.1.40\nmac = 02:00:00:00:00:AA\n"
                         "[terminal]\nid = 8\nip = 198.18.1.40\nmac = 02:00:00:00:00:AA\n"
                         "[terminal]\nid = 9\nip = 198.18.1.41\nmac = 02:00:00:00:00:09\n",
            "clones"));
        Run r = runCli({ s("scan"), s("--wait"), s("0.5"), s("--format"), format });
        QVERIFY2(r.exit == 0, why(r));
        if (format == QLatin1String("json")) {
            const JsonImport in = terminalsFromJson(r.out);
            QVERIFY2(in.ok, qPrintable(in.error));
            QCOMPARE(int(in.rows.size()), 3);
            QCOMPARE(idsOf(r.out), (QStringList { s("007"), s("008"), s("009") }));
            for (int i : { 0, 1 })
                QVERIFY(in.rows[size_t(i)].sharedMac && in.rows[size_t(i)].sharedIp && !in.rows[size_t(i)].sharedId);
            QVERIFY(!in.rows[2].sharedMac);
        } else {
            const QList<QByteArray> lines = r.out.trimmed().split('\n');
            QCOMPARE(lines.size(), 4); // header and three records
            QCOMPARE(r.out.count("02:00:00:00:00:AA"), 2);
            if (format == QLatin1String("table")) {
                QVERIFY2(lines[1].startsWith("007") && lines[1].endsWith("ip,mac"), lines[1].constData());
                QVERIFY2(lines[2].startsWith("008") && lines[2].endsWith("ip,mac"), lines[2].constData());
            }
        }

        // The repair plans a factory reset for one of the clones.
        for (const char *planFormat : { "table", "json" }) {
            r = runCli(
                { s("renumber"), s("--mac"), s("--dry-run"), s("--wait"), s("0.5"), s("--format"), s(planFormat) });
            QVERIFY2(r.exit == 0, why(r));
            QVERIFY2(r.err.contains("1 factory resets planned"), why(r));
            if (QByteArray(planFormat) == "json") {
                const QJsonArray plan = QJsonDocument::fromJson(r.out).array();
                QCOMPARE(plan.size(), 1);
                QCOMPARE(plan.at(0).toObject().value(s("old_mac")).toString(), s("02:00:00:00:00:AA"));
                QCOMPARE(plan.at(0).toObject().value(s("id")).toInt(), 7); // the repair resets the first of them
            } else {
                QCOMPARE(r.out.trimmed().split('\n').size(), 2);
            }
        }
        QVERIFY(m_sim.logLines("applied").isEmpty());
    }

    // Output that cannot be written is a failure, said on stderr.
    void outputThatCannotBeWritten()
    {
        QVERIFY(startSim(ScanFleet, "full"));
        const Run r = runCli({ s("scan"), s("--wait"), s("0.3") }, QString(), 30000, s("/dev/full"));
        QVERIFY2(r.exit == 1 && r.err.contains("cannot write the output"), why(r));
    }

    // Another socket on our port is said; the scan still runs.
    void sharedPortIsSaid()
    {
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, LanPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        const Run r = runCli({ s("scan"), s("--wait"), s("0.2") });
        QVERIFY2(r.exit == 0 && r.err.contains("UDP port 12682 is already bound by another program"), why(r));
        other.close();
        const Run alone = runCli({ s("scan"), s("--wait"), s("0.2") });
        QVERIFY2(alone.exit == 0 && !alone.err.contains("already bound"), why(alone));
    }

    // Replies that arrived before a scan's query are no answers to it.
    void staleRepliesAreNoAnswers()
    {
        cli::Session session;
        QVERIFY(session.open(false, QNetworkInterface()));
        QUdpSocket late;
        QByteArray reply(102, '\0');
        reply[0] = char(0xAA);
        reply[1] = char(0xFD);
        reply[4] = 42;
        QCOMPARE(late.writeDatagram(reply, QHostAddress::LocalHost, LanPort), qint64(102));
        QTRY_COMPARE_WITH_TIMEOUT(session.transport().queued(), 1, 5000);
        cli::ScanOptions options;
        options.waitMs = 300;
        const cli::ScanResult result = session.scan(options); // nobody answers this one
        QCOMPARE(int(result.records.size()), 0);
        QCOMPARE(result.replies, 0);
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
};

QTEST_GUILESS_MAIN(TestCliE2eScan)
#include "moc_clie2e.cpp" // the fixture's moc here, not in a file of its own
#include "tst_cli_e2e_scan.moc"
