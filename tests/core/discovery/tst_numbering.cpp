// The two numbering passes on the core's table: the worked examples, the
// edge cases, that a pass always ends with all IDs (MACs) distinct, and what
// the table keeps for applying a pass to the list it was filled from.
#include <QtTest>

#include "core/discovery/numbering.h"

#include <algorithm>

using namespace quenzal;

namespace {

// A terminal list of rows with ID, address and MAC columns.
TerminalTexts row(const QString &id, const QString &address, const QString &mac)
{
    TerminalTexts r;
    r[ColId] = id;
    r[ColIp] = address;
    r[ColMac] = mac;
    return r;
}

QStringList column(const TerminalTable &table, int c)
{
    QStringList out;
    for (const TerminalTexts &r : table.rows())
        out << r[size_t(c)];
    return out;
}

TerminalTable idTable(const QStringList &ids)
{
    std::vector<TerminalTexts> rows;
    for (int i = 0; i < ids.size(); ++i)
        rows.push_back(row(ids.at(i), QStringLiteral("198.018.000.%1").arg(10 + i, 3, 10, QLatin1Char('0')),
            QStringLiteral("02:00:00:00:00:%1").arg(i + 1, 2, 16, QLatin1Char('0')).toUpper()));
    return TerminalTable(std::move(rows));
}

TerminalTable macTable(const QList<QPair<QString, QString>> &idMacs)
{
    std::vector<TerminalTexts> rows;
    int n = 0;
    for (const auto &[id, mac] : idMacs)
        rows.push_back(row(id, QStringLiteral("198.018.000.%1").arg(10 + n++), mac));
    return TerminalTable(std::move(rows));
}

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

QStringList sl(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *t : list)
        out << s(t);
    return out;
}

QList<QPair<QString, QString>> macRows(std::initializer_list<std::pair<const char *, const char *>> list)
{
    QList<QPair<QString, QString>> out;
    for (const auto &[id, mac] : list)
        out.append({ s(id), s(mac) });
    return out;
}

QStringList capture;
void captureHandler(QtMsgType, const QMessageLogContext &, const QString &message)
{
    capture << message;
}

} // namespace

// Thrown from a pass's callback to stop a pass that runs away.
struct PassDidNotEnd
{
};

