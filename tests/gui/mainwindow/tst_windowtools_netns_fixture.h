#pragma once
// What the tst_windowtools_netns tests share: the fixture class and its helpers.
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

namespace windowtools_netns_fixture {

inline QString s(const char *t)
{
    return QString::fromUtf8(t);
}

inline QTreeWidgetItem *addRow(ToolForKX &window, const char *id, const char *ip, const char *mac)
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

inline void select(ToolForKX &window, QTreeWidgetItem *item)
{
    window.form()->treeWidget->clearSelection();
    window.form()->treeWidget->setCurrentItem(item);
    item->setSelected(true);
    window.SoltSettest();
}

inline QStringList column(ToolForKX &window, int c)
{
    QStringList out;
    for (int r = 0; r < window.form()->treeWidget->topLevelItemCount(); ++r)
        out << window.form()->treeWidget->topLevelItem(r)->text(c);
    return out;
}

// Runs action; when the preview opens, reads its table and presses "发送"
// (send) or "取消". Returns the table's rows as "row|old|new|destination".
inline QStringList answerPreview(const std::function<void()> &action, bool send, bool *opened)
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
inline QList<QByteArray> drain(Probe &probe)
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

using namespace windowtools_netns_fixture;

class TestWindowToolsFixture : public QObject
{
    Q_OBJECT

protected:
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
};
