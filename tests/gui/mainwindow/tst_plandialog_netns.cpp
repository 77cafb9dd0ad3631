// The window's "按计划配置…" end to end, against the terminal simulator inside
// the namespace rig: a factory-fresh site brought to a plan on the LAN and
// the WAN (dry run, confirmation, rounds, the main list after the rescan, the
// report), a plan with a problem that sends nothing, and a cancel that skips
// the terminals not yet served.
#include <QtTest>

#include "core/discovery/scanrun.h"
#include "core/plan/planrun.h"
#include "dbfixtures.h"
#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/usermessage.h"
#include "gui/dialogs/plandialog.h"
#include "gui/mainwindow/toolforkx.h"
#include "gui/startup/language.h"
#include "netnsrig.h"
#include "ui_serverdb.h"
#include "ui_toolforkx.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>

using namespace quenzal;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

const char *const TerminalAddresses[] = { "198.18.1.6", "198.18.1.40", "198.18.1.41", "198.18.1.42", "198.18.1.43" };

// Three terminals as they leave the factory (one ID, one address) and one
// the plan does not name.
const QByteArray FactoryFleet("mask = 255.255.0.0\ngateway = 198.18.0.254\nserver = 198.18.0.1\n"
                              "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n"
                              "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:02\n"
                              "[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:03\n"
                              "[terminal]\nid = 7\nip = 198.18.1.43\nmac = 02:00:00:00:00:07\n");
// 198.18.1.6 lies outside the WAN range below: the rescan asks there too.
const QByteArray FactoryPlan("mac,id,ip,server\n"
                             "02:00:00:00:00:01,11,198.18.1.41,198.18.0.9\n"
                             "02-00-00-00-00-02,12,198.18.1.42,198.18.0.9\n"
                             "02:00:00:00:00:03,13,198.18.1.6,198.18.0.9\n");

QStringList columnTexts(const QTableWidget *table, int column)
{
    QStringList out;
    for (int r = 0; r < table->rowCount(); ++r)
        out << (table->item(r, column) ? table->item(r, column)->text() : QString());
    return out;
}

} // namespace