class TestNumbering : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void autoId_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("changes"); // "old>new" per packet
        QTest::addColumn<QStringList>("result");

        QTest::newRow("append") << sl({ "001", "002", "002", "005" }) << 0 << sl({ "2>6" })
                                << sl({ "001", "002", "005", "006" });
        QTest::newRow("sequential") << sl({ "001", "002", "002", "005" }) << 10 << sl({ "2>10" })
                                    << sl({ "001", "002", "005", "010" });
        QTest::newRow("sequential collides")
            << sl({ "002", "002", "005" }) << 5 << sl({ "2>5", "5>6" }) << sl({ "002", "005", "006" });
        QTest::newRow("three shared") << sl({ "001", "004", "004", "004", "009" }) << 0 << sl({ "4>10", "4>11" })
                                      << sl({ "001", "004", "009", "010", "011" });
        QTest::newRow("unique only sorts")
            << sl({ "009", "001", "005" }) << 0 << QStringList() << sl({ "001", "005", "009" });
        QTest::newRow("empty") << QStringList() << 0 << QStringList() << QStringList();
        // Before the first sort the list is in the user's order: the row
        // shown last gives the base.
        QTest::newRow("unsorted, shared first row")
            << sl({ "004", "001", "004", "002" }) << 0 << sl({ "4>3" }) << sl({ "001", "002", "003", "004" });
        QTest::newRow("non-numeric start is the append rule")
            << sl({ "003", "003" }) << 0 << sl({ "3>4" }) << sl({ "003", "004" });
        // Four digits sort before three as text; the numerically highest ID
        // keeps the append rule from colliding with 1000 for ever.
        QTest::newRow("four digits") << sl({ "999", "1000", "1000" }) << 0 << sl({ "1000>1001" })
                                     << sl({ "1000", "1001", "999" });
        QTest::newRow("five digits") << sl({ "099", "12345", "12345" }) << 0 << sl({ "12345>12346" })
                                     << sl({ "099", "12345", "12346" });
    }

    void autoId()
    {
        QFETCH(QStringList, ids);
        QFETCH(int, start);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, result);

        TerminalTable table = idTable(ids);
        QStringList sent;
        assignSharedIds(
            table, start, [&](const IdChange &c) { sent << QStringLiteral("%1>%2").arg(c.oldId).arg(c.newId); });
        QCOMPARE(sent, changes);
        QCOMPARE(column(table, ColId), result);
    }

    void autoIdSendsTheRowsMacAndAddress()
    {
        TerminalTable table = idTable({ QStringLiteral("001"), QStringLiteral("002"), QStringLiteral("002") });
        QList<IdChange> sent;
        assignSharedIds(table, 0, [&](const IdChange &c) { sent << c; });
        QCOMPARE(sent.size(), 1);
        // The upper of the two 002 rows (the one met first) is renumbered.
        QCOMPARE(sent[0].mac, QStringLiteral("02:00:00:00:00:02"));
        QCOMPARE(sent[0].address, QStringLiteral("198.018.000.011"));
        QCOMPARE(sent[0].newId, 3);
    }

    void autoIdAlwaysEnds_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<int>("start");
        QTest::newRow("sequential across four digits") << sl({ "999", "999", "1000", "1000", "1001" }) << 999;
        QTest::newRow("append, all shared") << sl({ "1000", "1000", "1000", "999", "999" }) << 0;
        QTest::newRow("sequential, start inside the list") << sl({ "001", "001", "002", "003", "003" }) << 1;
        QTest::newRow("non-numeric IDs") << sl({ "abc", "abc", "abc" }) << 0;
    }

    void autoIdAlwaysEnds()
    {
        QFETCH(QStringList, ids);
        QFETCH(int, start);
        TerminalTable table = idTable(ids);
        int packets = 0;
        try {
            assignSharedIds(table, start, [&](const IdChange &) {
                if (++packets >= 1000)
                    throw PassDidNotEnd {}; // stops the pass; a QVERIFY here would only leave the callback
            });
        } catch (const PassDidNotEnd &) {
            QFAIL("the pass must end");
        }
        const QStringList result = column(table, ColId);
        QVERIFY2(QSet<QString>(result.begin(), result.end()).size() == result.size(),
            qPrintable(result.join(QLatin1Char(' '))));
    }

    void autoIdDebugMessages()
    {
        TerminalTable table
            = idTable({ QStringLiteral("001"), QStringLiteral("002"), QStringLiteral("002"), QStringLiteral("005") });
        capture.clear();
        const auto previous = qInstallMessageHandler(captureHandler);
        assignSharedIds(table, 0, [](const IdChange &) {});
        qInstallMessageHandler(previous);
        // Row 1 is examined twice: once before and once after the renumbering.
        const QStringList expected {
            QStringLiteral("Find= 0 ID= \"001\" Mac= \"02:00:00:00:00:01\""),
            QStringLiteral("Find= 1 ID= \"002\" Mac= \"02:00:00:00:00:02\""),
            QStringLiteral("Find= 1 ID= \"002\" Mac= \"02:00:00:00:00:03\""),
            QStringLiteral("Find= 2 ID= \"005\" Mac= \"02:00:00:00:00:04\""),
            QStringLiteral("Find= 3 ID= \"006\" Mac= \"02:00:00:00:00:02\""),
        };
        QCOMPARE(capture, expected);
    }

    void nextMac_data()
    {
        QTest::addColumn<QString>("highest");
        QTest::addColumn<QString>("next");
        QTest::newRow("plain") << s("02:00:00:00:00:0B") << s("02:00:00:00:00:0C");
        QTest::newRow("FE carries") << s("02:00:00:00:00:FE") << s("02:00:00:00:01:00");
        QTest::newRow("FF carries to 01") << s("02:00:00:00:00:FF") << s("02:00:00:00:01:01");
        QTest::newRow("fifth byte wraps alone") << s("02:00:00:00:FF:FE") << s("02:00:00:00:00:00");
        QTest::newRow("lower case") << s("02:00:00:00:00:0a") << s("02:00:00:00:00:0B");
        QTest::newRow("unreadable is zero") << s("garbage") << s("00:00:00:00:00:01");
        QTest::newRow("partly readable") << s("02:10:zz:00:00:05") << s("02:10:00:00:00:01");
        QTest::newRow("empty") << s("") << s("00:00:00:00:00:01");
    }

    void nextMac()
    {
        QFETCH(QString, highest);
        QFETCH(QString, next);
        QCOMPARE(formatMac(quenzal::nextMac(parseMacText(highest))), next);
    }

    void autoMac_data()
    {
        using L = QList<QPair<QString, QString>>;
        QTest::addColumn<L>("rows");
        QTest::addColumn<QList<int>>("resets");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("macs");

        QTest::newRow("worked example") << macRows(
            { { "001", "02:00:00:00:00:0A" }, { "002", "02:00:00:00:00:0A" }, { "003", "02:00:00:00:00:0B" } })
                                        << QList<int> { 1 } << sl({ "002", "003", "001" })
                                        << sl({ "02:00:00:00:00:0A", "02:00:00:00:00:0B", "02:00:00:00:00:0C" });
        QTest::newRow("three shared, highest")
            << macRows({ { "007", "02:00:00:00:00:FE" }, { "001", "02:00:00:00:00:01" }, { "005", "02:00:00:00:00:FE" },
                   { "006", "02:00:00:00:00:FE" } })
            << QList<int> { 7, 5 } << sl({ "001", "006", "007", "005" })
            << sl({ "02:00:00:00:00:01", "02:00:00:00:00:FE", "02:00:00:00:01:00", "02:00:00:00:01:01" });
        QTest::newRow("unique only sorts")
            << macRows({ { "001", "02:00:00:00:00:09" }, { "002", "02:00:00:00:00:01" } }) << QList<int> {}
            << sl({ "002", "001" }) << sl({ "02:00:00:00:00:01", "02:00:00:00:00:09" });
        QTest::newRow("empty") << L() << QList<int> {} << QStringList() << QStringList();
        // Past the wrap of the fifth byte the step lands below the highest
        // MAC again; the second repair steps on instead of colliding.
        QTest::newRow("wrap") << macRows(
            { { "001", "02:00:00:00:FF:FE" }, { "002", "02:00:00:00:FF:FE" }, { "003", "02:00:00:00:FF:FE" } })
                              << QList<int> { 1, 2 } << sl({ "001", "002", "003" })
                              << sl({ "02:00:00:00:00:00", "02:00:00:00:00:01", "02:00:00:00:FF:FE" });
        QTest::newRow("unreadable highest")
            << macRows({ { "001", "02:00:00:00:00:01" }, { "002", "02:00:00:00:00:01" }, { "003", "02:00:00:00:00:01" },
                   { "004", "zz" } })
            << QList<int> { 1, 2 } << sl({ "001", "002", "003", "004" })
            << sl({ "00:00:00:00:00:01", "00:00:00:00:00:02", "02:00:00:00:00:01", "zz" });
    }

    void autoMac()
    {
        using L = QList<QPair<QString, QString>>;
        QFETCH(L, rows);
        QFETCH(QList<int>, resets);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, macs);

        TerminalTable table = macTable(rows);
        QList<int> sent;
        try {
            repairSharedMacs(table, [&](const MacRepair &r) {
                if (sent.size() >= 100)
                    throw PassDidNotEnd {};
                sent << r.id;
            });
        } catch (const PassDidNotEnd &) {
            QFAIL("the pass must end");
        }
        QCOMPARE(sent, resets);
        QCOMPARE(column(table, ColId), ids);
        QCOMPARE(column(table, ColMac), macs);
    }

    void autoMacDebugMessages()
    {
        TerminalTable table = macTable({ { QStringLiteral("001"), QStringLiteral("02:00:00:00:00:0A") },
            { QStringLiteral("002"), QStringLiteral("02:00:00:00:00:0A") },
            { QStringLiteral("003"), QStringLiteral("02:00:00:00:00:0B") } });
        capture.clear();
        const auto previous = qInstallMessageHandler(captureHandler);
        repairSharedMacs(table, [](const MacRepair &) {});
        qInstallMessageHandler(previous);
        QCOMPARE(capture,
            (QStringList { QStringLiteral("Find[ 0 ]"), QStringLiteral("Find[ 1 ]"), QStringLiteral("Find[ 2 ]") }));
    }

    // The window fills a table from its list in on-screen order, runs the
    // pass on it and writes the table's changes back to the rows they came
    // from, then lets the list sort itself by the pass's column. That must
    // give the table's rows and order, and the changes must be the plan's.
    void passAppliesToTheListItCameFrom_data()
    {
        QTest::addColumn<bool>("macs");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("macTexts"); // empty: one distinct MAC per row
        QTest::addColumn<int>("start");

        QTest::newRow("ids, start 0, sorted") << false << sl({ "001", "002", "002", "005" }) << QStringList() << 0;
        QTest::newRow("ids, start 0, row last on screen")
            << false << sl({ "004", "001", "004", "002" }) << QStringList() << 0;
        QTest::newRow("ids, start 0, last row below the highest")
            << false << sl({ "009", "003", "003", "005" }) << QStringList() << 0;
        QTest::newRow("ids, start above 0") << false << sl({ "002", "002", "005" }) << QStringList() << 5;
        QTest::newRow("ids, start above 0, unsorted")
            << false << sl({ "007", "002", "007", "002", "001" }) << QStringList() << 2;
        QTest::newRow("ids, four digits") << false << sl({ "999", "1000", "1000" }) << QStringList() << 0;
        QTest::newRow("ids, four digits shown last") << false << sl({ "1000", "1000", "999" }) << QStringList() << 0;
        QTest::newRow("ids, none shared") << false << sl({ "009", "001", "005" }) << QStringList() << 0;
        QTest::newRow("macs, worked example")
            << true << sl({ "001", "002", "003" })
            << sl({ "02:00:00:00:00:0A", "02:00:00:00:00:0A", "02:00:00:00:00:0B" }) << 0;
        QTest::newRow("macs, three shared")
            << true << sl({ "007", "001", "005", "006" })
            << sl({ "02:00:00:00:00:FE", "02:00:00:00:00:01", "02:00:00:00:00:FE", "02:00:00:00:00:FE" }) << 0;
        QTest::newRow("macs, wrap") << true << sl({ "001", "002", "003" })
                                    << sl({ "02:00:00:00:FF:FE", "02:00:00:00:FF:FE", "02:00:00:00:FF:FE" }) << 0;
    }

    void passAppliesToTheListItCameFrom()
    {
        QFETCH(bool, macs);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, macTexts);
        QFETCH(int, start);

        std::vector<TerminalTexts> list = idTable(ids).rows();
        for (int i = 0; i < macTexts.size(); ++i)
            list[size_t(i)][ColMac] = macTexts.at(i);
        const int passColumn = macs ? ColMac : ColId;

        TerminalTable table(list);
        QStringList planned; // the new text of each packet's row
        if (macs) {
            for (const MacRepair &r : planSharedMacs(table))
                planned << r.newMac;
        } else {
            for (const IdChange &c : planSharedIds(table, start))
                planned << idText(c.newId);
        }

        // Every origin once.
        std::vector<int> origins;
        for (int i = 0; i < table.count(); ++i)
            origins.push_back(table.origin(i));
        std::sort(origins.begin(), origins.end());
        for (int i = 0; i < int(origins.size()); ++i)
            QCOMPARE(origins[size_t(i)], i);

        // One change per packet, in the pass's column, in the plan's order.
        QStringList changed;
        for (const TerminalTable::CellChange &c : table.changes()) {
            QCOMPARE(c.column, passColumn);
            changed << c.text;
        }
        QCOMPARE(changed, planned);

        // Applied to the rows it was filled from, then sorted as the list
        // sorts: the table's rows, each where the table has it.
        for (const TerminalTable::CellChange &c : table.changes())
            list[size_t(c.origin)][size_t(c.column)] = c.text;
        for (int i = 0; i < table.count(); ++i)
            QVERIFY(table.rows()[size_t(i)] == list[size_t(table.origin(i))]);
        sortTerminalTexts(list, passColumn);
        QVERIFY(list == table.rows());
        const QStringList final = column(table, passColumn);
        QCOMPARE(QSet<QString>(final.begin(), final.end()).size(), final.size());
    }

    // A table kept sorted moves a row whose sort text was rewritten as the
    // window's list (QTreeWidget with sorting on) moves an edited item:
    // to the lower bound of its new text, unless the row before it holds
    // the same text; rows rewritten in another column stay.
    void keepSorted_data()
    {
        QTest::addColumn<QStringList>("ids"); // the table, sorted by ID
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("origins"); // afterwards

        QTest::newRow("moves down") << sl({ "001", "003", "005" }) << true << 0 << int(ColId) << s("004")
                                    << QList<int> { 1, 0, 2 };
        QTest::newRow("moves up before an equal")
            << sl({ "001", "003", "005", "007" }) << true << 3 << int(ColId) << s("003") << QList<int> { 0, 3, 1, 2 };
        QTest::newRow("equal to the row just before: stays")
            << sl({ "001", "003", "005" }) << true << 2 << int(ColId) << s("003") << QList<int> { 0, 1, 2 };
        QTest::newRow("stays after an equal")
            << sl({ "001", "003", "005" }) << true << 2 << int(ColId) << s("003a") << QList<int> { 0, 1, 2 };
        QTest::newRow("equal to the row before: stays")
            << sl({ "001", "003", "005", "007" }) << true << 2 << int(ColId) << s("003") << QList<int> { 0, 1, 2, 3 };
        QTest::newRow("moves down before an equal")
            << sl({ "001", "003", "005" }) << true << 0 << int(ColId) << s("005") << QList<int> { 1, 0, 2 };
        QTest::newRow("descending") << sl({ "005", "003", "001" }) << false << 2 << int(ColId) << s("004")
                                    << QList<int> { 0, 2, 1 };
        QTest::newRow("another column stays")
            << sl({ "001", "003", "005" }) << true << 0 << int(ColMac) << s("FF") << QList<int> { 0, 1, 2 };
    }

    void keepSorted()
    {
        QFETCH(QStringList, ids);
        QFETCH(bool, ascending);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QList<int>, origins);

        TerminalTable table = idTable(ids);
        table.keepSorted(ColId, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        table.setText(row, column, text);
        QList<int> now;
        for (int i = 0; i < table.count(); ++i)
            now << table.origin(i);
        QCOMPARE(now, origins);
        QCOMPARE(table.rows()[size_t(origins.indexOf(row))][size_t(column)], text);
        // Without keepSorted the row stays put.
        TerminalTable plain = idTable(ids);
        plain.setText(row, column, text);
        QCOMPARE(plain.origin(row), row);
    }
};

QTEST_GUILESS_MAIN(TestNumbering)
#include "tst_numbering.moc"
