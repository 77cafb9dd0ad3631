// libFuzzer target: any text as the simulator's fleet file. The parser must
// never crash, must give either an error naming its line or a fleet, and
// must keep the fleet within its bound whatever `repeat` asks for.
#include "fleetconfig.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const sim::FleetConfig config = sim::parseFleetConfig(text);
    if (!config.error.isEmpty()) {
        if (!config.error.startsWith(QLatin1String("line ")))
            std::abort();
        return 0;
    }
    if (config.terminals.size() > sim::kMaxFleetTerminals)
        std::abort();
    for (const sim::TerminalState &t : config.terminals) {
        // The model text is a fixed 16-byte field.
        if (t.text.size() != 16)
            std::abort();
    }
    return 0;
}
