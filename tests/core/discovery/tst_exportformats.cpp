// The output formats of core/export: the CSV form byte for byte, the JSON
// rules (an ID a number, an address a text, the layout), each kind of record
// with its exact keys and types, and the comparison of two saved scans.
#include <QtTest>

#include "core/discovery/reconcile.h"
#include "core/discovery/terminalexport.h"
#include "core/export/csv.h"
#include "core/export/json.h"
#include "core/export/records.h"
#include "core/export/scandiff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

TerminalTexts row(const char *id, const char *ip, const char *mac)
{
    TerminalTexts t;
    t[ColId] = s(id);
    t[ColIp] = s(ip);
    t[ColMac] = s(mac);
    return t;
}

QStringList sortedKeys(const QJsonObject &o)
{
    QStringList keys = o.keys();
    keys.sort();
    return keys;
}

QStringList words(const char *spaceSeparated)
{
    QStringList out = s(spaceSeparated).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    out.sort();
    return out;
}

// The type of a JSON value as a word, so that a table can name it.
QString typeOf(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Double:
        return s("number");
    case QJsonValue::String:
        return s("text");
    case QJsonValue::Bool:
        return s("bool");
    case QJsonValue::Null:
        return s("null");
    case QJsonValue::Object:
        return s("object");
    default:
        return s("other");
    }
}

// The identities a reconcile indexes: two database rows, two terminals.
const std::vector<TerminalIdentity> Database {
    { s("6"), s("198.18.1.6"), s("02:00:00:00:00:06"), s("Gate") },
    { s("12"), s("198.18.1.40"), s("02:00:00:00:00:28"), s("Roof") },
};
const std::vector<TerminalIdentity> Scanned {
    { s("005"), s("198.018.001.006"), s("02:00:00:00:00:06"), QString() },
    { s("013"), s("198.018.001.013"), s("02:00:00:00:00:0D"), QString() },
};

} // namespace

class TestExportFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void csvRows_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << QStringList { s("005"), s("198.018.001.006") } << QByteArray("005,198.018.001.006");
        QTest::newRow("empty cells") << QStringList { QString(), s("x"), QString() } << QByteArray(",x,");
        QTest::newRow("comma") << QStringList { s("a,b") } << QByteArray("\"a,b\"");
        QTest::newRow("quotes doubled") << QStringList { s("KX,\"1\"") } << QByteArray("\"KX,\"\"1\"\"\"");
        QTest::newRow("line break kept inside quotes") << QStringList { s("a\r\nb") } << QByteArray("\"a\r\nb\"");
        QTest::newRow("trailing blank") << QStringList { s("x ") } << QByteArray("\"x \"");
        QTest::newRow("leading tab") << QStringList { s("\tx") } << QByteArray("\"\tx\"");
        QTest::newRow("blank inside") << QStringList { s("a b") } << QByteArray("a b");
        QTest::newRow("chinese as UTF-8")
            << QStringList { s("编号"), s("大厅") } << QByteArray("\xE7\xBC\x96\xE5\x8F\xB7,\xE5\xA4\xA7\xE5\x8E\x85");
    }

    // The file: the byte-order mark, then each row ending CR LF.
    void csvRows()
    {
        QFETCH(QStringList, cells);
        QFETCH(QByteArray, line);
        CsvWriter csv;
        QCOMPARE(csv.bytes(), QByteArray("\xEF\xBB\xBF"));
        csv.addRow(QStringList { s("H1"), s("H2") });
        csv.addRow(cells);
        QCOMPARE(csv.bytes(),
            QByteArray("\xEF\xBB\xBF"
                       "H1,H2\r\n")
                + line + "\r\n");
    }

    void terminalListCsv()
    {
        TerminalTexts r = row("005", "198.018.001.006", "02:00:00:00:00:0A");
        r[ColModelText] = s("a,b");
        const QByteArray csv = terminalsToCsv({ r });
        QStringList header(terminalHeaderCaptions().begin(), terminalHeaderCaptions().end());
        QStringList cells(r.begin(), r.end());
        cells[ColModelText] = s("\"a,b\"");
        QCOMPARE(csv,
            "\xEF\xBB\xBF" + header.join(QLatin1Char(',')).toUtf8() + "\r\n" + cells.join(QLatin1Char(',')).toUtf8()
                + "\r\n");
        QCOMPARE(terminalsToCsv({}), "\xEF\xBB\xBF" + header.join(QLatin1Char(',')).toUtf8() + "\r\n");
    }

    void jsonId_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("written"); // the value as compact JSON
        QTest::newRow("zero-padded list ID") << s("005") << s("number") << s("5");
        QTest::newRow("database ID") << s("12") << s("number") << s("12");
        QTest::newRow("zero") << s("000") << s("number") << s("0");
        QTest::newRow("large") << s("4294967296") << s("number") << s("4294967296");
        QTest::newRow("negative") << s("-3") << s("number") << s("-3");
        QTest::newRow("empty stays text") << QString() << s("text") << s("\"\"");
        QTest::newRow("not a number stays text") << s("12a") << s("text") << s("\"12a\"");
        QTest::newRow("fraction stays text") << s("1.5") << s("text") << s("\"1.5\"");
    }

    void jsonId()
    {
        QFETCH(QString, text);
        QFETCH(QString, type);
        QFETCH(QString, written);
        const QJsonValue v = quenzal::jsonId(text);
        QCOMPARE(typeOf(v), type);
        const QByteArray array = QJsonDocument(QJsonArray { v }).toJson(QJsonDocument::Compact);
        QCOMPARE(QString::fromUtf8(array), QLatin1Char('[') + written + QLatin1Char(']'));
    }

    void jsonLayout()
    {
        QCOMPARE(jsonArrayBytes(QJsonArray()), QByteArray("[]\n"));
        QJsonObject o;
        o.insert(s("ip"), s("198.18.1.6"));
        o.insert(s("id"), 6);
        QCOMPARE(jsonArrayBytes(QJsonArray { o }),
            QByteArray("[\n    {\n        \"id\": 6,\n        \"ip\": \"198.18.1.6\"\n    }\n]\n"));
    }

    // Every record kind: its keys exactly, IDs numbers, addresses texts.
    void recordTypes_data()
    {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("numbers"); // paths "key" or "object/key"
        QTest::addColumn<QStringList>("texts");

        ExportRow listRow { row("005", "198.018.001.006", "02:00:00:00:00:0A"), true, false, false };
        QStringList listKeys(terminalExportKeys().begin(), terminalExportKeys().end());
        listKeys << s("shared_id") << s("shared_ip") << s("shared_mac");
        listKeys.sort();
        QTest::newRow("terminal list") << terminalRecordJson(listRow) << listKeys << QStringList { s("id") }
                                       << QStringList { s("ip"), s("mac"), s("mask"), s("server"), s("capture") };

        serverdb::TerminalRow dbRow;
        dbRow.texts = { s("12"), s("8"), s("0"), s("1"), s("1"), s("1"), s("1"), s("198.18.1.40"),
            s("02:00:00:00:00:28"), s("Roof") };
        QTest::newRow("database terminal")
            << databaseTerminalJson(dbRow, 0)
            << words("id vol m ienable rbenable rmenable obenable ip mac name shared_id shared_ip shared_mac "
                     "shared_name")
            << QStringList { s("id") } << QStringList { s("ip"), s("mac"), s("name"), s("vol") };

        QTest::newRow("difference id") << differenceJson(
            Difference { Difference::IdDiffers, 0, 0, s("6"), s("005"), true }, Database, Scanned)
                                       << words("kind db terminal db_value terminal_value")
                                       << QStringList { s("db/id"), s("terminal/id") }
                                       << QStringList { s("kind"), s("db/ip"), s("db/mac"), s("db/name"),
                                              s("terminal/ip"), s("terminal/mac"), s("db_value"), s("terminal_value") };
        QTest::newRow("difference silent")
            << differenceJson(Difference { Difference::Silent, 1, -1, {}, {}, false }, Database, Scanned)
            << words("kind db terminal") << QStringList { s("db/id") }
            << QStringList { s("db/ip"), s("db/mac"), s("db/name") };
        QTest::newRow("difference unknown")
            << differenceJson(Difference { Difference::Unknown, -1, 1, {}, {}, false }, Database, Scanned)
            << words("kind db terminal") << QStringList { s("terminal/id") }
            << QStringList { s("terminal/ip"), s("terminal/mac") };

        const std::vector<TerminalTexts> before { row("005", "198.018.001.006", "02:00:00:00:00:06") };
        TerminalTexts moved = before[0];
        moved[ColIp] = s("198.018.001.007");
        QTest::newRow("scan change") << scanChangeJson(
            ScanChange { ScanChange::Changed, 0, 0, { ColIp } }, before, { moved })
                                     << words("kind old new changes") << QStringList { s("old/id"), s("new/id") }
                                     << QStringList { s("kind"), s("old/ip"), s("old/mac"), s("new/ip"), s("new/mac") };
    }

    void recordTypes()
    {
        QFETCH(QJsonObject, record);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, texts);
        QCOMPARE(sortedKeys(record), keys);
        auto at = [&record](const QString &path) {
            const QStringList parts = path.split(QLatin1Char('/'));
            return parts.size() == 1 ? record.value(parts[0]) : record.value(parts[0]).toObject().value(parts[1]);
        };
        for (const QString &p : numbers)
            QVERIFY2(at(p).isDouble(), qPrintable(p));
        for (const QString &p : texts)
            QVERIFY2(at(p).isString(), qPrintable(p));
    }

    void recordValues()
    {
        serverdb::TerminalRow dbRow;
        dbRow.texts = { s("12"), s("8"), s("0"), s("1"), s("1"), s("1"), s("1"), s("198.18.1.40"),
            s("02:00:00:00:00:28"), s("大厅") };
        const QJsonObject db = databaseTerminalJson(dbRow, 0b1010); // IP and Name shared
        QCOMPARE(db.value(s("id")).toInt(), 12);
        QCOMPARE(db.value(s("vol")).toString(), s("8"));
        QCOMPARE(db.value(s("name")).toString(), s("大厅"));
        QCOMPARE(db.value(s("shared_id")).toBool(), false);
        QCOMPARE(db.value(s("shared_ip")).toBool(), true);
        QCOMPARE(db.value(s("shared_mac")).toBool(), false);
        QCOMPARE(db.value(s("shared_name")).toBool(), true);

        const QJsonObject id
            = differenceJson(Difference { Difference::IdDiffers, 0, 0, s("6"), s("005"), true }, Database, Scanned);
        QCOMPARE(id.value(s("kind")).toString(), s("id"));
        QCOMPARE(id.value(s("db")).toObject().value(s("id")).toInt(), 6);
        QCOMPARE(id.value(s("terminal")).toObject().value(s("id")).toInt(), 5);
        QCOMPARE(id.value(s("terminal")).toObject().value(s("ip")).toString(), s("198.018.001.006"));
        QCOMPARE(id.value(s("db_value")).toString(), s("6"));
        QCOMPARE(id.value(s("terminal_value")).toString(), s("005"));
        QVERIFY(differenceJson(Difference { Difference::Silent, 1, -1, {}, {}, false }, Database, Scanned)
                    .value(s("terminal"))
                    .isNull());
        QVERIFY(differenceJson(Difference { Difference::Unknown, -1, 1, {}, {}, false }, Database, Scanned)
                    .value(s("db"))
                    .isNull());
    }

    void differenceCells_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("dbRow");
        QTest::addColumn<int>("scanRow");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("id") << int(Difference::IdDiffers) << 0 << 0
                            << QStringList { s("id"), s("6"), s("198.18.1.6"), s("02:00:00:00:00:06"), s("Gate"),
                                   s("005"), s("198.018.001.006"), s("02:00:00:00:00:06") };
        QTest::newRow("silent") << int(Difference::Silent) << 1 << -1
                                << QStringList { s("silent"), s("12"), s("198.18.1.40"), s("02:00:00:00:00:28"),
                                       s("Roof"), QString(), QString(), QString() };
        QTest::newRow("unknown") << int(Difference::Unknown) << -1 << 1
                                 << QStringList { s("unknown"), QString(), QString(), QString(), QString(), s("013"),
                                        s("198.018.001.013"), s("02:00:00:00:00:0D") };
    }

    void differenceCells()
    {
        QFETCH(int, kind);
        QFETCH(int, dbRow);
        QFETCH(int, scanRow);
        QFETCH(QStringList, cells);
        const Difference d { Difference::Kind(kind), dbRow, scanRow, {}, {}, false };
        QCOMPARE(quenzal::differenceCells(d, Database, Scanned), cells);
        QCOMPARE(differenceHeader().size(), cells.size());
    }

    void compareScans_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("kinds"); // of scanChangeJson, in the same order
        QTest::newRow("equal") << QStringList() << QStringList();
        QTest::newRow("gone, changed, new")
            << QStringList { s("gone     ID 001  IP 198.018.000.002  MAC 02:00:00:00:00:01"),
                   s("changed  ID 002  IP 198.018.001.006  MAC 02:00:00:00:00:02: volume 8 -> 9, ring CLOSE -> OPEN"),
                   s("new      ID 004  IP 198.018.001.030  MAC 02:00:00:00:00:04") }
            << QStringList { s("gone"), s("changed"), s("new") };
    }

    void compareScans()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, kinds);
        std::vector<TerminalTexts> before { row("002", "198.018.001.006", "02:00:00:00:00:02") };
        std::vector<TerminalTexts> after = before;
        if (!lines.isEmpty()) {
            before.insert(before.begin(), row("001", "198.018.000.002", "02:00:00:00:00:01"));
            before[1][8] = s("8"); // volume
            // ring (column 30)
            before[1][30] = s("CLOSE");
            after[0][8] = s("9");
            after[0][30] = s("OPEN");
            // Paired by MAC although the list order differs.
            after.insert(after.begin(), row("004", "198.018.001.030", "02:00:00:00:00:04"));
        }
        const std::vector<ScanChange> changes = quenzal::compareScans(before, after);
        QStringList gotLines, gotKinds;
        for (const ScanChange &c : changes) {
            gotLines << scanChangeLine(c, before, after);
            gotKinds << scanChangeJson(c, before, after).value(s("kind")).toString();
        }
        QCOMPARE(gotLines, lines);
        QCOMPARE(gotKinds, kinds);
        if (changes.size() == 3) {
            const QJsonObject changed = scanChangeJson(changes[1], before, after);
            const QJsonArray fields = changed.value(s("changes")).toArray();
            QCOMPARE(fields.size(), 2);
            QCOMPARE(fields.at(0).toObject().value(s("key")).toString(), s("volume"));
            QCOMPARE(fields.at(0).toObject().value(s("old")).toString(), s("8"));
            QCOMPARE(fields.at(0).toObject().value(s("new")).toString(), s("9"));
            QVERIFY(scanChangeJson(changes[0], before, after).value(s("new")).isNull());
            QVERIFY(scanChangeJson(changes[2], before, after).value(s("old")).isNull());
            QCOMPARE(scanChangeJson(changes[2], before, after).value(s("changes")).toArray().size(), 0);
        }
    }

    // Scans are sets: the order of the records never makes a difference, and
    // clones that share a MAC (and often an address) pair with their own
    // copies, not with each other.
    void compareScansAsSets_data()
    {
        QTest::addColumn<QList<int>>("order"); // rows of the older scan, in the newer scan's order
        QTest::addColumn<int>("changedRow"); // row of the newer scan given another volume, or -1
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("reversed") << QList<int> { 3, 2, 1, 0 } << -1 << QStringList();
        QTest::newRow("clones swapped") << QList<int> { 1, 0, 2, 3 } << -1 << QStringList();
        QTest::newRow("clones swapped, one changed")
            << QList<int> { 1, 0, 3, 2 } << 0
            << QStringList { s("changed  ID 002  IP 192.168.001.100  MAC 02:00:00:00:00:AA: volume 5 -> 7") };
        QTest::newRow("a clone gone") << QList<int> { 2, 0, 3 } << -1
                                      << QStringList { s("gone     ID 002  IP 192.168.001.100  MAC 02:00:00:00:00:AA") };
    }

    void compareScansAsSets()
    {
        QFETCH(QList<int>, order);
        QFETCH(int, changedRow);
        QFETCH(QStringList, lines);
        // Two clones (same MAC and address, other IDs) among two others.
        std::vector<TerminalTexts> before { row("001", "192.168.001.100", "02:00:00:00:00:AA"),
            row("002", "192.168.001.100", "02:00:00:00:00:AA"), row("003", "192.168.001.103", "02:00:00:00:00:03"),
            row("004", "192.168.001.104", "02:00:00:00:00:04") };
        for (TerminalTexts &t : before)
            t[8] = s("5");
        std::vector<TerminalTexts> after;
        for (int i : order)
            after.push_back(before[size_t(i)]);
        if (changedRow >= 0)
            after[size_t(changedRow)][8] = s("7");
        QStringList got;
        for (const ScanChange &c : quenzal::compareScans(before, after))
            got << scanChangeLine(c, before, after);
        QCOMPARE(got, lines);
    }
};

QTEST_GUILESS_MAIN(TestExportFormats)
#include "tst_exportformats.moc"
