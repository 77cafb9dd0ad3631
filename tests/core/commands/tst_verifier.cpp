// The verification's rhythm, as the window and quenzal-cli run it: a query
// at once, another each second without a reply that shows the value, three
// at most; what the terminal showed instead, each text once.
#include <QtTest>

#include "core/commands/verifier.h"

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

// A LAN target: the terminal with ID 021 should show gateway 198.018.000.077.
VerifyTarget gatewayTarget()
{
    ExpectedValue e;
    e.verifiable = true;
    e.column = ColGateway;
    e.text = s("198.018.000.077");
    return verifyTargetFor(true, s("021"), s("02:00:00:00:00:21"), QHostAddress(), e);
}

TerminalTexts reply(const char *id, const char *gateway)
{
    TerminalTexts t;
    t[ColId] = s(id);
    t[ColGateway] = s(gateway);
    return t;
}

// One reply handed in after the query numbered `afterQuery` (1 is the
// first) left, before the next is due: what the driver sees when the
// terminal answers that query.
struct Offer
{
    int afterQuery = 1;
    const char *id = "";
    const char *gateway = "";
};

// The rhythm is the verifier's own timer; a short one keeps the cases quick.
constexpr int TestAttemptMs = 150;

} // namespace

Q_DECLARE_METATYPE(QList<Offer>)

class TestVerifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data()
    {
        QTest::addColumn<QList<Offer>>("offers");
        QTest::addColumn<int>("queries");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QStringList>("seen");

        QTest::newRow("no reply") << QList<Offer> {} << 3 << false << QStringList();
        QTest::newRow("shows at once") << QList<Offer> { { 1, "021", "198.018.000.077" } } << 1 << true
                                       << QStringList();
        QTest::newRow("shows in the second attempt")
            << QList<Offer> { { 2, "021", "198.018.000.077" } } << 2 << true << QStringList();
        QTest::newRow("another terminal does not count")
            << QList<Offer> { { 1, "022", "198.018.000.077" } } << 3 << false << QStringList();
        QTest::newRow("shows something else, each text once") << QList<Offer> {
            { 1, "021", "198.018.000.254" }, { 2, "021", "198.018.000.254" }, { 3, "021", "198.018.000.001" }
        } << 3 << false << QStringList { s("198.018.000.254"), s("198.018.000.001") };
        QTest::newRow("something else, then the value")
            << QList<Offer> { { 1, "021", "198.018.000.254" }, { 3, "021", "198.018.000.077" } } << 3 << true
            << QStringList { s("198.018.000.254") };
    }

    void run()
    {
        QFETCH(QList<Offer>, offers);
        QFETCH(int, queries);
        QFETCH(bool, confirmed);
        QFETCH(QStringList, seen);

        Verifier verifier;
        QCOMPARE(verifier.attemptMs(), VerifyAttemptMs); // the window's and the CLI's second
        verifier.setAttemptMs(TestAttemptMs);
        QList<qint64> queryTimes;
        QElapsedTimer clock;
        QString shown;
        bool ended = false;
        bool ok = false;
        connect(&verifier, &Verifier::queryDue, this, [&] {
            queryTimes << clock.elapsed();
            // The answers to this query come back once it has left.
            for (const Offer &o : offers) {
                if (o.afterQuery == queryTimes.size()) {
                    QTimer::singleShot(0, this, [&verifier, o] {
                        verifier.offer(reply(o.id, o.gateway), QHostAddress(s("198.18.0.2")));
                    });
                }
            }
        });
        connect(&verifier, &Verifier::confirmed, this, [&](const QString &text) {
            ended = true;
            ok = true;
            shown = text;
        });
        connect(&verifier, &Verifier::notConfirmed, this, [&] { ended = true; });
        clock.start();
        verifier.start(gatewayTarget());
        QVERIFY(verifier.active());
        QCOMPARE(queryTimes.size(), 1); // the first query at once
        QTRY_VERIFY_WITH_TIMEOUT(ended, 30 * TestAttemptMs);
        QVERIFY(!verifier.active());
        QCOMPARE(queryTimes.size(), queries);
        QCOMPARE(verifier.attempts(), queries);
        QCOMPARE(ok, confirmed);
        QCOMPARE(verifier.seen(), seen);
        if (confirmed)
            QCOMPARE(shown, s("198.018.000.077"));
        // An interval apart, never sooner (a coarse timer may fire up to 5 %
        // early); a busy machine may make it later.
        for (int i = 1; i < queryTimes.size(); ++i) {
            const qint64 gap = queryTimes[i] - queryTimes[i - 1];
            QVERIFY2(gap >= TestAttemptMs * 94 / 100, qPrintable(QString::number(gap)));
        }
        // Nothing more once it ended, and replies no longer count: its timer
        // is off, and a wait longer than an interval brings no query.
        QCOMPARE(verifier.offer(reply("021", "198.018.000.077"), QHostAddress()), VerifyMatch::Other);
        QTest::qWait(TestAttemptMs * 2);
        QCOMPARE(queryTimes.size(), queries);
    }

    // Starting again forgets the last run: its count, what it saw.
    void startOver()
    {
        Verifier verifier;
        int queries = 0;
        connect(&verifier, &Verifier::queryDue, this, [&] { ++queries; });
        verifier.start(gatewayTarget());
        QCOMPARE(verifier.offer(reply("021", "198.018.000.254"), QHostAddress()), VerifyMatch::Differs);
        QCOMPARE(verifier.seen().size(), 1);
        verifier.start(gatewayTarget());
        QCOMPARE(queries, 2);
        QCOMPARE(verifier.attempts(), 1);
        QVERIFY(verifier.seen().isEmpty());
        QCOMPARE(verifier.offer(reply("021", "198.018.000.077"), QHostAddress()), VerifyMatch::Shows);
        QVERIFY(!verifier.active());
    }
};

QTEST_GUILESS_MAIN(TestVerifier)
#include "tst_verifier.moc"
