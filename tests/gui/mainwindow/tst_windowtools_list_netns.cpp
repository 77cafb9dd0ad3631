// The main window's field tools on real sockets in the namespaces: start state, default datagrams, status bar, filter, export and copy.
#include "tst_windowtools_netns_fixture.h"

class TestWindowtoolsListNetns : public TestWindowToolsFixture
{
    Q_OBJECT

private Q_SLOTS:
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
        // The system's choice first, shown at start, then every up interface
        // with an IPv4 address, the address the fields show among them.
        QVERIFY(ui->comboBox_Interface->count() >= 2);
        QCOMPARE(ui->comboBox_Interface->currentText(), s("系统选择"));
        QVERIFY2(ui->comboBox_Interface->findText(ui->lineEdit_LocalIP->text(), Qt::MatchEndsWith) < 0,
            "no entry ends with the bare address");
        QVERIFY2(ui->comboBox_Interface->findText(QStringLiteral(" (") + ui->lineEdit_LocalIP->text() + QLatin1Char(')'),
                     Qt::MatchEndsWith)
                > 0,
            qPrintable(ui->lineEdit_LocalIP->text()));
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
};

QTEST_MAIN(TestWindowtoolsListNetns)
#include "moc_tst_windowtools_netns_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_windowtools_list_netns.moc"
