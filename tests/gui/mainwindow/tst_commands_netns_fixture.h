#pragma once
// What the tst_commands_netns tests share: the fixture class and its helpers.
// namespaces: the bytes that leave the tool in LAN and WAN mode, the armed
// commands and their warnings, the WAN fan-out of the zone-wide commands and
// where the numbering passes send their packets.
#include <QtTest>
#include <QTextEdit>
#include <QTreeWidgetItem>

#include "gui/mainwindow/toolforkx.h"
#include "core/commands/commandpackets.h"
#include "probe.h"
#include "ui_toolforkx.h"

using namespace quenzal;
using cmdtest::Datagram;
using cmdtest::Probe;

namespace commands_netns_fixture {

inline QString s(const char *t)
{
    return QString::fromUtf8(t);
}

// A terminal list row as a status reply would make it.
inline QTreeWidgetItem *addRow(ToolForKX &window, const char *id, const char *ip, const char *mac)
{
    QStringList texts;
    for (int c = 0; c < 32; ++c)
        texts << QString();
    texts[0] = s(id);
    texts[1] = s(ip);
    texts[4] = s(mac);
    auto *item = new QTreeWidgetItem(texts);
    window.form()->treeWidget->addTopLevelItem(item);
    return item;
}

// Sets the texts of the named line edits (or the plain text of a text edit).
inline void setFields(ToolForKX &window, const QStringList &names, const QStringList &texts)
{
    for (int i = 0; i < names.size(); ++i) {
        if (auto *edit = window.findChild<QLineEdit *>(names.at(i)))
            edit->setText(texts.at(i));
        else if (auto *text = window.findChild<QTextEdit *>(names.at(i)))
            text->setPlainText(texts.at(i));
        else
            QTest::qFail(qPrintable(names.at(i)), __FILE__, __LINE__);
    }
}

inline QStringList column(ToolForKX &window, int c)
{
    QStringList out;
    for (int r = 0; r < window.form()->treeWidget->topLevelItemCount(); ++r)
        out << window.form()->treeWidget->topLevelItem(r)->text(c);
    return out;
}

} // namespace

using namespace commands_netns_fixture;

class TestCommandsNetnsFixture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QLoggingCategory::setFilterRules(QStringLiteral("quenzal.*.debug=false"));
        QVERIFY(testrig::addTerminalAddress(s("198.18.1.6")));
        QVERIFY(testrig::addTerminalAddress(s("198.18.1.12")));
    }
};
