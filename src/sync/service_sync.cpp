#include "sync/service_sync.h"

#include <string>

#include "platform/service_pipe.h"
#include "sync/service_messages.h"

namespace chronalign {

std::optional<SyncResult> SynchronizeThroughService(std::int16_t offsetMinutes) {
    // The service would drop any other offset; no need to wait for that.
    if (!IsServiceOffset(offsetMinutes))
        return std::nullopt;
    const std::optional<std::string> reply = platform::AskTimeService(EncodeRequest(offsetMinutes));
    return reply ? DecodeReply(*reply) : std::nullopt;
}

}  // namespace chronalign
