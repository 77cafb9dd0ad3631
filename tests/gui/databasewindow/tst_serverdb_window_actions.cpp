// The database window on real SQLite files: freeing closed windows, confirmations, delete, backup, conversion.
#include "tst_serverdb_window_fixture.h"

class TestServerdbWindowActions : public TestServerdbWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
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
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(windows.begin(), windows.end(), [](const QPointer<Serverdb> &p) { return p.isNull(); }), 5000);
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
        QVERIFY(idle(window.get()));
        QCOMPARE(m_messages, QStringList { u("请勾选确认操作") });
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
        QVERIFY(idle(window.get()));
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
        QVERIFY(idle(window.get()));
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
        QVERIFY(idle(window.get()));
        QVERIFY(!box->isChecked());
        const QStringList backups = QDir(m_dir->path()).entryList({ u("Velmora_*.db") }, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY(QRegularExpression(u("^Velmora_\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.db$"))
                    .match(backups[0])
                    .hasMatch());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].contains(m_dir->filePath(backups[0])), qPrintable(m_messages[0]));
        QCOMPARE(fixtures::rows(m_dir->filePath(backups[0]), "SELECT * FROM Terminal"),
            fixtures::rows(m_db, "SELECT * FROM Terminal"));

        // A source that is missing: the failure is reported, nothing made.
        m_messages.clear();
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(m_dir->filePath(u("gone.db")));
        box->click();
        QTest::mouseClick(w<QPushButton>(window.get(), "but_SetDB_Copy"), Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QVERIFY(!box->isChecked());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith(u("数据库备份失败")));
        QCOMPARE(QDir(m_dir->path()).entryList({ u("Velmora_*.db") }, QDir::Files).size(), 1);
    }

    void conversionButton()
    {
        auto window = openOn(m_db);
        auto *convert = w<QPushButton>(window.get(), "but_SetDB_Update");

        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(m_messages.takeLast(),
            u("参考数据库不存在，请将423以上版本空白数据库复制到当前目录下，数据库名称必须为:LS_New.db"));
        QVERIFY(fixtures::createReference(u("LS_New.db")));

        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(m_messages.takeLast(), u("数据库转换完成,当前目录下数据库名称为:Velmora_new.db"));
        QVERIFY(QFile::exists(u("Velmora_new.db")));
        QCOMPARE(QDir::current().entryList({ u("Velmora_*_41X.db") }, QDir::Files).size(), 1);
        QCOMPARE(fixtures::rows(u("Velmora_new.db"), "SELECT count(*) FROM Terminal").value(0).value(0).toInt(), 6);
        QCOMPARE(w<QTreeWidget>(window.get(), "treeWidget")->topLevelItemCount(), 6);

        // Rows the output refuses are named under the completion line.
        QVERIFY(fixtures::exec(u("LS_New.db"), "CREATE UNIQUE INDEX one_id ON Terminal(ID)"));
        QTest::qWait(1100); // the backup name has a one-second grain
        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(
            m_messages.takeLast(), u("数据库转换完成,当前目录下数据库名称为:Velmora_new.db\nTerminal表有2行未复制"));

        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(u("Velmora_new.db"));
        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QVERIFY2(m_messages.takeLast().startsWith(u("数据库不能是")), "the output is never its own source");

        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(u("LS_New.db"));
        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QVERIFY(!m_messages.isEmpty());

        const QString newFormat = m_dir->filePath(u("new.db"));
        QVERIFY(fixtures::createNewFormat(newFormat));
        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(newFormat);
        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(m_messages.takeLast(), u("当前数据库版本已经是最新的不需要转换"));

        w<QLineEdit>(window.get(), "lineEdit_Serverdb")->setText(m_dir->filePath(u("none.db")));
        QTest::mouseClick(convert, Qt::LeftButton);
        QVERIFY(idle(window.get()));
        QCOMPARE(m_messages.takeLast(), u("请将423以下版本数据库复制到当前目录下，数据库名称必须为:Velmora.db"));
    }

    void hugeNameIsListedAndDeleted()
    {
        const QByteArray huge = QByteArray("名").repeated(1 << 20);
        QVERIFY(fixtures::insert(m_db, "Terminal", { terminal(77, QByteArray("ip77"), QByteArray("mac77"), huge) }));
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
        QVERIFY(idle(window.get()));
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
        QVERIFY(idle(first.get()));
        QCOMPARE(list1->topLevelItemCount(), 5);
        auto *list2 = w<QTreeWidget>(second.get(), "treeWidget");
        QCOMPARE(list2->topLevelItemCount(), 6);
        QTest::mouseClick(w<QPushButton>(second.get(), "but_SetDB_Sync"), Qt::LeftButton);
        QVERIFY(idle(second.get()));
        QCOMPARE(list2->topLevelItemCount(), 5);
    }
};

QTEST_MAIN(TestServerdbWindowActions)
#include "moc_tst_serverdb_window_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_serverdb_window_actions.moc"
