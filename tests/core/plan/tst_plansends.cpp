// The order of the sends: the sends are played on a model of the online
// terminals (an ID change reaches the terminals with its old ID and MAC, a
// setting the terminals with its ID) and must never let two terminals meet
// on an ID they did not share before, and must end at the plan.
#include <QtTest>

#include "core/plan/planread.h"
#include "plantestdata.h"

#include <QHash>

using namespace quenzal;

class TestPlanSends : public QObject
{
    Q_OBJECT

private slots:
    void idOrder_data();
    void idOrder();
    void settingsOrder();
    void encoding();
};

void TestPlanSends::idOrder_data()
{
    QTest::addColumn<QList<int>>("now"); // ID of terminal i (MAC ...:i+1)
    QTest::addColumn<QList<int>>("planned"); // -1: no ID in the plan
    QTest::addColumn<int>("sends"); // ID changes expected

    QTest::newRow("nothing to do") << QList<int> { 1, 2 } << QList<int> { 1, 2 } << 0;
    QTest::newRow("factory-fresh") << QList<int> { 1, 1, 1, 1 } << QList<int> { 1, 2, 3, 4 } << 3;
    QTest::newRow("all shared, none keeps it") << QList<int> { 9, 9, 9 } << QList<int> { 1, 2, 3 } << 3;
    QTest::newRow("chain: each into the next one's ID") << QList<int> { 1, 2, 3, 4 } << QList<int> { 2, 3, 4, 5 } << 4;
    QTest::newRow("swap") << QList<int> { 1, 2 } << QList<int> { 2, 1 } << 3;
    QTest::newRow("cycle of three") << QList<int> { 1, 2, 3 } << QList<int> { 2, 3, 1 } << 4;
    QTest::newRow("two swaps") << QList<int> { 1, 2, 3, 4 } << QList<int> { 2, 1, 4, 3 } << 6;
    QTest::newRow("swap beside a shared ID")
        << QList<int> { 5, 5, 6 } << QList<int> { 6, 7, 5 } << 4; // 5,5 -> the 7 frees nothing; 6<->5 needs a park
    QTest::newRow("others keep their IDs") << QList<int> { 1, 2, 3 } << QList<int> { 4, -1, -2 } << 1;
    QTest::newRow("highest IDs taken: the park goes below")
        << QList<int> { 65279, 65278, 65277 } << QList<int> { 65278, 65279, 65277 } << 3;
}

void TestPlanSends::idOrder()
{
    QFETCH(QList<int>, now);
    QFETCH(QList<int>, planned);
    QFETCH(int, sends);
    auto mac = [](int i) { return QStringLiteral("02:00:00:00:00:%1").arg(i + 1, 2, 16, QLatin1Char('0')).toUpper(); };
    QString scan;
    QByteArray plan("mac,id\n");
    for (int i = 0; i < now.size(); ++i) {
        scan += QStringLiteral("%1 %2 10.0.0.%3 255.255.255.0;").arg(mac(i)).arg(now[i]).arg(i + 10);
        if (planned[i] != -2) // -2: not in the plan
            plan += QStringLiteral("%1,%2\n")
                        .arg(mac(i), planned[i] >= 0 ? QString::number(planned[i]) : QString())
                        .toUtf8();
    }
    const PlanComparison c = comparePlan(readPlanCsv(plan).entries, scanOf(scan));
    QVERIFY(!c.problems);
    const std::vector<PlanSend> order = planSends(c);
    QCOMPARE(int(order.size()), sends);

    QList<int> ids = now;
    for (const PlanSend &s : order) {
        QCOMPARE(s.kind, PlanSend::IdChange);
        int reached = 0;
        for (int i = 0; i < ids.size(); ++i) {
            if (ids[i] == s.oldId && mac(i) == s.mac) {
                ids[i] = s.newId;
                ++reached;
            }
        }
        QCOMPARE(reached, 1);
        QVERIFY2(s.newId >= 0 && s.newId <= 65279, qPrintable(QString::number(s.newId)));
        QVERIFY2(ids.count(s.newId) == 1, qPrintable(QStringLiteral("ID %1 shared on the way").arg(s.newId)));
    }
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(ids[i], planned[i] >= 0 ? planned[i] : now[i]);
}

