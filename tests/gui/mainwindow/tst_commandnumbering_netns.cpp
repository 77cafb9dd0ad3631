// The window's numbering passes against the passes run step by step on a
// list of the same form: examine a row, look for its text over the whole
// list, renumber, rewrite the cell, sort, start again. For each case the
// datagrams that leave the window are the step-by-step run's, byte for byte
// and in order, and the lists end the same, cell for cell (texts and
// colours) and row for row.
#include "tst_commands_netns_fixture.h"

#include "core/discovery/numbering.h"
#include "core/transport/packets.h"

#include <QHeaderView>
#include <QMainWindow>

namespace {

struct StepCase
{
    QStringList ids;
    QStringList macs;
    int start = 0;
    int sortColumn = 0; // how the list stands when the button is pressed
    Qt::SortOrder order = Qt::AscendingOrder;
};

QTreeWidgetItem *makeRow(const StepCase &c, int i)
{
    QStringList texts;
    for (int col = 0; col < 32; ++col)
        texts << QString();
    texts[0] = c.ids.at(i);
    texts[1] = QStringLiteral("198.018.001.%1").arg(i, 3, 10, QLatin1Char('0'));
    texts[4] = c.macs.at(i);
    texts[7] = QString::number(i);
    auto *item = new QTreeWidgetItem(texts);
    // Colours as the list gives them: they must stay on the cells.
    item->setBackground(0, QColor(0, 255, 255));
    if (i % 3 == 0)
        item->setBackground(4, QColor(100, 255, 255));
    return item;
}

void fill(QTreeWidget *tree, const StepCase &c)
{
    for (int i = 0; i < c.ids.size(); ++i)
        tree->addTopLevelItem(makeRow(c, i));
    tree->sortItems(c.sortColumn, c.order);
}

int highestId(QTreeWidget *tree)
{
    int highest = 0;
    for (int r = 0; r < tree->topLevelItemCount(); ++r)
        highest = qMax(highest, fieldNumber(tree->topLevelItem(r)->text(0)));
    return highest;
}

// The ID pass step by step on a list; the packets it sends, from `packet`.
QList<QByteArray> autoIdStepByStep(QTreeWidget *tree, int start, SingleTerminalPacket packet)
{
    QList<QByteArray> sent;
    int running = start;
    bool sorted = false;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = tree->topLevelItem(i);
        const QString id = item->text(0);
        if (tree->findItems(id, Qt::MatchExactly, 0).size() > 1) {
            int newId = running;
            if (start <= 0) // the row shown last, once sorted the numerically highest
                newId = (sorted ? highestId(tree)
                                : fieldNumber(tree->topLevelItem(tree->topLevelItemCount() - 1)->text(0)))
                    + 1;
            const QString text = idText(newId);
            writeIdChange(packet, fieldNumber(id), fieldNumber(text), item->text(4));
            sent << packet.bytes();
            if (start > 0)
                ++running;
            item->setText(0, text);
            i = 0;
            sorted = false;
        }
        if (!sorted) {
            tree->sortItems(0, Qt::AscendingOrder);
            sorted = true;
        }
    }
    tree->sortItems(0, Qt::AscendingOrder);
    return sent;
}

QList<QByteArray> autoMacStepByStep(QTreeWidget *tree, SingleTerminalPacket packet)
{
    QList<QByteArray> sent;
    const int last = tree->topLevelItemCount() - 1;
    tree->sortItems(4, Qt::AscendingOrder);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = tree->topLevelItem(i);
        if (tree->findItems(item->text(4), Qt::MatchExactly, 4).size() > 1) {
            Mac next = nextMac(parseMacText(tree->topLevelItem(last)->text(4)));
            for (int step = 0; step < 255 * 256 && !tree->findItems(formatMac(next), Qt::MatchExactly, 4).isEmpty();
                 ++step)
                next = nextMac(next);
            writeFactoryReset(packet, fieldNumber(item->text(0)));
            sent << packet.bytes();
            item->setText(4, formatMac(next));
            i = 0;
            tree->sortItems(4, Qt::AscendingOrder);
        }
    }
    return sent;
}

