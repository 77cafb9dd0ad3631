// libFuzzer target: any datagram, of any length, through the status reply
// decoder as the tool reads it (cut at 1024 bytes). Nothing may crash or read
// outside the datagram, and a decoded row always has its fixed shape.
#include "core/transport/statusreply.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const qsizetype read
        = qsizetype(size < size_t(quenzal::StatusReplyReadLimit) ? size : quenzal::StatusReplyReadLimit);
    // The decoder must be safe whatever the lead bytes; the tool calls it
    // only for replies.
    const quenzal::StatusRow row = quenzal::decodeStatusReply(bytes, read);
    if (row.texts[0].size() < 3 || row.texts[1].size() != 15 || row.texts[4].size() != 17
        || row.texts[12] != QLatin1String("unknow") || row.texts[17].size() > 16 || row.texts[31].toInt() > 15)
        std::abort();
    (void)quenzal::isStatusReply(bytes, qsizetype(size));
    (void)quenzal::isStatusReply(bytes, read);
    return 0;
}
