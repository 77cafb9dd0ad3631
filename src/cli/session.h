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
    std::vector<ScanRecord> records; // one per reply to this scan's queries, in order of arrival
    int replies = 0; // status replies of this scan
    quint64 dropped = 0; // replies the tool's receive queue lost during the scan
    quint64 systemDropped = 0; // datagrams the system's receive buffer lost during the scan
    int sendFailures = 0; // queries that did not leave
    QString sendError; // why the first of them did not
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

    // Sends bytes by the mode's socket: LAN to the group, WAN to `to`. False,
    // with the reason in *error, when the datagram did not leave.
    bool sendLan(const QByteArray &bytes, QString *error = nullptr);
    bool sendWan(const QByteArray &bytes, const QHostAddress &to, QString *error = nullptr);

    // Runs the event loop for up to `ms`, handing every status reply that
    // arrives on the mode's socket to `reply`; stops early when it returns
    // true. Returns whether it was stopped early.
    bool collect(int ms, const std::function<bool(const QByteArray &, const QHostAddress &)> &reply);

    // Runs `verifier` for `target` to its end, as the window does: its
    // queries by the mode's socket (the group on the LAN, the target's
    // address in WAN mode), every datagram of that socket offered to it.
    // True when a reply showed the value.
    bool verify(Verifier &verifier, const VerifyTarget &target);

    // Datagrams that did not leave since the session opened, and why the
    // last of them did not.
    int sendFailures() const { return m_sendFailures; }
    const QString &lastSendError() const { return m_lastSendError; }

    SingleTerminalPacket &packet() { return m_packet; }
    UdpTransport &transport() { return m_transport; }
    qint64 clockMs() const { return m_clock.elapsed(); }

private:
    UdpTransport m_transport;
    SingleTerminalPacket m_packet;
    bool m_wan = false;
    QElapsedTimer m_clock;
    int m_sendFailures = 0;
    QString m_lastSendError;

    bool noteSend(bool ok, const QString &why);
};

// The lines on stderr for the replies a scan lost; false when it lost none.
bool reportLosses(const ScanResult &result);

// What a scan's problems make of the run: 1 (with the reason on stderr)
// when a query did not leave, or when replies were lost and the options do
// not allow it; 0 otherwise. Losses are said by reportLosses().
int scanOutcome(const ScanResult &result, const ScanOptions &options);

// Records sorted by ID (numerically; equal IDs by IP text, then MAC text).
std::vector<TerminalTexts> sortedById(const ScanResult &result);
// Records in arrival order, as the list holds them before its first sort.
std::vector<TerminalTexts> inArrivalOrder(const ScanResult &result);


} // namespace quenzal::cli
