// "与在线终端核对" in the database window: the dialog's three groups and
// their counts, from the core's reconcile, and the button that opens it.
// The main window's list is given as identities here; no socket is opened.
#include <QtTest>

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "dbfixtures.h"
#include "gui/databasewindow/reconciledialog.h"
#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/usermessage.h"

using namespace quenzal;

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

TerminalIdentity ident(const char *id, const char *ip, const char *mac, const char *name = "")
{
    return TerminalIdentity { u(id), u(ip), u(mac), u(name) };
}

QStringList childTexts(QTreeWidgetItem *group, int column)
{
    QStringList out;
    for (int i = 0; i < group->childCount(); ++i)
        out << group->child(i)->text(column);
    return out;
}

} // namespace

class TestReconcileWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        serverdb::setWarningHandler([](QWidget *, const QString &) {});
    }

    void groupsAndCounts()
    {
        const std::vector<TerminalIdentity> database {
            ident("1", "192.168.1.11", "AA:00:00:00:00:01", "大厅"), // answers as it is
            ident("2", "192.168.1.12", "AA:00:00:00:00:02", "门口"), // silent
            ident("3", "192.168.1.13", "AA:00:00:00:00:03", "走廊"), // answers with ID 9 and a new IP
            ident("4", "192.168.1.14", "AA:00:00:00:00:04", "仓库"), // answers with another MAC (paired by IP)
        };
        const std::vector<TerminalIdentity> live {
            ident("001", "192.168.001.011", "AA:00:00:00:00:01"), ident("009", "192.168.001.023", "aa-00-00-00-00-03"),
            ident("004", "192.168.001.014", "AA:00:00:00:00:44"),
            ident("005", "192.168.001.015", "AA:00:00:00:00:05"), // unknown
            ident("006", "192.168.001.016", "AA:00:00:00:00:06"), // unknown
        };
        ReconcileDialog dialog(nullptr, database, live);
        QCOMPARE(dialog.silentCount(), 1);
        QCOMPARE(dialog.unknownCount(), 2);
        QCOMPARE(dialog.differingCount(), 2);
        QTreeWidget *tree = dialog.tree();
        QCOMPARE(tree->objectName(), u("treeWidget_Reconcile"));
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(0)->text(0), u("数据库中有、未应答的终端：1"));
        QCOMPARE(tree->topLevelItem(1)->text(0), u("已应答、数据库中没有的终端：2"));
        QCOMPARE(tree->topLevelItem(2)->text(0), u("编号、IP 或 MAC 不一致：2"));
        QCOMPARE(childTexts(tree->topLevelItem(0), 3), QStringList { u("门口") });
        QCOMPARE(childTexts(tree->topLevelItem(1), 4), (QStringList { u("005"), u("006") }));
        // One row per pair, naming every field that differs.
        QCOMPARE(childTexts(tree->topLevelItem(2), 3), (QStringList { u("走廊"), u("仓库") }));
        QCOMPARE(childTexts(tree->topLevelItem(2), 7), (QStringList { u("编号, IP"), u("MAC") }));
    }

    void agreementIsThreeEmptyGroups()
    {
        ReconcileDialog dialog(nullptr, { ident("7", "10.0.0.7", "02:00:00:00:00:07") },
            { ident("007", "010.000.000.007", "02:00:00:00:00:07") });
        QCOMPARE(dialog.silentCount() + dialog.unknownCount() + dialog.differingCount(), 0);
    }

    // The button of the database window reads the file in the path field;
    // a window opened without the main window compares with an empty list.
    void buttonOpensTheDialog()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString db = dir.filePath(u("Velmora.db"));
        QVERIFY(fixtures::createOldFormat(db));
        QVERIFY(fixtures::insert(db, "Terminal",
            { { 1, 5, 0, 1, 1, 0, 1, QByteArray("192.168.1.11"), QByteArray("AA:00:00:00:00:01"), u("大厅") },
                { 2, 5, 0, 1, 1, 0, 1, QByteArray("192.168.1.12"), QByteArray("AA:00:00:00:00:02"), u("门口") } }));
        Serverdb window(nullptr);
        auto *button = window.findChild<QPushButton *>(u("but_Reconcile"));
        QVERIFY(button);
        QCOMPARE(button->text(), u("与在线终端核对"));
        window.findChild<QLineEdit *>(u("lineEdit_Serverdb"))->setText(db);
        // The window reads on a worker; its buttons answer once it is idle.
        QVERIFY(QTest::qWaitFor([&] { return !window.busy(); }, 20000));
        button->click();
        QVERIFY(QTest::qWaitFor([&] { return !window.busy(); }, 20000));
        auto *dialog = window.findChild<ReconcileDialog *>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->silentCount(), 2);
        QCOMPARE(dialog->unknownCount(), 0);
        dialog->close();

        // A file that cannot be read gives a message and no dialog.
        QString message;
        serverdb::setWarningHandler([&](QWidget *, const QString &text) { message = text; });
        window.findChild<QLineEdit *>(u("lineEdit_Serverdb"))->setText(dir.filePath(u("missing.db")));
        QVERIFY(!ReconcileDialog::openFor(&window, dir.filePath(u("missing.db"))));
        QVERIFY2(message.startsWith(u("数据库无法读取")), qPrintable(message));
    }
};

QTEST_MAIN(TestReconcileWindow)
#include "tst_reconcile_window.moc"
