// The main window form as uic builds it: object names, classes, captions,
// start texts and the constraints other parts of the tool rely on. Built on a
// bare QMainWindow, so no socket is opened.
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QStatusBar>
#include <QMenuBar>
#include <QTextEdit>
#include <QTreeWidget>

#include "ui_toolforkx.h"

namespace {

struct Entry
{
    const char *name;
    const char *className;
    const char *text; // caption, start text or title; nullptr: not checked
};

// Every widget that a slot reads or writes, with its caption or start text.
const Entry kWidgets[] = {
    // 终端参数修改
    {"groupBox_7", "QGroupBox", "终端参数修改"},
    {"lineEdit_rebootid", "QLineEdit", ""},
    {"but_indexreboot", "QPushButton", "重启"},
    {"lineEdit_Cid", "QLineEdit", ""},
    {"but_Cid", "QPushButton", "修改"},
    {"lineEdit_MyMachType", "QLineEdit", ""},
    {"but_MyMachType", "QPushButton", "修改"},
    {"Cbox_Type", "QComboBox", nullptr},
    {"but_CMachType", "QPushButton", "修改"},
    {"label_31", "QLabel", "DHCP状态"},
    {"but_DhcpOff", "QPushButton", "DHCP关闭"},
    {"but_DhcpOn", "QPushButton", "DHCP打开"},
    {"label_32", "QLabel", "网络方式"},
    {"but_LAN", "QPushButton", "局域网-LAN"},
    {"but_WAN", "QPushButton", "广域网-WAN"},
    {"label_43", "QLabel", "MIC增益"},
    {"lineEdit_CMicGain", "QLineEdit", "30"},
    {"but_CMicGain", "QPushButton", "修改"},
    {"lineEdit_Cip", "QLineEdit", "192"},
    {"lineEdit_Cip_2", "QLineEdit", "168"},
    {"lineEdit_Cip_3", "QLineEdit", "1"},
    {"lineEdit_Cip_4", "QLineEdit", "107"},
    {"but_Cip", "QPushButton", "修改"},
    {"lineEdit_Cgateway", "QLineEdit", "192"},
    {"lineEdit_Cgateway_2", "QLineEdit", "168"},
    {"lineEdit_Cgateway_3", "QLineEdit", "1"},
    {"lineEdit_Cgateway_4", "QLineEdit", "1"},
    {"but_Cgateway", "QPushButton", "修改"},
    {"lineEdit_CMask", "QLineEdit", "255"},
    {"lineEdit_CMask_2", "QLineEdit", "255"},
    {"lineEdit_CMask_3", "QLineEdit", "255"},
    {"lineEdit_CMask_4", "QLineEdit", "0"},
    {"but_Cprot", "QPushButton", "修改"},
    {"lineEdit_CServerip", "QLineEdit", "192"},
    {"lineEdit_CServerip_2", "QLineEdit", "168"},
    {"lineEdit_CServerip_3", "QLineEdit", "1"},
    {"lineEdit_CServerip_4", "QLineEdit", "116"},
    {"but_CServerip", "QPushButton", "修改"},
    {"lineEdit_Cmac", "QLineEdit", "1C"},
    {"lineEdit_Cmac_2", "QLineEdit", "B2"},
    {"lineEdit_Cmac_3", "QLineEdit", "3C"},
    {"lineEdit_Cmac_4", "QLineEdit", "47"},
    {"lineEdit_Cmac_5", "QLineEdit", "5D"},
    {"lineEdit_Cmac_6", "QLineEdit", "01"},
    {"checkBox_SetMac", "QCheckBox", "确定"},
    {"but_Cmac", "QPushButton", "修改"},
    // 指定终端设置
    {"groupBox_2", "QGroupBox", "指定终端设置"},
    {"lineEdit_COneKeyCall", "QLineEdit", "0"},
    {"lineEdit_COneKeyCall_2", "QLineEdit", "0"},
    {"lineEdit_COneKeyCall_3", "QLineEdit", "0"},
    {"but_COneKeyCall", "QPushButton", "修改"},
    {"but_SetAuto1", "QPushButton", "自动"},
    {"but_SetAuto0", "QPushButton", "手动"},
    {"but_SetPAMuteOff", "QPushButton", "静音-OFF"},
    {"but_SetPAMuteOn", "QPushButton", "常开-ON"},
    {"but_SetExtMute", "QPushButton", "关-0"},
    {"but_SetExtLINEIN", "QPushButton", "LINEIN-1"},
    {"but_SetExtMIC", "QPushButton", "MIC-2"},
    {"but_SetCallModeOnline", "QPushButton", "在线-1"},
    {"but_SetCallModeOffline", "QPushButton", "离线-0"},
    {"checkBox_Reset", "QCheckBox", "确定"},
    {"but_MachineReset", "QPushButton", "修改"},
    {"lineEdit_COfflineName", "QLineEdit", "0"},
    {"but_SetOfflineName", "QPushButton", "修改"},
    {"lineEdit_COfflinePartId", "QLineEdit", "0"},
    {"but_SetOfflinepartid", "QPushButton", "修改"},
    {"but_SetFontUpdata", "QPushButton", "更新字库"},
    {"but_SetDisplayOk", "QPushButton", "校正屏幕"},
    // 全区功能设置
    {"groupBox", "QGroupBox", "全区功能设置"},
    {"lineEdit_tcmd", "QLineEdit", ""},
    {"but_Settcmd", "QPushButton", "修改"},
    {"lineEdit_RelayTime", "QLineEdit", "5"},
    {"but_SetRelayTime", "QPushButton", "修改"},
    {"lineEdit_WanRate", "QLineEdit", "8000"},
    {"but_SetWanRate", "QPushButton", "修改"},
    {"lineEdit_LanRate", "QLineEdit", "44100"},
    {"but_SetLanRate", "QPushButton", "修改"},
    {"lineEdit_AllServerAddr", "QLineEdit", "0"},
    {"but_SetAllServer", "QPushButton", "修改"},
    {"but_SetAllDhcpOn", "QPushButton", "DHCP打开"},
    {"but_SetAllDhcpOff", "QPushButton", "DHCP关闭"},
    {"but_SetAllLan", "QPushButton", "局域网-LAN"},
    {"but_SetAllWan", "QPushButton", "广域网-WAN"},
    {"but_SetExtMute_ALL", "QPushButton", "关-0"},
    {"but_SetExtLINEIN_ALL", "QPushButton", "LINEIN-1"},
    {"but_SetExtMIC_ALL", "QPushButton", "MIC-2"},
    {"but_SetAllReboot", "QPushButton", "全部重启"},
    // 扩展功能设置, 全区终端设置
    {"groupBox_6", "QGroupBox", "扩展功能设置"},
    {"lineEdit_CLineIn1", "QLineEdit", "238"},
    {"lineEdit_CLineIn2", "QLineEdit", "0"},
    {"lineEdit_CLineIn3", "QLineEdit", "0"},
    {"lineEdit_CLineIn4", "QLineEdit", "2"},
    {"but_CLineIn", "QPushButton", "修改"},
    {"lineEdit_MaxVol", "QLineEdit", "10"},
    {"but_SetMaxVol", "QPushButton", "修改"},
    {"but_RingOn", "QPushButton", "开启"},
    {"but_RingOff", "QPushButton", "关闭"},
    {"groupBox_3", "QGroupBox", "全区终端设置"},
    {"lineEdit_Csetvol", "QLineEdit", "0"},
    {"but_voladd", "QPushButton", "音量设置"},
    {"but_SyncTime", "QPushButton", "时间同步"},
    // 扩展功能
    {"textEdit_TTS", "QTextEdit", nullptr},
    {"label_57", "QLabel", "指令文本"},
    {"but_Settcmd2", "QPushButton", "修改"},
    {"groupBox_8", "QGroupBox", "寻呼测试"},
    {"label_39", "QLabel", "主叫终端"},
    {"lineEdit_Zhujiao", "QLineEdit", "0"},
    {"label_35", "QLabel", "被叫/组"},
    {"lineEdit_Beijiao", "QLineEdit", "0"},
    {"but_onecall", "QPushButton", "单播"},
    {"but_allcall", "QPushButton", "全播"},
    {"but_partcall", "QPushButton", "组播"},
    {"but_intercom", "QPushButton", "对讲"},
    {"but_CallStop", "QPushButton", "停止"},
    {"groupBox_10", "QGroupBox", "文件检测"},
    {"but_check_serverdb", "QPushButton", "数据库检测"},
    // right column
    {"groupBox_9", "QGroupBox", "出厂设置"},
    {"but_AutoMac", "QPushButton", "自动修改相同MAC"},
    {"label_46", "QLabel", "起始编号："},
    {"lineEdit_ChangStatId", "QLineEdit", "0"},
    {"but_AutoID", "QPushButton", "自动排序并修改相同ID"},
    {"groupBox_5", "QGroupBox", "设备扫描"},
    {"label_25", "QLabel", "本机服务地址："},
    {"lineEdit_LocalIP", "QLineEdit", "0"},
    {"label_58", "QLabel", "扫描模式选择："},
    {"checkBox_Lan", "QCheckBox", "子网"},
    {"checkBox_Wan", "QCheckBox", "跨网"},
    {"label_44", "QLabel", "扫描起始地址："},
    {"lineEdit_ScanIP1", "QLineEdit", "192"},
    {"lineEdit_ScanIP2", "QLineEdit", "168"},
    {"lineEdit_ScanIP3", "QLineEdit", "1"},
    {"lineEdit_ScanIP4", "QLineEdit", "1"},
    {"label_45", "QLabel", "扫描结束地址："},
    {"lineEdit_ScanIP5", "QLineEdit", "192"},
    {"lineEdit_ScanIP6", "QLineEdit", "168"},
    {"lineEdit_ScanIP7", "QLineEdit", "1"},
    {"lineEdit_ScanIP8", "QLineEdit", "255"},
    {"label_64", "QLabel", "扫描终端数量："},
    {"lineEdit_MachineNum", "QLineEdit", "0"},
    {"but_Scan", "QPushButton", "扫描设备"},
    // Field tools beside the specified form
    {"but_StopScan", "QPushButton", "停止扫描"},
    {"label_Interface", "QLabel", "网络接口："},
    {"comboBox_Interface", "QComboBox", nullptr},
    {"lineEdit_Filter", "QLineEdit", ""},
    {"checkBox_Verify", "QCheckBox", "发送后确认"},
    {"checkBox_Preview", "QCheckBox", "先预览"},
    {"statusbar", "QStatusBar", nullptr},
    {"menubar", "QMenuBar", nullptr},
    {"groupBox_4", "QGroupBox", "终端IP列表"},
    {"treeWidget", "QTreeWidget", nullptr},
    {"progressBar", "QProgressBar", nullptr},
    {"tabWidget", "QTabWidget", nullptr},
};

QString textOf(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    return QString();
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private:
    QMainWindow window;
    Ui::ToolForKX ui;

private Q_SLOTS:
    void initTestCase() { ui.setupUi(&window); }

    void window_()
    {
        QCOMPARE(window.objectName(), QStringLiteral("ToolForKX"));
        QCOMPARE(window.windowTitle(), QStringLiteral("QuenzalV7.6"));
        QCOMPARE(window.size(), QSize(1131, 716));
        QCOMPARE(window.focusPolicy(), Qt::NoFocus);
    }

    void widgets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("checkText");
        for (const Entry &e : kWidgets)
            QTest::newRow(e.name) << QString::fromLatin1(e.name) << QString::fromLatin1(e.className)
                                  << QString::fromUtf8(e.text ? e.text : "") << (e.text != nullptr);
    }
    void widgets()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, text);
        QFETCH(bool, checkText);
        auto *w = window.findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name + QStringLiteral(" is missing")));
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
        if (checkText)
            QCOMPARE(textOf(w), text);
    }

    void everyLineEditIsCentred()
    {
        const auto edits = window.findChildren<QLineEdit *>();
        int count = 0;
        for (QLineEdit *e : edits) {
            if (e->parent() && qobject_cast<QComboBox *>(e->parent()))
                continue;
            ++count;
            QVERIFY2(e->alignment() & Qt::AlignHCenter, qPrintable(e->objectName()));
        }
        QCOMPARE(count, 55 + 1); // and the filter field
        QVERIFY(!ui.checkBox_Verify->isChecked());
        QVERIFY(!ui.checkBox_Preview->isChecked());
        QVERIFY(!ui.but_StopScan->isEnabled());
        QCOMPARE(ui.lineEdit_Filter->placeholderText(), QString::fromUtf8("筛选：编号 / IP / MAC"));
    }

    void constraints()
    {
        QVERIFY(ui.lineEdit_rebootid->isReadOnly());
        QCOMPARE(ui.lineEdit_rebootid->maxLength(), 5);
        QCOMPARE(ui.lineEdit_rebootid->minimumWidth(), 50);
        QVERIFY(ui.lineEdit_LocalIP->isReadOnly());
        QCOMPARE(ui.lineEdit_Cid->maxLength(), 32766);
        QCOMPARE(ui.lineEdit_MyMachType->maxLength(), 16);
        QCOMPARE(ui.lineEdit_COfflinePartId->maxLength(), 3);
        QCOMPARE(ui.lineEdit_Csetvol->maxLength(), 3);
        for (QLineEdit *e : {ui.lineEdit_tcmd, ui.lineEdit_RelayTime, ui.lineEdit_WanRate, ui.lineEdit_LanRate,
                             ui.lineEdit_AllServerAddr})
            QCOMPARE(e->maxLength(), 32);
        QVERIFY(!ui.Cbox_Type->isEnabled());
        QVERIFY(!ui.but_CMachType->isEnabled());
        QStringList items;
        for (int i = 0; i < ui.Cbox_Type->count(); ++i)
            items << ui.Cbox_Type->itemText(i);
        QCOMPARE(items, QStringList({QStringLiteral("177"), QStringLiteral("178"), QStringLiteral("161"),
                                     QStringLiteral("162"), QStringLiteral("163"), QStringLiteral("164"),
                                     QStringLiteral("165"), QStringLiteral("166"), QStringLiteral("167"),
                                     QStringLiteral("168")}));
        // The label beside the disabled combo box is greyed out too.
        const auto labels = ui.groupBox_7->findChildren<QLabel *>();
        const auto typeLabel = std::find_if(labels.begin(), labels.end(),
                                            [](QLabel *l) { return l->text() == QStringLiteral("产品类型"); });
        QVERIFY(typeLabel != labels.end());
        QVERIFY(!(*typeLabel)->isEnabled());

        QVERIFY(ui.checkBox_Lan->isChecked());
        QVERIFY(!ui.checkBox_Wan->isChecked());
        QVERIFY(!ui.checkBox_SetMac->isChecked());
        QVERIFY(!ui.checkBox_Reset->isChecked());
        QVERIFY(ui.textEdit_TTS->toPlainText().isEmpty());
        QCOMPARE(ui.progressBar->value(), 0);
        QCOMPARE(ui.but_Scan->font().pointSize(), 20);
        QVERIFY(ui.but_Scan->font().bold());
        QCOMPARE(ui.but_Scan->font().family(), QStringLiteral("Arial"));
        QVERIFY(ui.label_57->font().bold());
        QVERIFY(ui.label_46->font().bold());
    }

    void typingIsCut()
    {
        ui.lineEdit_COfflinePartId->clear();
        QTest::keyClicks(ui.lineEdit_COfflinePartId, QStringLiteral("1234"));
        QCOMPARE(ui.lineEdit_COfflinePartId->text(), QStringLiteral("123"));
        ui.lineEdit_Csetvol->clear();
        QTest::keyClicks(ui.lineEdit_Csetvol, QStringLiteral("9999"));
        QCOMPARE(ui.lineEdit_Csetvol->text(), QStringLiteral("999"));
        ui.lineEdit_rebootid->setText(QStringLiteral("1234567"));
        QCOMPARE(ui.lineEdit_rebootid->text(), QStringLiteral("12345"));
        QTest::keyClicks(ui.lineEdit_LocalIP, QStringLiteral("9"));
        QCOMPARE(ui.lineEdit_LocalIP->text(), QStringLiteral("0"));
    }

    void tabs()
    {
        QCOMPARE(ui.tabWidget->count(), 3);
        QCOMPARE(ui.tabWidget->currentIndex(), 0);
        QCOMPARE(ui.tabWidget->tabPosition(), QTabWidget::North);
        const char *names[] = {"tab_2", "tab_3", "tab"};
        const char *titles[] = {"终端信息", "全区修改", "扩展功能"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(ui.tabWidget->widget(i)->objectName(), QString::fromLatin1(names[i]));
            QCOMPARE(ui.tabWidget->tabText(i), QString::fromUtf8(titles[i]));
        }
        // Each group sits on its tab.
        QVERIFY(ui.tab_2->isAncestorOf(ui.groupBox_7) && ui.tab_2->isAncestorOf(ui.groupBox_2));
        QVERIFY(ui.tab_3->isAncestorOf(ui.groupBox) && ui.tab_3->isAncestorOf(ui.groupBox_6)
                && ui.tab_3->isAncestorOf(ui.groupBox_3));
        QVERIFY(ui.tab->isAncestorOf(ui.groupBox_8) && ui.tab->isAncestorOf(ui.groupBox_10)
                && ui.tab->isAncestorOf(ui.textEdit_TTS));
        QVERIFY(!ui.tabWidget->isAncestorOf(ui.groupBox_9));
        QVERIFY(!ui.tabWidget->isAncestorOf(ui.groupBox_5));
    }

    void terminalList()
    {
        QTreeWidget *tree = ui.treeWidget;
        const char *headers[] = {"编号", "本地地址", "子网掩码", "本地网关", "MAC地址", "服务器地址", "链接", "DHCP",
                                 "音量", "网络", "固件", "类型", "型号", "功放", "主机1", "主机2",
                                 "主机3", "Mode", "增益", "延迟", "LAN频率", "WAN频率", "自动接听", "采集地址",
                                 "外部音频", "话筒模式", "Group", "第二服务器", "字库", "引导", "响铃开关", "最大音量"};
        QCOMPARE(tree->columnCount(), 32);
        for (int c = 0; c < 32; ++c) {
            QCOMPARE(tree->headerItem()->text(c), QString::fromUtf8(headers[c]));
            QCOMPARE(tree->headerItem()->textAlignment(c), int(Qt::AlignCenter));
        }
        QVERIFY(tree->isSortingEnabled());
        QCOMPARE(tree->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!tree->wordWrap());
        QVERIFY(!tree->header()->isHidden());
        QCOMPARE(tree->header()->defaultSectionSize(), 50);
        QCOMPARE(tree->header()->minimumSectionSize(), 16);
        QVERIFY(tree->header()->stretchLastSection());
        QVERIFY(!tree->header()->highlightSections());
        QCOMPARE(tree->font().pointSize(), 10);
        QCOMPARE(tree->topLevelItemCount(), 0);
    }

    void clickingAHeaderSorts()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTreeWidget *tree = ui.treeWidget;
        for (const char *id : {"002", "010", "001"}) {
            auto *item = new QTreeWidgetItem(tree);
            item->setText(0, QString::fromLatin1(id));
            item->setText(1, QStringLiteral("x") + QString::fromLatin1(id));
        }
        tree->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("010"));
        QHeaderView *header = tree->header();
        const QPoint at(header->sectionViewportPosition(0) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(header->sortIndicatorSection(), 0);
        const QString first = tree->topLevelItem(0)->text(0);
        const QString last = tree->topLevelItem(2)->text(0);
        QVERIFY2((first == QStringLiteral("001") && last == QStringLiteral("010"))
                     || (first == QStringLiteral("010") && last == QStringLiteral("001")),
                 qPrintable(first + QLatin1Char(' ') + last));
        tree->clear();
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