QStringList cells(QTreeWidget *tree)
{
    QStringList out;
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
        const QTreeWidgetItem *item = tree->topLevelItem(r);
        QStringList row;
        for (int c = 0; c < 32; ++c) {
            const QBrush b = item->background(c);
            row << item->text(c) + QLatin1Char('/') + (b.style() == Qt::NoBrush ? QString() : b.color().name());
        }
        out << row.join(QLatin1Char('|'));
    }
    return out;
}

QStringList ids(const char *spaced)
{
    return QString::fromUtf8(spaced).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList distinctMacs(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QStringLiteral("02:00:00:00:00:%1").arg(0x10 + i, 2, 16, QLatin1Char('0')).toUpper();
    return out;
}

QStringList same(const QString &text, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << text;
    return out;
}

StepCase idCase(const QStringList &list, int start, int sortColumn = 0, Qt::SortOrder order = Qt::AscendingOrder)
{
    return { list, distinctMacs(int(list.size())), start, sortColumn, order };
}

} // namespace

Q_DECLARE_METATYPE(StepCase)

class TestCommandnumberingNetns : public TestCommandsNetnsFixture
{
    Q_OBJECT

private Q_SLOTS:
    void passMatchesStepByStep_data()
    {
        QTest::addColumn<StepCase>("c");
        QTest::addColumn<bool>("macs");
        QStringList pairs;
        for (int i = 0; i < 24; ++i)
            pairs << idText(1 + i / 2);
        const QString mac = QStringLiteral("02:00:00:00:00:01");

        QTest::newRow("ids, start 0") << idCase(ids("001 002 002 005"), 0) << false;
        QTest::newRow("ids, start 10") << idCase(ids("001 002 002 005"), 10) << false;
        QTest::newRow("ids, start collides") << idCase(ids("002 002 005"), 5) << false;
        QTest::newRow("ids, start onto a lower ID") << idCase(ids("001 003 005 005"), 1) << false;
        QTest::newRow("ids, row last on screen") << idCase(ids("004 001 004 002"), 0, 7) << false;
        QTest::newRow("ids, row last on screen, sorted by address, descending")
            << idCase(ids("004 001 004 002 009"), 0, 1, Qt::DescendingOrder) << false;
        QTest::newRow("ids, sorted by ID, descending")
            << idCase(ids("003 003 001 007"), 0, 0, Qt::DescendingOrder) << false;
        QTest::newRow("ids, four digits") << idCase(ids("999 1000 1000 1000 999"), 0) << false;
        QTest::newRow("ids, four digits, sequential") << idCase(ids("999 999 1000 1000 1001"), 999) << false;
        QTest::newRow("ids, all share one, start 0") << idCase(same(QStringLiteral("001"), 30), 0) << false;
        QTest::newRow("ids, all share one, start 5") << idCase(same(QStringLiteral("001"), 30), 5) << false;
        QTest::newRow("ids, pairs, start 0") << idCase(pairs, 0) << false;
        QTest::newRow("ids, pairs, start 3") << idCase(pairs, 3) << false;
        QTest::newRow("macs, worked example")
            << StepCase { ids("001 002 003"), ids("02:00:00:00:00:0A 02:00:00:00:00:0A 02:00:00:00:00:0B"), 0, 0 }
            << true;
        QTest::newRow("macs, wrap") << StepCase { ids("001 002 003"),
            ids("02:00:00:00:FF:FE 02:00:00:00:FF:FE 02:00:00:00:FF:FE"), 0, 0 }
                                    << true;
        QTest::newRow("macs, all share one") << StepCase { pairs, same(mac, 24), 0, 1 } << true;
    }

    // Each case twice: passed in one go, as a short list is, and in steps of
    // three packets, as a long list is.
    void passMatchesStepByStep()
    {
        QFETCH(StepCase, c);
        QFETCH(bool, macs);
        for (const bool steps : { false, true }) {
            checkPass(c, macs, steps);
            if (QTest::currentTestFailed()) {
                qWarning() << (steps ? "in steps" : "in one go");
                return;
            }
        }
    }

