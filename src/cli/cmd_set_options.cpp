// set: the terminal, the field and its value.
#include "cli/options.h"

#include "core/commands/verify.h"
#include "core/transport/addresstext.h"
#include "core/transport/statusreply.h"

#include <optional>

namespace quenzal::cli {

namespace {

bool readSetValue(SetOptions *o, const QString &fieldName, const QString &value, QString *error)
{
    // The column and text that show the value come from the core, from the
    // same field texts the command is written from (the window verifies the same way).
    auto expect = [o]() {
        const ExpectedValue e = expectedAfterCommand(o->command, o->commandFields);
        o->column = e.column;
        o->expected = e.text;
        o->newAddress = e.newAddress;
        return true;
    };
    auto octets = [&](SetField field, TerminalCommand command) {
        quint8 a[4];
        if (!parseAddressOctets(value, a)) {
            *error = QStringLiteral("bad %1 '%2': dotted address such as 198.18.1.30").arg(fieldName, value);
            return false;
        }
        o->field = field;
        o->command = command;
        o->commandFields.clear();
        for (quint8 b : a)
            o->commandFields << QString::number(b);
        return expect();
    };
    if (fieldName == QLatin1String("id")) {
        int id = 0;
        if (!parseInt(value, 0, MaxId, &id)) {
            *error = QStringLiteral("bad id '%1': a number from 0 to %2").arg(value).arg(MaxId);
            return false;
        }
        o->field = SetField::Id;
        o->command = TerminalCommand::SetId;
        o->commandFields = { QString::number(id) };
        return expect();
    }
    if (fieldName == QLatin1String("ip"))
        return octets(SetField::Ip, TerminalCommand::Ip);
    if (fieldName == QLatin1String("mask"))
        return octets(SetField::Mask, TerminalCommand::Mask);
    if (fieldName == QLatin1String("gateway"))
        return octets(SetField::Gateway, TerminalCommand::Gateway);
    if (fieldName == QLatin1String("server"))
        return octets(SetField::Server, TerminalCommand::ServerIp);
    if (fieldName == QLatin1String("mac")) {
        const std::optional<Mac> mac = parseMacPairs(value);
        if (!mac) {
            *error = QStringLiteral("bad mac '%1': six hexadecimal bytes such as 02:00:00:00:00:0A").arg(value);
            return false;
        }
        o->field = SetField::Mac;
        o->command = TerminalCommand::Mac;
        o->commandFields.clear();
        for (quint8 b : *mac)
            o->commandFields << QString::asprintf("%02X", b);
        return expect();
    }
    if (fieldName == QLatin1String("dhcp")) {
        const QString v = value.toLower();
        bool on;
        if (v == QLatin1String("on") || v == QLatin1String("1"))
            on = true;
        else if (v == QLatin1String("off") || v == QLatin1String("0"))
            on = false;
        else {
            *error = QStringLiteral("bad dhcp '%1': on or off").arg(value);
            return false;
        }
        o->field = SetField::Dhcp;
        o->command = on ? TerminalCommand::DhcpOn : TerminalCommand::DhcpOff;
        o->commandFields.clear();
        return expect();
    }
    *error = QStringLiteral("unknown field '%1': id, ip, mask, gateway, server, mac or dhcp").arg(fieldName);
    return false;
}

} // namespace

Command parseSet(const QStringList &rest)
{
    SubParser sp(QStringLiteral("set"),
        QStringLiteral("Sends the window's command for one field to one terminal, then queries it up to three times "
                       "within three seconds: exit 0 when a reply shows the new value, 3 when none does."));
    const QCommandLineOption id(
        QStringLiteral("id"), QStringLiteral("the terminal's ID, on the LAN (multicast)"), QStringLiteral("N"));
    const QCommandLineOption ip(QStringLiteral("ip"), QStringLiteral("the terminal's address, in WAN mode (unicast)"),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"), QStringLiteral("send only, query nothing"));
    sp.parser.addOptions({ id, ip, noVerify, interfaceOption() });
    sp.parser.addPositionalArgument(
        QStringLiteral("FIELD"), QStringLiteral("id, ip, mask, gateway, server, mac or dhcp"));
    sp.parser.addPositionalArgument(QStringLiteral("VALUE"),
        QStringLiteral("the new value: a number (id), an address, a MAC such as 02:00:00:00:00:0A, on or off (dhcp)"));
    if (const std::optional<Command> early = sp.start(rest))
        return *early;
    QString error;
    Command c;
    c.kind = Command::Set;
    SetOptions &o = c.set;
    if (sp.parser.isSet(id) == sp.parser.isSet(ip))
        return invalid(QStringLiteral("set: give exactly one of --id N and --ip ADDRESS"));
    if (sp.parser.isSet(id)) {
        o.byId = true;
        if (!parseInt(sp.parser.value(id), 0, MaxId, &o.id))
            return invalid(
                QStringLiteral("set: bad --id '%1': a number from 0 to %2").arg(sp.parser.value(id)).arg(MaxId));
    } else {
        o.byId = false;
        quint8 a[4];
        if (!parseAddressOctets(sp.parser.value(ip), a))
            return invalid(
                QStringLiteral("set: bad --ip '%1': dotted address such as 198.18.1.30").arg(sp.parser.value(ip)));
        o.address = QHostAddress((quint32(a[0]) << 24) | (quint32(a[1]) << 16) | (quint32(a[2]) << 8) | a[3]);
    }
    const QStringList pos = sp.parser.positionalArguments();
    if (pos.size() != 2)
        return invalid(QStringLiteral("set: expected FIELD VALUE, got %1 argument(s)").arg(pos.size()));
    o.fieldName = pos.at(0);
    if (!readSetValue(&o, pos.at(0), pos.at(1), &error))
        return invalid(QStringLiteral("set: ") + error);
    o.verify = !sp.parser.isSet(noVerify);
    if (!readInterface(sp.parser, &o.interfaceName, &o.interface, &error))
        return invalid(QStringLiteral("set: ") + error);
    return c;
}

} // namespace quenzal::cli
