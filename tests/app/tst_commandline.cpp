// The window's command line: --help and --version answer and leave, an
// unknown option is a usage error, and no option opens the window.
#include <QtTest>

#include "app/commandline.h"

using quenzal::CommandLine;

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("runs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("outputStart");
        const QString v = QStringLiteral("quenzal " QUENZAL_VERSION "\n");
        const QString usage = QStringLiteral("Usage: quenzal [options]\n");
        QTest::newRow("none") << QStringList() << true << 0 << QString();
        QTest::newRow("--version") << QStringList { QStringLiteral("--version") } << false << 0 << v;
        QTest::newRow("-v") << QStringList { QStringLiteral("-v") } << false << 0 << v;
        QTest::newRow("--help") << QStringList { QStringLiteral("--help") } << false << 0 << usage;
        QTest::newRow("--help-all") << QStringList { QStringLiteral("--help-all") } << false << 0 << usage;
        QTest::newRow("-h") << QStringList { QStringLiteral("-h") } << false << 0 << usage;
        QTest::newRow("help wins over an unknown option")
            << QStringList { QStringLiteral("--bogus"), QStringLiteral("--help") } << false << 0 << usage;
        QTest::newRow("unknown") << QStringList { QStringLiteral("--bogus") } << false << 2
                                 << QStringLiteral("quenzal: Unknown option 'bogus'.");
        QTest::newRow("unknown short") << QStringList { QStringLiteral("-x") } << false << 2
                                       << QStringLiteral("quenzal: Unknown option 'x'.");
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, runs);
        QFETCH(int, exitCode);
        QFETCH(QString, outputStart);
        const CommandLine line = quenzal::parseCommandLine(QStringList { QStringLiteral("/some/path/quenzal") } + args);
        QCOMPARE(line.action == CommandLine::Action::Run, runs);
        QCOMPARE(line.exitCode, exitCode);
        QVERIFY2(line.output.startsWith(outputStart), qPrintable(line.output));
        if (runs)
            QVERIFY(line.output.isEmpty());
    }

    void helpListsTheOptions()
    {
        const CommandLine line
            = quenzal::parseCommandLine({ QStringLiteral("quenzal"), QStringLiteral("--help") });
        QVERIFY2(line.output.contains(QStringLiteral("--version")), qPrintable(line.output));
        QVERIFY2(line.output.contains(QStringLiteral("--help")), qPrintable(line.output));
    }

    // The real program answers without a display and without opening a
    // socket (the application object is never made).
    void programAnswersVersionWithoutDisplay()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("QUENZAL_BIN_DIR") + QStringLiteral("/quenzal"), { QStringLiteral("--version") });
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray("quenzal " QUENZAL_VERSION "\n"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
