// set: one command of the window's buttons to one terminal, then the check
// that the terminal took it.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/commands/verifier.h"
#include "core/discovery/scanrange.h"

namespace quenzal::cli {

namespace {

constexpr int Attempts = VerifyAttempts;
constexpr int AttemptMs = VerifyAttemptMs; // three queries within three seconds

// Queries `to` in WAN mode until the terminal there answers; its reply.
bool lookUp(Session &session, const QHostAddress &to, TerminalTexts *found)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (!session.sendWan(composeWanQuery(session.packet()), to))
            return false;
        const bool answered = session.collect(AttemptMs, [&](const QByteArray &data, const QHostAddress &from) {
            if (from.toIPv4Address() != to.toIPv4Address())
                return false;
            *found = decodeStatusReply(data).texts;
            return true;
        });
        if (answered)
            return true;
    }
    return false;
}

} // namespace

int runSet(const SetOptions &o)
{
    Session session;
    if (!session.open(!o.byId, o.interface))
        return ExitFailure;

    // In WAN mode the command names the terminal by the ID its reply shows,
    // as the window's does after the row was pressed.
    QString targetId = QString::number(o.id);
    QString knownMac;
    if (!o.byId) {
        TerminalTexts reply;
        if (!lookUp(session, o.address, &reply)) {
            if (session.sendFailures())
                printError(QStringLiteral("the query could not be sent %1; nothing sent").arg(session.lastSendError()));
            else
                printError(QStringLiteral("no terminal answered at %1; nothing sent").arg(o.address.toString()));
            return ExitFailure;
        }
        targetId = reply[ColId];
        knownMac = reply[ColMac];
    }

    const QByteArray bytes = composeTerminalCommand(session.packet(), o.command, o.commandFields, targetId, true);
    QString why;
    const bool sent = o.byId ? session.sendLan(bytes, &why) : session.sendWan(bytes, o.address, &why);
    if (!sent) {
        printError(QStringLiteral("the command could not be sent: %1").arg(why));
        return ExitFailure;
    }
    const QString target
        = o.byId ? QStringLiteral("ID %1").arg(o.id) : QStringLiteral("%1 (ID %2)").arg(o.address.toString(), targetId);
    if (!o.verify) {
        writeOut(QStringLiteral("sent %1 %2 to %3\n").arg(o.fieldName, o.expected, target).toUtf8());
        return ExitOk;
    }

    // Which replies speak for the terminal: on the LAN the one with its ID
    // (the new one after an ID change); in WAN mode the one from its address
    // (the new one after an IP change), with its MAC unless that changed.
    const VerifyTarget verify
        = verifyTargetFor(o.byId, idText(o.id), knownMac, o.address, expectedAfterCommand(o.command, o.commandFields));
    const QString wantedId = verify.idText;
    const QHostAddress queried = verify.address;
    Verifier verifier;
    verifier.setTimerType(Qt::PreciseTimer); // a precise second, as `collect` waits
    const int failedBefore = session.sendFailures();
    const bool confirmed = session.verify(verifier, verify);
    if (session.sendFailures() > failedBefore) {
        printError(QStringLiteral("a verifying query could not be sent %1").arg(session.lastSendError()));
        return ExitFailure;
    }
    if (confirmed) {
        writeOut(QStringLiteral("verified %1 %2 on %3\n").arg(o.fieldName, o.expected, target).toUtf8());
        return ExitOk;
    }
    const QStringList &seen = verifier.seen();
    if (seen.isEmpty())
        printError(QStringLiteral("not verified: no reply from %1 within 3 s")
                       .arg(o.byId ? QStringLiteral("ID ") + wantedId : queried.toString()));
    else
        printError(QStringLiteral("not verified: expected %1 %2, the terminal shows %3")
                       .arg(o.fieldName, o.expected, seen.join(QStringLiteral(", "))));
    return ExitNotVerified;
}

} // namespace quenzal::cli
