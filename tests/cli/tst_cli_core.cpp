// The core pieces behind quenzal-cli and the window's export, preview and
// reconcile: export formats, renumbering plans on a plain table, the
// database-network pairing, and the command-line reading (every bad
// argument is refused before anything could be sent).
#include <QtTest>

#include "cli/cliargs.h"
#include "cli/session.h"
#include "core/commands/commandpackets.h"
#include "core/discovery/numbering.h"
#include "core/discovery/reconcile.h"
#include "core/discovery/scanrange.h"
#include "core/discovery/terminalexport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

// A decoded reply with the given ID, IP and MAC bytes.
TerminalTexts row(int id, std::array<quint8, 4> ip, std::array<quint8, 6> mac)
{
    QByteArray d(StatusReplyMinSize, '\0');
    d[0] = char(0xAA);
    d[1] = char(0xFD);
    d[3] = char(id >> 8);
    d[4] = char(id & 0xFF);
    for (int i = 0; i < 4; ++i)
        d[14 + i] = char(ip[size_t(i)]);
    for (int i = 0; i < 6; ++i)
        d[30 + i] = char(mac[size_t(i)]);
    return decodeStatusReply(d).texts;
}

TerminalTexts row(int id, int ip4, int mac6)
{
    return row(id, { 198, 18, 1, quint8(ip4) }, { 2, 0, 0, 0, 0, quint8(mac6) });
}

QStringList ids(const std::vector<TerminalTexts> &rows)
{
    QStringList out;
    for (const TerminalTexts &r : rows)
        out << r[ColId];
    return out;
}

} // namespace

class TestCliCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionsAndKeys()
    {
        QCOMPARE(int(terminalHeaderCaptions().size()), 32);
        QCOMPARE(terminalHeaderCaptions()[0], s("编号"));
        QCOMPARE(terminalHeaderCaptions()[4], s("MAC地址"));
        QCOMPARE(terminalHeaderCaptions()[31], s("最大音量"));
        QSet<QString> keys;
        for (const QString &k : terminalExportKeys())
            keys.insert(k);
        QCOMPARE(keys.size(), 32);
        QCOMPARE(terminalColumnOfKey(s("mac")), int(ColMac));
        QCOMPARE(terminalColumnOfKey(s("nope")), -1);
    }

    void csvField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << s("198.018.000.002") << s("198.018.000.002");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("comma") << s("a,b") << s("\"a,b\"");
        QTest::newRow("quote") << s("say \"hi\"") << s("\"say \"\"hi\"\"\"");
        QTest::newRow("newline") << s("a\nb") << s("\"a\nb\"");
        QTest::newRow("carriage return") << s("a\rb") << s("\"a\rb\"");
        QTest::newRow("leading blank") << s(" x") << s("\" x\"");
        QTest::newRow("chinese") << s("话筒") << s("话筒");
    }

    void csvField()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(quenzal::csvField(text), field);
    }

    void csvFile()
    {
        TerminalTexts r = row(7, 30, 0x0A);
        r[ColModelText] = s("KX,\"1\"");
        const QByteArray csv = terminalsToCsv({ r });
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QList<QByteArray> lines = csv.mid(3).split('\n');
        QCOMPARE(lines.size(), 3); // header, row, empty after the last CRLF
        QVERIFY(lines[0].endsWith('\r'));
        QCOMPARE(QString::fromUtf8(lines[0].chopped(1)).split(QLatin1Char(',')).size(), 32);
        QVERIFY(lines[0].startsWith(s("编号,本地地址,").toUtf8()));
        QVERIFY2(lines[1].startsWith("007,198.018.001.030,000.000.000.000,"), lines[1].constData());
        QVERIFY(lines[1].contains(",\"KX,\"\"1\"\"\","));
    }

    void jsonRoundTrip()
    {
        std::vector<TerminalTexts> rows { row(5, 2, 1), row(5, 6, 2), row(4660, 6, 1) };
        rows[0][ColModelText] = s("控制\"\\\x01");
        const QByteArray json = terminalsToJson(rows);
        // Parsed independently: keys, types and values as the list shows them.
        const QJsonArray array = QJsonDocument::fromJson(json).array();
        QCOMPARE(array.size(), 3);
        const QJsonObject first = array.at(0).toObject();
        QCOMPARE(first.size(), 35);
        QVERIFY(first.value(s("id")).isDouble());
        QCOMPARE(first.value(s("id")).toInt(), 5);
        QCOMPARE(first.value(s("ip")).toString(), s("198.018.001.002"));
        QCOMPARE(first.value(s("mac")).toString(), s("02:00:00:00:00:01"));
        QCOMPARE(first.value(s("mode")).toString(), s("控制\"\\\x01"));
        QCOMPARE(first.value(s("ring")).toString(), s("OPEN"));
        QCOMPARE(first.value(s("shared_id")).toBool(), true);
        QCOMPARE(first.value(s("shared_ip")).toBool(), false);
        QCOMPARE(first.value(s("shared_mac")).toBool(), true);
        QCOMPARE(array.at(2).toObject().value(s("id")).toInt(), 4660);
        QCOMPARE(array.at(2).toObject().value(s("shared_id")).toBool(), false);
        QCOMPARE(array.at(2).toObject().value(s("shared_ip")).toBool(), true);

        const JsonImport back = terminalsFromJson(json);
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(int(back.rows.size()), 3);
        for (size_t i = 0; i < rows.size(); ++i)
            QVERIFY2(back.rows[i].texts == rows[i], qPrintable(QString::number(i)));
        QCOMPARE(terminalsToJson(std::vector<TerminalTexts>()), QByteArray("[]\n"));
    }

    void jsonRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("object") << QByteArray("{}");
        QTest::newRow("element not an object") << QByteArray("[1]");
        QTest::newRow("cut") << QByteArray("[{\"id\": 5");
    }

    void jsonRefused()
    {
        QFETCH(QByteArray, json);
        const JsonImport in = terminalsFromJson(json);
        QVERIFY(!in.ok);
        QVERIFY(!in.error.isEmpty());
        QVERIFY(in.rows.empty());
    }

    void renumberPlan()
    {
        // The worked examples of the window's pass, on the plain table.
        std::vector<TerminalTexts> rows { row(1, 1, 1), row(2, 2, 2), row(2, 3, 3), row(5, 4, 4) };
        std::vector<TerminalTexts> after;
        std::vector<IdChange> plan = planSharedIds(rows, 0, &after);
        QCOMPARE(int(plan.size()), 1);
        QCOMPARE(plan[0].oldId, 2);
        QCOMPARE(plan[0].newId, 6);
        QCOMPARE(plan[0].mac, s("02:00:00:00:00:02"));
        QCOMPARE(plan[0].address, s("198.018.001.002"));
        QCOMPARE(ids(after), (QStringList { s("001"), s("002"), s("005"), s("006") }));

        plan = planSharedIds({ row(2, 1, 1), row(2, 2, 2), row(5, 3, 3) }, 5, &after);
        QCOMPARE(int(plan.size()), 2);
        QCOMPARE(plan[0].oldId, 2);
        QCOMPARE(plan[0].newId, 5);
        QCOMPARE(plan[1].oldId, 5);
        QCOMPARE(plan[1].newId, 6);
        QCOMPARE(ids(after), (QStringList { s("002"), s("005"), s("006") }));

        // The ID-change packet of each step, as the window writes it.
        SingleTerminalPacket p;
        p.writeStartupBytes();
        writeIdChange(p, 2, 5, s("02:00:00:00:00:0A"));
        QCOMPARE(p.bytes().toHex(' '),
            QByteArray(
                "aa 01 f2 01 03 b2 02 00 00 00 00 0a 01 06 00 dd 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 dd"));
        writeFactoryReset(p, 5);
        QCOMPARE(p.bytes().left(7).toHex(' '), QByteArray("aa 01 f2 01 06 b1 01"));
    }

    void macPlan()
    {
        std::vector<TerminalTexts> after;
        const std::vector<MacRepair> plan
            = planSharedMacs({ row(1, 1, 0x0A), row(2, 2, 0x0A), row(3, 3, 0x0B) }, &after);
        QCOMPARE(int(plan.size()), 1);
        QCOMPARE(plan[0].id, 1);
        QCOMPARE(plan[0].newMac, s("02:00:00:00:00:0C"));
        QCOMPARE(after.back()[ColMac], s("02:00:00:00:00:0C"));
    }

    void tableSortsAsTheList()
    {
        // Stable, by text: "1000" before "999", equal IDs keep their order.
        std::vector<TerminalTexts> rows { row(999, 1, 1), row(1000, 2, 2), row(5, 3, 3), row(5, 4, 4) };
        sortTerminalTexts(rows, ColId);
        QCOMPARE(ids(rows), (QStringList { s("005"), s("005"), s("1000"), s("999") }));
        QCOMPARE(rows[0][ColIp], s("198.018.001.003"));
    }

    void queries()
    {
        SingleTerminalPacket p;
        p.writeStartupBytes();
        QCOMPARE(composeWanQuery(p).toHex(' '), QByteArray("aa 02 f2 00 00 00"));
        const QByteArray lan = composeLanQuery(p);
        QCOMPARE(lan.size(), 32);
        QCOMPARE(quint8(lan[1]), quint8(0x02));
        QCOMPARE(quint8(lan[6]), quint8(0x01));
        QCOMPARE(p[1], quint8(0x01));
    }

    void identityValues_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("normal"); // empty: does not read
        QTest::newRow("list form") << s("02:00:00:00:00:0A") << s("02:00:00:00:00:0A");
        QTest::newRow("lower, dashes") << s("02-00-00-00-00-0a") << s("02:00:00:00:00:0A");
        QTest::newRow("bare") << s("02000000000a") << s("02:00:00:00:00:0A");
        QTest::newRow("mixed separators") << s("02:00-00:00:00:0A") << QString();
        QTest::newRow("short") << s("02:00:00:00:0A") << QString();
        QTest::newRow("bad pair") << s("020:0:00:00:00:0A") << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("not hex") << s("02:00:00:00:00:0G") << QString();
    }

    void identityValues()
    {
        QFETCH(QString, mac);
        QFETCH(QString, normal);
        const std::optional<QString> v = identityMac(mac);
        QCOMPARE(v.has_value(), !normal.isEmpty());
        if (v)
            QCOMPARE(*v, normal);
        QCOMPARE(identityIp(s("198.018.001.010")), identityIp(s("198.18.1.10")));
        QVERIFY(!identityIp(s("198.18.1.300")));
        QCOMPARE(identityId(s("007")), std::optional<qint64>(7));
    }

    void reconcile_data()
    {
        QTest::addColumn<QStringList>("db"); // "id ip mac" per row
        QTest::addColumn<QStringList>("net");
        QTest::addColumn<QStringList>("differences"); // "kind db scan"
        auto l = [](std::initializer_list<const char *> items) {
            QStringList out;
            for (const char *i : items)
                out << QString::fromUtf8(i);
            return out;
        };
        QTest::newRow("agree, other spellings") << l({ "5 198.18.1.2 02-00-00-00-00-01" })
                                                << l({ "005 198.018.001.002 02:00:00:00:00:01" }) << QStringList();
        QTest::newRow("silent and unknown")
            << l({ "5 198.18.1.2 02:00:00:00:00:01" }) << l({ "6 198.18.1.3 02:00:00:00:00:02" })
            << l({ "silent 0 -1", "unknown -1 0" });
        QTest::newRow("id differs, paired by MAC")
            << l({ "5 198.18.1.2 02:00:00:00:00:01" }) << l({ "7 198.18.1.2 02:00:00:00:00:01" }) << l({ "id 0 0" });
        QTest::newRow("moved: ip differs, paired by MAC")
            << l({ "5 198.18.1.2 02:00:00:00:00:01" }) << l({ "5 198.18.1.9 02:00:00:00:00:01" }) << l({ "ip 0 0" });
        QTest::newRow("mac differs, paired by IP")
            << l({ "5 198.18.1.2 02:00:00:00:00:01" }) << l({ "5 198.18.1.2 02:00:00:00:00:09" }) << l({ "mac 0 0" });
        // The MAC round runs first: a terminal that took another's old
        // address still pairs with its own row.
        QTest::newRow("MAC before IP over all rows")
            << l({ "1 198.18.1.2 02:00:00:00:00:01", "2 198.18.1.3 02:00:00:00:00:02" })
            << l({ "2 198.18.1.2 02:00:00:00:00:02", "1 198.18.1.4 02:00:00:00:00:01" }) << l({ "ip 0 1", "ip 1 0" });
        QTest::newRow("two rows, one terminal")
            << l({ "1 198.18.1.2 02:00:00:00:00:01", "1 198.18.1.2 02:00:00:00:00:01" })
            << l({ "1 198.18.1.2 02:00:00:00:00:01" }) << l({ "silent 1 -1" });
        QTest::newRow("unreadable MAC in the database pairs by IP")
            << l({ "1 198.18.1.2 x" }) << l({ "1 198.18.1.2 02:00:00:00:00:01" }) << l({ "mac 0 0" });
        QTest::newRow("empty both") << QStringList() << QStringList() << QStringList();
    }

    void reconcile()
    {
        QFETCH(QStringList, db);
        QFETCH(QStringList, net);
        QFETCH(QStringList, differences);
        auto identities = [](const QStringList &rows) {
            std::vector<TerminalIdentity> out;
            for (const QString &r : rows) {
                const QStringList f = r.split(QLatin1Char(' '));
                out.push_back(TerminalIdentity { f.value(0), f.value(1), f.value(2), QString() });
            }
            return out;
        };
        QStringList got;
        for (const Difference &d : reconcileTerminals(identities(db), identities(net)))
            got << QStringLiteral("%1 %2 %3").arg(differenceKindName(d.kind)).arg(d.dbRow).arg(d.scanRow);
        QCOMPARE(got, differences);
    }

    void goodArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("kind");
        auto l = [](std::initializer_list<const char *> items) {
            QStringList out { QStringLiteral("quenzal-cli") };
            for (const char *i : items)
                out << QString::fromUtf8(i);
            return out;
        };
        QTest::newRow("scan") << l({ "scan" }) << int(cli::Command::Scan);
        QTest::newRow("scan wan") << l({ "scan", "--wan", "10.0.1.250-10.0.2.5", "--wait", "0.5", "--format", "json" })
                                  << int(cli::Command::Scan);
        QTest::newRow("scan lo") << l({ "scan", "--interface", "lo" }) << int(cli::Command::Scan);
        QTest::newRow("set") << l({ "set", "--id", "5", "ip", "198.18.001.030" }) << int(cli::Command::Set);
        QTest::newRow("set mac") << l({ "set", "--ip", "198.18.1.6", "mac", "02-00-00-00-00-0a", "--no-verify" })
                                 << int(cli::Command::Set);
        QTest::newRow("renumber") << l({ "renumber", "--start", "100", "--dry-run" }) << int(cli::Command::Renumber);
        QTest::newRow("db check") << l({ "db", "check", "x.db" }) << int(cli::Command::Db);
        QTest::newRow("db convert") << l({ "db", "convert", "old.db", "--output", "o.db" }) << int(cli::Command::Db);
        QTest::newRow("reconcile") << l({ "reconcile", "s.db", "--format", "csv" }) << int(cli::Command::Reconcile);
        QTest::newRow("diff") << l({ "diff", "a.json", "b.json" }) << int(cli::Command::Diff);
        QTest::newRow("apply") << l({ "apply", "plan.csv", "--dry-run", "--report", "r.json", "--format", "json" })
                               << int(cli::Command::Apply);
        QTest::newRow("apply from db wan")
            << l({ "apply", "--from-db", "s.db", "--wan", "10.0.1.1-10.0.1.9", "--wait", "0.5" })
            << int(cli::Command::Apply);
        QTest::newRow("help") << l({ "--help" }) << int(cli::Command::Help);
        QTest::newRow("sub help") << l({ "set", "--help" }) << int(cli::Command::Help);
        QTest::newRow("version") << l({ "--version" }) << int(cli::Command::Version);
        QTest::newRow("help-all is help, no scan") << l({ "scan", "--help-all" }) << int(cli::Command::Help);
    }

    void goodArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, kind);
        const cli::Command c = cli::parseCommandLine(args);
        QVERIFY2(c.kind == kind, qPrintable(c.error));
    }

    void applyArguments()
    {
        const cli::Command c = cli::parseCommandLine(
            { s("quenzal-cli"), s("apply"), s("--from-db"), s("s.db"), s("--dry-run"), s("--report"), s("r.csv") });
        QCOMPARE(c.kind, cli::Command::Apply);
        QCOMPARE(c.apply.database, s("s.db"));
        QVERIFY(c.apply.plan.isEmpty());
        QVERIFY(c.apply.dryRun);
        QCOMPARE(c.apply.report, s("r.csv"));
        QCOMPARE(c.apply.scan.format, cli::Format::Table);
    }

    void setArguments()
    {
        const cli::Command c
            = cli::parseCommandLine({ s("quenzal-cli"), s("set"), s("--id"), s("5"), s("ip"), s("198.018.001.030") });
        QCOMPARE(c.kind, cli::Command::Set);
        QCOMPARE(c.set.commandFields, (QStringList { s("198"), s("18"), s("1"), s("30") }));
        QCOMPARE(c.set.expected, s("198.018.001.030"));
        QCOMPARE(c.set.column, int(ColIp));
        const cli::Command w
            = cli::parseCommandLine({ s("quenzal-cli"), s("scan"), s("--wan"), s("10.0.1.250-10.0.2.5") });
        QCOMPARE(w.scan.count, 11);
        QCOMPARE(scanStepAddress(w.scan.range, 5), QByteArray("10.0.2.0"));
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        auto l = [](std::initializer_list<const char *> items) {
            QStringList out { QStringLiteral("quenzal-cli") };
            for (const char *i : items)
                out << QString::fromUtf8(i);
            return out;
        };
        QTest::newRow("nothing") << l({});
        QTest::newRow("unknown subcommand") << l({ "scna" });
        QTest::newRow("unknown option") << l({ "scan", "--wna", "1.1.1.1-1.1.1.2" });
        QTest::newRow("range without end") << l({ "scan", "--wan", "10.0.1.1" });
        QTest::newRow("range backwards") << l({ "scan", "--wan", "10.0.1.9-10.0.1.1" });
        QTest::newRow("range across octet 2") << l({ "scan", "--wan", "10.0.1.1-10.1.1.1" });
        QTest::newRow("octet 256") << l({ "scan", "--wan", "10.0.1.1-10.0.1.256" });
        QTest::newRow("wait negative") << l({ "scan", "--wait", "-1" });
        QTest::newRow("wait nan") << l({ "scan", "--wait", "nan" });
        QTest::newRow("wait huge") << l({ "scan", "--wait", "1e309" });
        QTest::newRow("format") << l({ "scan", "--format", "xml" });
        QTest::newRow("interface") << l({ "scan", "--interface", "no-such-if0" });
        QTest::newRow("set no target") << l({ "set", "ip", "1.2.3.4" });
        QTest::newRow("set both targets") << l({ "set", "--id", "1", "--ip", "1.2.3.4", "id", "2" });
        QTest::newRow("set id too big") << l({ "set", "--id", "65280", "id", "2" });
        QTest::newRow("set id hex") << l({ "set", "--id", "0x10", "id", "2" });
        QTest::newRow("set bad field") << l({ "set", "--id", "1", "volume", "2" });
        QTest::newRow("set no value") << l({ "set", "--id", "1", "ip" });
        QTest::newRow("set bad mac") << l({ "set", "--id", "1", "mac", "02:00:00:00:00" });
        QTest::newRow("set bad dhcp") << l({ "set", "--id", "1", "dhcp", "maybe" });
        QTest::newRow("set ip blank") << l({ "set", "--id", "1", "ip", "1.2.3. 4" });
        QTest::newRow("renumber start negative") << l({ "renumber", "--start", "-1" });
        QTest::newRow("renumber start with mac") << l({ "renumber", "--mac", "--start", "3" });
        QTest::newRow("db nothing") << l({ "db" });
        QTest::newRow("db unknown") << l({ "db", "frob", "x" });
        QTest::newRow("db two paths") << l({ "db", "check", "a", "b" });
        QTest::newRow("diff one file") << l({ "diff", "a.json" });
        QTest::newRow("reconcile no db") << l({ "reconcile" });
        QTest::newRow("apply no plan") << l({ "apply" });
        QTest::newRow("apply plan and db") << l({ "apply", "p.csv", "--from-db", "s.db" });
        QTest::newRow("apply two plans") << l({ "apply", "p.csv", "q.csv" });
        QTest::newRow("apply csv format") << l({ "apply", "p.csv", "--format", "csv" });
        QTest::newRow("apply empty report") << l({ "apply", "p.csv", "--report", "" });
        QTest::newRow("apply bad range") << l({ "apply", "p.csv", "--wan", "10.0.1.9-10.0.1.1" });
    }

    void badArguments()
    {
        QFETCH(QStringList, args);
        const cli::Command c = cli::parseCommandLine(args);
        QCOMPARE(c.kind, cli::Command::Invalid);
        QVERIFY(!c.error.isEmpty());
        QVERIFY(!c.error.contains(QLatin1Char('\n')));
    }

    void strangeArguments()
    {
        // Whatever the text, an answer and never a crash; messages stay one
        // short line.
        const QString huge(200000, QLatin1Char('9'));
        const QStringList strange { huge, s("\n\r\t"), s("--"), s("-"), s("---"), s("--=x"), QString(QChar(0xD800)),
            QString(QChar(0x202E)), QString(), s("--wan=") + huge, s("-abc") };
        for (const QString &a : strange) {
            for (const char *sub : { "scan", "set", "renumber", "db", "reconcile", "diff", "apply", "help" }) {
                for (const QStringList &args :
                    { QStringList { s("q"), s(sub), a }, QStringList { s("q"), s(sub), s("--wan"), a },
                        QStringList { s("q"), s(sub), s("--id"), a, s("ip"), a } }) {
                    const cli::Command c = cli::parseCommandLine(args);
                    if (c.kind == cli::Command::Invalid) {
                        QVERIFY(c.error.size() <= 310);
                        QVERIFY(!c.error.contains(QLatin1Char('\n')));
                    }
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCliCore)
#include "tst_cli_core.moc"