void TestPlanSends::settingsOrder()
{
    // Two terminals that share ID 1 and an address: the ID change first, then
    // mask, server and IP of the one that moves, by its new ID, to the address
    // it has by then. The one that keeps ID 1 gets its settings once a rescan
    // shows ID 1 its own: had the ID change been lost, they would reach both.
    const QByteArray plan("mac,ip,id,server,gateway,mask\n"
                          "02:00:00:00:00:01,10.1.0.11,1,10.1.0.2,10.1.0.1,255.255.0.0\n"
                          "02:00:00:00:00:02,10.1.0.12,2,10.1.0.2,10.1.0.1,255.255.0.0\n");
    auto sends = [&plan](const QString &scan) {
        const PlanComparison c = comparePlan(readPlanCsv(plan).entries, scanOf(scan));
        QStringList got;
        if (c.problems)
            return texts({ "problems" });
        for (const PlanSend &s : planSends(c))
            got << (s.kind == PlanSend::IdChange
                    ? QStringLiteral("id %1 %2->%3 @%4").arg(s.mac).arg(s.oldId).arg(s.newId).arg(s.address.toString())
                    : QStringLiteral("%1 %2 by %3 @%4")
                          .arg(planFieldName(s.field), s.value)
                          .arg(s.newId)
                          .arg(s.address.toString()));
        return got;
    };
    QCOMPARE(sends(QStringLiteral("02:00:00:00:00:01 1 10.1.0.200 255.255.255.0 10.1.0.1 10.1.0.9;"
                                  "02:00:00:00:00:02 1 10.1.0.200 255.255.255.0 10.1.0.1 10.1.0.9")),
        texts({ "id 02:00:00:00:00:02 1->2 @10.1.0.200", "mask 255.255.0.0 by 2 @10.1.0.200",
            "server 10.1.0.2 by 2 @10.1.0.200", "ip 10.1.0.12 by 2 @10.1.0.200" }));
    QCOMPARE(sends(QStringLiteral("02:00:00:00:00:01 1 10.1.0.200 255.255.255.0 10.1.0.1 10.1.0.9;"
                                  "02:00:00:00:00:02 2 10.1.0.12 255.255.0.0 10.1.0.1 10.1.0.2")),
        texts({ "mask 255.255.0.0 by 1 @10.1.0.200", "server 10.1.0.2 by 1 @10.1.0.200",
            "ip 10.1.0.11 by 1 @10.1.0.200" }));
}

void TestPlanSends::encoding()
{
    SingleTerminalPacket packet;
    packet.writeStartupBytes();
    PlanSend id;
    id.kind = PlanSend::IdChange;
    id.mac = QStringLiteral("02:00:00:00:00:0A");
    id.oldId = 1;
    id.newId = 300;
    const QByteArray change = encodePlanSend(packet, id);
    QCOMPARE(change.size(), SingleTerminalPacket::Size);
    QCOMPARE(quint8(change[5]), quint8(178));
    QCOMPARE(change.mid(3, 2), QByteArray("\x01\x02", 2)); // ID 1: pair 0+1, 1+1
    QCOMPARE(change.mid(6, 6), QByteArray("\x02\x00\x00\x00\x00\x0A", 6));
    QCOMPARE(change.mid(12, 2), QByteArray("\x02\x2D", 2)); // 300: pair 1+1, 44+1

    struct Case
    {
        PlanField field;
        int code;
    } cases[] = { { PlanField::Ip, 4 }, { PlanField::Mask, 5 }, { PlanField::Gateway, 6 }, { PlanField::Server, 7 } };
    for (const Case &k : cases) {
        PlanSend s;
        s.kind = PlanSend::Setting;
        s.field = k.field;
        s.newId = 5;
        s.value = QStringLiteral("10.1.2.254");
        const QByteArray bytes = encodePlanSend(packet, s);
        QCOMPARE(quint8(bytes[5]), quint8(k.code));
        QCOMPARE(bytes.mid(3, 2), QByteArray("\x01\x06", 2));
        QCOMPARE(bytes.mid(6, 4), QByteArray("\x0A\x01\x02\xFE", 4));
    }
}

QTEST_GUILESS_MAIN(TestPlanSends)
#include "tst_plansends.moc"
