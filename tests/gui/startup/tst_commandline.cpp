// The window's command line: --help and --version answer and leave, an
// unknown option is a usage error, and no option opens the window.
#include <QtTest>

#include "gui/startup/commandline.h"
#include "gui/startup/language.h"

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

    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("interfaceName");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("outputStart");
        const QString i = QStringLiteral("--interface");
        const QString l = QStringLiteral("--lang");
        QTest::newRow("interface") << QStringList { i, QStringLiteral("eth1") } << 0 << QStringLiteral("eth1")
                                   << QString() << QString();
        QTest::newRow("interface=") << QStringList { QStringLiteral("--interface=wlan0") } << 0
                                    << QStringLiteral("wlan0") << QString() << QString();
        QTest::newRow("interface empty") << QStringList { QStringLiteral("--interface=") } << 2 << QString()
                                         << QString() << QStringLiteral("quenzal: --interface needs");
        QTest::newRow("interface without value") << QStringList { i } << 2 << QString() << QString()
                                                 << QStringLiteral("quenzal: Missing value after '--interface'");
        QTest::newRow("lang en") << QStringList { l, QStringLiteral("en") } << 0 << QString() << QStringLiteral("en")
                                 << QString();
        QTest::newRow("lang ZH") << QStringList { l, QStringLiteral("ZH") } << 0 << QString() << QStringLiteral("zh")
                                 << QString();
        QTest::newRow("lang fr") << QStringList { l, QStringLiteral("fr") } << 2 << QString() << QString()
                                 << QStringLiteral("quenzal: --lang takes en or zh, not 'fr'");
        QTest::newRow("both") << QStringList { l, QStringLiteral("en"), i, QStringLiteral("eth0") } << 0
                              << QStringLiteral("eth0") << QStringLiteral("en") << QString();
    }

    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, interfaceName);
        QFETCH(QString, language);
        QFETCH(QString, outputStart);
        const CommandLine line = quenzal::parseCommandLine(QStringList { QStringLiteral("quenzal") } + args);
        QCOMPARE(line.exitCode, exitCode);
        QCOMPARE(line.action == CommandLine::Action::Run, exitCode == 0);
        QVERIFY2(line.output.startsWith(outputStart), qPrintable(line.output));
        if (exitCode == 0) {
            QCOMPARE(line.interfaceName, interfaceName);
            QCOMPARE(line.language, language);
        }
    }

    void checkInterface()
    {
        const QStringList names { QStringLiteral("eth0"), QStringLiteral("wlan0"), QStringLiteral("wlan0") };
        CommandLine known = quenzal::parseCommandLine(
            { QStringLiteral("quenzal"), QStringLiteral("--interface"), QStringLiteral("wlan0") });
        quenzal::checkInterface(known, names);
        QVERIFY(known.action == CommandLine::Action::Run);

        CommandLine none = quenzal::parseCommandLine({ QStringLiteral("quenzal") });
        quenzal::checkInterface(none, {});
        QVERIFY(none.action == CommandLine::Action::Run);

        CommandLine unknown = quenzal::parseCommandLine(
            { QStringLiteral("quenzal"), QStringLiteral("--interface"), QStringLiteral("eth9") });
        quenzal::checkInterface(unknown, names);
        QVERIFY(unknown.action == CommandLine::Action::Exit);
        QCOMPARE(unknown.exitCode, 2);
        QCOMPARE(unknown.output,
            QStringLiteral("quenzal: no interface 'eth9' with an IPv4 address is up (there are: eth0, wlan0)\n"));
    }

    void language_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("en_US") << QString() << QStringLiteral("en_US") << QStringLiteral("en");
        QTest::newRow("en_GB") << QString() << QStringLiteral("en_GB") << QStringLiteral("en");
        QTest::newRow("zh_CN") << QString() << QStringLiteral("zh_CN") << QStringLiteral("zh");
        QTest::newRow("de_DE") << QString() << QStringLiteral("de_DE") << QStringLiteral("zh");
        QTest::newRow("C") << QString() << QStringLiteral("C") << QStringLiteral("zh");
        QTest::newRow("option wins") << QStringLiteral("zh") << QStringLiteral("en_US") << QStringLiteral("zh");
        QTest::newRow("option en") << QStringLiteral("en") << QStringLiteral("zh_CN") << QStringLiteral("en");
    }

    void language()
    {
        QFETCH(QString, option);
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QCOMPARE(quenzal::chooseLanguage(option, QLocale(locale)), language);
    }

    // The translation is compiled into the program and translates the
    // window's captions; Chinese needs none.
    void translationIsEmbedded()
    {
        QVERIFY(quenzal::installLanguage(*QCoreApplication::instance(), QStringLiteral("zh")));
        QCOMPARE(QCoreApplication::translate("ToolForKX", "扫描设备"), QStringLiteral("扫描设备"));
        QVERIFY(quenzal::installLanguage(*QCoreApplication::instance(), QStringLiteral("en")));
        QCOMPARE(QCoreApplication::translate("ToolForKX", "扫描设备"), QStringLiteral("Scan"));
        QCOMPARE(QCoreApplication::translate("Serverdb", "数据库备份"), QStringLiteral("Back up"));
    }

    // An interface that is not there: a message and exit code 2 before any
    // window or socket exists.
    void programRefusesUnknownInterface()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("QUENZAL_BIN_DIR") + QStringLiteral("/quenzal"),
            { QStringLiteral("--interface"), QStringLiteral("no-such-if0") });
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.startsWith("quenzal: no interface 'no-such-if0' with an IPv4 address is up"), err.constData());
    }

    void helpListsTheOptions()
    {
        const CommandLine line = quenzal::parseCommandLine({ QStringLiteral("quenzal"), QStringLiteral("--help") });
        QVERIFY2(line.output.contains(QStringLiteral("--version")), qPrintable(line.output));
        QVERIFY2(line.output.contains(QStringLiteral("--help")), qPrintable(line.output));
        QVERIFY2(line.output.contains(QStringLiteral("--interface <NAME>")), qPrintable(line.output));
        QVERIFY2(line.output.contains(QStringLiteral("--lang <en|zh>")), qPrintable(line.output));
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
