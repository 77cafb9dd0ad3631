// The order of the sends: ID changes so that no two online terminals meet on
// one ID, then each terminal's network settings with the IP last.
#include "core/plan/plan.h"

#include "core/commands/commandpackets.h"
#include "core/discovery/reconcile.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <deque>

namespace quenzal {

namespace {

constexpr int HighestId = 65279;

struct Move
{
    int row;
    int from;
    int to;
    bool done = false;
    bool parked = false; // on a temporary ID
};

} // namespace

std::vector<PlanSend> planSends(const PlanComparison &comparison)
{
    std::vector<PlanSend> sends;
    if (comparison.problems)
        return sends;
    const std::vector<PlanRow> &rows = comparison.rows;
    auto addressOf = [&rows](int row) { return QHostAddress(rows[size_t(row)].now[size_t(PlanField::Ip)]); };

    // How many online terminals hold each ID now.
    QHash<int, int> holders;
    for (qint64 id : comparison.onlineIds)
        ++holders[int(id)];
    std::vector<Move> moves;
    QSet<int> targets;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].status != PlanStatus::Change)
            continue;
        for (const PlanChange &c : rows[r].changes)
            if (c.field == PlanField::Id) {
                moves.push_back(Move { int(r), c.now.toInt(), c.planned.toInt() });
                targets.insert(moves.back().to);
            }
    }

    // A move goes once nobody holds its target; a move that frees an ID
    // releases those waiting for it. When every remaining move waits (a swap
    // or a longer cycle), one of them parks on an ID nobody holds or wants.
    QHash<int, std::vector<int>> waiting;
    std::deque<int> ready;
    for (size_t m = 0; m < moves.size(); ++m) {
        if (holders.value(moves[m].to) == 0)
            ready.push_back(int(m));
        else
            waiting[moves[m].to].push_back(int(m));
    }
    auto emitChange = [&](Move &m, int to) {
        PlanSend s;
        s.kind = PlanSend::IdChange;
        s.row = m.row;
        s.mac = rows[size_t(m.row)].mac;
        s.oldId = m.from;
        s.newId = to;
        s.address = addressOf(m.row);
        sends.push_back(s);
        ++holders[to];
        if (--holders[m.from] == 0) {
            for (int w : waiting.take(m.from))
                ready.push_back(w);
        }
        m.from = to;
    };
    size_t remaining = moves.size();
    size_t cursor = 0;
    int nextFree = HighestId;
    while (remaining > 0) {
        if (ready.empty()) {
            while (cursor < moves.size() && (moves[cursor].done || moves[cursor].parked))
                ++cursor; // a parked move waits for one that is not parked
            if (cursor == moves.size())
                break;
            while (nextFree >= 0 && (holders.value(nextFree) > 0 || targets.contains(nextFree)))
                --nextFree;
            if (nextFree < 0)
                break; // every ID held or wanted: cannot happen with at most 65280 terminals
            Move &m = moves[cursor];
            m.parked = true;
            emitChange(m, nextFree);
            continue;
        }
        Move &m = moves[size_t(ready.front())];
        ready.pop_front();
        if (m.done)
            continue;
        emitChange(m, m.to);
        m.done = true;
        --remaining;
    }

    // Then each terminal's settings, by the ID it has by now. A terminal that
    // keeps an ID others are leaving gets them once a rescan shows it alone
    // there: an ID change that was lost would let its settings reach the
    // terminal that did not move too.
    QHash<int, int> holdersBefore;
    for (qint64 id : comparison.onlineIds)
        ++holdersBefore[int(id)];
    for (size_t r = 0; r < rows.size(); ++r) {
        const PlanRow &row = rows[r];
        if (row.status != PlanStatus::Change)
            continue;
        int id = row.now[size_t(PlanField::Id)].toInt();
        const bool moves = std::any_of(
            row.changes.begin(), row.changes.end(), [](const PlanChange &c) { return c.field == PlanField::Id; });
        if (!moves && holdersBefore.value(id) > 1)
            continue;
        const PlanChange *ip = nullptr;
        std::vector<const PlanChange *> settings;
        for (const PlanChange &c : row.changes) {
            if (c.field == PlanField::Id)
                id = c.planned.toInt();
            else if (c.field == PlanField::Ip)
                ip = &c;
            else
                settings.push_back(&c);
        }
        if (ip)
            settings.push_back(ip);
        for (const PlanChange *c : settings) {
            PlanSend s;
            s.kind = PlanSend::Setting;
            s.field = c->field;
            s.row = int(r);
            s.mac = row.mac;
            s.newId = id;
            s.value = c->planned;
            s.address = addressOf(int(r));
            sends.push_back(s);
        }
    }
    return sends;
}

QByteArray encodePlanSend(SingleTerminalPacket &packet, const PlanSend &send)
{
    if (send.kind == PlanSend::IdChange) {
        writeIdChange(packet, send.oldId, send.newId, send.mac);
        return packet.bytes();
    }
    TerminalCommand command = TerminalCommand::Ip;
    switch (send.field) {
    case PlanField::Mask:
        command = TerminalCommand::Mask;
        break;
    case PlanField::Gateway:
        command = TerminalCommand::Gateway;
        break;
    case PlanField::Server:
        command = TerminalCommand::ServerIp;
        break;
    default:
        break;
    }
    const std::optional<quint32> value = identityIp(send.value);
    QStringList octets;
    for (int shift = 24; shift >= 0; shift -= 8)
        octets << QString::number(((value ? *value : 0) >> shift) & 0xFF);
    return composeTerminalCommand(packet, command, octets, QString::number(send.newId));
}

} // namespace quenzal
