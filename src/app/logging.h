#pragma once
// One logging category per subsystem, so diagnostics can be switched with
// QT_LOGGING_RULES (for example "quenzal.transport.debug=false"). Debug
// messages carry no behaviour.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcTransport)
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)
Q_DECLARE_LOGGING_CATEGORY(lcCommands)
Q_DECLARE_LOGGING_CATEGORY(lcServerdb)
