#pragma once
// The numbering passes as they ran before they kept their rows in order:
// examine a row, renumber it when its text is shared, sort the whole table
// after every change and start again at position 1. Kept for the tests as
// the reference the passes must match, packet for packet and row for row.
#include "core/discovery/logging.h"
#include "core/discovery/numbering.h"
#include "core/transport/packets.h"

namespace reference {

using namespace quenzal;

inline int highestId(const TerminalTable &rows)
{
    int highest = 0;
    for (int r = 0; r < rows.count(); ++r)
        highest = qMax(highest, fieldNumber(rows.text(r, ColId)));
    return highest;
}

inline void assignSharedIds(TerminalTable &rows, int startNumber, const std::function<void(const IdChange &)> &send)
{
    int running = startNumber;
    bool sorted = false;
    for (int i = 0; i < rows.count(); ++i) {
        const QString id = rows.text(i, ColId);
        const QString mac = rows.text(i, ColMac);
        const int found = rows.countExact(ColId, id);
        qCDebug(lcDiscovery) << "Find=" << i << "ID=" << id << "Mac=" << mac;
        if (found > 1) {
            int newId;
            if (startNumber > 0)
                newId = running;
            else if (!sorted)
                newId = fieldNumber(rows.text(rows.count() - 1, ColId)) + 1;
            else
                newId = highestId(rows) + 1;
            const QString newText = idText(newId);
            send(IdChange { fieldNumber(id), fieldNumber(newText), mac, rows.text(i, ColIp), i });
            if (startNumber > 0)
                ++running;
            rows.setText(i, ColId, newText);
            i = 0;
            sorted = false;
        }
        if (!sorted) {
            rows.sortBy(ColId);
            sorted = true;
        }
    }
    rows.sortBy(ColId);
}

inline void repairSharedMacs(TerminalTable &rows, const std::function<void(const MacRepair &)> &reset)
{
    const int last = rows.count() - 1;
    rows.sortBy(ColMac);
    bool sorted = true;
    for (int i = 0; i < rows.count(); ++i) {
        const QString mac = rows.text(i, ColMac);
        const int found = rows.countExact(ColMac, mac);
        qCDebug(lcDiscovery) << "Find[" << i << "]";
        if (found > 1) {
            Mac next = nextMac(parseMacText(rows.text(last, ColMac)));
            for (int step = 0; step < 255 * 256 && rows.countExact(ColMac, formatMac(next)) > 0; ++step)
                next = nextMac(next);
            const QString newMac = formatMac(next);
            reset(MacRepair { fieldNumber(rows.text(i, ColId)), mac, newMac, rows.text(i, ColIp), i });
            rows.setText(i, ColMac, newMac);
            i = 0;
            sorted = false;
        }
        if (!sorted) {
            rows.sortBy(ColMac);
            sorted = true;
        }
    }
}

} // namespace reference
