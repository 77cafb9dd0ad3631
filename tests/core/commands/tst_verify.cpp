// Verification after send, as the core decides it for the window and for
// quenzal-cli: the column and text that show a command's value, and which
// replies speak for the terminal.
#include <QtTest>

#include "core/commands/verify.h"

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

TerminalTexts reply(const char *id, const char *ip, const char *mac, int column = -1, const char *value = nullptr)
{
    TerminalTexts t;
    t[ColId] = s(id);
    t[ColIp] = s(ip);
    t[ColMac] = s(mac);
    if (column >= 0)
        t[size_t(column)] = s(value);
    return t;
}

} // namespace

class TestVerify : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expected_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("verifiable");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("newAddress");
        using C = TerminalCommand;
        QTest::newRow("id") << int(C::SetId) << QStringList { s("7") } << true << int(ColId) << s("007") << QString();
        QTest::newRow("id not a number") << int(C::SetId) << QStringList { s("abc") } << true << int(ColId) << s("000")
                                         << QString();
        QTest::newRow("id leading zeros")
            << int(C::SetId) << QStringList { s("0012") } << true << int(ColId) << s("012") << QString();
        QTest::newRow("ip") << int(C::Ip) << QStringList { s("198"), s("18"), s("1"), s("30") } << true << int(ColIp)
                            << s("198.018.001.030") << s("198.18.1.30");
        QTest::newRow("ip keeps 8 bits") << int(C::Ip) << QStringList { s("300"), s("18"), s("x"), s("1") } << true
                                         << int(ColIp) << s("044.018.000.001") << s("44.18.0.1");
        QTest::newRow("mask") << int(C::Mask) << QStringList { s("255"), s("255"), s("0"), s("0") } << true
                              << int(ColMask) << s("255.255.000.000") << QString();
        QTest::newRow("gateway") << int(C::Gateway) << QStringList { s("198"), s("18"), s("0"), s("254") } << true
                                 << int(ColGateway) << s("198.018.000.254") << QString();
        QTest::newRow("server") << int(C::ServerIp) << QStringList { s("198"), s("18"), s("0"), s("1") } << true
                                << int(ColServer) << s("198.018.000.001") << QString();
        QTest::newRow("mac") << int(C::Mac) << QStringList { s("2"), s("0"), s("0"), s("0"), s("0"), s("a") } << true
                             << int(ColMac) << s("02:00:00:00:00:0A") << QString();
        QTest::newRow("dhcp on") << int(C::DhcpOn) << QStringList() << true << int(ColDhcp) << s("Yes--") << QString();
        QTest::newRow("dhcp off") << int(C::DhcpOff) << QStringList() << true << int(ColDhcp) << s("---No")
                                  << QString();
        QTest::newRow("volume") << int(C::Volume) << QStringList { s("5") } << false << -1 << QString() << QString();
        QTest::newRow("reboot") << int(C::Reboot) << QStringList() << false << -1 << QString() << QString();
        QTest::newRow("model text") << int(C::ModelText) << QStringList { s("KX") } << false << -1 << QString()
                                    << QString();
    }

    void expected()
    {
        QFETCH(int, command);
        QFETCH(QStringList, fields);
        QFETCH(bool, verifiable);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, newAddress);
        const ExpectedValue e = expectedAfterCommand(TerminalCommand(command), fields);
        QCOMPARE(e.verifiable, verifiable);
        QCOMPARE(e.column, column);
        QCOMPARE(e.text, text);
        QCOMPARE(e.newAddress.isNull() ? QString() : e.newAddress.toString(), newAddress);
    }

    void match_data()
    {
        QTest::addColumn<bool>("lan");
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("replyIndex");
        QTest::addColumn<int>("match");
        // The selected row: ID 005 at 198.18.1.6 with MAC 02:..:01.
        using C = TerminalCommand;
        const QStringList gw { s("198"), s("18"), s("0"), s("9") };
        const QStringList ip { s("198"), s("18"), s("1"), s("30") };
        const QStringList id { s("9") };
        const QStringList mac { s("02"), s("00"), s("00"), s("00"), s("00"), s("0F") };
        // replies (see match()): 0 the terminal with the new gateway, 1 the
        // terminal unchanged, 2 another terminal with the new gateway, 3 the
        // terminal with ID 009, 4 at the new address, 5 with the new MAC
        QTest::newRow("lan shows") << true << int(C::Gateway) << gw << s("198.18.1.6") << 0 << int(VerifyMatch::Shows);
        QTest::newRow("lan differs") << true << int(C::Gateway) << gw << s("198.18.1.6") << 1
                                     << int(VerifyMatch::Differs);
        QTest::newRow("lan other id") << true << int(C::Gateway) << gw << s("198.18.1.7") << 2
                                      << int(VerifyMatch::Other);
        QTest::newRow("lan id change: new id")
            << true << int(C::SetId) << id << s("198.18.1.6") << 3 << int(VerifyMatch::Shows);
        QTest::newRow("lan id change: old id is another terminal")
            << true << int(C::SetId) << id << s("198.18.1.6") << 1 << int(VerifyMatch::Other);
        QTest::newRow("wan shows") << false << int(C::Gateway) << gw << s("198.18.1.6") << 0 << int(VerifyMatch::Shows);
        QTest::newRow("wan other sender")
            << false << int(C::Gateway) << gw << s("198.18.1.7") << 0 << int(VerifyMatch::Other);
        QTest::newRow("wan same sender other mac")
            << false << int(C::Gateway) << gw << s("198.18.1.6") << 2 << int(VerifyMatch::Other);
        QTest::newRow("wan ip change: new address")
            << false << int(C::Ip) << ip << s("198.18.1.30") << 4 << int(VerifyMatch::Shows);
        QTest::newRow("wan ip change: old address")
            << false << int(C::Ip) << ip << s("198.18.1.6") << 1 << int(VerifyMatch::Other);
        QTest::newRow("wan mac change: mac not required")
            << false << int(C::Mac) << mac << s("198.18.1.6") << 5 << int(VerifyMatch::Shows);
    }

    void match()
    {
        QFETCH(bool, lan);
        QFETCH(int, command);
        QFETCH(QStringList, fields);
        QFETCH(QString, from);
        QFETCH(int, replyIndex);
        QFETCH(int, match);
        const TerminalTexts replies[] = {
            reply("005", "198.018.001.006", "02:00:00:00:00:01", ColGateway, "198.018.000.009"),
            reply("005", "198.018.001.006", "02:00:00:00:00:01", ColGateway, "198.018.000.254"),
            reply("006", "198.018.001.007", "02:00:00:00:00:02", ColGateway, "198.018.000.009"),
            reply("009", "198.018.001.006", "02:00:00:00:00:01"),
            reply("005", "198.018.001.030", "02:00:00:00:00:01"),
            reply("005", "198.018.001.006", "02:00:00:00:00:0F"),
        };
        const VerifyTarget target = verifyTargetFor(lan, s("005"), s("02:00:00:00:00:01"),
            QHostAddress(s("198.18.1.6")), expectedAfterCommand(TerminalCommand(command), fields));
        QCOMPARE(int(matchVerifyReply(target, replies[replyIndex], QHostAddress(from))), match);
    }
};

QTEST_GUILESS_MAIN(TestVerify)
#include "tst_verify.moc"
