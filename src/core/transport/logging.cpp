#include "core/transport/logging.h"

Q_LOGGING_CATEGORY(lcTransport, "quenzal.transport")
