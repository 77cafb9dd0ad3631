// The numbering passes against the step-by-step passes they replaced
// (referencepasses.h): for each case the same packets in the same order
// (every field), the same debug messages, the same table afterwards (rows,
// their order and where each came from) and the same cell changes to apply
// to the list. Cases: a table of the rules (start number 0 and above 0,
// IDs of four digits, the row shown last, every row sharing one ID or MAC,
// the wrap of the fifth MAC byte), each with the list sorting itself or
// not, and many random small lists.
#include <QtTest>

#include "referencepasses.h"

#include <algorithm>

using namespace quenzal;

namespace {

// How the window's list sorts itself while the pass edits it.
enum class Keep { Off, IdAscending, IdDescending, Address, Mac };

struct Case
{
    QStringList ids;
    QStringList macs; // empty: one distinct MAC per row
    int start = 0;
};

QStringList captured;
void capture(QtMsgType, const QMessageLogContext &, const QString &message)
{
    captured << message;
}

std::vector<TerminalTexts> rowsOf(const Case &c)
{
    std::vector<TerminalTexts> rows;
    for (int i = 0; i < c.ids.size(); ++i) {
        TerminalTexts r;
        r[ColId] = c.ids.at(i);
        r[ColIp] = QStringLiteral("10.0.%1.%2").arg(i / 200).arg(i % 200);
        r[ColMac] = i < c.macs.size() ? c.macs.at(i)
                                      : QStringLiteral("02:00:00:00:%1:%2")
                                            .arg(i / 256, 2, 16, QLatin1Char('0'))
                                            .arg(i % 256, 2, 16, QLatin1Char('0'))
                                            .toUpper();
        r[7] = QString::number(i); // a column no pass touches
        rows.push_back(r);
    }
    return rows;
}

TerminalTable tableOf(const Case &c, Keep keep)
{
    std::vector<TerminalTexts> rows = rowsOf(c);
    // A list that sorts itself stands sorted by its column.
    auto sortBy = [&rows](int column, bool ascending) {
        std::stable_sort(rows.begin(), rows.end(), [=](const TerminalTexts &a, const TerminalTexts &b) {
            const int d = QString::compare(a[size_t(column)], b[size_t(column)], Qt::CaseSensitive);
            return ascending ? d < 0 : d > 0;
        });
    };
    switch (keep) {
    case Keep::Off:
        break;
    case Keep::IdAscending:
        sortBy(ColId, true);
        break;
    case Keep::IdDescending:
        sortBy(ColId, false);
        break;
    case Keep::Address:
        sortBy(ColIp, true);
        break;
    case Keep::Mac:
        sortBy(ColMac, true);
        break;
    }
    TerminalTable table(std::move(rows));
    if (keep == Keep::IdAscending)
        table.keepSorted(ColId, Qt::AscendingOrder);
    else if (keep == Keep::IdDescending)
        table.keepSorted(ColId, Qt::DescendingOrder);
    else if (keep == Keep::Address)
        table.keepSorted(ColIp, Qt::AscendingOrder);
    else if (keep == Keep::Mac)
        table.keepSorted(ColMac, Qt::AscendingOrder);
    return table;
}

// Everything a pass leaves behind, one line each.
struct Outcome
{
    QStringList packets;
    QStringList messages;
    QStringList rows;
    QStringList changes;
};

// Stops a pass that does not end.
struct RunAway
{
};

template <class Ids, class Macs> Outcome runPass(const Case &c, Keep keep, bool macs, bool trace, Ids ids, Macs repair)
{
    TerminalTable table = tableOf(c, keep);
    Outcome out;
    QLoggingCategory::setFilterRules(
        trace ? QStringLiteral("quenzal.discovery.debug=true") : QStringLiteral("quenzal.discovery.debug=false"));
    captured.clear();
    const auto previous = qInstallMessageHandler(capture);
    try {
        if (macs) {
            repair(table, [&](const MacRepair &r) {
                if (out.packets.size() > 5000)
                    throw RunAway {};
                out.packets << QStringLiteral("reset %1 %2>%3 %4 at %5")
                                   .arg(r.id)
                                   .arg(r.oldMac, r.newMac, r.address)
                                   .arg(r.row);
            });
        } else {
            ids(table, c.start, [&](const IdChange &ch) {
                if (out.packets.size() > 5000)
                    throw RunAway {};
                out.packets << QStringLiteral("id %1>%2 %3 %4 at %5")
                                   .arg(ch.oldId)
                                   .arg(ch.newId)
                                   .arg(ch.mac, ch.address)
                                   .arg(ch.row);
            });
        }
    } catch (const RunAway &) {
        out.packets << QStringLiteral("did not end");
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QStringLiteral("quenzal.*.debug=false"));
    out.messages = captured;
    for (int r = 0; r < table.count(); ++r)
        out.rows << QStringLiteral("%1: %2 %3 %4 %5")
                        .arg(table.origin(r))
                        .arg(table.text(r, ColId), table.text(r, ColIp), table.text(r, ColMac), table.text(r, 7));
    for (const TerminalTable::CellChange &ch : table.changes())
        out.changes << QStringLiteral("%1/%2 %3").arg(ch.origin).arg(ch.column).arg(ch.text);
    return out;
}

void compareWithReference(const Case &c, Keep keep, bool macs)
{
    const Outcome expected = runPass(c, keep, macs, true, reference::assignSharedIds, reference::repairSharedMacs);
    QVERIFY2(!expected.packets.contains(QStringLiteral("did not end")), "the reference itself runs away");
    for (const bool trace : { true, false }) {
        const Outcome got = runPass(c, keep, macs, trace, quenzal::assignSharedIds, quenzal::repairSharedMacs);
        QCOMPARE(got.packets, expected.packets);
        QCOMPARE(got.rows, expected.rows);
        QCOMPARE(got.changes, expected.changes);
        if (trace)
            QCOMPARE(got.messages, expected.messages);
        else
            QVERIFY2(got.messages.isEmpty(), "no message while they are switched off");
    }
}

Case idCase(const QStringList &ids, int start = 0)
{
    Case c;
    c.ids = ids;
    c.start = start;
    return c;
}

Case macCase(const QStringList &ids, const QStringList &macs)
{
    Case c;
    c.ids = ids;
    c.macs = macs;
    return c;
}

QStringList repeated(const QString &text, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << text;
    return out;
}

QStringList pairs(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << idText(1 + i / 2);
    return out;
}

QStringList list(const char *spaced)
{
    return QString::fromUtf8(spaced).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

Q_DECLARE_METATYPE(Case)
Q_DECLARE_METATYPE(Keep)

class TestNumberingReference : public QObject
{
    Q_OBJECT

private:
    static void addKeeps(const char *name, const Case &c, bool macs)
    {
        const std::pair<Keep, const char *> keeps[] = { { Keep::Off, "not sorting" },
            { Keep::IdAscending, "sorting by ID" }, { Keep::IdDescending, "sorting by ID, descending" },
            { Keep::Address, "sorting by address" }, { Keep::Mac, "sorting by MAC" } };
        for (const auto &[keep, how] : keeps)
            QTest::addRow("%s, %s", name, how) << c << keep << macs;
    }

private Q_SLOTS:
    void samePassAsStepByStep_data()
    {
        QTest::addColumn<Case>("c");
        QTest::addColumn<Keep>("keep");
        QTest::addColumn<bool>("macs");

        addKeeps("ids, none", idCase({}), false);
        addKeeps("ids, one row", idCase(list("007")), false);
        addKeeps("ids, unique", idCase(list("009 001 005")), false);
        addKeeps("ids, start 0", idCase(list("001 002 002 005")), false);
        addKeeps("ids, start 10", idCase(list("001 002 002 005"), 10), false);
        addKeeps("ids, start collides", idCase(list("002 002 005"), 5), false);
        addKeeps("ids, start onto a lower ID next to it", idCase(list("001 005 005"), 1), false);
        addKeeps("ids, start onto a lower ID further up", idCase(list("001 003 005 005"), 1), false);
        addKeeps("ids, start inside the list", idCase(list("001 001 002 003 003"), 1), false);
        addKeeps("ids, row last on screen", idCase(list("004 001 004 002")), false);
        addKeeps("ids, row last on screen below the highest", idCase(list("005 009 005 003")), false);
        addKeeps("ids, row last on screen collides", idCase(list("003 003 004 002")), false);
        addKeeps("ids, three shared", idCase(list("001 004 004 004 009")), false);
        addKeeps("ids, four digits", idCase(list("999 1000 1000")), false);
        addKeeps("ids, four digits shown last", idCase(list("1000 1000 999")), false);
        addKeeps("ids, four digits, all shared", idCase(list("1000 1000 1000 999 999")), false);
        addKeeps("ids, four digits, sequential", idCase(list("999 999 1000 1000 1001"), 999), false);
        addKeeps("ids, leading zeros", idCase(list("100 0100 100 1000 0100")), false);
        addKeeps("ids, not numbers", idCase(list("abc abc abc 001")), false);
        addKeeps("ids, all share one, start 0", idCase(repeated(QStringLiteral("001"), 40)), false);
        addKeeps("ids, all share one, start 3", idCase(repeated(QStringLiteral("001"), 40), 3), false);
        addKeeps("ids, all share one of four digits", idCase(repeated(QStringLiteral("1000"), 40)), false);
        addKeeps("ids, pairs, start 0", idCase(pairs(60)), false);
        addKeeps("ids, pairs, start 1", idCase(pairs(60), 1), false);
        addKeeps("ids, pairs, start 25", idCase(pairs(60), 25), false);

        const QString mac1 = QStringLiteral("02:00:00:00:00:01");
        addKeeps("macs, none", macCase({}, {}), true);
        addKeeps("macs, worked example",
            macCase(list("001 002 003"), list("02:00:00:00:00:0A 02:00:00:00:00:0A 02:00:00:00:00:0B")), true);
        addKeeps("macs, three shared, highest",
            macCase(list("007 001 005 006"),
                list("02:00:00:00:00:FE 02:00:00:00:00:01 02:00:00:00:00:FE 02:00:00:00:00:FE")),
            true);
        addKeeps("macs, wrap",
            macCase(list("001 002 003"), list("02:00:00:00:FF:FE 02:00:00:00:FF:FE 02:00:00:00:FF:FE")), true);
        addKeeps("macs, unreadable highest",
            macCase(list("001 002 003 004"), { mac1, mac1, mac1, QStringLiteral("zz") }), true);
        addKeeps("macs, lower case",
            macCase(list("001 002 003"), list("02:00:00:00:00:0a 02:00:00:00:00:0a 02:00:00:00:00:0A")), true);
        addKeeps("macs, all share one", macCase(repeated(QStringLiteral("005"), 40), repeated(mac1, 40)), true);
        QStringList macPairs;
        for (int i = 0; i < 60; ++i)
            macPairs << QStringLiteral("02:00:00:00:00:%1").arg(i / 2, 2, 16, QLatin1Char('0')).toUpper();
        addKeeps("macs, pairs", macCase(pairs(60), macPairs), true);
    }

    void samePassAsStepByStep()
    {
        QFETCH(Case, c);
        QFETCH(Keep, keep);
        QFETCH(bool, macs);
        compareWithReference(c, keep, macs);
    }

    // Small random lists with few distinct texts, so that shares, collisions
    // with the running number and texts of different lengths are common.
    void randomListsAsStepByStep()
    {
        QRandomGenerator rng(1616);
        const QStringList odd = list("abc 0100 1000 999 99 10000 -01");
        const Keep keeps[] = { Keep::Off, Keep::IdAscending, Keep::IdDescending, Keep::Address, Keep::Mac };
        for (int round = 0; round < 600; ++round) {
            Case c;
            const int n = int(rng.bounded(30));
            const int spread = 1 + int(rng.bounded(12));
            for (int i = 0; i < n; ++i) {
                c.ids << (rng.bounded(8) == 0 ? odd.at(int(rng.bounded(odd.size())))
                                              : idText(int(rng.bounded(spread)) + 1));
                c.macs << QStringLiteral("02:00:00:00:%1:%2")
                              .arg(rng.bounded(3) == 0 ? QStringLiteral("FF") : QStringLiteral("00"))
                              .arg(rng.bounded(4) == 0 ? 0xFE : int(rng.bounded(spread)), 2, 16, QLatin1Char('0'))
                              .toUpper();
            }
            const int starts[] = { 0, 0, 1, 2, int(rng.bounded(spread + 2)), 998 };
            c.start = starts[rng.bounded(6)];
            const Keep keep = keeps[rng.bounded(5)];
            const bool macs = rng.bounded(2) == 0;
            compareWithReference(c, keep, macs);
            if (QTest::currentTestFailed()) {
                qWarning() << "round" << round << "ids" << c.ids << "macs" << c.macs << "start" << c.start << "keep"
                           << int(keep) << "mac pass" << macs;
                return;
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestNumberingReference)
#include "tst_numberingreference.moc"
