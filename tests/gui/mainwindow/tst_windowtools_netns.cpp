// The main window's field tools on real sockets, inside the test namespaces:
// with the new options at their defaults the datagrams are those of before;
// the status bar, the filter, export and copy, the stop button, the
// renumbering preview, verification after send against the simulator, and
// the English captions.
#include <QtTest>

#include <QClipboard>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTranslator>
#include <QTreeWidgetItem>
#include <QUdpSocket>

#include "probe.h"
#include "dbfixtures.h"
#include "gui/databasewindow/reconciledialog.h"
#include "gui/databasewindow/serverdb.h"
#include "gui/startup/language.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/commands/commandpackets.h"
#include "core/discovery/terminalexport.h"
#include "gui/dialogs/renumberpreview.h"
#include "netnsrig.h"
#include "ui_toolforkx.h"

using namespace quenzal;
using cmdtest::Datagram;
using cmdtest::Probe;

namespace {

QString s(const char *t)
{
    return QString::fromUtf8(t);
}

QTreeWidgetItem *addRow(ToolForKX &window, const char *id, const char *ip, const char *mac)
{
    QStringList texts;
    for (int c = 0; c < TerminalListColumns; ++c)
        texts << QString();
    texts[ColId] = s(id);
    texts[ColIp] = s(ip);
    texts[ColMac] = s(mac);
    texts[ColModelText] = s("KX-终端");
    auto *item = new QTreeWidgetItem(texts);
    window.form()->treeWidget->addTopLevelItem(item);
    return item;
}

void select(ToolForKX &window, QTreeWidgetItem *item)
{
    window.form()->treeWidget->clearSelection();
    window.form()->treeWidget->setCurrentItem(item);
    item->setSelected(true);
    window.SoltSettest();
}

QStringList column(ToolForKX &window, int c)
{
    QStringList out;
    for (int r = 0; r < window.form()->treeWidget->topLevelItemCount(); ++r)
        out << window.form()->treeWidget->topLevelItem(r)->text(c);
    return out;
}

// Runs action; when the preview opens, reads its table and presses "发送"
// (send) or "取消". Returns the table's rows as "row|old|new|destination".
QStringList answerPreview(const std::function<void()> &action, bool send, bool *opened)
{
    QStringList rows;
    *opened = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        auto *preview = qobject_cast<RenumberPreview *>(QApplication::activeModalWidget());
        if (!preview)
            return;
        *opened = true;
        QTableWidget *t = preview->table();
        for (int r = 0; r < t->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < t->columnCount(); ++c)
                cells << t->item(r, c)->text();
            rows << cells.join(QLatin1Char('|'));
        }
        auto *button = preview->findChild<QPushButton *>(send ? s("but_PreviewSend") : s("but_PreviewCancel"));
        if (button)
            button->click();
        else
            preview->reject();
    });
    timer.start();
    action();
    timer.stop();
    return rows;
}

// Every datagram the probe logs until it is quiet for 500 ms.
QList<QByteArray> drain(Probe &probe)
{
    QList<QByteArray> out;
    for (Datagram d = probe.next(500); !d.isNull(); d = probe.next(500))
        out << d.bytes;
    return out;
}

const char VerifyFleet[] = R"(
mask = 255.255.0.0
gateway = 198.18.0.254
server = 198.18.0.1
[terminal]
id = 21
ip = 198.18.0.2
mac = 02:00:00:00:00:21
[terminal]
id = 22
ip = 198.18.1.12
mac = 02:00:00:00:00:22
ignorecommands = 1
)";

} // namespace

