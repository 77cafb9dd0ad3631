#include "app/logging.h"

Q_LOGGING_CATEGORY(lcApp, "quenzal.app")
Q_LOGGING_CATEGORY(lcTransport, "quenzal.transport")
Q_LOGGING_CATEGORY(lcDiscovery, "quenzal.discovery")
Q_LOGGING_CATEGORY(lcCommands, "quenzal.commands")
Q_LOGGING_CATEGORY(lcServerdb, "quenzal.serverdb")
