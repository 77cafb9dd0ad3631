#pragma once
// What the tst_serverdb_window tests share: the fixture class and its helpers.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sqlite3.h>

#include "dbfixtures.h"
#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/usermessage.h"

using fixtures::Row;

namespace serverdb_window_fixture {

inline QString u(const char *text)
{
    return QString::fromUtf8(text);
}

template <class T> inline T *w(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

inline Row terminal(QVariant id, QVariant ip, QVariant mac, QVariant name, QVariant vol = 5)
{
    return { id, vol, 0, 1, 1, 0, 1, ip, mac, name };
}

// The window's operations run on a worker: true once it has shown the
// results of all of them.
inline bool idle(Serverdb *window, int timeoutMs = 20000)
{
    return QTest::qWaitFor([window] { return !window->busy(); }, timeoutMs);
}

inline QTreeWidgetItem *rowByName(QTreeWidget *list, const QString &name)
{
    const auto found = list->findItems(name, Qt::MatchExactly, 9);
    return found.isEmpty() ? nullptr : found.first();
}

inline bool marked(QTreeWidgetItem *item, int column)
{
    return item->background(column).color() == Serverdb::duplicateColor()
        && item->background(column).style() == Qt::SolidPattern;
}

// A connection of the server holding its exclusive lock.
struct LockHolder
{
    sqlite3 *db = nullptr;
    bool ok = false;
    explicit LockHolder(const QString &path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        ok = sqlite3_exec(db, "BEGIN EXCLUSIVE; INSERT INTO Terminal(ID) VALUES(999);", nullptr, nullptr, nullptr)
            == SQLITE_OK;
    }
    ~LockHolder()
    {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
    }
};

} // namespace serverdb_window_fixture

using namespace serverdb_window_fixture;

class TestServerdbWindowFixture : public QObject
{
    Q_OBJECT

protected:
    QTemporaryDir *m_dir = nullptr;
    QStringList m_messages;
    QString m_db;

    // A window already showing the old-format test database.
    std::unique_ptr<Serverdb> openOn(const QString &path)
    {
        auto window = std::make_unique<Serverdb>(nullptr);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("window not exposed");
        if (!idle(window.get()))
            qWarning("the window's first load did not end");
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(path);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        if (!idle(window.get()))
            qWarning("the refresh did not end");
        return window;
    }

    void selectRow(Serverdb *window, QTreeWidgetItem *item)
    {
        auto *list = w<QTreeWidget>(window, "treeWidget");
        list->scrollToItem(item);
        // Into the ID cell: a row can be far wider than the viewport.
        const QPoint at(list->header()->sectionViewportPosition(0) + 4, list->visualItemRect(item).center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }

private Q_SLOTS:
    void initTestCase()
    {
        quenzal::serverdb::setWarningHandler([this](QWidget *, const QString &text) { m_messages << text; });
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        QDir::setCurrent(m_dir->path());
        m_messages.clear();
        m_db = m_dir->filePath(u("Velmora.db"));
        QVERIFY(fixtures::createOldFormat(m_db));
        QVERIFY(fixtures::insert(m_db, "Terminal",
            { terminal(1, QByteArray("192.168.1.11"), QByteArray("AA:00"), QStringLiteral("大厅")),
                terminal(1, QByteArray("192.168.1.12"), QByteArray("AA:01"), QStringLiteral("门口")),
                terminal(2, QByteArray("192.168.1.13"), QByteArray("AA:02"), QStringLiteral("大厅")),
                terminal(3, QByteArray("192.168.1.14"), QByteArray("AA:02"), QByteArray("\xff\xfe bad"), 7),
                terminal(3, QByteArray("192.168.1.14"), QByteArray("AA:02"), QByteArray("\xff\xfe bad"), 9),
                terminal(4, QByteArray("192.168.1.15"), QByteArray("aa:02"), QByteArray("x\" OR \"1\"=\"1")) }));
        QVERIFY(fixtures::exec(m_db, "INSERT INTO Setting VALUES(1,'0','',8000)"));
    }

    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        delete m_dir;
        m_dir = nullptr;
    }
};
