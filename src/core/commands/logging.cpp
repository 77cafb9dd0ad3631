#include "core/commands/logging.h"

Q_LOGGING_CATEGORY(lcCommands, "quenzal.commands")
