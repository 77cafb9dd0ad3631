// The simulator's fleet file.
#include "fleetconfig.h"

#include <QTest>

class TestFleetConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsAndRepeat()
    {
        const sim::FleetConfig c = sim::parseFleetConfig(QStringLiteral(
            "# fleet\nfirmware = 545\nnetmode = wan\n[terminal]\nid = 7\nip = 10.0.0.254\nmac = 02:00:00:00:00:ff\n"
            "repeat = 3\n[terminal]\nid = 7   # duplicate\ntext = KX-100\nfont = 0xAA\n"));
        QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
        QCOMPARE(c.terminals.size(), size_t(4));
        QCOMPARE(c.terminals[0].firmware, quint16(545));
        QCOMPARE(c.terminals[0].netMode, quint8(0xBB));
        QCOMPARE(c.terminals[2].id, quint16(9));
        QCOMPARE(c.terminals[1].ip, (std::array<quint8, 4> { 10, 0, 0, 255 }));
        QCOMPARE(c.terminals[2].ip, (std::array<quint8, 4> { 10, 0, 1, 0 }));
        QCOMPARE(c.terminals[1].mac, (std::array<quint8, 6> { 2, 0, 0, 0, 1, 0 }));
        QCOMPARE(c.terminals[3].id, quint16(7));
        QCOMPARE(c.terminals[3].fontState, quint8(0xAA));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(c.terminals[3].text.data())), QByteArray("KX-100"));
    }

    void errors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown key") << QStringLiteral("[terminal]\ncolour = red\n");
        QTest::newRow("bad address") << QStringLiteral("[terminal]\nip = 1.2.3\n");
        QTest::newRow("id too big") << QStringLiteral("[terminal]\nid = 70000\n");
        QTest::newRow("no equals") << QStringLiteral("[terminal]\nid 7\n");
        QTest::newRow("repeat outside") << QStringLiteral("repeat = 2\n");
        // Many large repeats used to be expanded until memory ran out.
        QTest::newRow("repeat beyond the bound") << QStringLiteral("[terminal]\nrepeat = 100001\n");
        QTest::newRow("repeats adding up beyond the bound")
            << QStringLiteral("[terminal]\nrepeat = 60000\n[terminal]\nrepeat = 40000\n[terminal]\n");
    }
    void largestFleet()
    {
        const sim::FleetConfig c
            = sim::parseFleetConfig(QStringLiteral("[terminal]\nrepeat = 60000\n[terminal]\nrepeat = 40000\n"));
        QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
        QCOMPARE(c.terminals.size(), sim::kMaxFleetTerminals);
    }

    void errors()
    {
        QFETCH(QString, text);
        QVERIFY2(!sim::parseFleetConfig(text).error.isEmpty(), "accepted a broken fleet file");
    }
};

QTEST_GUILESS_MAIN(TestFleetConfig)
#include "tst_fleetconfig.moc"