    // A new scan empties the list while a pass in steps is under way: the
    // pass still sends its packets, and leaves the new list alone.
    void scanDuringPassInSteps()
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        window.setNumberingSteps(0, 2);
        fill(ui->treeWidget, idCase(same(QStringLiteral("001"), 12), 0));
        QSignalSpy finished(&window, &ToolForKX::numberingFinished);
        ui->but_AutoID->click();
        QVERIFY(window.numberingRunning());
        QVERIFY(!ui->but_AutoID->isEnabled());
        QVERIFY(!ui->but_AutoMac->isEnabled());
        // A second pass started while the first runs starts nothing.
        window.SoltSetAutoMac();
        QVERIFY(window.statusText().contains(QStringLiteral("正在进行")));
        ui->but_Scan->click();
        QVERIFY(finished.wait(5000));
        // The probe reads without the window's event loop: the datagrams
        // wait in its socket.
        QCOMPARE(finished.size(), 1);
        for (int i = 0; i < 11; ++i)
            QVERIFY2(!probe.next().isNull(), qPrintable(QStringLiteral("datagram %1 of 11").arg(i + 1)));
        QVERIFY(ui->but_AutoID->isEnabled());
        QVERIFY(ui->but_AutoMac->isEnabled());
        QVERIFY2(window.statusText().contains(QStringLiteral("列表已清空")), qPrintable(window.statusText()));
        QVERIFY(!window.numberingRunning());
    }

private:
    void checkPass(const StepCase &c, bool macs, bool steps)
    {
        Probe probe(LanPort, true);
        QVERIFY(probe.ready());
        ToolForKX window;
        auto *ui = window.form();
        if (steps)
            window.setNumberingSteps(0, 3);
        fill(ui->treeWidget, c);
        ui->lineEdit_ChangStatId->setText(QString::number(c.start));

        // The same rows in a list of the same form, passed step by step.
        QMainWindow host;
        Ui::ToolForKX form;
        form.setupUi(&host);
        fill(form.treeWidget, c);
        const QList<QByteArray> expected = macs
            ? autoMacStepByStep(form.treeWidget, window.singleTerminalPacket())
            : autoIdStepByStep(form.treeWidget, c.start, window.singleTerminalPacket());

        QSignalSpy finished(&window, &ToolForKX::numberingFinished);
        (macs ? ui->but_AutoMac : ui->but_AutoID)->click();
        QCOMPARE(window.numberingRunning(), steps);
        QTRY_COMPARE(finished.size(), 1);
        for (int i = 0; i < expected.size(); ++i) {
            const Datagram d = probe.next();
            QVERIFY2(!d.isNull(), qPrintable(QStringLiteral("datagram %1 of %2").arg(i + 1).arg(expected.size())));
            QCOMPARE(d.bytes.toHex(' '), expected.at(i).toHex(' '));
        }
        QVERIFY2(probe.next(300).isNull(), "no more datagrams than the step-by-step pass");
        QCOMPARE(cells(ui->treeWidget), cells(form.treeWidget));
        QCOMPARE(ui->treeWidget->header()->sortIndicatorSection(), form.treeWidget->header()->sortIndicatorSection());
        QCOMPARE(ui->treeWidget->header()->sortIndicatorOrder(), form.treeWidget->header()->sortIndicatorOrder());
        QVERIFY(ui->treeWidget->isSortingEnabled());
        QVERIFY(ui->treeWidget->header()->isSortIndicatorShown());
        // The window's packet holds the pass's last one, as after the step-by-step pass.
        if (!expected.isEmpty())
            QCOMPARE(window.singleTerminalPacket().bytes().toHex(' '), expected.last().toHex(' '));
    }
};

QTEST_MAIN(TestCommandnumberingNetns)
#include "moc_tst_commands_netns_fixture.cpp" // the fixture's moc here, not in a file of its own
#include "tst_commandnumbering_netns.moc"
