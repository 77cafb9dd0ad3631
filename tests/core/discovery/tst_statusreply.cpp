// Decoding of status replies into the texts and flags of a list row.
#include "replybuilder.h"
#include "core/transport/statusreply.h"

#include <QTest>

using namespace quenzal;

class TestStatusReply : public QObject
{
    Q_OBJECT

private:
    static QByteArray reply(int size = 102)
    {
        QByteArray d(size, '\0');
        d[0] = char(0xAA);
        d[1] = char(0xFD);
        return d;
    }

private Q_SLOTS:
    void leadBytes_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("isReply");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("one byte") << QByteArray(1, char(0xAA)) << false;
        QTest::newRow("lead only") << QByteArray::fromHex("aafd") << true;
        QTest::newRow("query kind") << QByteArray::fromHex("aa02f2000000") << false;
        QTest::newRow("wrong lead") << QByteArray::fromHex("abfd") + QByteArray(100, '\0') << false;
        QTest::newRow("wrong kind") << QByteArray::fromHex("aafe") + QByteArray(100, '\0') << false;
        QTest::newRow("full") << reply() << true;
    }
    void leadBytes()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, isReply);
        QCOMPARE(isStatusReply(datagram), isReply);
    }

    // Datagrams written out byte by byte from the reply layout, independent
    // of the simulator's builder, with the row the list must show.
    void hexFixtures_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("every field set")
            << QByteArray::fromHex("aafd00" // lead, kind, unread
                                   "012c" // ID 300
                                   "0a" "03" "01" // volume, type, DHCP on
                                   "0000" "01" "00" // unread, link connected, unread
                                   "0221" // firmware 545
                                   "c0a8010a" "c0a80101" "ffffff00" "c0a80102" // IP, gateway, mask, server
                                   "021a2b3c4d5e" // MAC
                                   "ef000005" // capture address
                                   "0065" "bb" // host 1, WAN mode
                                   "4b582d32303000000000000000000000" // "KX-200", 16 bytes
                                   "07" "14" "3e80" "1f40" "01" "01" "00" // gain, delay, rates, auto, amp, unread
                                   "02" "01" "09" // external audio, mic mode, group
                                   "00000000000000000000000000000000" // 71 to 86
                                   "aa" "03" "00" // font state, boot, unread
                                   "0066" "0067" "0a000001" "0000" // hosts 2 and 3, second server, unread
                                   "00" "0c") // ring closed, maximum volume 12
            << QStringList { QStringLiteral("300"), QStringLiteral("192.168.001.010"), QStringLiteral("255.255.255.000"),
                   QStringLiteral("192.168.001.001"), QStringLiteral("02:1A:2B:3C:4D:5E"),
                   QStringLiteral("192.168.001.002"), QStringLiteral("Yes--"), QStringLiteral("Yes--"),
                   QStringLiteral("10"), QStringLiteral("---WAN"), QStringLiteral("545"), QStringLiteral("3"),
                   QStringLiteral("unknow"), QStringLiteral("ON"), QStringLiteral("101"), QStringLiteral("102"),
                   QStringLiteral("103"), QStringLiteral("KX-200"), QStringLiteral("7"), QStringLiteral("20"),
                   QStringLiteral("16000"), QStringLiteral("8000"), QStringLiteral("Automatic"),
                   QStringLiteral("239.000.000.005"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("9"),
                   QStringLiteral("010.000.000.001"), QStringLiteral("aa"), QStringLiteral("3"),
                   QStringLiteral("CLOSE"), QStringLiteral("12") };
        QTest::newRow("six bytes, the rest counts as zero")
            << QByteArray::fromHex("aafd000007ff")
            << QStringList { QStringLiteral("007"), QStringLiteral("000.000.000.000"), QStringLiteral("000.000.000.000"),
                   QStringLiteral("000.000.000.000"), QStringLiteral("00:00:00:00:00:00"),
                   QStringLiteral("000.000.000.000"), QStringLiteral("---No"), QStringLiteral("---No"),
                   QStringLiteral("255"), QStringLiteral("LAN---"), QStringLiteral("0"), QStringLiteral("0"),
                   QStringLiteral("unknow"), QStringLiteral("OFF"), QStringLiteral("0"), QStringLiteral("0"),
                   QStringLiteral("0"), QString(), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                   QStringLiteral("0"), QStringLiteral("Manual"), QStringLiteral("000.000.000.000"),
                   QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("000.000.000.000"),
                   QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("OPEN"), QStringLiteral("0") };
    }
    void hexFixtures()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QStringList, texts);
        QVERIFY(isStatusReply(datagram));
        const StatusRow row = decodeStatusReply(datagram);
        QCOMPARE(texts.size(), TerminalListColumns);
        for (int c = 0; c < TerminalListColumns; ++c)
            QVERIFY2(row.texts[size_t(c)] == texts[c],
                qPrintable(QStringLiteral("column %1: %2 instead of %3").arg(c).arg(row.texts[size_t(c)], texts[c])));
    }

    void zeroReply()
    {
        const StatusRow row = decodeStatusReply(reply());
        const QStringList expected { QStringLiteral("000"), QStringLiteral("000.000.000.000"),
            QStringLiteral("000.000.000.000"), QStringLiteral("000.000.000.000"), QStringLiteral("00:00:00:00:00:00"),
            QStringLiteral("000.000.000.000"), QStringLiteral("---No"), QStringLiteral("---No"), QStringLiteral("0"),
            QStringLiteral("LAN---"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("unknow"),
            QStringLiteral("OFF"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QString(),
            QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
            QStringLiteral("Manual"), QStringLiteral("000.000.000.000"), QStringLiteral("0"), QStringLiteral("0"),
            QStringLiteral("0"), QStringLiteral("000.000.000.000"), QStringLiteral("0"), QStringLiteral("0"),
            QStringLiteral("OPEN"), QStringLiteral("0") };
        for (int c = 0; c < TerminalListColumns; ++c)
            QVERIFY2(row.texts[size_t(c)] == expected[c],
                qPrintable(QStringLiteral("column %1: %2").arg(c).arg(row.texts[size_t(c)])));
        QVERIFY(!row.wanMode);
        QVERIFY(!row.fontMarked);
    }

    // Every field from a terminal state through the simulator's builder:
    // offsets, byte order and formats in one go.
    void everyField()
    {
        sim::TerminalState t;
        t.id = 0x1234;
        t.volume = 9;
        t.deviceType = 3;
        t.dhcp = 1;
        t.link = 2;
        t.firmware = 0x0221; // 545
        t.ip = { 192, 168, 1, 10 };
        t.gateway = { 192, 168, 1, 254 };
        t.mask = { 255, 255, 255, 0 };
        t.server = { 10, 0, 0, 1 };
        t.mac = { 0x02, 0xAB, 0x0C, 0xDE, 0xF0, 0x01 };
        t.capture = { 10, 0, 0, 7 };
        t.host1 = 300;
        t.netMode = 0xBB;
        const QByteArray model("KX-200");
        std::copy(model.begin(), model.end(), t.text.begin());
        t.gain = 11;
        t.delay = 12;
        t.lanRate = 16000;
        t.wanRate = 8000;
        t.autoAnswer = 1;
        t.amplifier = 1;
        t.extAudio = 2;
        t.micMode = 1;
        t.group = 4;
        t.fontState = 0xAA;
        t.bootState = 5;
        t.host2 = 65535;
        t.host3 = 258;
        t.server2 = { 172, 16, 0, 2 };
        t.ringSwitch = 0;
        t.maxVolume = 14;

        const QByteArray d = sim::buildStatusReply(t);
        QCOMPARE(d.size(), 102);
        QVERIFY(isStatusReply(d));
        const StatusRow row = decodeStatusReply(d);
        const QStringList expected { QStringLiteral("4660"), QStringLiteral("192.168.001.010"),
            QStringLiteral("255.255.255.000"), QStringLiteral("192.168.001.254"), QStringLiteral("02:AB:0C:DE:F0:01"),
            QStringLiteral("010.000.000.001"), QStringLiteral("-Wait-"), QStringLiteral("Yes--"), QStringLiteral("9"),
            QStringLiteral("---WAN"), QStringLiteral("545"), QStringLiteral("3"), QStringLiteral("unknow"),
            QStringLiteral("ON"), QStringLiteral("300"), QStringLiteral("65535"), QStringLiteral("258"),
            QStringLiteral("KX-200"), QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("16000"),
            QStringLiteral("8000"), QStringLiteral("Automatic"), QStringLiteral("010.000.000.007"), QStringLiteral("2"),
            QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("172.016.000.002"), QStringLiteral("aa"),
            QStringLiteral("5"), QStringLiteral("CLOSE"), QStringLiteral("14") };
        for (int c = 0; c < TerminalListColumns; ++c)
            QVERIFY2(row.texts[size_t(c)] == expected[c],
                qPrintable(QStringLiteral("column %1: %2").arg(c).arg(row.texts[size_t(c)])));
        QVERIFY(row.wanMode);
        QVERIFY(row.fontMarked);
    }

    void idText_data()
    {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<QString>("text");
        QTest::newRow("7") << 0 << 7 << QStringLiteral("007");
        QTest::newRow("999") << 3 << 0xE7 << QStringLiteral("999");
        QTest::newRow("1000") << 3 << 0xE8 << QStringLiteral("1000");
        QTest::newRow("0x1234") << 0x12 << 0x34 << QStringLiteral("4660");
        QTest::newRow("max") << 0xFF << 0xFF << QStringLiteral("65535");
    }
    void idText()
    {
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(QString, text);
        QByteArray d = reply();
        d[3] = char(high);
        d[4] = char(low);
        QCOMPARE(decodeStatusReply(d).texts[ColId], text);
    }

    void linkAndFlags_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("link 1") << 10 << 1 << 6 << QStringLiteral("Yes--");
        QTest::newRow("link 2") << 10 << 2 << 6 << QStringLiteral("-Wait-");
        QTest::newRow("link 3") << 10 << 3 << 6 << QStringLiteral("---No");
        QTest::newRow("dhcp 2") << 7 << 2 << 7 << QStringLiteral("---No");
        QTest::newRow("net 0xBA") << 42 << 0xBA << 9 << QStringLiteral("LAN---");
        QTest::newRow("amp 2") << 66 << 2 << 13 << QStringLiteral("OFF");
        QTest::newRow("auto 2") << 65 << 2 << 22 << QStringLiteral("Manual");
        QTest::newRow("font 0x0f") << 87 << 0x0F << 28 << QStringLiteral("f");
        QTest::newRow("font 0x10") << 87 << 0x10 << 28 << QStringLiteral("10");
        QTest::newRow("volume 255") << 5 << 255 << 8 << QStringLiteral("255");
    }
    void linkAndFlags()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(int, column);
        QFETCH(QString, text);
        QByteArray d = reply();
        d[offset] = char(value);
        QCOMPARE(decodeStatusReply(d).texts[size_t(column)], text);
    }

    void ringSwitch_data()
    {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("ring");
        QTest::addColumn<QString>("text");
        QTest::newRow("544 closed") << 544 << 0 << QStringLiteral("OPEN");
        QTest::newRow("544 byte 2") << 544 << 2 << QStringLiteral("OPEN");
        QTest::newRow("545 closed") << 545 << 0 << QStringLiteral("CLOSE");
        QTest::newRow("545 open") << 545 << 1 << QStringLiteral("OPEN");
        QTest::newRow("545 byte 2") << 545 << 2 << QStringLiteral("CLOSE");
        QTest::newRow("0 closed") << 0 << 0 << QStringLiteral("OPEN");
    }
    void ringSwitch()
    {
        QFETCH(int, firmware);
        QFETCH(int, ring);
        QFETCH(QString, text);
        QByteArray d = reply();
        d[12] = char(firmware >> 8);
        d[13] = char(firmware & 0xFF);
        d[100] = char(ring);
        QCOMPARE(decodeStatusReply(d).texts[30], text);
    }

    void maximumVolumeCap_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("14") << 14 << QStringLiteral("14");
        QTest::newRow("15") << 15 << QStringLiteral("15");
        QTest::newRow("16") << 16 << QStringLiteral("15");
        QTest::newRow("200") << 200 << QStringLiteral("15");
    }
    void maximumVolumeCap()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QByteArray d = reply();
        d[101] = char(value);
        QCOMPARE(decodeStatusReply(d).texts[31], text);
    }

    // A text that fills its 16 bytes carries no zero; the byte after it
    // (59, the gain) must not leak into the column.
    void modelTextWithoutZero()
    {
        QByteArray d = reply();
        const QByteArray text("ABCDEFGHIJKLMNOP");
        d.replace(43, 16, text);
        d[59] = 'Q';
        QCOMPARE(decodeStatusReply(d).texts[ColModelText], QStringLiteral("ABCDEFGHIJKLMNOP"));
        d[47] = '\0';
        QCOMPARE(decodeStatusReply(d).texts[ColModelText], QStringLiteral("ABCD"));
    }

    // A short reply is not refused: its missing bytes count as zero.
    void shortReply()
    {
        QByteArray d = reply(16);
        d[3] = 0;
        d[4] = 42;
        d[12] = char(0x02);
        d[13] = char(0x21);
        d[14] = char(10); // first IP octet; the rest is beyond the end
        const StatusRow row = decodeStatusReply(d);
        QCOMPARE(row.texts[0], QStringLiteral("042"));
        QCOMPARE(row.texts[1], QStringLiteral("010.000.000.000"));
        QCOMPARE(row.texts[10], QStringLiteral("545"));
        QCOMPARE(row.texts[30], QStringLiteral("CLOSE"));
        QCOMPARE(row.texts[4], QStringLiteral("00:00:00:00:00:00"));

        const StatusRow bare = decodeStatusReply(QByteArray::fromHex("aafd"));
        QCOMPARE(bare.texts[0], QStringLiteral("000"));
        QCOMPARE(bare.texts[31], QStringLiteral("0"));
    }

    // Bytes past 101 are never read: a long datagram decodes as its head.
    void longReply()
    {
        QByteArray d = reply();
        d[101] = 3;
        QByteArray longer = d + QByteArray(2000, char(0xFF));
        QCOMPARE(decodeStatusReply(longer).texts, decodeStatusReply(d).texts);
    }

    void negativeIdText()
    {
        QCOMPARE(quenzal::idText(-5), QStringLiteral("-05"));
        QCOMPARE(quenzal::idText(12345), QStringLiteral("12345"));
    }
};

QTEST_GUILESS_MAIN(TestStatusReply)
#include "tst_statusreply.moc"
