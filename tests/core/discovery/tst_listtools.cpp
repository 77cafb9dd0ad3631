// The core of the window's list tools: interface choice entries, the row
// filter, copied rows, the counts of the end-of-scan report, and the row
// numbers the renumbering preview shows.
#include <QtTest>

#include "core/discovery/numbering.h"
#include "core/discovery/terminalexport.h"
#include "core/transport/localaddress.h"

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

TerminalTexts row(const char *id, const char *ip, const char *mac, const char *model = "")
{
    TerminalTexts t;
    t[ColId] = s(id);
    t[ColIp] = s(ip);
    t[ColMac] = s(mac);
    t[ColModelText] = s(model);
    return t;
}

} // namespace

class TestListTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void interfaceChoice_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("empty: the last address") << QString() << 3;
        QTest::newRow("first address of a name") << s("eth0") << 0;
        QTest::newRow("interface with two addresses") << s("wlan0") << 1;
        QTest::newRow("last entry by name") << s("tun0") << 3;
        QTest::newRow("unknown") << s("eth9") << -1;
        QTest::newRow("case matters") << s("ETH0") << -1;
    }

    void interfaceChoice()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        const QList<LocalInterfaceAddress> entries {
            { s("eth0"), QHostAddress(s("192.168.1.20")) },
            { s("wlan0"), QHostAddress(s("10.0.0.5")) },
            { s("wlan0"), QHostAddress(s("10.0.1.5")) },
            { s("tun0"), QHostAddress(s("172.16.0.2")) },
        };
        QCOMPARE(interfaceChoiceIndex(entries, name), index);
        QCOMPARE(interfaceChoiceIndex({}, QString()), -1);
        QCOMPARE(interfaceChoiceText(entries.at(0)), s("eth0 (192.168.1.20)"));
    }

    // The interfaces listed are those of the address list, in its order.
    void interfacesMatchAddresses()
    {
        const QList<QHostAddress> addresses = localIPv4Addresses();
        const QList<LocalInterfaceAddress> entries = localIPv4Interfaces();
        QCOMPARE(entries.size(), addresses.size());
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries.at(i).address, addresses.at(i));
            QVERIFY(!entries.at(i).name.isEmpty());
        }
    }

    void filter_data()
    {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("matches");
        QTest::newRow("empty matches all") << QString() << true;
        QTest::newRow("id") << s("005") << true;
        QTest::newRow("part of ip") << s("1.006") << true;
        QTest::newRow("mac lower case") << s("00:0a") << true;
        QTest::newRow("chinese text") << s("终端") << true;
        QTest::newRow("mixed case latin") << s("kx-") << true;
        QTest::newRow("absent") << s("198.019") << false;
        QTest::newRow("across cells") << s("005198") << false;
        QTest::newRow("end of a cell") << s("0:0a") << true;
        QTest::newRow("false start") << s("0.0066") << false;
        QTest::newRow("longer than any cell") << s("198.018.001.006.0") << false;
    }

    // The filter's quick search for ASCII text answers as full case folding
    // does, and text beyond ASCII still folds fully (the Kelvin sign is a k).
    void filterFoldsAsQString()
    {
        const QStringList cells { s("02:00:0A"), s("ABC-def"), QStringLiteral("\u212A"), s("KX-终端"), QString() };
        const QStringList needles { s("k"), s("0a"), s("aBc-DEF"), s("c-d"), s("终"), s("x-终"), s("02:00:0A:") };
        for (const QString &cell : cells) {
            for (const QString &needle : needles) {
                TerminalTexts texts;
                texts[5] = cell;
                QVERIFY2(rowContainsText(texts, needle) == cell.contains(needle, Qt::CaseInsensitive),
                    qPrintable(cell + QLatin1Char('/') + needle));
            }
        }
    }

    void filter()
    {
        QFETCH(QString, needle);
        QFETCH(bool, matches);
        QCOMPARE(rowContainsText(row("005", "198.018.001.006", "02:00:00:00:00:0A", "KX-终端"), needle), matches);
    }

    void tsv()
    {
        TerminalTexts odd = row("007", "198.018.001.007", "02:00:00:00:00:07", "a\tb\nc");
        const QString text = terminalsToTsv({ row("005", "198.018.001.006", "02:00:00:00:00:0A"), odd });
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3); // two rows and the empty rest after the last line break
        QVERIFY(lines.last().isEmpty());
        const QStringList first = lines.at(0).split(QLatin1Char('\t'));
        QCOMPARE(first.size(), TerminalListColumns);
        QCOMPARE(first.at(ColId), s("005"));
        QCOMPARE(first.at(ColIp), s("198.018.001.006"));
        QCOMPARE(first.at(ColMac), s("02:00:00:00:00:0A"));
        const QStringList second = lines.at(1).split(QLatin1Char('\t'));
        QCOMPARE(second.size(), TerminalListColumns);
        QCOMPARE(second.at(ColModelText), s("a b c"));
        QCOMPARE(terminalsToTsv({}), QString());
    }

    void sharedCounts()
    {
        const SharedCounts c = countShared({
            row("005", "198.018.001.006", "02:00:00:00:00:01"),
            row("005", "198.018.001.007", "02:00:00:00:00:02"),
            row("005", "198.018.001.007", "02:00:00:00:00:03"),
            row("009", "198.018.001.009", "02:00:00:00:00:03"),
            row("010", "198.018.001.010", "02:00:00:00:00:10"),
        });
        QCOMPARE(c.rows, 5);
        QCOMPARE(c.sharedId, 3);
        QCOMPARE(c.sharedIp, 2);
        QCOMPARE(c.sharedMac, 2);
        const SharedCounts none = countShared({});
        QCOMPARE(none.rows + none.sharedId + none.sharedIp + none.sharedMac, 0);
    }

    // The preview shows the row each packet is about: the position the pass
    // finds it at, counted from 0, in the list as it stands at that moment.
    void planRows()
    {
        const std::vector<TerminalTexts> rows {
            row("001", "198.018.001.001", "02:00:00:00:00:01"),
            row("002", "198.018.001.002", "02:00:00:00:00:02"),
            row("002", "198.018.001.003", "02:00:00:00:00:02"),
        };
        const std::vector<IdChange> ids = planSharedIds(rows, 0);
        QCOMPARE(int(ids.size()), 1);
        QCOMPARE(ids[0].row, 1);
        QCOMPARE(ids[0].oldId, 2);
        QCOMPARE(ids[0].newId, 3);
        const std::vector<MacRepair> macs = planSharedMacs(rows);
        QCOMPARE(int(macs.size()), 1);
        QCOMPARE(macs[0].row, 1);
        QCOMPARE(macs[0].newMac, s("02:00:00:00:00:03"));
    }
};

QTEST_GUILESS_MAIN(TestListTools)
#include "tst_listtools.moc"
