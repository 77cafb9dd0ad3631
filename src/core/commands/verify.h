#pragma once
// Verifying a command: after a command that changes what a terminal reports
// about itself, a status reply from that terminal should show the new value.
// The window's "发送后确认" and quenzal-cli's `set` ask the same two
// questions here: which column shows the value and what text it must show
// (from the same field texts the command was written from), and whether a
// reply speaks for the terminal at all.
#include "core/commands/commandpackets.h"
#include "core/transport/statusreply.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace quenzal {

struct ExpectedValue
{
    bool verifiable = false; // false: the command changes nothing a reply shows
    int column = -1; // column of the list that shows the value
    QString text; // its text once the terminal took the command
    QHostAddress newAddress; // IP change: where the terminal answers afterwards
};

// What the list shows once the terminal took `command` written from
// `fields` (the texts of the window's fields, as writeTerminalCommand reads
// them). Verifiable: ID, IP, mask, gateway, server address, MAC, DHCP.
ExpectedValue expectedAfterCommand(TerminalCommand command, const QStringList &fields);

// Who the verifying queries are about.
struct VerifyTarget
{
    bool lan = true; // LAN: replies by ID; WAN: replies from `address`
    QString idText; // LAN: the ID the terminal reports afterwards ("%03ld")
    QHostAddress address; // WAN: where the query goes (the new address after an IP change)
    QString macText; // WAN: the terminal's MAC, empty when unknown or changed
    ExpectedValue expected;
};

// The terminal the verification is about, from the row the command went to:
// its ID and MAC texts, its address, and whether the tool runs in LAN mode.
VerifyTarget verifyTargetFor(bool lan, const QString &rowId, const QString &rowMac, const QHostAddress &rowAddress,
    const ExpectedValue &expected);

enum class VerifyMatch {
    Other, // the reply is about another terminal
    Shows, // it is about the terminal and shows the new value
    Differs, // it is about the terminal and shows something else
};

// One status reply (decoded) from `from` against the target.
VerifyMatch matchVerifyReply(const VerifyTarget &target, const TerminalTexts &reply, const QHostAddress &from);

// Three queries within three seconds.
inline constexpr int VerifyAttempts = 3;
inline constexpr int VerifyAttemptMs = 1000;

} // namespace quenzal
