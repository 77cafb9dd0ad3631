// One scan's run, as the window and quenzal-cli drive it: the queries and
// their pace, the replies counted, and the end of the replies counted in
// the driver's ticks (the window) or in milliseconds (quenzal-cli).
#include <QtTest>

#include "core/discovery/scanrun.h"

using namespace quenzal;

namespace {

ScanFields range(int s4, int e3, int e4)
{
    ScanFields f;
    f.s1 = 198;
    f.s2 = 18;
    f.s3 = 7;
    f.s4 = s4;
    f.e3 = e3;
    f.e4 = e4;
    return f;
}

// What a run told its driver, as one line per signal.
struct Recorder
{
    QStringList events;
    explicit Recorder(ScanRun &run)
    {
        QObject::connect(&run, &ScanRun::lanQueryDue, [this] { events << QStringLiteral("lan"); });
        QObject::connect(&run, &ScanRun::wanQueryDue,
            [this](const QByteArray &a) { events << QStringLiteral("wan ") + QString::fromLatin1(a); });
        QObject::connect(&run, &ScanRun::sendingFinished,
            [this](bool stopped) { events << (stopped ? QStringLiteral("stopped") : QStringLiteral("sent")); });
        QObject::connect(&run, &ScanRun::quiet,
            [this](bool stopped) { events << (stopped ? QStringLiteral("quiet, stopped") : QStringLiteral("quiet")); });
    }
    bool has(const QString &e) const { return events.contains(e); }
};

} // namespace

class TestScanRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The window's ticks: a step of 'd' is a datagram, 't' a tick; the
    // summary comes on the tick that finds the countdown at 0.
    void ticks_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("quietAfter"); // ticks of `steps` when quiet came, -1: not yet

        QTest::newRow("lan: five ticks") << false << QStringLiteral("ttttt") << 5;
        QTest::newRow("lan: a datagram restarts at three") << false << QStringLiteral("ttdtttt") << 6;
        QTest::newRow("lan: datagrams keep it waiting") << false << QStringLiteral("tdtdtdtdtd") << -1;
        QTest::newRow("wan: four ticks after the last query") << true << QStringLiteral("tttt") << 4;
        QTest::newRow("wan: a datagram restarts") << true << QStringLiteral("tttdtttt") << 7;
    }

    void ticks()
    {
        QFETCH(bool, wan);
        QFETCH(QString, steps);
        QFETCH(int, quietAfter);

        ScanRun run;
        run.setQuietTicks(4, 3);
        Recorder rec(run);
        if (wan) {
            run.startWan(2, [] { return range(250, 7, 251); });
            // Ticks and datagrams while it steps do not count.
            run.tick();
            run.datagramsArrived();
            QTRY_VERIFY_WITH_TIMEOUT(!run.stepping(), 1000);
            QCOMPARE(rec.events,
                (QStringList {
                    QStringLiteral("wan 198.18.7.250"), QStringLiteral("wan 198.18.7.251"), QStringLiteral("sent") }));
        } else {
            run.startLan();
            QCOMPARE(rec.events, QStringList { QStringLiteral("lan") });
        }
        QVERIFY(run.waiting());
        int ticks = 0;
        int quietAt = -1;
        for (const QChar c : steps) {
            if (c == QLatin1Char('d')) {
                run.datagramsArrived();
                continue;
            }
            run.tick();
            ++ticks;
            if (quietAt < 0 && rec.has(QStringLiteral("quiet")))
                quietAt = ticks;
        }
        QCOMPARE(quietAt, quietAfter);
        QCOMPARE(rec.events.count(QStringLiteral("quiet")), quietAfter < 0 ? 0 : 1);
        QCOMPARE(run.waiting(), quietAfter < 0);
    }

    // Addresses in base 255 across an octet-3 step, one per 5 ms, the
    // range read at every step; an empty range sends nothing.
    void wanSteps_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("addresses");
        QTest::newRow("across octet 3") << 3
                                        << QStringList { QStringLiteral("198.18.7.253"), QStringLiteral("198.18.7.254"),
                                               QStringLiteral("198.18.8.0") };
        QTest::newRow("empty") << 0 << QStringList();
        QTest::newRow("end before start") << -4 << QStringList();
    }

    void wanSteps()
    {
        QFETCH(int, count);
        QFETCH(QStringList, addresses);
        ScanRun run;
        run.setQuietTicks(4, 3);
        Recorder rec(run);
        QElapsedTimer clock;
        clock.start();
        int reads = 0;
        run.startWan(count, [&reads] {
            ++reads;
            return range(253, 8, 0);
        });
        QVERIFY(run.stepping());
        QTRY_VERIFY_WITH_TIMEOUT(!run.stepping(), 2000);
        QStringList expected;
        for (const QString &a : addresses)
            expected << QStringLiteral("wan ") + a;
        expected << QStringLiteral("sent");
        QCOMPARE(rec.events, expected);
        QCOMPARE(reads, int(addresses.size()));
        QCOMPARE(run.done(), int(addresses.size()));
        // The first step comes after one interval, the end one step after the last query.
        QVERIFY(clock.elapsed() >= qint64(ScanRun::StepMs) * (addresses.size() + 1) - 2);
        if (!addresses.isEmpty())
            QCOMPARE(QString::fromLatin1(run.address()), addresses.last());
    }

    // The stop button: no further query, the replies still waited for.
    void stop()
    {
        ScanRun run;
        run.setQuietTicks(4, 3);
        Recorder rec(run);
        run.startWan(100000, [] { return range(0, 7, 254); });
        QTRY_VERIFY_WITH_TIMEOUT(run.done() >= 2, 2000);
        run.stop();
        const int done = run.done();
        QVERIFY(!run.stepping());
        QVERIFY(run.stopped());
        QCOMPARE(rec.events.last(), QStringLiteral("stopped"));
        QTest::qWait(30);
        QCOMPARE(run.done(), done);
        for (int i = 0; i < 4; ++i)
            run.tick();
        QCOMPARE(rec.events.last(), QStringLiteral("quiet, stopped"));
        // A stop when nothing steps says nothing.
        const int events = int(rec.events.size());
        run.stop();
        QCOMPARE(int(rec.events.size()), events);
    }

    // A LAN scan begun while a WAN scan steps: the steps go on and the
    // wait does not count until they end.
    void lanDuringWan()
    {
        ScanRun run;
        run.setQuietTicks(4, 3);
        Recorder rec(run);
        run.startWan(6, [] { return range(0, 7, 254); });
        run.startLan();
        for (int i = 0; i < 6; ++i)
            run.tick();
        QVERIFY(!rec.has(QStringLiteral("quiet")));
        QTRY_VERIFY_WITH_TIMEOUT(rec.has(QStringLiteral("sent")), 2000);
        QCOMPARE(rec.events.count(QStringLiteral("lan")), 1);
        QCOMPARE(run.done(), 6);
        for (int i = 0; i < 4; ++i)
            run.tick();
        QVERIFY(rec.has(QStringLiteral("quiet")));
    }

    // quenzal-cli's wait: `ms` after the last datagram, counted from the
    // query (LAN) or the end of the steps (WAN).
    void milliseconds()
    {
        constexpr int QuietMs = 500;
        ScanRun run;
        run.setQuietMs(QuietMs);
        Recorder rec(run);
        run.startLan();
        QTest::qWait(QuietMs / 10);
        QVERIFY2(!rec.has(QStringLiteral("quiet")), "the wait runs from the query");
        // A datagram starts the wait again: the end comes no sooner than
        // `ms` after it (a coarse timer may fire up to 5 % early).
        QElapsedTimer sinceDatagram;
        sinceDatagram.start();
        run.datagramsArrived();
        QTRY_VERIFY_WITH_TIMEOUT(rec.has(QStringLiteral("quiet")), 10 * QuietMs);
        QVERIFY2(sinceDatagram.elapsed() >= QuietMs * 95 / 100, qPrintable(QString::number(sinceDatagram.elapsed())));
        QCOMPARE(rec.events, (QStringList { QStringLiteral("lan"), QStringLiteral("quiet") }));
        // Once over, datagrams start nothing and ticks count for nothing:
        // no end comes within longer than a wait.
        run.datagramsArrived();
        run.tick();
        QTest::qWait(QuietMs * 4 / 3);
        QCOMPARE(rec.events.size(), 2);
    }

    // Replies are counted from the start of each scan.
    void replies()
    {
        ScanRun run;
        run.setQuietMs(10);
        run.countReplies(3);
        QCOMPARE(run.replies(), 3);
        run.startLan();
        QCOMPARE(run.replies(), 0);
        run.countReplies(2);
        run.countReplies(5);
        QCOMPARE(run.replies(), 7);
        run.startWan(0, [] { return ScanFields(); });
        QCOMPARE(run.replies(), 0);
    }
};

QTEST_GUILESS_MAIN(TestScanRun)
#include "tst_scanrun.moc"
