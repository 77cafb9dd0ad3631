// What a scan's problems make of a run of quenzal-cli: a query that did not
// leave or replies lost to a full buffer fail it (exit 1), unless losses are
// allowed; a clean scan, also one that nobody answered, succeeds.
#include <QtTest>

#include "cli/cliargs.h"
#include "cli/session.h"

#include <cstdio>
#include <unistd.h> // dup2: stderr caught in a file

using namespace quenzal::cli;

class TestCliScanOutcome : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outcome_data()
    {
        QTest::addColumn<int>("queueDropped");
        QTest::addColumn<int>("systemDropped");
        QTest::addColumn<int>("sendFailures");
        QTest::addColumn<bool>("allowLoss");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QStringList>("stderrParts");
        QTest::newRow("clean") << 0 << 0 << 0 << false << 0 << QStringList();
        QTest::newRow("queue full") << 5 << 0 << 0 << false << 1
                                    << QStringList { QStringLiteral("5 replies were lost: the receive queue was full"),
                                           QStringLiteral("--allow-loss") };
        QTest::newRow("system buffer full")
            << 0 << 7 << 0 << false << 1
            << QStringList { QStringLiteral("7 replies were lost: the system's receive buffer was full") };
        QTest::newRow("losses allowed") << 5 << 7 << 0 << true << 0
                                        << QStringList { QStringLiteral("receive queue"), QStringLiteral("system") };
        QTest::newRow("query not sent") << 0 << 0 << 1 << true << 1
                                        << QStringList { QStringLiteral("1 queries could not be sent (to x: why)") };
    }

    void outcome()
    {
        QFETCH(int, queueDropped);
        QFETCH(int, systemDropped);
        QFETCH(int, sendFailures);
        QFETCH(bool, allowLoss);
        QFETCH(int, exit);
        QFETCH(QStringList, stderrParts);
        ScanResult result;
        result.dropped = quint64(queueDropped);
        result.systemDropped = quint64(systemDropped);
        result.sendFailures = sendFailures;
        result.sendError = QStringLiteral("to x: why");
        ScanOptions options;
        options.allowLoss = allowLoss;

        // stderr of this process, caught in a file for the duration.
        QTemporaryFile caught;
        QVERIFY(caught.open());
        std::fflush(stderr);
        const int saved = dup(2);
        QVERIFY(saved >= 0);
        QVERIFY(dup2(caught.handle(), 2) >= 0);
        reportLosses(result);
        const int code = scanOutcome(result, options);
        std::fflush(stderr);
        dup2(saved, 2);
        ::close(saved);
        caught.seek(0);
        const QString err = QString::fromUtf8(caught.readAll());

        QCOMPARE(code, exit);
        for (const QString &part : stderrParts)
            QVERIFY2(err.contains(part), qPrintable(err));
        if (stderrParts.isEmpty())
            QVERIFY2(err.isEmpty(), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestCliScanOutcome)
#include "tst_cli_scanoutcome.moc"