class TestPlanDialogNetns : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    testrig::Simulator m_sim;
    int m_runs = 0;
    QStringList m_warnings;
    QStringList m_questions;
    bool m_answer = true;

    QString path(const char *name) const { return m_dir.filePath(s(name)); }

    bool writeFile(const char *name, const QByteArray &bytes)
    {
        QFile f(path(name));
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }

    bool startSim(const QByteArray &fleet)
    {
        return m_sim.start(m_dir.path(), fleet, QStringLiteral("plan-%1").arg(++m_runs));
    }

    // The action of the "文件" menu opens the dialog.
    static PlanDialog *openDialog(ToolForKX &window)
    {
        window.form()->actionApplyPlan->trigger();
        return window.findChild<PlanDialog *>();
    }

    static QPushButton *button(PlanDialog *dialog, const char *name)
    {
        return dialog->findChild<QPushButton *>(QLatin1String(name));
    }

    // Clicks a button of the dialog and waits for the run it starts to end.
    static bool clickAndWait(PlanDialog *dialog, const char *name)
    {
        QSignalSpy done(dialog, &PlanDialog::runFinished);
        QTest::mouseClick(button(dialog, name), Qt::LeftButton);
        return done.wait(20000) || done.count() > 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QVERIFY(m_dir.isValid());
        for (const char *a : TerminalAddresses)
            QVERIFY2(testrig::addTerminalAddress(s(a)), a);
        serverdb::setWarningHandler([this](QWidget *, const QString &text) { m_warnings << text; });
        serverdb::setQuestionHandler([this](QWidget *, const QString &text) {
            m_questions << text;
            return m_answer;
        });
    }

    void init()
    {
        m_warnings.clear();
        m_questions.clear();
        m_answer = true;
    }

    void cleanup() { m_sim.stop(); }

    void factoryFresh_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::newRow("LAN") << false;
        QTest::newRow("WAN") << true;
    }

    void factoryFresh()
    {
        QFETCH(bool, wan);
        QVERIFY(startSim(FactoryFleet));
        QVERIFY(writeFile("plan.csv", FactoryPlan));
        ToolForKX window;
        Ui::ToolForKX *ui = window.form();
        QVERIFY(ui->menu_File->actions().contains(ui->actionApplyPlan));
        QCOMPARE(ui->actionApplyPlan->text(), s("按计划配置…"));
        if (wan) {
            ui->checkBox_Wan->setChecked(true);
            const char *range[] = { "198", "18", "1", "40", "198", "18", "1", "43" };
            QLineEdit *fields[]
                = { ui->lineEdit_ScanIP1, ui->lineEdit_ScanIP2, ui->lineEdit_ScanIP3, ui->lineEdit_ScanIP4,
                      ui->lineEdit_ScanIP5, ui->lineEdit_ScanIP6, ui->lineEdit_ScanIP7, ui->lineEdit_ScanIP8 };
            for (int i = 0; i < 8; ++i)
                fields[i]->setText(s(range[i]));
        }

        PlanDialog *dialog = openDialog(window);
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), s("PlanDialog"));
        QVERIFY(dialog->isVisible());
        auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("tableWidget_Plan"));
        QCOMPARE(table, dialog->table());
        QCOMPARE(button(dialog, "but_PlanApply")->text(), s("应用"));
        QVERIFY(button(dialog, "but_PlanCancel"));
        QVERIFY(button(dialog, "but_PlanReport"));
        QVERIFY2(!button(dialog, "but_PlanApply")->isEnabled(), "nothing to apply before the comparison");

        // The dry run: the statuses and the changes, nothing sent.
        dialog->setPlanFile(path("plan.csv"));
        QVERIFY(clickAndWait(dialog, "but_PlanDryRun"));
        QCOMPARE(columnTexts(table, PlanDialog::ColMac),
            QStringList(
                { s("02:00:00:00:00:01"), s("02:00:00:00:00:02"), s("02:00:00:00:00:03"), s("02:00:00:00:00:07") }));
        QCOMPARE(columnTexts(table, PlanDialog::ColStatus),
            QStringList({ s("需修改"), s("需修改"), s("需修改"), s("计划外") }));
        QCOMPARE(table->item(0, PlanDialog::ColChanges)->text(),
            s("编号 1 → 11；IP 198.18.1.40 → 198.18.1.41；服务器 198.18.0.1 → 198.18.0.9"));
        QCOMPARE(table->item(2, PlanDialog::ColChanges)->text(),
            s("编号 1 → 13；IP 198.18.1.40 → 198.18.1.6；服务器 198.18.0.1 → 198.18.0.9"));
        QCOMPARE(table->item(0, PlanDialog::ColMac)->background().color(), PlanDialog::statusColor(PlanStatus::Change));
        QCOMPARE(table->item(3, PlanDialog::ColResult)->background().color(),
            PlanDialog::statusColor(PlanStatus::Unplanned));
        QVERIFY(m_sim.logLines("applied").isEmpty());
        QCOMPARE(window.terminalListRows().size(), size_t(4)); // the dry run's scan is the list's

        // A "no" to the question sends nothing.
        m_answer = false;
        QTest::mouseClick(button(dialog, "but_PlanApply"), Qt::LeftButton);
        QCOMPARE(m_questions.size(), 1);
        QVERIFY(!dialog->running());
        QVERIFY(m_sim.logLines("applied").isEmpty());

        m_answer = true;
        QVERIFY(clickAndWait(dialog, "but_PlanApply"));
        QCOMPARE(m_questions.size(), 2);
        QVERIFY2(m_warnings.isEmpty(), qPrintable(m_warnings.join(QLatin1Char('\n'))));
        QCOMPARE(columnTexts(table, PlanDialog::ColResult),
            QStringList({ s("已确认"), s("已确认"), s("已确认"), s("跳过") }));
        QCOMPARE(
            columnTexts(table, PlanDialog::ColStatus), QStringList({ s("一致"), s("一致"), s("一致"), s("计划外") }));
        QCOMPARE(table->item(1, PlanDialog::ColStatus)->background().color(), PlanDialog::statusColor(PlanStatus::Ok));
        QVERIFY2(dialog->statusText().contains(s("已确认 3")), qPrintable(dialog->statusText()));

        const QList<QByteArray> applied = m_sim.logLines("applied");
        for (const char *line : { "applied 11 id 1 -> 11 (mac 02:00:00:00:00:01)",
                 "applied 12 id 1 -> 12 (mac 02:00:00:00:00:02)", "applied 13 id 1 -> 13 (mac 02:00:00:00:00:03)",
                 "applied 11 ip 198.18.1.41", "applied 13 ip 198.18.1.6", "applied 12 server 198.18.0.9" })
            QVERIFY2(applied.contains(line), line);
        QCOMPARE(applied.size(), 9); // three IDs, three servers, three IPs: each once

        // The main list shows the last rescan (in its own zero-padded texts).
        QStringList listed;
        for (const TerminalTexts &row : window.terminalListRows())
            listed << row[ColMac] + QLatin1Char(' ') + row[ColId] + QLatin1Char(' ') + row[ColIp];
        listed.sort();
        QCOMPARE(listed,
            QStringList({ s("02:00:00:00:00:01 011 198.018.001.041"), s("02:00:00:00:00:02 012 198.018.001.042"),
                s("02:00:00:00:00:03 013 198.018.001.006"), s("02:00:00:00:00:07 007 198.018.001.043") }));

        // The report: the CLI's bytes for the same rows, before and after.
        for (const char *name : { "report.csv", "report.json" }) {
            QVERIFY(dialog->saveReport(path(name)));
            QFile f(path(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(bytes, applyReport(dialog->rows(), path(name)));
            if (QByteArray(name).endsWith(".csv"))
                QVERIFY(bytes.contains("\r\n02:00:00:00:00:01,ok,,1,11,198.18.1.40,198.18.1.41,255.255.0.0,"
                                       "255.255.0.0,198.18.0.254,198.18.0.254,198.18.0.1,198.18.0.9\r\n"));
        }
    }

    void problemSendsNothing()
    {
        QVERIFY(startSim(FactoryFleet));
        // ID 7 belongs to the terminal the plan does not name; 12 is planned twice.
        QVERIFY(writeFile("bad.csv", "mac,id\n02:00:00:00:00:01,7\n02:00:00:00:00:02,12\n02:00:00:00:00:03,12\n"));
        ToolForKX window;
        PlanDialog *dialog = openDialog(window);
        dialog->setPlanFile(path("bad.csv"));
        QVERIFY(clickAndWait(dialog, "but_PlanDryRun"));
        QCOMPARE(columnTexts(dialog->table(), PlanDialog::ColStatus),
            QStringList({ s("问题"), s("问题"), s("问题"), s("计划外") }));
        QCOMPARE(dialog->table()->item(0, PlanDialog::ColReason)->text(),
            s("ID 7 is held by 02:00:00:00:00:07, online and not in the plan"));
        QCOMPARE(dialog->table()->item(0, 0)->background().color(), PlanDialog::statusColor(PlanStatus::Problem));
        QVERIFY(!button(dialog, "but_PlanApply")->isEnabled());
        // Asked directly all the same: a warning, no question, nothing sent.
        dialog->startApply();
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY(m_questions.isEmpty());
        QVERIFY(!dialog->running());
        QVERIFY(m_sim.sync());
        QVERIFY(m_sim.logLines("applied").isEmpty());
    }

    // The plan from the file of the open database window: its Terminal rows.
    void fromDatabaseWindow()
    {
        QVERIFY(startSim("mask = 255.255.0.0\n"
                         "[terminal]\nid = 7\nip = 198.18.1.40\nmac = 02:00:00:00:00:01\n"
                         "[terminal]\nid = 8\nip = 198.18.1.40\nmac = 02:00:00:00:00:02\n"));
        const auto terminal = [](int id, const char *ip, const char *mac) {
            return fixtures::Row { id, 8, 0, 1, 1, 1, 1, QByteArray(ip), QByteArray(mac), s("t") };
        };
        const QString db = path("plan.db");
        QFile::remove(db);
        QVERIFY(fixtures::createOldFormat(db));
        QVERIFY(fixtures::insert(db, "Terminal",
            { terminal(21, "198.18.1.41", "02:00:00:00:00:01"), terminal(22, "198.18.1.42", "02-00-00-00-00-02") }));
        ToolForKX window;
        PlanDialog *dialog = openDialog(window);
        QVERIFY(!dialog->useDatabaseWindowFile()); // none open yet
        QCOMPARE(m_warnings.size(), 1);
        Serverdb *database = Serverdb::openWindow(&window);
        database->form()->lineEdit_Serverdb->setText(db);
        QTest::mouseClick(button(dialog, "but_PlanFromDb"), Qt::LeftButton);
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY(clickAndWait(dialog, "but_PlanDryRun"));
        QCOMPARE(
            dialog->table()->item(1, PlanDialog::ColChanges)->text(), s("编号 8 → 22；IP 198.18.1.40 → 198.18.1.42"));
        QVERIFY(clickAndWait(dialog, "but_PlanApply"));
        QCOMPARE(columnTexts(dialog->table(), PlanDialog::ColResult), QStringList({ s("已确认"), s("已确认") }));
        QCOMPARE(m_sim.logLines("applied").size(), 4);
        // A path typed by hand is a plan file again: a database is no CSV.
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_PlanFile"))->setFocus();
        QTest::keyClick(dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_PlanFile")), Qt::Key_End);
        QTest::keyClick(dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_PlanFile")), Qt::Key_Space);
        QTest::keyClick(dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_PlanFile")), Qt::Key_Backspace);
        QTest::mouseClick(button(dialog, "but_PlanDryRun"), Qt::LeftButton);
        QCOMPARE(m_warnings.size(), 2);
        QVERIFY(!dialog->running());
    }

    void cancelSkipsTheRest_data()
    {
        QTest::addColumn<bool>("byClosing"); // the window's close instead of the button
        QTest::newRow("取消") << false;
        QTest::newRow("closing the dialog") << true;
    }

    void cancelSkipsTheRest()
    {
        QFETCH(bool, byClosing);
        // Ten factory-fresh terminals: ten ID changes, then server and IP
        // each. The first batch of sends goes out at once (the ID changes
        // and as many terminals' settings as the batch holds); the cancel
        // lands before the next batch.
        const int served = (PlanRun::SendBatch - 10) / 2;
        QVERIFY2(served > 0 && served < 10, "the first batch must serve some terminals, not all");
        QByteArray fleet("mask = 255.255.0.0\ngateway = 198.18.0.254\nserver = 198.18.0.1\n");
        QByteArray plan("mac,id,ip,server\n");
        for (int i = 1; i <= 10; ++i) {
            fleet += QStringLiteral("[terminal]\nid = 1\nip = 198.18.1.40\nmac = 02:00:00:00:00:%1\n")
                         .arg(i, 2, 16, QLatin1Char('0'))
                         .toUtf8();
            plan += QStringLiteral("02:00:00:00:00:%1,%2,198.18.2.%2,198.18.0.9\n")
                        .arg(i, 2, 16, QLatin1Char('0'))
                        .arg(20 + i)
                        .toUtf8();
        }
        QVERIFY(startSim(fleet));
        QVERIFY(writeFile("ten.csv", plan));
        ToolForKX window;
        PlanDialog *dialog = openDialog(window);
        dialog->setPlanFile(path("ten.csv"));
        QVERIFY(clickAndWait(dialog, "but_PlanDryRun"));
        QCOMPARE(dialog->table()->rowCount(), 10);

        QSignalSpy done(dialog, &PlanDialog::runFinished);
        QTest::mouseClick(button(dialog, "but_PlanApply"), Qt::LeftButton);
        QVERIFY(dialog->running());
        QVERIFY(button(dialog, "but_PlanCancel")->isEnabled());
        if (byClosing)
            QVERIFY(!dialog->close()); // it stays until the rescan is in
        else
            QTest::mouseClick(button(dialog, "but_PlanCancel"), Qt::LeftButton);
        QVERIFY(done.wait(20000) || done.count() > 0);
        QVERIFY(dialog->isVisible());

        QStringList expected;
        for (int i = 0; i < 10; ++i)
            expected << (i < served ? s("已确认") : s("跳过"));
        QCOMPARE(columnTexts(dialog->table(), PlanDialog::ColResult), expected);
        QVERIFY(m_sim.sync());
        QCOMPARE(m_sim.logLines(" id 1 -> ").size(), 10);
        QCOMPARE(m_sim.logLines(" ip 198.18.2.").size(), served);
        QVERIFY2(dialog->statusText().contains(s("已停止")), qPrintable(dialog->statusText()));
        // The next round is not sent: nothing more reaches the simulator
        // once the run has ended.
        QVERIFY(m_sim.sync());
        QCOMPARE(m_sim.logLines(" ip 198.18.2.").size(), served);
    }

    // Closed during a dry run, the dialog goes; the scan is the window's.
    void closeDuringDryRun()
    {
        QVERIFY(startSim(FactoryFleet));
        QVERIFY(writeFile("plan.csv", FactoryPlan));
        ToolForKX window;
        auto *scan = window.findChild<ScanRun *>();
        QVERIFY(scan);
        QSignalSpy scanOver(scan, &ScanRun::quiet);
        QPointer<PlanDialog> dialog = openDialog(window);
        dialog->setPlanFile(path("plan.csv"));
        QTest::mouseClick(button(dialog, "but_PlanDryRun"), Qt::LeftButton);
        QVERIFY(dialog->running());
        QVERIFY(dialog->close());
        QTRY_VERIFY(dialog.isNull());
        QTRY_COMPARE_WITH_TIMEOUT(window.terminalListRows().size(), size_t(4), 5000);
        // The scan's end with no dialog to take it.
        QVERIFY(scanOver.count() > 0 || scanOver.wait(20000));
        QVERIFY(m_sim.sync());
        QVERIFY(m_sim.logLines("applied").isEmpty());
        // A new dialog starts afresh and can apply.
        PlanDialog *again = openDialog(window);
        QVERIFY(again);
        again->setPlanFile(path("plan.csv"));
        QVERIFY(clickAndWait(again, "but_PlanDryRun"));
        QVERIFY(clickAndWait(again, "but_PlanApply"));
        QCOMPARE(columnTexts(again->table(), PlanDialog::ColResult),
            QStringList({ s("已确认"), s("已确认"), s("已确认"), s("跳过") }));
    }

    // In English: the action, every caption, header and status text.
    void english()
    {
        QVERIFY(quenzal::installLanguage(*QCoreApplication::instance(), s("en")));
        auto restore = qScopeGuard([] {
            for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
                QCoreApplication::removeTranslator(t);
                delete t;
            }
        });
        QVERIFY(startSim(FactoryFleet));
        QVERIFY(writeFile("plan.csv", FactoryPlan));
        ToolForKX window;
        QCOMPARE(window.form()->actionApplyPlan->text(), s("Apply a plan…"));
        PlanDialog *dialog = openDialog(window);
        QCOMPARE(button(dialog, "but_PlanApply")->text(), s("Apply"));
        dialog->setPlanFile(path("plan.csv"));
        QVERIFY(clickAndWait(dialog, "but_PlanDryRun"));
        QCOMPARE(dialog->table()->item(0, PlanDialog::ColChanges)->text(),
            s("ID 1 → 11; IP 198.18.1.40 → 198.18.1.41; Server 198.18.0.1 → 198.18.0.9"));
        QCOMPARE(dialog->table()->item(3, PlanDialog::ColStatus)->text(), s("not planned"));
        const auto chinese = [](const QString &text) {
            return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x2e80; });
        };
        QStringList texts { dialog->windowTitle(), dialog->statusText() };
        for (QAbstractButton *b : dialog->findChildren<QAbstractButton *>())
            texts << b->text();
        for (QLabel *l : dialog->findChildren<QLabel *>())
            texts << l->text();
        for (int c = 0; c < PlanDialog::ColumnCount; ++c) {
            texts << dialog->table()->horizontalHeaderItem(c)->text();
            for (int r = 0; r < dialog->table()->rowCount(); ++r)
                texts << dialog->table()->item(r, c)->text();
        }
        for (const QString &text : texts)
            QVERIFY2(!chinese(text), qPrintable(text));
    }
};

QTEST_MAIN(TestPlanDialogNetns)
#include "tst_plandialog_netns.moc"
