// The interface choice against two simulated sites, one on each of two veth
// pairs (run-in-netns.sh --second-pair): a LAN scan lists only the terminals
// behind the chosen interface, and switching lists only the other side's.
#include <QtTest>

#include <QComboBox>
#include <QTreeWidgetItem>

#include "core/discovery/scanrun.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/transport/statusreply.h"
#include "netnsrig.h"
#include "ui_toolforkx.h"

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

const char SideA[] = R"(
[terminal]
id = 1
ip = 198.18.0.2
mac = 02:00:00:00:0A:01
)";

const char SideB[] = R"(
[terminal]
id = 2
ip = 198.19.0.2
mac = 02:00:00:00:0B:02
)";

int comboIndexOf(QComboBox *box, const QString &name)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(name + QStringLiteral(" (")))
            return i;
    }
    return -1;
}

QStringList ids(QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(ColId);
    out.sort();
    return out;
}

} // namespace

class TestInterfaceChoice : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    testrig::Simulator m_a, m_b;
    QString m_ifA, m_ifB;

    // A LAN scan; the IDs listed once the scan is over (the replies have
    // stopped).
    static QStringList scan(ToolForKX &window)
    {
        auto *run = window.findChild<ScanRun *>();
        if (!run)
            return {};
        QSignalSpy over(run, &ScanRun::quiet);
        window.form()->but_Scan->click();
        if (!over.wait(20000))
            return {};
        return ids(window.form()->treeWidget);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns() || qEnvironmentVariableIsEmpty("QZ_NETNS_TERM2"))
            QSKIP("needs tests/netns/run-in-netns.sh --second-pair");
        QLoggingCategory::setFilterRules(QStringLiteral("quenzal.*.debug=false"));
        m_ifA = qEnvironmentVariable("QZ_TOOL_IF");
        m_ifB = qEnvironmentVariable("QZ_TOOL2_IF");
        QVERIFY(m_a.start(m_dir.path(), SideA, s("side-a")));
        QVERIFY(m_b.start(m_dir.path(), SideB, s("side-b"), qEnvironmentVariable("QZ_NETNS_TERM2")));
    }

    void listsEveryInterface()
    {
        ToolForKX window;
        QComboBox *box = window.form()->comboBox_Interface;
        QVERIFY(comboIndexOf(box, m_ifA) >= 0);
        QVERIFY(comboIndexOf(box, m_ifB) >= 0);
        QCOMPARE(box->itemText(comboIndexOf(box, m_ifB)), m_ifB + s(" (198.19.0.1)"));
        // At start the system's choice, the first entry; the fields show the
        // address of the last one.
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(box->currentText(), s("系统选择"));
        QVERIFY(box->itemText(box->count() - 1).endsWith(window.form()->lineEdit_LocalIP->text() + QLatin1Char(')')));
    }

    // The list is read afresh when it opens: an address added meanwhile is
    // there, and the entry shown stays.
    void refreshedWhenOpened()
    {
        ToolForKX window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QComboBox *box = window.form()->comboBox_Interface;
        const QString shown = box->currentText();
        const int before = box->count();
        QCOMPARE(QProcess::execute(s("ip"), { s("addr"), s("add"), s("198.19.9.9/16"), s("dev"), m_ifB }), 0);
        auto cleanup = qScopeGuard([&] {
            QProcess::execute(s("ip"), { s("addr"), s("del"), s("198.19.9.9/16"), s("dev"), m_ifB });
        });
        QCOMPARE(box->count(), before);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(box->count(), before + 1);
        QVERIFY(box->findText(m_ifB + s(" (198.19.9.9)")) >= 0);
        QCOMPARE(box->currentText(), shown);
        box->hidePopup();
    }

    void scanFollowsTheChoice()
    {
        ToolForKX window(m_ifA);
        auto *ui = window.form();
        QCOMPARE(ui->comboBox_Interface->currentIndex(), comboIndexOf(ui->comboBox_Interface, m_ifA));
        QCOMPARE(ui->lineEdit_LocalIP->text(), s("198.18.0.1"));
        QCOMPARE(ui->lineEdit_AllServerAddr->text(), s("198.18.0.1"));
        QCOMPARE(scan(window), QStringList { s("001") });

        // Switching: re-joined on the other side, multicast out of it, and
        // its address in the fields as at start-up.
        const int b = comboIndexOf(ui->comboBox_Interface, m_ifB);
        ui->comboBox_Interface->setCurrentIndex(b);
        Q_EMIT ui->comboBox_Interface->activated(b);
        QCOMPARE(ui->lineEdit_LocalIP->text(), s("198.19.0.1"));
        QCOMPARE(ui->lineEdit_AllServerAddr->text(), s("198.19.0.1"));
        QCOMPARE(ui->lineEdit_ScanIP3->text(), s("0"));
        QCOMPARE(ui->lineEdit_ScanIP7->text(), s("0"));
        QVERIFY2(window.statusText().contains(m_ifB), qPrintable(window.statusText()));
        QCOMPARE(scan(window), QStringList { s("002") });

        // And back.
        const int a = comboIndexOf(ui->comboBox_Interface, m_ifA);
        Q_EMIT ui->comboBox_Interface->activated(a);
        QCOMPARE(scan(window), QStringList { s("001") });
    }
};

QTEST_MAIN(TestInterfaceChoice)
#include "tst_interface_netns.moc"
