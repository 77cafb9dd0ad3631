// Rules of the command panel for a pressed row.
#include "core/discovery/selection.h"

#include <QTest>

using namespace quenzal;

class TestSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void octets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("padded") << QStringLiteral("192.168.001.010")
                                << QStringList { QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("1"),
                                       QStringLiteral("10") };
        QTest::newRow("plain") << QStringLiteral("10.0.0.1")
                               << QStringList { QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("0"),
                                      QStringLiteral("1") };
        QTest::newRow("trailing text") << QStringLiteral("1.2.3.4x")
                                       << QStringList { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                              QStringLiteral("4") };
        QTest::newRow("three numbers") << QStringLiteral("1.2.3") << QStringList(4, QString());
        QTest::newRow("empty") << QString() << QStringList(4, QString());
        QTest::newRow("words") << QStringLiteral("unknow") << QStringList(4, QString());
        QTest::newRow("mac") << QStringLiteral("02:00:00:00:00:01") << QStringList(4, QString());
    }
    void octets()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QCOMPARE(octetFieldTexts(text), fields);
    }

    void selectedAddress()
    {
        QCOMPARE(selectedAddressBytes(QStringLiteral("192.168.001.010")), QByteArray("192.168.001.010"));
        QCOMPARE(selectedAddressBytes(QString(40, QLatin1Char('1'))).size(), 31);
    }

    void modelField()
    {
        QCOMPARE(modelFieldText(QStringLiteral("KX-100")), QStringLiteral("KX-100"));
        QCOMPARE(modelFieldText(QString::fromUtf8("é")), QString::fromUtf8("é"));
        QCOMPARE(modelFieldText(QString::fromUtf8("型号")), QStringLiteral("??"));
    }

    void highlights_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("amp ON") << QStringLiteral("amp") << QStringLiteral("ON") << 1;
        QTest::newRow("amp OFF") << QStringLiteral("amp") << QStringLiteral("OFF") << 0;
        QTest::newRow("amp ONX prefix") << QStringLiteral("amp") << QStringLiteral("ONX") << 1;
        QTest::newRow("ext 0") << QStringLiteral("ext") << QStringLiteral("0") << 0;
        QTest::newRow("ext 1") << QStringLiteral("ext") << QStringLiteral("1") << 1;
        QTest::newRow("ext 2") << QStringLiteral("ext") << QStringLiteral("2") << 2;
        QTest::newRow("ext 3") << QStringLiteral("ext") << QStringLiteral("3") << -1;
        QTest::newRow("ext text") << QStringLiteral("ext") << QStringLiteral("abc") << 0;
        QTest::newRow("call 1") << QStringLiteral("call") << QStringLiteral("1") << 1;
        QTest::newRow("call 0") << QStringLiteral("call") << QStringLiteral("0") << 0;
        QTest::newRow("call 2") << QStringLiteral("call") << QStringLiteral("2") << -1;
        QTest::newRow("call text") << QStringLiteral("call") << QStringLiteral("x") << 0;
        QTest::newRow("auto Manual") << QStringLiteral("auto") << QStringLiteral("Manual") << 1;
        QTest::newRow("auto Automatic") << QStringLiteral("auto") << QStringLiteral("Automatic") << 0;
        QTest::newRow("dhcp Yes") << QStringLiteral("dhcp") << QStringLiteral("Yes--") << 1;
        QTest::newRow("dhcp No") << QStringLiteral("dhcp") << QStringLiteral("---No") << 0;
        QTest::newRow("lan LAN") << QStringLiteral("lan") << QStringLiteral("LAN---") << 1;
        QTest::newRow("lan WAN") << QStringLiteral("lan") << QStringLiteral("---WAN") << 0;
        QTest::newRow("lan short") << QStringLiteral("lan") << QStringLiteral("LAN") << 0;
    }
    void highlights()
    {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        QFETCH(int, expected);
        int got = -2;
        if (rule == QLatin1String("amp"))
            got = amplifierOnHighlighted(text);
        else if (rule == QLatin1String("ext"))
            got = extAudioHighlight(text);
        else if (rule == QLatin1String("call"))
            got = callModeHighlight(text);
        else if (rule == QLatin1String("auto"))
            got = autoAnswerManualHighlighted(text);
        else if (rule == QLatin1String("dhcp"))
            got = dhcpOnHighlighted(text);
        else if (rule == QLatin1String("lan"))
            got = lanModeHighlighted(text);
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
