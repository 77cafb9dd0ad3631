#pragma once
// What the tst_discoverywindow tests share: the fixture class and its helpers.
// WAN scans, rows and their colours, the tick, selection, and the socket of
// the inactive mode.
#include "gui/mainwindow/toolforkx.h"
#include "netnsrig.h"
#include "replybuilder.h"
#include "core/transport/statusreply.h"

#include "ui_toolforkx.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUdpSocket>

#include <algorithm>
#include <memory>

using namespace quenzal;

namespace discoverywindow_fixture {

const QColor BaseColour(QStringLiteral("#CAFFF0"));
const QColor FlagColour(QStringLiteral("#CAFFFF"));
const QColor IdDuplicate(0, 255, 255);
const QColor AddressDuplicate(100, 255, 255);

inline QColor cellColour(const QTreeWidgetItem *item, int column)
{
    const QBrush b = item->background(column);
    return b.style() == Qt::NoBrush ? QColor() : b.color();
}

inline QTreeWidgetItem *rowWithIp(QTreeWidget *list, const QString &ip)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(ColIp) == ip)
            return list->topLevelItem(i);
    }
    return nullptr;
}

// A point inside the ID cell of a row, where a user would press.
inline QPoint idCell(QTreeWidget *list, QTreeWidgetItem *row)
{
    list->scrollToItem(row);
    const QRect r = list->visualItemRect(row);
    return QPoint(list->header()->sectionViewportPosition(0) + 4, r.center().y());
}

inline void pressRow(QTreeWidget *list, QTreeWidgetItem *row)
{
    const QPoint at = idCell(list, row);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

inline bool sortedById(QTreeWidget *list)
{
    for (int i = 1; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) < list->topLevelItem(i - 1)->text(0))
            return false;
    }
    return true;
}

// The small fleet of the LAN tests: 005 twice (different IP and MAC), and one
// terminal that answers twice (same ID, IP and MAC).
const char LanFleet[] = R"(
firmware = 545
mask = 255.255.0.0
gateway = 198.18.0.254
server = 198.18.0.1
[terminal]
id = 5
ip = 198.18.0.2
mac = 02:00:00:00:00:01
text = KX-100
amplifier = 1
extaudio = 3
micmode = 1
autoanswer = 1
dhcp = 1
netmode = wan
[terminal]
id = 5
ip = 198.18.3.2
mac = 02:00:00:00:00:02
[terminal]
id = 9
ip = 198.18.3.9
mac = 02:00:00:00:00:09
repeat = 2
[terminal]
id = 9
ip = 198.18.3.9
mac = 02:00:00:00:00:09
)";

} // namespace

using namespace discoverywindow_fixture;

class TestDiscoveryWindowFixture : public QObject
{
    Q_OBJECT

protected:
    QTemporaryDir m_dir;
    testrig::Simulator m_sim;

    // A status reply straight to one of the tool's ports over loopback.
    static void sendToTool(const QByteArray &datagram, quint16 port)
    {
        QUdpSocket s;
        s.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }

    static sim::TerminalState terminal(int id, quint8 ipLast)
    {
        sim::TerminalState t;
        t.id = quint16(id);
        t.ip = { 10, 9, 8, ipLast };
        t.mac = { 2, 0, 0, 0, 0, ipLast };
        return t;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QVERIFY(m_dir.isValid());
        for (const char *a : { "198.18.3.2", "198.18.3.9", "198.18.3.10" })
            QVERIFY2(testrig::addTerminalAddress(QLatin1String(a)), a);
        for (int i = 250; i <= 254; ++i)
            QVERIFY(testrig::addTerminalAddress(QStringLiteral("198.18.7.%1").arg(i)));
        for (int i = 0; i <= 2; ++i)
            QVERIFY(testrig::addTerminalAddress(QStringLiteral("198.18.8.%1").arg(i)));
    }

    void cleanup() { m_sim.stop(); }
};
