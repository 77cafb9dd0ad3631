#include "core/discovery/logging.h"

Q_LOGGING_CATEGORY(lcDiscovery, "quenzal.discovery")
