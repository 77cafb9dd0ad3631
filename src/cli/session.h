#pragma once
// What the subcommands that talk to terminals share: the two sockets (the
// core's UdpTransport), the single-terminal packet that every command and
// query is written into (kept for the whole run, as the window keeps it, so
// the bytes a command leaves go out with the next query), and the event loops
// that run the core's scan and verification on them.
#include "cli/cliargs.h"
#include "core/commands/verifier.h"
#include "core/transport/statusreply.h"
#include "core/transport/udptransport.h"

#include <QElapsedTimer>

#include <functional>
#include <vector>

namespace quenzal::cli {

struct ScanRecord
{
    TerminalTexts texts;
    QHostAddress sender;
};

struct ScanResult
{
    std::vector<ScanRecord> records; // one per sender and MAC, in order of first arrival
    int replies = 0; // status replies read, repeats included
    quint64 dropped = 0; // replies the receive queue lost
    qint64 waitEndedMs = 0; // run clock when the quiet wait ended
};

class Session
{
public:
    Session();

    // Binds both sockets and joins the group. False, with the reason on
    // stderr, when the socket the mode needs is not usable.
    bool open(bool wan, const QNetworkInterface &iface);

    // The window's scan: one LAN query, or the WAN query to every address of
    // the range 5 ms apart; then replies until `waitMs` pass with none.
    ScanResult scan(const ScanOptions &options);

    // Sends bytes by the mode's socket: LAN to the group, WAN to `to`.
    bool sendLan(const QByteArray &bytes);
    bool sendWan(const QByteArray &bytes, const QHostAddress &to);

    // Runs the event loop for up to `ms`, handing every status reply that
    // arrives on the mode's socket to `reply`; stops early when it returns
    // true. Returns whether it was stopped early.
    bool collect(int ms, const std::function<bool(const QByteArray &, const QHostAddress &)> &reply);

    // Runs `verifier` for `target` to its end, as the window does: its
    // queries by the mode's socket (the group on the LAN, the target's
    // address in WAN mode), every datagram of that socket offered to it.
    // True when a reply showed the value.
    bool verify(Verifier &verifier, const VerifyTarget &target);

    SingleTerminalPacket &packet() { return m_packet; }
    UdpTransport &transport() { return m_transport; }
    qint64 clockMs() const { return m_clock.elapsed(); }

private:
    UdpTransport m_transport;
    SingleTerminalPacket m_packet;
    bool m_wan = false;
    QElapsedTimer m_clock;
};

// Records sorted by ID (numerically; equal IDs by IP text, then MAC text).
std::vector<TerminalTexts> sortedById(const ScanResult &result);
// Records in arrival order, as the list holds them before its first sort.
std::vector<TerminalTexts> inArrivalOrder(const ScanResult &result);

// True when stderr is a terminal (progress is shown only then).

} // namespace quenzal::cli
