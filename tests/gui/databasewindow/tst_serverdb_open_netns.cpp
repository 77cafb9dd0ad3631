// The main window's button opens database windows. Constructing the main
// window binds the tool's sockets, so this runs only inside the test
// namespaces.
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/mainwindow/toolforkx.h"
#include "netnsrig.h"
#include "gui/databasewindow/serverdb.h"

class TestServerdbOpen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
    }

    void eachClickOpensOneMoreWindow()
    {
        QTemporaryDir dir; // the default path is relative here: nothing may appear
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QPointer<Serverdb> kept;
        {
            ToolForKX main;
            auto *button = main.findChild<QPushButton *>(QStringLiteral("but_check_serverdb"));
            QVERIFY(button);
            QVERIFY(main.findChildren<Serverdb *>().isEmpty());
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::mouseClick(button, Qt::LeftButton);
            const QList<Serverdb *> windows = main.findChildren<Serverdb *>();
            QCOMPARE(windows.size(), 2);
            for (Serverdb *window : windows) {
                QVERIFY2(window->isVisible() && window->isWindow(), "a top-level window of its own");
                QCOMPARE(window->parentWidget(), &main);
                QCOMPARE(window->findChild<QLineEdit *>(QStringLiteral("lineEdit_Serverdb"))->text(),
                         QStringLiteral("C:/IP-SERVER/Velmora.db"));
            }
            // A closed window is freed at once; the other stays.
            QPointer<Serverdb> closed = windows.first();
            closed->close();
            QTRY_VERIFY(closed.isNull());
            QCOMPARE(main.findChildren<Serverdb *>().size(), 1);
            kept = windows.last();
            QVERIFY(kept->isVisible());
        }
        QVERIFY2(kept.isNull(), "the windows go with the main window");
        QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        QDir::setCurrent(QDir::tempPath());
    }
};

QTEST_MAIN(TestServerdbOpen)
#include "tst_serverdb_open_netns.moc"
