// The database window on real SQLite files: the form, the list and its marks, the status line, deletes that fail.
#include "tst_serverdb_window_fixture.h"

class TestServerdbWindowList : public TestServerdbWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void formAtStart()
    {
        Serverdb window(nullptr);
        QCOMPARE(window.objectName(), u("Serverdb"));
        QCOMPARE(window.windowTitle(), u("数据库终端列表(蓝色背景为重复项)"));
        auto *list = w<QTreeWidget>(&window, "treeWidget");
        QCOMPARE(list->columnCount(), 11);
        const QStringList headers { u("ID"), u("Vol"), u("M"), u("IEnable"), u("RBEnable"), u("RMEnable"),
            u("OBEnable "), u("IP"), u("MAC"), u("Name"), QString() };
        for (int c = 0; c < 11; ++c)
            QCOMPARE(list->headerItem()->text(c), headers[c]);
        QVERIFY(list->isSortingEnabled());
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->topLevelItemCount(), 0);
        const struct
        {
            const char *name;
            const char *text;
        } labels[] = { { "label_48", "文件路径：" }, { "label_49", "列表数量：" }, { "label_52", "操作设置：" },
            { "label_50", "网络模式：" }, { "label_51", "绑定地址：" }, { "label_53", "版本：" } };
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
        for (const char *name :
            { "lineEdit_Serverdb_Num", "lineEdit_Serverdb_NetType", "lineEdit_Serverdb_Sip", "lineEdit_DB_Version" }) {
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
        QVERIFY(fixtures::exec(other,
            "INSERT INTO Terminal(ID, IP) VALUES(9, '10.0.0.9');"
            "INSERT INTO Setting VALUES(1, 1, '10.0.0.1', 1);"));
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(other);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_DB_Version")->text(), u("V2.0 （V423以上版本软件)"));
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_NetType")->text(), u("WAN"));
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_Sip")->text(), u("10.0.0.1"));

        const QString missing = m_dir->filePath(u("missing.db"));
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(missing);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(w<QLineEdit>(window.get(), "lineEdit_Serverdb_Num")->text(), u("0"));
        QVERIFY2(w<QLineEdit>(window.get(), "lineEdit_DB_Version")->text().startsWith(u("V2.0")),
            "a failed read keeps the previous format text");
        QVERIFY(!QFile::exists(missing));
        QVERIFY(m_messages.isEmpty());
    }

    // A refresh keeps the header's sort: the rows come in the order that the
    // list's own sort gives, sorting stays on, and a click on a header still
    // sorts.
    void refreshKeepsTheSort_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::newRow("ID ascending") << 0 << int(Qt::AscendingOrder);
        QTest::newRow("Name descending") << 9 << int(Qt::DescendingOrder);
        QTest::newRow("IP ascending") << 7 << int(Qt::AscendingOrder);
        QTest::newRow("MAC descending") << 8 << int(Qt::DescendingOrder);
    }

    void refreshKeepsTheSort()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        const auto sortOrder = Qt::SortOrder(order);
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        list->sortItems(column, sortOrder);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(list->topLevelItemCount(), 6);
        QVERIFY(list->isSortingEnabled());
        QVERIFY(list->header()->isSortIndicatorShown());
        QCOMPARE(list->header()->sortIndicatorSection(), column);
        QCOMPARE(list->header()->sortIndicatorOrder(), sortOrder);
        auto rows = [list] {
            QStringList texts;
            for (int r = 0; r < list->topLevelItemCount(); ++r) {
                QTreeWidgetItem *item = list->topLevelItem(r);
                for (int c = 0; c < list->columnCount(); ++c)
                    texts << item->text(c);
            }
            return texts;
        };
        const QStringList shown = rows();
        list->sortItems(column, sortOrder);
        QCOMPARE(rows(), shown);

        const int other = 1; // Vol, a column that none of the rows above sorts by
        // What a click on the header does.
        QVERIFY(list->header()->sectionsClickable());
        list->header()->setSortIndicator(other, Qt::DescendingOrder);
        QCOMPARE(list->header()->sortIndicatorSection(), other);
        for (int r = 1; r < list->topLevelItemCount(); ++r) {
            const QString a = list->topLevelItem(r - 1)->text(other), b = list->topLevelItem(r)->text(other);
            QVERIFY2(!(a < b), qPrintable(a + u(" / ") + b));
        }
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
        QVERIFY(idle(window.get()));

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
        QVERIFY(idle(window.get()));
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
        QVERIFY(idle(window.get()));
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(message), qPrintable(m_messages[0]));
        QVERIFY(!w<QCheckBox>(window.get(), "checkBox_SetDB")->isChecked());
        lock.reset();
        if (kind == u("locked"))
            QCOMPARE(fixtures::rows(m_db, "SELECT count(*) FROM Terminal").value(0).value(0).toInt(), 6);
        QVERIFY(kind != u("nofile") || !QFile::exists(m_db));
    }

    // While an operation runs the window answers: the buttons that would
    // start another are off, the message line says that the server holds
    // the lock and that the window waits, and the list comes when it goes.
    void waitsForTheLockWithoutFreezing()
    {
        auto window = openOn(m_db);
        auto *list = w<QTreeWidget>(window.get(), "treeWidget");
        auto *status = w<QLabel>(window.get(), "label_DbStatus");
        QVERIFY(fixtures::exec(m_db, "DELETE FROM Terminal WHERE IP='192.168.1.12'"));
        auto lock = std::make_unique<LockHolder>(m_db);
        QVERIFY(lock->ok);
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QVERIFY(window->busy());
        for (const char *button :
            { "but_SetDB_Copy", "but_SetDB_Delete", "but_SetDB_Update", "but_SetDB_Sync", "but_Reconcile" })
            QVERIFY2(!w<QPushButton>(window.get(), button)->isEnabled(), button);
        QTRY_VERIFY2(status->isVisible() && status->text().contains(u("正在等待")), qPrintable(status->text()));
        QVERIFY(status->text().startsWith(u("数据库正被服务器占用(已锁定)")));
        QCOMPARE(list->topLevelItemCount(), 6); // the previous list stays until the new one is read
        lock.reset();
        QVERIFY(idle(window.get()));
        QCOMPARE(list->topLevelItemCount(), 5);
        QVERIFY2(!status->isVisible() && status->text().isEmpty(), qPrintable(status->text()));
        QVERIFY(w<QPushButton>(window.get(), "but_SetDB_Sync")->isEnabled());
        QVERIFY(m_messages.isEmpty());
    }

    void cancelKeepsWhatIsShown_data()
    {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("cancel button") << false;
        QTest::newRow("closing the window") << true;
    }
    void cancelKeepsWhatIsShown()
    {
        QFETCH(bool, byClosing);
        QWidget main;
        QPointer<Serverdb> window = Serverdb::openWindow(&main);
        QVERIFY(idle(window));
        w<QLineEdit>(window, "lineEdit_Serverdb")->setText(m_db);
        window->but_SetDB_Sync();
        QVERIFY(idle(window));
        auto *list = w<QTreeWidget>(window, "treeWidget");
        QCOMPARE(list->topLevelItemCount(), 6);
        LockHolder lock(m_db);
        QVERIFY(lock.ok);
        QTest::mouseClick(w<QPushButton>(window, "but_SetDB_Sync"), Qt::LeftButton);
        auto *cancel = w<QPushButton>(window, "but_SetDB_Cancel");
        QTRY_VERIFY(cancel->isVisible()); // once the wait has lasted a moment
        if (byClosing) {
            QVERIFY(window->close());
            // Freed while the server still holds its lock, long before the
            // read would have given up.
            QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 1000);
            return;
        }
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->busy(), 1000);
        QCOMPARE(list->topLevelItemCount(), 6);
        QCOMPARE(w<QLineEdit>(window, "lineEdit_Serverdb_Num")->text(), u("6"));
        QCOMPARE(w<QLabel>(window, "label_DbStatus")->text(), u("操作已取消"));
        QVERIFY(!cancel->isVisible());
        QVERIFY(m_messages.isEmpty());
        delete window;
    }
};

QTEST_MAIN(TestServerdbWindowList)
#include "moc_tst_serverdb_window_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_serverdb_window_list.moc"