class TestWindowTools : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QLoggingCategory::setFilterRules(QStringLiteral("quenzal.*.debug=false"));
        QVERIFY(m_dir.isValid());
        QVERIFY(testrig::addTerminalAddress(s("198.18.1.6")));
        QVERIFY(testrig::addTerminalAddress(s("198.18.1.12")));
    }

    // The new widgets and their start state; the window keeps its size.
    void startState()
    {
        ToolForKX window;
        auto *ui = window.form();
        QCOMPARE(window.size(), QSize(1131, 716));
        QVERIFY2(window.minimumSizeHint().width() <= 1131 && window.minimumSizeHint().height() <= 716,
            qPrintable(QStringLiteral("%1 x %2")
                           .arg(window.minimumSizeHint().width())
                           .arg(window.minimumSizeHint().height())));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(1131, 716));
        // The filter stands above the list, at the right end of the menu bar.
        QVERIFY(ui->lineEdit_Filter->isVisible());
        QVERIFY(
            ui->lineEdit_Filter->mapTo(&window, QPoint(0, 0)).y() < ui->treeWidget->mapTo(&window, QPoint(0, 0)).y());
        QVERIFY(!ui->checkBox_Verify->isChecked());
        QCOMPARE(ui->checkBox_Verify->text(), s("发送后确认"));
        QVERIFY(!ui->checkBox_Preview->isChecked());
        QCOMPARE(ui->checkBox_Preview->text(), s("先预览"));
        QVERIFY(!ui->but_StopScan->isEnabled());
        QCOMPARE(ui->but_StopScan->text(), s("停止扫描"));
        QCOMPARE(ui->lineEdit_Filter->placeholderText(), s("筛选：编号 / IP / MAC"));
        QCOMPARE(ui->actionExport->text(), s("导出终端列表…"));
        QCOMPARE(ui->menu_File->title(), s("文件"));
        QCOMPARE(window.statusBar(), ui->statusbar);
        QVERIFY(ui->groupBox_5->isAncestorOf(ui->comboBox_Interface));
        QVERIFY(ui->groupBox_9->isAncestorOf(ui->checkBox_Preview));
        // Every up interface with an IPv4 address; the one shown is that of
        // the address the fields show.
        QVERIFY(ui->comboBox_Interface->count() >= 1);
        QVERIFY2(ui->comboBox_Interface->currentText().endsWith(
                     QStringLiteral(" (") + ui->lineEdit_LocalIP->text() + QLatin1Char(')')),
            qPrintable(ui->comboBox_Interface->currentText()));
        QVERIFY(window.statusText().isEmpty()); // both ports bound, group joined
    }

    // With the defaults, a LAN scan, a selection and a command send exactly
    // the bytes they always sent; nothing else leaves.
    void defaultsSendTheSameBytes()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        ui->but_Scan->click();
        // The LAN query: packet kind 2, byte 6 = 1, the markers in 15 and 31.
        QCOMPARE(probe.next().bytes.toHex(),
            QByteArray("aa02f2000000"
                       "01"
                       "0000000000000000"
                       "dd"
                       "000000000000000000000000000000"
                       "dd"));
        QTreeWidgetItem *row = addRow(window, "007", "198.018.000.002", "02:00:00:00:00:07");
        select(window, row);
        QVERIFY2(probe.next(500).isNull(), "a selection sends nothing");
        ui->but_Cip->click();
        // Code 4 to ID 007 with the address the selection put into the fields.
        QCOMPARE(probe.next().bytes.toHex(),
            QByteArray("aa01f2010804"
                       "c6120002"
                       "0000000000"
                       "dd"
                       "000000000000000000000000000000"
                       "dd"));
        QVERIFY2(probe.next(1500).isNull(), "verification is off by default: no query after the command");
    }

    void statusBarSaysWhatHappened()
    {
        ToolForKX window;
        auto *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        ui->but_Cip->click();
        QVERIFY2(window.statusText().contains(s("未选择终端")), qPrintable(window.statusText()));

        // The end of a LAN scan with its counts, once replies have stopped.
        ui->checkBox_Wan->setChecked(false);
        ui->but_Scan->click();
        addRow(window, "005", "198.018.001.006", "02:00:00:00:00:01");
        addRow(window, "005", "198.018.001.007", "02:00:00:00:00:01");
        addRow(window, "006", "198.018.001.008", "02:00:00:00:00:03");
        QTRY_VERIFY_WITH_TIMEOUT(window.statusText().startsWith(s("扫描结束")), 5000);
        QCOMPARE(window.statusText(), s("扫描结束：3 台终端，编号重复 2，IP 重复 0，MAC 重复 2"));
    }

    // Ports that cannot be bound, the receive path and lost replies.
    void statusBarReportsTransportTrouble()
    {
        {
            QUdpSocket blocker; // holds the LAN port without sharing it
            QVERIFY(blocker.bind(QHostAddress::AnyIPv4, LanPort, QUdpSocket::DontShareAddress));
            ToolForKX window;
            QVERIFY2(window.statusText().startsWith(s("无法绑定端口 12682")), qPrintable(window.statusText()));
        }
        ToolForKX window;
        QVERIFY(window.statusText().isEmpty());
        Q_EMIT window.transport()->repliesDropped(7);
        QCOMPARE(window.statusText(), s("负载过高：已丢弃 7 个终端回复"));
        Q_EMIT window.transport()->readerStopped(s("test"));
        QCOMPARE(window.statusText(), s("接收线程已停止（test），改由主线程接收"));
    }

    void filter()
    {
        ToolForKX window;
        auto *ui = window.form();
        addRow(window, "005", "198.018.001.006", "02:00:00:00:00:0A");
        addRow(window, "003", "198.018.001.007", "02:00:00:00:00:0B");
        addRow(window, "009", "198.018.002.006", "02:00:00:00:00:0C");
        const QStringList before = column(window, ColId);
        // The hidden rows, by their MAC's last byte, in list order.
        auto hidden = [&] {
            QString out;
            for (int r = 0; r < ui->treeWidget->topLevelItemCount(); ++r) {
                if (ui->treeWidget->topLevelItem(r)->isHidden())
                    out += ui->treeWidget->topLevelItem(r)->text(ColMac).right(1);
            }
            std::sort(out.begin(), out.end());
            return out;
        };
        ui->lineEdit_Filter->setText(s("00:0b"));
        QCOMPARE(hidden(), s("AC"));
        ui->lineEdit_Filter->setText(s("1.00"));
        QCOMPARE(hidden(), s("C"));
        QCOMPARE(column(window, ColId), before); // order and texts untouched
        ui->lineEdit_Filter->setText(s("kx-终端"));
        QCOMPARE(hidden(), QString());

        // The numbering pass sees every row, hidden ones included.
        ui->lineEdit_Filter->setText(s("198.018.002"));
        addRow(window, "009", "198.018.002.007", "02:00:00:00:00:0D");
        QCOMPARE(hidden(), s("AB")); // a new row is filtered as it comes
        std::vector<TerminalTexts> after;
        QVERIFY(!planSharedIds(window.terminalListRows(), 0, &after).empty());
        ui->but_AutoID->click();
        QVERIFY(window.terminalListRows() == after);
        // The filter still holds after the pass rewrote and sorted the rows.
        for (int r = 0; r < ui->treeWidget->topLevelItemCount(); ++r) {
            QTreeWidgetItem *item = ui->treeWidget->topLevelItem(r);
            QCOMPARE(item->isHidden(), !item->text(ColIp).startsWith(s("198.018.002")));
        }
        ui->lineEdit_Filter->clear();
        QCOMPARE(hidden(), QString());
    }

    void exportAndCopy()
    {
        ToolForKX window;
        auto *ui = window.form();
        addRow(window, "005", "198.018.001.006", "02:00:00:00:00:0A");
        addRow(window, "005", "198.018.001.007", "02:00:00:00:00:0B");
        addRow(window, "009", "198.018.002.006", "02:00:00:00:00:0B");
        ui->lineEdit_Filter->setText(s("009")); // hidden rows are exported too
        QVERIFY(ui->menu_File->actions().contains(ui->actionExport));

        const QString csvPath = m_dir.filePath(s("list.csv"));
        QVERIFY(window.exportTerminalList(csvPath));
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QList<QByteArray> lines = bytes.mid(3).split('\n');
        QCOMPARE(lines.size(), 5); // header, three rows, the empty rest
        QStringList captions;
        for (int c = 0; c < TerminalListColumns; ++c)
            captions << ui->treeWidget->headerItem()->text(c);
        QCOMPARE(QString::fromUtf8(lines.at(0)).trimmed(), captions.join(QLatin1Char(',')));
        QVERIFY(std::any_of(lines.cbegin(), lines.cend(),
            [](const QByteArray &l) { return l.startsWith("005,198.018.001.006,,,02:00:00:00:00:0A,"); }));
        QCOMPARE(bytes, terminalsToCsv(window.terminalListRows()));

        const QString jsonPath = m_dir.filePath(s("list.json"));
        QVERIFY(window.exportTerminalList(jsonPath));
        QFile json(jsonPath);
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonArray array = QJsonDocument::fromJson(json.readAll()).array();
        QCOMPARE(array.size(), 3);
        QJsonObject first, third;
        for (const QJsonValue &v : array) {
            if (v.toObject().value(s("ip")).toString() == s("198.018.001.006"))
                first = v.toObject();
            if (v.toObject().value(s("ip")).toString() == s("198.018.002.006"))
                third = v.toObject();
        }
        QVERIFY(first.value(s("id")).isDouble());
        QCOMPARE(first.value(s("id")).toInt(), 5);
        QCOMPARE(first.value(s("ip")).toString(), s("198.018.001.006"));
        QCOMPARE(first.value(s("mac")).toString(), s("02:00:00:00:00:0A"));
        QCOMPARE(first.value(s("shared_id")).toBool(), true);
        QCOMPARE(first.value(s("shared_mac")).toBool(), false);
        QCOMPARE(third.value(s("shared_mac")).toBool(), true);
        QCOMPARE(third.value(s("shared_id")).toBool(), false);
        QCOMPARE(third.value(s("shared_ip")).toBool(), false);
        QCOMPARE(first.size(), TerminalListColumns + 3);

        QVERIFY(!window.exportTerminalList(m_dir.filePath(s("no/such/folder/list.csv"))));

        // Ctrl+C on the list: the selected rows as tab-separated text.
        ui->lineEdit_Filter->clear();
        QTreeWidgetItem *row = ui->treeWidget->topLevelItem(1);
        select(window, row);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ui->treeWidget->setFocus();
        QApplication::clipboard()->clear();
        QTest::keySequence(ui->treeWidget, QKeySequence::Copy);
        QTRY_COMPARE_WITH_TIMEOUT(
            QApplication::clipboard()->text(), terminalsToTsv({ window.terminalListRows()[1] }), 2000);
        QVERIFY(QApplication::clipboard()->text().startsWith(row->text(ColId) + QLatin1Char('\t') + row->text(ColIp)));
    }

    // A WAN scan can be stopped: no further query, the rows stay.
    void stopScan()
    {
        testrig::Simulator sim;
        QVERIFY(sim.start(m_dir.path(), VerifyFleet, s("stop")));
        ToolForKX window;
        auto *ui = window.form();
        ui->checkBox_Wan->setChecked(true);
        for (auto [field, text] : { std::pair { ui->lineEdit_ScanIP1, "198" }, { ui->lineEdit_ScanIP2, "18" },
                 { ui->lineEdit_ScanIP3, "1" }, { ui->lineEdit_ScanIP4, "1" }, { ui->lineEdit_ScanIP5, "198" },
                 { ui->lineEdit_ScanIP6, "18" }, { ui->lineEdit_ScanIP7, "200" }, { ui->lineEdit_ScanIP8, "254" } })
            field->setText(s(text));
        QVERIFY(!ui->but_StopScan->isEnabled());
        ui->but_Scan->click();
        QVERIFY(ui->but_StopScan->isEnabled());
        QVERIFY(window.scanRunning());
        QTRY_VERIFY_WITH_TIMEOUT(window.statusText().contains(s("跨网扫描：")), 2000);
        // 198.18.1.12 answers after the twelfth query.
        QTRY_COMPARE_WITH_TIMEOUT(ui->treeWidget->topLevelItemCount(), 1, 5000);
        ui->but_StopScan->click();
        QVERIFY(!window.scanRunning());
        QVERIFY(!ui->but_StopScan->isEnabled());
        QVERIFY2(window.statusText().startsWith(s("扫描已停止")), qPrintable(window.statusText()));
        const int progress = ui->progressBar->value();
        QVERIFY2(progress < 1000, "the scan ran far past the terminal");
        const int queries = sim.logLines("aa 02 f2 ").size();
        QCOMPARE(queries, 1); // the one to the simulated terminal's address
        QTest::qWait(600);
        QCOMPARE(ui->progressBar->value(), progress);
        QCOMPARE(sim.logLines("aa 02 f2 ").size(), queries);
        QCOMPARE(ui->treeWidget->topLevelItemCount(), 1);
        QCOMPARE(ui->treeWidget->topLevelItem(0)->text(ColIp), s("198.018.001.012"));
        QTRY_VERIFY_WITH_TIMEOUT(window.statusText().startsWith(s("扫描已停止：1 台终端")), 4000);
    }

    // The preview lists what the pass sends; cancel sends nothing and
    // changes no cell; the pass unticked sends exactly the planned packets.
    void renumberPreview_data()
    {
        QTest::addColumn<bool>("macs");
        QTest::newRow("ids") << false;
        QTest::newRow("macs") << true;
    }

    void renumberPreview()
    {
        QFETCH(bool, macs);
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        addRow(window, "004", "198.018.001.004", "02:00:00:00:00:04");
        addRow(window, "002", "198.018.001.002", "02:00:00:00:00:02");
        addRow(window, "002", "198.018.001.003", "02:00:00:00:00:02");
        addRow(window, "004", "198.018.001.005", "02:00:00:00:00:05");
        QPushButton *pass = macs ? ui->but_AutoMac : ui->but_AutoID;
        const QStringList before = column(window, macs ? ColMac : ColId);

        ui->checkBox_Preview->setChecked(true);
        bool opened = false;
        const QStringList plan = answerPreview([&] { pass->click(); }, false, &opened);
        QVERIFY(opened);
        QVERIFY(!plan.isEmpty());
        QCOMPARE(column(window, macs ? ColMac : ColId), before);
        QVERIFY2(drain(probe).isEmpty(), "cancel sends nothing");

        // The same plan from the core on the list's rows.
        const std::vector<TerminalTexts> rows = window.terminalListRows();
        QStringList core;
        if (macs) {
            for (const MacRepair &r : planSharedMacs(rows))
                core << QStringLiteral("%1|%2|%3|239.0.0.2").arg(r.row + 1).arg(r.oldMac, r.newMac);
        } else {
            for (const IdChange &c : planSharedIds(rows, 0))
                core << QStringLiteral("%1|%2|%3|239.0.0.2").arg(c.row + 1).arg(idText(c.oldId), idText(c.newId));
        }
        QCOMPARE(plan, core);

        // Unticked, the pass sends exactly the planned packets.
        ui->checkBox_Preview->setChecked(false);
        pass->click();
        const QList<QByteArray> sent = drain(probe);
        QCOMPARE(sent.size(), plan.size());
        for (int i = 0; i < sent.size(); ++i) {
            const QStringList p = plan.at(i).split(QLatin1Char('|'));
            const QByteArray &d = sent.at(i);
            if (macs) {
                QCOMPARE(quint8(d.at(5)), quint8(177)); // factory reset of the row's ID
            } else {
                QCOMPARE(quint8(d.at(5)), quint8(178));
                QCOMPARE((quint8(d.at(3)) - 1) * 256 + ((quint8(d.at(4)) + 255) % 256), p.at(1).toInt());
                QCOMPARE((quint8(d.at(12)) - 1) * 256 + ((quint8(d.at(13)) + 255) % 256), p.at(2).toInt());
            }
        }
        // Ticked and sent: the same as unticked.
        addRow(window, macs ? "011" : "004", "198.018.001.011", macs ? "02:00:00:00:00:04" : "02:00:00:00:00:11");
        ui->checkBox_Preview->setChecked(true);
        const std::vector<TerminalTexts> again = window.terminalListRows();
        std::vector<TerminalTexts> after;
        if (macs)
            planSharedMacs(again, &after);
        else
            planSharedIds(again, 0, &after);
        const QStringList plan2 = answerPreview([&] { pass->click(); }, true, &opened);
        QVERIFY(opened);
        QCOMPARE(drain(probe).size(), plan2.size());
        QVERIFY(window.terminalListRows() == after);
    }

    // Verification after send against the simulator: a terminal that takes
    // the command gives "已确认", one that ignores it "未确认".
    void verifyAfterSend_data()
    {
        QTest::addColumn<bool>("wan");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<bool>("applies");
        QTest::addColumn<bool>("mac");
        QTest::newRow("lan applies") << false << s("198.018.000.002") << true << false;
        QTest::newRow("lan ignores") << false << s("198.018.001.012") << false << false;
        QTest::newRow("wan applies") << true << s("198.018.000.002") << true << false;
        QTest::newRow("wan ignores") << true << s("198.018.001.012") << false << false;
        QTest::newRow("lan mac applies") << false << s("198.018.000.002") << true << true;
        QTest::newRow("wan mac applies") << true << s("198.018.000.002") << true << true;
        QTest::newRow("wan mac ignores") << true << s("198.018.001.012") << false << true;
    }

    void verifyAfterSend()
    {
        QFETCH(bool, wan);
        QFETCH(QString, ip);
        QFETCH(bool, applies);
        testrig::Simulator sim;
        QVERIFY(sim.start(m_dir.path(), VerifyFleet,
            s("verify-") + QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'))));
        ToolForKX window;
        auto *ui = window.form();
        ui->but_Scan->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui->treeWidget->topLevelItemCount(), 2, 3000);
        QTreeWidgetItem *row = nullptr;
        for (int r = 0; r < 2; ++r) {
            if (ui->treeWidget->topLevelItem(r)->text(ColIp) == ip)
                row = ui->treeWidget->topLevelItem(r);
        }
        QVERIFY(row);
        select(window, row);
        ui->checkBox_Wan->setChecked(wan);
        ui->checkBox_Verify->setChecked(true);
        ui->lineEdit_Cgateway_3->setText(s("0"));
        ui->lineEdit_Cgateway_4->setText(s("77"));
        QFETCH(bool, mac);
        if (mac) {
            // The armed MAC command is verified too (and by no MAC in WAN mode).
            const char *bytes[] = { "02", "00", "00", "00", "00", "7E" };
            QLineEdit *fields[] = { ui->lineEdit_Cmac, ui->lineEdit_Cmac_2, ui->lineEdit_Cmac_3, ui->lineEdit_Cmac_4,
                ui->lineEdit_Cmac_5, ui->lineEdit_Cmac_6 };
            for (int i = 0; i < 6; ++i)
                fields[i]->setText(s(bytes[i]));
            ui->checkBox_SetMac->setChecked(true);
            ui->but_Cmac->click();
        } else {
            ui->but_Cgateway->click();
        }
        QVERIFY2(window.statusText().startsWith(s("正在确认")), qPrintable(window.statusText()));
        if (applies) {
            QTRY_VERIFY_WITH_TIMEOUT(window.statusText().startsWith(s("已确认")), 3500);
            QCOMPARE(window.statusText(),
                mac ? s("已确认：终端显示 02:00:00:00:00:7E") : s("已确认：终端显示 198.018.000.077"));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(window.statusText().startsWith(s("未确认")), 4500);
            QCOMPARE(window.statusText(),
                mac ? s("未确认：期望 02:00:00:00:00:7E，终端显示 02:00:00:00:00:22")
                    : s("未确认：期望 198.018.000.077，终端显示 198.018.000.254"));
            // Three queries, then no more.
            const int queries = sim.logLines("aa 02 f2 ").size();
            QTest::qWait(1200);
            QCOMPARE(sim.logLines("aa 02 f2 ").size(), queries);
            QCOMPARE(queries, 1 + 3); // the scan's and the verification's
        }
    }

    // The database window opened from this window compares the file with
    // this window's list.
    void reconcileWithTheList()
    {
        const QString db = m_dir.filePath(s("reconcile.db"));
        QVERIFY(fixtures::createOldFormat(db));
        QVERIFY(fixtures::insert(db, "Terminal",
            { { 5, 5, 0, 1, 1, 0, 1, QByteArray("198.18.1.6"), QByteArray("02:00:00:00:00:0A"), s("大厅") },
                { 8, 5, 0, 1, 1, 0, 1, QByteArray("198.18.1.8"), QByteArray("02:00:00:00:00:08"), s("门口") } }));
        ToolForKX window;
        addRow(window, "005", "198.018.001.006", "02:00:00:00:00:0A");
        addRow(window, "009", "198.018.001.009", "02:00:00:00:00:09");
        Serverdb dbWindow(&window);
        ReconcileDialog *dialog = ReconcileDialog::openFor(&dbWindow, db);
        QVERIFY(dialog);
        QCOMPARE(dialog->silentCount(), 1);
        QCOMPARE(dialog->unknownCount(), 1);
        QCOMPARE(dialog->differingCount(), 0);
    }

    // The English translation: captions, headers, menu and status texts;
    // texts from terminals stay as they are.
    void english()
    {
        QVERIFY(quenzal::installLanguage(*QCoreApplication::instance(), s("en")));
        auto restore = qScopeGuard([] {
            for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
                QCoreApplication::removeTranslator(t);
                delete t;
            }
        });
        ToolForKX window;
        auto *ui = window.form();
        QCOMPARE(ui->but_Scan->text(), s("Scan"));
        QCOMPARE(ui->but_StopScan->text(), s("Stop scan"));
        QCOMPARE(ui->groupBox_5->title(), s("Scan"));
        QCOMPARE(ui->treeWidget->headerItem()->text(ColId), s("ID"));
        QCOMPARE(ui->treeWidget->headerItem()->text(ColMac), s("MAC address"));
        QCOMPARE(ui->menu_File->title(), s("File"));
        QCOMPARE(ui->checkBox_Verify->text(), s("Verify after send"));
        QCOMPARE(ui->tabWidget->tabText(0), s("Terminal"));
        QCOMPARE(window.windowTitle(), s("QuenzalV7.6"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(
            window.minimumSizeHint().width() <= 1131, qPrintable(QString::number(window.minimumSizeHint().width())));
        QCOMPARE(window.size(), QSize(1131, 716));
        QCOMPARE(ui->lineEdit_Cip->text(), s("192")); // start values unchanged
        ui->checkBox_Wan->setChecked(true);
        ui->but_Cip->click();
        QVERIFY2(window.statusText().startsWith(s("WAN mode: no terminal selected")), qPrintable(window.statusText()));
        // Every caption of the form has an English text.
        for (QAbstractButton *b : window.findChildren<QAbstractButton *>()) {
            const bool chinese
                = std::any_of(b->text().cbegin(), b->text().cend(), [](QChar c) { return c.unicode() >= 0x4e00; });
            QVERIFY2(!chinese, qPrintable(b->objectName() + s(": ") + b->text()));
        }
        // A row from a terminal keeps its text.
        addRow(window, "005", "198.018.001.006", "02:00:00:00:00:0A");
        QCOMPARE(ui->treeWidget->topLevelItem(0)->text(ColModelText), s("KX-终端"));
    }
};

QTEST_MAIN(TestWindowTools)
#include "tst_windowtools_netns.moc"
