#pragma once
// Diagnostics of the transport subsystem, switched with QT_LOGGING_RULES
// (for example "quenzal.transport.debug=false"). Debug messages carry no
// behaviour; warnings say what failed.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcTransport)
