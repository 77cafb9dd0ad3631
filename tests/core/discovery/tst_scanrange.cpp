// Address arithmetic of the WAN scan.
#include "core/discovery/scanrange.h"

#include <QTest>

using namespace quenzal;

class TestScanRange : public QObject
{
    Q_OBJECT

private:
    static QList<QByteArray> addresses(const ScanFields &f)
    {
        QList<QByteArray> out;
        for (int k = 0; k < scanAddressCount(f); ++k)
            out << scanStepAddress(f, k);
        return out;
    }

private Q_SLOTS:
    void defaultRange()
    {
        const ScanFields f { 192, 168, 1, 1, 192, 168, 1, 255 };
        QCOMPARE(scanAddressCount(f), 255);
        QCOMPARE(scanProgressMaximum(255), 253);
        const QList<QByteArray> a = addresses(f);
        QCOMPARE(a.first(), QByteArray("192.168.1.1"));
        QCOMPARE(a.at(253), QByteArray("192.168.1.254"));
        QCOMPARE(a.last(), QByteArray("192.168.2.0"));
        QVERIFY2(!a.contains("192.168.1.255"), "octet 4 never takes 255");
    }

    void acrossOctet3()
    {
        const ScanFields f { 10, 0, 1, 250, 0, 0, 2, 5 };
        QCOMPARE(scanAddressCount(f), 11);
        QCOMPARE(addresses(f),
            (QList<QByteArray> { "10.0.1.250", "10.0.1.251", "10.0.1.252", "10.0.1.253", "10.0.1.254", "10.0.2.0",
                "10.0.2.1", "10.0.2.2", "10.0.2.3", "10.0.2.4", "10.0.2.5" }));
    }

    void startEqualsEnd()
    {
        const ScanFields f { 192, 168, 3, 7, 192, 168, 3, 7 };
        QCOMPARE(scanAddressCount(f), 1);
        QCOMPARE(scanProgressMaximum(1), -1);
        QCOMPARE(addresses(f), QList<QByteArray> { "192.168.3.7" });
    }

    void endBeforeStart_data()
    {
        QTest::addColumn<int>("e3");
        QTest::addColumn<int>("e4");
        QTest::addColumn<int>("count");
        QTest::newRow("one before") << 3 << 6 << 0;
        QTest::newRow("octet 3 lower") << 2 << 200 << -61;
    }
    void endBeforeStart()
    {
        QFETCH(int, e3);
        QFETCH(int, e4);
        QFETCH(int, count);
        const ScanFields f { 192, 168, 3, 7, 192, 168, e3, e4 };
        QCOMPARE(scanAddressCount(f), count);
        QVERIFY(addresses(f).isEmpty());
    }

    // Fields are not checked: the text is what the arithmetic gives, and it
    // does not parse when sent.
    void octetsOutOfRange()
    {
        const ScanFields f { 192, 168, 300, 1, 0, 0, 300, 2 };
        QCOMPARE(scanStepAddress(f, 0), QByteArray("192.168.300.1"));
        const ScanFields negative { -1, 168, 1, 1, 0, 0, 1, 1 };
        QCOMPARE(scanStepAddress(negative, 0), QByteArray("-1.168.1.1"));
        const ScanFields big { 1, 2, 3, 1000, 0, 0, 3, 1000 };
        QCOMPARE(scanStepAddress(big, 0), QByteArray("1.2.6.235"));
    }

    // Only octets 3 and 4 of the end address count.
    void endOctets1And2Ignored()
    {
        const ScanFields a { 192, 168, 1, 1, 10, 20, 1, 3 };
        const ScanFields b { 192, 168, 1, 1, 192, 168, 1, 3 };
        QCOMPARE(addresses(a), addresses(b));
    }

    void absurdFieldsDoNotOverflow()
    {
        const ScanFields f { 0, 0, INT_MIN, INT_MIN, 0, 0, INT_MAX, INT_MAX };
        QCOMPARE(scanAddressCount(f), INT_MAX);
        QVERIFY(!scanStepAddress(f, 5).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestScanRange)
#include "tst_scanrange.moc"
