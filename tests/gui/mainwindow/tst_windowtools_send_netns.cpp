// The main window's field tools on real sockets in the namespaces: stop scan, renumbering preview, verification after send, reconcile, English.
#include "tst_windowtools_netns_fixture.h"

class TestWindowtoolsSendNetns : public TestWindowToolsFixture
{
    Q_OBJECT

private Q_SLOTS:
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
        QVERIFY(sim.sync());
        const int queries = sim.logLines("aa 02 f2 ").size();
        QCOMPARE(queries, 1); // the one to the simulated terminal's address
        QTest::qWait(600); // longer than a step: a scan still stepping would move on
        QCOMPARE(ui->progressBar->value(), progress);
        QVERIFY(sim.sync());
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
            QTRY_VERIFY_WITH_TIMEOUT(window.statusText().startsWith(s("已确认")), 10000);
            QCOMPARE(window.statusText(),
                mac ? s("已确认：终端显示 02:00:00:00:00:7E") : s("已确认：终端显示 198.018.000.077"));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(window.statusText().startsWith(s("未确认")), 10000);
            QCOMPARE(window.statusText(),
                mac ? s("未确认：期望 02:00:00:00:00:7E，终端显示 02:00:00:00:00:22")
                    : s("未确认：期望 198.018.000.077，终端显示 198.018.000.254"));
            // Three queries, then no more (a wait longer than the second
            // between two).
            QVERIFY(sim.sync());
            const int queries = sim.logLines("aa 02 f2 ").size();
            QTest::qWait(1200);
            QVERIFY(sim.sync());
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

QTEST_MAIN(TestWindowtoolsSendNetns)
#include "moc_tst_windowtools_netns_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_windowtools_send_netns.moc"
