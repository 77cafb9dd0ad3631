#include "core/serverdb/logging.h"

Q_LOGGING_CATEGORY(lcServerdb, "quenzal.serverdb")
