// The packet buffers, the ID pair and address texts: the byte-level ground
// every command stands on.
#include <QtTest>

#include "core/transport/packets.h"

using namespace quenzal;

class TestPackets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idPair_data()
    {
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("0") << 0 << 1 << 1;
        QTest::newRow("1") << 1 << 1 << 2;
        QTest::newRow("107") << 107 << 1 << 108;
        QTest::newRow("254") << 254 << 1 << 255;
        QTest::newRow("255 wraps the low byte") << 255 << 1 << 0;
        QTest::newRow("256") << 256 << 2 << 1;
        QTest::newRow("1000") << 1000 << 4 << 233;
        QTest::newRow("44100") << 44100 << 173 << 69;
        QTest::newRow("65280 high byte wraps") << 65280 << 0 << 1;
        // C division truncates toward zero: -1 / 256 = 0, -1 % 256 = -1.
        QTest::newRow("-1") << -1 << 1 << 0;
        QTest::newRow("-256") << -256 << 0 << 1;
        QTest::newRow("-257") << -257 << 0 << 0;
    }
    void idPair()
    {
        QFETCH(int, v);
        QFETCH(int, high);
        QFETCH(int, low);
        const IdPair p = quenzal::idPair(v);
        QCOMPARE(int(p.high), high);
        QCOMPARE(int(p.low), low);
    }

    void singlePacketStartsZeroWithFixedBytes()
    {
        SingleTerminalPacket packet;
        QCOMPARE(packet.bytes(), QByteArray(32, '\0'));
        packet.writeStartupBytes();
        QByteArray expected(32, '\0');
        expected[0] = char(0xAA);
        expected[1] = char(0x01);
        expected[2] = char(0xF2);
        expected[15] = char(0xDD);
        expected[31] = char(0xDD);
        QCOMPARE(packet.bytes(), expected);
    }

    void singlePacketKeepsWhatEarlierWritesLeft()
    {
        SingleTerminalPacket packet;
        packet.writeStartupBytes();
        for (int i = 6; i <= 14; ++i)
            packet[i] = quint8(0x40 + i);
        packet.setIdPair(3, 5);
        packet[5] = 177;
        packet[6] = 1;
        const QByteArray b = packet.bytes();
        QCOMPARE(b.size(), 32);
        QCOMPARE(b.left(7), QByteArray::fromHex("aa01f20106b101"));
        QCOMPARE(quint8(b[7]), quint8(0x47));
        QCOMPARE(quint8(b[14]), quint8(0x4E));
        QCOMPARE(quint8(b[15]), quint8(0xDD));
        QCOMPARE(quint8(b[31]), quint8(0xDD));
        QCOMPARE(packet.bytes(6), b.left(6));
    }

    void allPacketLengthIsLittleEndian_data()
    {
        QTest::addColumn<quint32>("length");
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("7") << 7u << QByteArray::fromHex("07000000");
        QTest::newRow("59") << 59u << QByteArray::fromHex("3b000000");
        QTest::newRow("0x01020304") << 0x01020304u << QByteArray::fromHex("04030201");
    }
    void allPacketLengthIsLittleEndian()
    {
        QFETCH(quint32, length);
        QFETCH(QByteArray, head);
        AllTerminalsPacket packet;
        packet[4] = 0x55;
        packet.setLength(length);
        QCOMPARE(packet.bytes(4), head);
        QCOMPARE(packet.length(), length);
        QCOMPARE(int(packet[4]), 0x55);
        QCOMPARE(packet.bytes().size(), 64);
    }

    void textFields_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("empty") << QByteArray() << QByteArray(5, '\0');
        QTest::newRow("short is zero-filled") << QByteArray("AB") << QByteArray("AB\0\0\0", 5);
        QTest::newRow("exact has no terminator") << QByteArray("ABCDE") << QByteArray("ABCDE");
        QTest::newRow("long is cut") << QByteArray("ABCDEFG") << QByteArray("ABCDE");
    }
    void textFields()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, field);
        quint8 buffer[7];
        std::memset(buffer, 0x77, sizeof buffer);
        copyTextField(buffer + 1, 5, text);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer + 1), 5), field);
        QCOMPARE(int(buffer[0]), 0x77);
        QCOMPARE(int(buffer[6]), 0x77);
    }

    void fieldNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QStringLiteral("107") << 107;
        QTest::newRow("zero-padded is decimal") << QStringLiteral("007") << 7;
        QTest::newRow("08 is not octal") << QStringLiteral("08") << 8;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("letters") << QStringLiteral("abc") << 0;
        QTest::newRow("negative") << QStringLiteral("-1") << -1;
        QTest::newRow("hex is no number") << QStringLiteral("0x10") << 0;
    }
    void fieldNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(fieldNumber(text), value);
    }

    void addressTexts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("address"); // empty: invalid
        QTest::newRow("plain") << QByteArray("192.168.1.10") << QStringLiteral("192.168.1.10");
        QTest::newRow("zero-padded") << QByteArray("192.168.001.010") << QStringLiteral("192.168.1.10");
        QTest::newRow("008 is decimal") << QByteArray("010.008.009.000") << QStringLiteral("10.8.9.0");
        QTest::newRow("multicast") << QByteArray("239.0.0.2") << QStringLiteral("239.0.0.2");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("octet 300") << QByteArray("192.168.300.1") << QString();
        QTest::newRow("negative") << QByteArray("192.168.-1.1") << QString();
        QTest::newRow("three parts") << QByteArray("192.168.1") << QString();
        QTest::newRow("five parts") << QByteArray("1.2.3.4.5") << QString();
        QTest::newRow("empty part") << QByteArray("1..3.4") << QString();
        QTest::newRow("trailing dot") << QByteArray("1.2.3.4.") << QString();
        QTest::newRow("four digits") << QByteArray("1.2.3.0004") << QString();
        QTest::newRow("blank") << QByteArray("1.2.3.4 ") << QString();
        QTest::newRow("host name") << QByteArray("localhost") << QString();
    }
    void addressTexts()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, address);
        const QHostAddress parsed = parseAddressText(text);
        if (address.isEmpty()) {
            QVERIFY2(parsed.isNull(), qPrintable(parsed.toString()));
        } else {
            QCOMPARE(parsed, QHostAddress(address));
            QCOMPARE(parseAddressText(QString::fromLatin1(text)), QHostAddress(address));
        }
    }
};

QTEST_GUILESS_MAIN(TestPackets)
#include "tst_packets.moc"
