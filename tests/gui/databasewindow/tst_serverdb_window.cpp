// The database window driven through its widgets.
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

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

template<class T>
T *w(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

Row terminal(QVariant id, QVariant ip, QVariant mac, QVariant name, QVariant vol = 5)
{
    return {id, vol, 0, 1, 1, 0, 1, ip, mac, name};
}

QTreeWidgetItem *rowByName(QTreeWidget *list, const QString &name)
{
    const auto found = list->findItems(name, Qt::MatchExactly, 9);
    return found.isEmpty() ? nullptr : found.first();
}

bool marked(QTreeWidgetItem *item, int column)
{
    return item->background(column).color() == Serverdb::duplicateColor()
           && item->background(column).style() == Qt::SolidPattern;
}

// A connection of the server holding its exclusive lock.
struct LockHolder {
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

} // namespace

class TestServerdbWindow : public QObject
{
    Q_OBJECT

private:
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
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(path);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
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
                                 {terminal(1, QByteArray("192.168.1.11"), QByteArray("AA:00"), QStringLiteral("大厅")),
                                  terminal(1, QByteArray("192.168.1.12"), QByteArray("AA:01"), QStringLiteral("门口")),
                                  terminal(2, QByteArray("192.168.1.13"), QByteArray("AA:02"), QStringLiteral("大厅")),
                                  terminal(3, QByteArray("192.168.1.14"), QByteArray("AA:02"), QByteArray("\xff\xfe bad"), 7),
                                  terminal(3, QByteArray("192.168.1.14"), QByteArray("AA:02"), QByteArray("\xff\xfe bad"), 9),
                                  terminal(4, QByteArray("192.168.1.15"), QByteArray("aa:02"), QByteArray("x\" OR \"1\"=\"1"))}));
        QVERIFY(fixtures::exec(m_db, "INSERT INTO Setting VALUES(1,'0','',8000)"));
    }

    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        delete m_dir;
        m_dir = nullptr;
    }

    void formAtStart()
    {
        Serverdb window(nullptr);
        QCOMPARE(window.objectName(), u("Serverdb"));
        QCOMPARE(window.windowTitle(), u("数据库终端列表(蓝色背景为重复项)"));
        auto *list = w<QTreeWidget>(&window, "treeWidget");
        QCOMPARE(list->columnCount(), 11);
        const QStringList headers{u("ID"), u("Vol"), u("M"), u("IEnable"), u("RBEnable"), u("RMEnable"),
                                  u("OBEnable "), u("IP"), u("MAC"), u("Name"), QString()};
        for (int c = 0; c < 11; ++c)
            QCOMPARE(list->headerItem()->text(c), headers[c]);
        QVERIFY(list->isSortingEnabled());
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->topLevelItemCount(), 0);
        const struct { const char *name; const char *text; } labels[] = {
            {"label_48", "文件路径："}, {"label_49", "列表数量："}, {"label_52", "操作设置："},
            {"label_50", "网络模式："}, {"label_51", "绑定地址："}, {"label_53", "版本："}};
        for (const auto &l : labels)
            QCOMPARE(w<QLabel>(&window, l.name)->text(), u(l.text));
        QCOMPARE(w<QCheckBox>(&window, "checkBox_SetDB")->text(), u("确认操作"));
        QVERIFY(!w<QCheckBox>(&window, "checkBox_SetDB")->isChecked());
        QCOMPARE(w<QPushButton>(&window, "but_SetDB_Copy")->text(), u("数据库备份"));
        QCOMPARE(w<QPushButton>(&window, "but_SetDB_Delete")->text(), u("删除选中"));
        QCOMPARE(w<QPushButton>(&window, "but_SetDB_Update")->text(), u("数据库转换"));
        QCOMPARE(w<QPushButton>(&window, "but_SetDB_Sync")->text(), u("刷新"));
        // The default path names no file here: nothing listed, nothing made.
        QCOMPARE(w<QLineEdit>(&window, "lineEdit_Serverdb")->text(), u("C:/IP-SERVER/Velmora.db"));
        QVERIFY(!w<QLineEdit>(&window, "lineEdit_Serverdb")->isReadOnly());
        for (const char *name : {"lineEdit_Serverdb_Num", "lineEdit_Serverdb_NetType", "lineEdit_Serverdb_Sip",
                                 "lineEdit_DB_Version"}) {
            QCOMPARE(w<QLineEdit>(&window, name)->text(), u("0"));
            QVERIFY2(w<QLineEdit>(&window, name)->isReadOnly(), name);
        }
        QVERIFY2(!QFile::exists(u("C:/IP-SERVER/Velmora.db")) && !QDir(u("C:")).exists(), "no file is created");
        QVERIFY(m_messages.isEmpty());
    }

    void refreshListsAndMarks()
    {
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        QCOMPARE(list->topLevelItemCount(), 6);
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_Num")->text(), u("6"));
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_DB_Version")->text(), u("V1.0 （V423以下版本软件)"));
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_NetType")->text(), u("LAN"));
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_Sip")->text(), u("Auto"));

        QTreeWidgetItem *door = rowByName(list, u("门口"));
        QVERIFY(door);
        QVERIFY2(marked(door, 0), "ID 1 is shared");
        QVERIFY(!marked(door, 7) && !marked(door, 8) && !marked(door, 9));
        const auto halls = list->findItems(u("大厅"), Qt::MatchExactly, 9);
        QCOMPARE(halls.size(), 2);
        for (QTreeWidgetItem *hall : halls)
            QVERIFY2(marked(hall, 9), "equal Chinese names are marked");
        QTreeWidgetItem *crafted = rowByName(list, u("x\" OR \"1\"=\"1"));
        QVERIFY2(!marked(crafted, 8), "MAC texts differing in case are not equal");
        QVERIFY(!marked(crafted, 1) && !marked(crafted, 0));

        // The path is read afresh: a new file, then a missing one.
        const QString other = m_dir->filePath(u("other.db"));
        QVERIFY(fixtures::createNewFormat(other));
        QVERIFY(fixtures::exec(other, "INSERT INTO Terminal(ID, IP) VALUES(9, '10.0.0.9');"
                                      "INSERT INTO Setting VALUES(1, 1, '10.0.0.1', 1);"));
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(other);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_DB_Version")->text(), u("V2.0 （V423以上版本软件)"));
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_NetType")->text(), u("WAN"));
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_Sip")->text(), u("10.0.0.1"));

        const QString missing = m_dir->filePath(u("missing.db"));
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(missing);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_Num")->text(), u("0"));
        QVERIFY2(w<QLineEdit>(window.get(), "lineEdit_DB_Version")->text().startsWith(u("V2.0")),
                 "a failed read keeps the previous format text");
        QVERIFY(!QFile::exists(missing));
        QVERIFY(m_messages.isEmpty());
    }

    void statusLine_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("start"); // of the status line; empty: no line
        QTest::newRow("readable") << u("ok") << QString();
        QTest::newRow("missing file") << u("missing") << QString();
        QTest::newRow("locked by the server") << u("locked") << u("数据库正被服务器占用(已锁定)");
        QTest::newRow("not a database") << u("text") << u("不是数据库文件");
        QTest::newRow("empty file") << u("empty") << u("不是数据库文件");
        QTest::newRow("no Terminal table") << u("notable") << u("数据库无法读取");
    }
    void statusLine()
    {
        QFETCH(QString, kind);
        QFETCH(QString, start);
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        auto *status = w<QLabel>(window.get(), "label_DbStatus");
        QCOMPARE(list->topLevelItemCount(), 6);
        QVERIFY(status->text().isEmpty() && !status->isVisible());

        QString file = m_db;
        std::unique_ptr<LockHolder> lock;
        if (kind == u("missing"))
            file = m_dir->filePath(u("none.db"));
        if (kind == u("text") || kind == u("empty")) {
            file = m_dir->filePath(u("other.db"));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == u("text"))
                f.write(QByteArray("no database\n").repeated(100));
        }
        if (kind == u("locked")) {
            lock = std::make_unique<LockHolder>(m_db);
            QVERIFY(lock->ok);
        }
        if (kind == u("notable")) {
            file = m_dir->filePath(u("other.db"));
            QVERIFY(fixtures::exec(file, "CREATE TABLE Setting(NetworkType, ServerIP)"));
        }
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(file);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);

        QVERIFY(m_messages.isEmpty()); // never a dialog
        if (start.isEmpty()) {
            QVERIFY2(status->text().isEmpty() && !status->isVisible(), qPrintable(status->text()));
        } else {
            QVERIFY2(status->isVisible() && status->text().startsWith(start), qPrintable(status->text()));
            QVERIFY(status->text().contains(file));
            QCOMPARE(list->topLevelItemCount(), 0);
        }
        QCOMPARE(QFile::exists(file), kind != u("missing"));

        // Once the file can be read again the line goes.
        lock.reset();
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(m_db);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 6);
        QVERIFY(status->text().isEmpty() && !status->isVisible());
    }

    void failedDeleteSaysSo_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("locked by the server") << u("locked") << u("删除失败:数据库正被服务器占用(已锁定)，请稍后再试");
        QTest::newRow("row already gone") << u("gone") << u("删除失败:数据库中已没有该行");
        QTest::newRow("file gone") << u("nofile") << u("删除失败:文件不存在: ");
    }
    void failedDeleteSaysSo()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        selectRow(window.get(), rowByName(list, u("门口")));
        std::unique_ptr<LockHolder> lock;
        if (kind == u("locked")) {
            lock = std::make_unique<LockHolder>(m_db);
            QVERIFY(lock->ok);
        }
        if (kind == u("gone"))
            QVERIFY(fixtures::exec(m_db, "DELETE FROM Terminal WHERE IP='192.168.1.12'"));
        if (kind == u("nofile"))
            QVERIFY(QFile::remove(m_db));
        w<QCheckBox>(window.get(), "checkBox_SetDB")->click();
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Delete"), Qt::LeftButton);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(message), qPrintable(m_messages[0]));
        QVERIFY(!w<QCheckBox>(window.get(), "checkBox_SetDB")->isChecked());
        lock.reset();
        if (kind == u("locked"))
            QCOMPARE(fixtures::rows(m_db, "SELECT count(*) FROM Terminal").value(0).value(0).toInt(), 6);
        QVERIFY(kind != u("nofile") || !QFile::exists(m_db));
    }

    void closedWindowsAreFreed()
    {
        QWidget main; // stands in for the main window
        QList<QPointer<Serverdb>> windows;
        for (int i = 0; i < 100; ++i) {
            Serverdb *window = Serverdb::openWindow(&main);
            QVERIFY(window->isVisible());
            QCOMPARE(window->parentWidget(), &main);
            windows << window;
            if (i % 2) { // half of them with a list
                w<QLineEdit>(window, "lineEdit_Serverdb")->setText(m_db);
                window->but_SetDB_Sync();
            }
        }
        QCOMPARE(main.findChildren<Serverdb *>().size(), 100);
        // Each click opens one more: all 100 are distinct windows.
        QCOMPARE(QSet<Serverdb *>(windows.begin(), windows.end()).size(), 100);
        for (const QPointer<Serverdb> &window : windows)
            QVERIFY(window->close());
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(windows.begin(), windows.end(), [](const QPointer<Serverdb> &p) { return p.isNull(); }),
                                 5000);
        QVERIFY(main.findChildren<Serverdb *>().isEmpty());
    }

    void unconfirmedActionsOnlyWarn_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("backup") << u("but_SetDB_Copy");
        QTest::newRow("delete") << u("but_SetDB_Delete");
    }
    void unconfirmedActionsOnlyWarn()
    {
        QFETCH(QString, button);
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        selectRow(window.get(), rowByName(list, u("门口")));
        const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);
        const QByteArray digest = fixtures::fileDigest(m_db);
        QTest::mouseClick(w<QPushButton>(window.get(), button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{u("请勾选确认操作")});
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), before);
        QCOMPARE(fixtures::fileDigest(m_db), digest);
        QCOMPARE(list->topLevelItemCount(), 6);
        QVERIFY(!w<QCheckBox>(window.get(), "checkBox_SetDB")->isChecked());
    }

    void deleteSelectedRow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        QTest::newRow("shared ID, other rows stay") << u("门口") << 5;
        QTest::newRow("undecodable name, both Vol rows") << QString::fromLocal8Bit(QByteArray("\xff\xfe bad")) << 4;
        QTest::newRow("crafted name") << u("x\" OR \"1\"=\"1") << 5;
    }
    void deleteSelectedRow()
    {
        QFETCH(QString, name);
        QFETCH(int, left);
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        QTreeWidgetItem *item = rowByName(list, name);
        QVERIFY(item);
        selectRow(window.get(), item);
        QCOMPARE(list->selectedItems().size(), 1);
        w<QCheckBox>(window.get(), "checkBox_SetDB")->click();
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Delete"), Qt::LeftButton);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!w<QCheckBox>(window.get(), "checkBox_SetDB")->isChecked());
        QVERIFY2(!rowByName(list, name), "the reloaded list no longer shows the row");
        QCOMPARE(fixtures::rows(m_db, "SELECT count(*) FROM Terminal").value(0).value(0).toInt(), left);
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_Num")->text(), QString::number(left));
    }

    void deleteWithoutSelectionKeepsBoxArmed()
    {
        auto window = openOn(m_db);
        auto *box = w<QCheckBox>(window.get(), "checkBox_SetDB");
        box->click();
        const QByteArray digest = fixtures::fileDigest(m_db);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Delete"), Qt::LeftButton);
        QVERIFY(box->isChecked());
        QCOMPARE(fixtures::fileDigest(m_db), digest);
        QVERIFY(m_messages.isEmpty());
    }

    void backupButton()
    {
        auto window = openOn(m_db);
        auto *box = w<QCheckBox>(window.get(), "checkBox_SetDB");
        box->click();
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Copy"), Qt::LeftButton);
        QVERIFY(!box->isChecked());
        const QStringList backups = QDir(m_dir->path()).entryList({u("Velmora_*.db")}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY(QRegularExpression(u("^Velmora_\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.db$")).match(backups[0]).hasMatch());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].contains(m_dir->filePath(backups[0])), qPrintable(m_messages[0]));
        QCOMPARE(fixtures::rows(m_dir->filePath(backups[0]), "SELECT * FROM Terminal"),
                 fixtures::rows(m_db, "SELECT * FROM Terminal"));

        // A source that is missing: the failure is reported, nothing made.
        m_messages.clear();
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(m_dir->filePath(u("gone.db")));
        box->click();
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Copy"), Qt::LeftButton);
        QVERIFY(!box->isChecked());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith(u("数据库备份失败")));
        QCOMPARE(QDir(m_dir->path()).entryList({u("Velmora_*.db")}, QDir::Files).size(), 1);
    }

    void conversionButton()
    {
        auto window = openOn(m_db);
        auto *convert = w<QPushButton>(window.get(), "but_SetDB_Update");

        QTest::mouseClick(convert, Qt::LeftButton);
        QCOMPARE(m_messages.takeLast(), u("参考数据库不存在，请将423以上版本空白数据库复制到当前目录下，数据库名称必须为:LS_New.db"));
        QVERIFY(fixtures::createReference(u("LS_New.db")));

        QTest::mouseClick(convert, Qt::LeftButton);
        QCOMPARE(m_messages.takeLast(), u("数据库转换完成,当前目录下数据库名称为:Velmora_new.db"));
        QVERIFY(QFile::exists(u("Velmora_new.db")));
        QCOMPARE(QDir::current().entryList({u("Velmora_*_41X.db")}, QDir::Files).size(), 1);
        QCOMPARE(fixtures::rows(u("Velmora_new.db"), "SELECT count(*) FROM Terminal").value(0).value(0).toInt(), 6);
        QCOMPARE(w<QTreeWidget>(window.get(), "treeWidget")->topLevelItemCount(), 6);

        // Rows the output refuses are named under the completion line.
        QVERIFY(fixtures::exec(u("LS_New.db"), "CREATE UNIQUE INDEX one_id ON Terminal(ID)"));
        QTest::qWait(1100); // the backup name has a one-second grain
        QTest::mouseClick(convert, Qt::LeftButton);
        QCOMPARE(m_messages.takeLast(), u("数据库转换完成,当前目录下数据库名称为:Velmora_new.db\nTerminal表有2行未复制"));

        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(u("Velmora_new.db"));
        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY2(m_messages.takeLast().startsWith(u("数据库不能是")), "the output is never its own source");

        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(u("LS_New.db"));
        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(!m_messages.isEmpty());

        const QString newFormat = m_dir->filePath(u("new.db"));
        QVERIFY(fixtures::createNewFormat(newFormat));
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(newFormat);
        QTest::mouseClick(convert, Qt::LeftButton);
        QCOMPARE(m_messages.takeLast(), u("当前数据库版本已经是最新的不需要转换"));

        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(m_dir->filePath(u("none.db")));
        QTest::mouseClick(convert, Qt::LeftButton);
        QCOMPARE(m_messages.takeLast(), u("请将423以下版本数据库复制到当前目录下，数据库名称必须为:Velmora.db"));
    }

    void hugeNameIsListedAndDeleted()
    {
        const QByteArray huge = QByteArray("名").repeated(1 << 20);
        QVERIFY(fixtures::insert(m_db, "Terminal", {terminal(77, QByteArray("ip77"), QByteArray("mac77"), huge)}));
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        QCOMPARE(list->topLevelItemCount(), 7);
        const auto found = list->findItems(u("77"), Qt::MatchExactly, 0);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0]->text(9).size(), qsizetype(1 << 20));
        selectRow(window.get(), found[0]);
        QCOMPARE(list->selectedItems(), found);
        w<QCheckBox>(window.get(), "checkBox_SetDB")->click();
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Delete"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 6);
    }

    void windowsAreIndependent()
    {
        auto first = openOn(m_db);
        auto second = openOn(m_db);
        auto *list1 = w<QTreeWidget>(first.get(), "treeWidget");
        selectRow(first.get(), rowByName(list1, u("门口")));
        w<QCheckBox>(first.get(), "checkBox_SetDB")->click();
        QTest::mouseClick(w<QPushButton>(first.get(), "but_SetDB_Delete"), Qt::LeftButton);
        QCOMPARE(list1->topLevelItemCount(), 5);
        auto *list2 = w<QTreeWidget>(second.get(), "treeWidget");
        QCOMPARE(list2->topLevelItemCount(), 6);
        QTest::mouseClick(w<QPushButton>(second.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QCOMPARE(list2->topLevelItemCount(), 5);
    }
};

QTEST_MAIN(TestServerdbWindow)
#include "tst_serverdb_window.moc"
