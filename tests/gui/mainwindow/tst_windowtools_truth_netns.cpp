// The main window tells what is so: replies that arrived before a scan's
// query are no answers to it, a datagram that did not leave is said (and a
// numbering pass keeps the rows whose packet did not leave), the system's
// receive drops and a port shared with another program show in the status
// bar, the interface choice says when the system chooses, and the window
// keeps its width whatever the font.
#include "tst_windowtools_netns_fixture.h"

#include <QProcess>
#include <QThread>

using namespace windowtools_netns_fixture;

namespace {

QByteArray statusReply(int id)
{
    QByteArray d(102, '\0');
    d[0] = char(0xAA);
    d[1] = char(0xFD);
    d[3] = char((id >> 8) & 0xFF);
    d[4] = char(id & 0xFF);
    return d;
}

// Waits, without running the event loop, until the transport has queued
// `n` replies: they wait there as they would while the window was busy.
bool queuedWithoutTaking(ToolForKX &window, int n)
{
    for (int i = 0; i < 5000 && window.transport()->queued() < n; ++i)
        QThread::msleep(1);
    return window.transport()->queued() >= n;
}

} // namespace

class TestWindowtoolsTruthNetns : public TestWindowToolsFixture
{
    Q_OBJECT

private Q_SLOTS:
    void staleRepliesAreNoAnswers()
    {
        ToolForKX window;
        QUdpSocket late;
        QCOMPARE(late.writeDatagram(statusReply(42), QHostAddress::LocalHost, LanPort), qint64(102));
        QVERIFY(queuedWithoutTaking(window, 1));
        window.form()->but_Scan->click(); // nobody answers this query
        // A reply after the query is listed; once it is, the one queued
        // before the query has been read too, and it is not listed.
        QCOMPARE(late.writeDatagram(statusReply(43), QHostAddress::LocalHost, LanPort), qint64(102));
        QTRY_VERIFY_WITH_TIMEOUT(window.form()->treeWidget->topLevelItemCount() > 0, 5000);
        QCOMPARE(window.form()->treeWidget->topLevelItemCount(), 1);
        QCOMPARE(window.form()->treeWidget->topLevelItem(0)->text(ColId), s("043"));
    }

    // A datagram the system refuses (to a network the namespace marks
    // unreachable) is said in the status bar; the numbering pass leaves the
    // row whose packet did not leave as it was.
    void failedSendIsSaid()
    {
        QProcess::execute(s("ip"), { s("route"), s("replace"), s("unreachable"), s("203.0.113.0/24") });
        auto cleanup = qScopeGuard([] {
            QProcess::execute(s("ip"), { s("route"), s("del"), s("unreachable"), s("203.0.113.0/24") });
        });
        ToolForKX window;
        auto *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        QTreeWidgetItem *row = addRow(window, "007", "203.000.113.005", "02:00:00:00:00:07");
        select(window, row);
        ui->but_Cip->click();
        QVERIFY2(
            window.statusText().startsWith(s("发送失败：发往 203.0.113.5:12685")), qPrintable(window.statusText()));

        ui->treeWidget->clear();
        addRow(window, "005", "203.000.113.005", "02:00:00:00:00:02"); // the first row is renumbered first
        addRow(window, "005", "198.018.001.006", "02:00:00:00:00:01");
        addRow(window, "005", "198.018.001.008", "02:00:00:00:00:03");
        ui->lineEdit_ChangStatId->setText(s("20"));
        ui->but_AutoID->click();
        QStringList got;
        for (int r = 0; r < ui->treeWidget->topLevelItemCount(); ++r)
            got << ui->treeWidget->topLevelItem(r)->text(ColIp) + QLatin1Char(' ')
                    + ui->treeWidget->topLevelItem(r)->text(ColId);
        got.sort();
        QCOMPARE(got, (QStringList { s("198.018.001.006 005"), s("198.018.001.008 021"), s("203.000.113.005 005") }));
        QVERIFY2(window.statusText().contains(s("1 个数据包未能发送")), qPrintable(window.statusText()));
    }

    // Nothing reads while a burst overflows the receive buffer (the
    // sockets read on this thread, which is busy sending): the system's
    // drops show with the others.
    void systemDropsAreShown()
    {
        qputenv("QUENZAL_READER_THREAD", "0");
        ToolForKX window;
        qunsetenv("QUENZAL_READER_THREAD");
        QUdpSocket flood;
        const QByteArray reply = statusReply(9);
        for (int i = 0; i < 60000; ++i)
            flood.writeDatagram(reply, QHostAddress::LocalHost, LanPort);
        QTRY_VERIFY_WITH_TIMEOUT(window.statusText().contains(s("系统接收缓冲区")), 10000);
        QVERIFY(window.transport()->systemDropped() > 0);
        QVERIFY2(window.statusText().startsWith(s("负载过高：已丢弃")), qPrintable(window.statusText()));
    }

    void sharedPortIsShown()
    {
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, LanPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        ToolForKX window;
        QVERIFY2(window.statusText().contains(s("端口 12682 已被其他程序占用")), qPrintable(window.statusText()));
    }

    // Without a named interface the choice shows the system's, and a LAN
    // scan that draws no reply says which interface the system used.
    void systemChoiceIsShown()
    {
        ToolForKX window;
        auto *ui = window.form();
        QCOMPARE(ui->comboBox_Interface->currentIndex(), 0);
        QCOMPARE(ui->comboBox_Interface->currentText(), s("系统选择"));
        ui->but_Scan->click();
        QTRY_VERIFY_WITH_TIMEOUT(window.statusText().startsWith(s("扫描结束：0 台终端")), 5000);
        const QString tool = qEnvironmentVariable("QZ_TOOL_IF");
        QVERIFY2(window.statusText().contains(s("查询经由 系统选择的接口 ") + tool), qPrintable(window.statusText()));
    }

    // The filter gives up width rather than widen the window past 1131
    // pixels, in both languages, also with a larger font.
    void keepsItsWidthWithLargerFonts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("percent");
        for (const char *language : { "zh", "en" }) {
            for (int percent : { 100, 110 })
                QTest::addRow("%s %d%%", language, percent) << s(language) << percent;
        }
    }

    void keepsItsWidthWithLargerFonts()
    {
        QFETCH(QString, language);
        QFETCH(int, percent);
        const QFont before = QApplication::font();
        QFont larger = before;
        larger.setPointSizeF(before.pointSizeF() * percent / 100.0);
        QApplication::setFont(larger);
        QVERIFY(quenzal::installLanguage(*QCoreApplication::instance(), language));
        auto restore = qScopeGuard([before] {
            QApplication::setFont(before);
            for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
                QCoreApplication::removeTranslator(t);
                delete t;
            }
        });
        ToolForKX window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(600); // a tick, and what sizes itself on first show
        QCOMPARE(window.size(), QSize(1131, 716));
        QVERIFY(window.form()->lineEdit_Filter->isVisible());
    }
};

QTEST_MAIN(TestWindowtoolsTruthNetns)
#include "moc_tst_windowtools_netns_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_windowtools_truth_netns.moc"
