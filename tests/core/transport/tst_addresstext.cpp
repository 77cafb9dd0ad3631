// The one reading of addresses, ranges and MACs that the window, the
// command-line tool and the reconcile matching share.
#include "core/discovery/reconcile.h"
#include "core/discovery/scanrange.h"
#include "core/transport/addresstext.h"

#include <QTest>

using namespace quenzal;

class TestAddressText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address"); // empty: refused
        QTest::newRow("plain") << QStringLiteral("198.18.1.30") << QStringLiteral("198.18.1.30");
        QTest::newRow("zero-padded") << QStringLiteral("192.168.001.010") << QStringLiteral("192.168.1.10");
        QTest::newRow("any") << QStringLiteral("0.0.0.0") << QStringLiteral("0.0.0.0");
        QTest::newRow("octet above 255") << QStringLiteral("10.0.0.256") << QString();
        QTest::newRow("four digits") << QStringLiteral("10.0.0.0010") << QString();
        QTest::newRow("three parts") << QStringLiteral("10.0.1") << QString();
        QTest::newRow("five parts") << QStringLiteral("10.0.0.1.2") << QString();
        QTest::newRow("empty part") << QStringLiteral("10..0.1") << QString();
        QTest::newRow("blank") << QStringLiteral(" 10.0.0.1") << QString();
        QTest::newRow("sign") << QStringLiteral("+10.0.0.1") << QString();
        QTest::newRow("Arabic-Indic digit") << QStringLiteral("10.0.0.\u0661") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        const QHostAddress a = parseAddressText(text);
        QCOMPARE(a.isNull() ? QString() : a.toString(), address);
        quint8 octets[4] = { 7, 7, 7, 7 };
        QCOMPARE(parseAddressOctets(text, octets), !address.isEmpty());
        if (!address.isEmpty())
            QCOMPARE(QStringLiteral("%1.%2.%3.%4").arg(octets[0]).arg(octets[1]).arg(octets[2]).arg(octets[3]),
                address);
    }

    void macs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed"); // parseMacPairs; empty: refused
        QTest::addColumn<QString>("identity"); // the reconcile matching; empty: refused
        QTest::newRow("colons") << QStringLiteral("02:00:00:00:00:0a") << QStringLiteral("02:00:00:00:00:0A")
                                << QStringLiteral("02:00:00:00:00:0A");
        QTest::newRow("dashes") << QStringLiteral("02-00-00-00-00-0A") << QStringLiteral("02:00:00:00:00:0A")
                                << QStringLiteral("02:00:00:00:00:0A");
        QTest::newRow("bare") << QStringLiteral("02000000000A") << QString() << QStringLiteral("02:00:00:00:00:0A");
        QTest::newRow("blanks around") << QStringLiteral(" 02:00:00:00:00:0A ") << QString()
                                       << QStringLiteral("02:00:00:00:00:0A");
        QTest::newRow("mixed separators") << QStringLiteral("02-00:00:00:00:0A") << QString() << QString();
        QTest::newRow("five pairs") << QStringLiteral("02:00:00:00:0A") << QString() << QString();
        QTest::newRow("trailing separator") << QStringLiteral("02:00:00:00:00:0A:") << QString() << QString();
        QTest::newRow("single digit") << QStringLiteral("2:00:00:00:00:0A") << QString() << QString();
        QTest::newRow("not hex") << QStringLiteral("02:00:00:00:00:0G") << QString() << QString();
    }
    void macs()
    {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QString, identity);
        const std::optional<Mac> mac = parseMacPairs(text);
        QCOMPARE(mac ? formatMac(*mac) : QString(), typed);
        QCOMPARE(identityMac(text).value_or(QString()), identity);
    }

    // A list cell is read field by field; what does not parse is 0.
    void macCells()
    {
        QCOMPARE(formatMac(parseMacText(QStringLiteral("02:00:00:00:00:0A"))), QStringLiteral("02:00:00:00:00:0A"));
        QCOMPARE(formatMac(parseMacText(QStringLiteral("02:1"))), QStringLiteral("02:01:00:00:00:00"));
        QCOMPARE(formatMac(parseMacText(QString())), QStringLiteral("00:00:00:00:00:00"));
    }

    void ranges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count"); // 0: refused
        QTest::addColumn<QString>("why");
        QTest::newRow("one") << QStringLiteral("198.18.1.6-198.18.1.6") << 1 << QString();
        QTest::newRow("twenty") << QStringLiteral("198.18.1.1-198.18.1.20") << 20 << QString();
        QTest::newRow("end before start") << QStringLiteral("198.18.1.20-198.18.1.1") << 0
                                          << QStringLiteral("the end lies before the start");
        QTest::newRow("other /16") << QStringLiteral("198.18.1.1-198.19.1.1") << 0
                                   << QStringLiteral("a range stays within the first two octets of its start");
        QTest::newRow("one address") << QStringLiteral("198.18.1.1") << 0
                                     << QStringLiteral("expected FROM-TO, two dotted addresses");
        QTest::newRow("bad end") << QStringLiteral("198.18.1.1-198.18.1.300") << 0
                                 << QStringLiteral("expected FROM-TO, two dotted addresses");
    }
    void ranges()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QString, why);
        ScanFields fields;
        fields.s1 = 99;
        int n = -1;
        QString reason;
        QCOMPARE(parseScanRangeText(text, &fields, &n, &reason), count > 0);
        QCOMPARE(reason, why);
        if (count > 0) {
            QCOMPARE(n, count);
            QCOMPARE(int(fields.s1), 198);
        } else {
            QCOMPARE(n, -1); // a refused range leaves the caller's values alone
            QCOMPARE(int(fields.s1), 99);
        }
    }
};

QTEST_GUILESS_MAIN(TestAddressText)
#include "tst_addresstext.moc"
