// The duplicate index must colour exactly the cells that searching the whole
// list per arriving row would colour.
#include "core/discovery/duplicateindex.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <set>

using namespace quenzal;

namespace {

// The rule stated per arriving row, done by searching every row.
struct NaiveList
{
    struct Row
    {
        std::array<QString, 3> texts;
        std::array<bool, 3> coloured {};
    };
    std::vector<Row> rows;

    void add(const std::array<QString, 3> &texts)
    {
        rows.push_back(Row { texts, {} });
        for (size_t k = 0; k < 3; ++k) {
            std::vector<Row *> same;
            for (Row &r : rows) {
                if (r.texts[k] == texts[k])
                    same.push_back(&r);
            }
            if (same.size() > 1) {
                for (Row *r : same)
                    r->coloured[k] = true;
            }
        }
    }

    // Rows whose text in `k` another row has now.
    int sharedRows(size_t k) const
    {
        int n = 0;
        for (const Row &r : rows)
            n += std::count_if(rows.begin(), rows.end(), [&](const Row &o) { return o.texts[k] == r.texts[k]; }) > 1;
        return n;
    }
};

} // namespace

class TestDuplicateIndex : public QObject
{
    Q_OBJECT

private:
    // Rows are identified by their position in `keys`.
    std::vector<int> keys = std::vector<int>(4096);
    DuplicateIndex::Row key(size_t i) { return &keys[i]; }

    void addBoth(DuplicateIndex &index, NaiveList &naive, std::vector<std::array<bool, 3>> &coloured,
        const std::array<QString, 3> &texts)
    {
        const size_t i = naive.rows.size();
        naive.add(texts);
        coloured.push_back({});
        const auto marks = index.add(key(i), texts);
        for (size_t k = 0; k < 3; ++k) {
            for (DuplicateIndex::Row r : marks[k]) {
                const size_t at = size_t(static_cast<const int *>(r) - keys.data());
                QVERIFY2(!coloured[at][k], "a cell is reported for colouring twice");
                coloured[at][k] = true;
            }
        }
    }

    void compare(const NaiveList &naive, const std::vector<std::array<bool, 3>> &coloured)
    {
        for (size_t i = 0; i < naive.rows.size(); ++i) {
            for (size_t k = 0; k < 3; ++k)
                QVERIFY2(naive.rows[i].coloured[k] == coloured[i][k],
                    qPrintable(QStringLiteral("row %1 key %2").arg(i).arg(k)));
        }
    }

private Q_SLOTS:
    void examples()
    {
        DuplicateIndex index;
        int a = 0, b = 0, c = 0;
        // Same ID, different IP and MAC: only the ID cells.
        auto m1 = index.add(&a, { QStringLiteral("005"), QStringLiteral("ip1"), QStringLiteral("mac1") });
        QVERIFY(m1[0].empty() && m1[1].empty() && m1[2].empty());
        auto m2 = index.add(&b, { QStringLiteral("005"), QStringLiteral("ip2"), QStringLiteral("mac2") });
        QCOMPARE(std::set<DuplicateIndex::Row>(m2[0].begin(), m2[0].end()), (std::set<DuplicateIndex::Row> { &a, &b }));
        QVERIFY(m2[1].empty() && m2[2].empty());
        // The same reply again: every marked column of the new row, and the
        // IP and MAC of the first.
        auto m3 = index.add(&c, { QStringLiteral("005"), QStringLiteral("ip2"), QStringLiteral("mac2") });
        QCOMPARE(m3[0], std::vector<DuplicateIndex::Row> { &c });
        QCOMPARE(std::set<DuplicateIndex::Row>(m3[1].begin(), m3[1].end()), (std::set<DuplicateIndex::Row> { &b, &c }));
        QCOMPARE(std::set<DuplicateIndex::Row>(m3[2].begin(), m3[2].end()), (std::set<DuplicateIndex::Row> { &b, &c }));
    }

    // A rewritten cell moves the row to another group without colouring;
    // the next row with that text colours both, an old colour stays.
    void rename()
    {
        DuplicateIndex index;
        int a = 0, b = 0, c = 0;
        index.add(&a, { QStringLiteral("001"), QStringLiteral("x"), QStringLiteral("m1") });
        index.add(&b, { QStringLiteral("002"), QStringLiteral("y"), QStringLiteral("m2") });
        index.rename(&a, 0, QStringLiteral("002")); // both 002 now, no colour yet
        auto m = index.add(&c, { QStringLiteral("002"), QStringLiteral("z"), QStringLiteral("m3") });
        QCOMPARE(
            std::set<DuplicateIndex::Row>(m[0].begin(), m[0].end()), (std::set<DuplicateIndex::Row> { &a, &b, &c }));
        // a leaves: 002 is now b and c, both coloured already.
        index.rename(&a, 0, QStringLiteral("009"));
        int d = 0;
        m = index.add(&d, { QStringLiteral("002"), QStringLiteral("w"), QStringLiteral("m4") });
        QCOMPARE(m[0], std::vector<DuplicateIndex::Row> { &d });
    }

    void removeAndClear()
    {
        DuplicateIndex index;
        int a = 0, b = 0;
        index.add(&a, { QStringLiteral("001"), QStringLiteral("x"), QStringLiteral("m") });
        int c = 0;
        index.add(&c, { QStringLiteral("001"), QStringLiteral("y"), QStringLiteral("n") });
        QCOMPARE(index.sharedRows(0), 2);
        index.remove(&a);
        QCOMPARE(index.sharedRows(0), 0);
        index.remove(&c);
        auto m = index.add(&b, { QStringLiteral("001"), QStringLiteral("x"), QStringLiteral("m") });
        QVERIFY2(m[0].empty(), "a removed row still counted");
        index.add(&a, { QStringLiteral("001"), QStringLiteral("x"), QStringLiteral("m") });
        index.clear();
        QCOMPARE(index.size(), 0);
        QCOMPARE(index.sharedRows(0) + index.sharedRows(1) + index.sharedRows(2), 0);
        m = index.add(&a, { QStringLiteral("001"), QStringLiteral("x"), QStringLiteral("m") });
        QVERIFY2(m[0].empty(), "a cleared row still counted");
    }

    // Random arrivals and rewrites over a small alphabet, against the rule.
    void againstSearch()
    {
        QRandomGenerator rng(20261210);
        for (int round = 0; round < 20; ++round) {
            DuplicateIndex index;
            NaiveList naive;
            std::vector<std::array<bool, 3>> coloured;
            for (int step = 0; step < 150; ++step) {
                const auto text = [&] { return QString::number(rng.bounded(6)); };
                if (!naive.rows.empty() && rng.bounded(4) == 0) {
                    const size_t i = rng.bounded(quint32(naive.rows.size()));
                    const int k = int(rng.bounded(3));
                    const QString t = text();
                    naive.rows[i].texts[size_t(k)] = t;
                    index.rename(key(i), k, t);
                } else {
                    addBoth(index, naive, coloured, { text(), text(), text() });
                }
                compare(naive, coloured);
                for (int k = 0; k < 3; ++k)
                    QCOMPARE(index.sharedRows(k), naive.sharedRows(size_t(k)));
                // The helpers' checks only leave the helper: stop at the first.
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestDuplicateIndex)
#include "tst_duplicateindex.moc"
