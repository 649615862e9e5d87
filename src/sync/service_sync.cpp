#include "sync/service_sync.h"

#include <string>

#include "platform/time_service.h"
#include "sync/service_messages.h"

namespace chronalign {

std::optional<SyncResult> SynchronizeThroughService(std::int16_t offsetMinutes) {
    // The service would drop any other offset; no need to wait for that.
    if (!service::IsServiceOffset(offsetMinutes))
        return std::nullopt;
    const std::optional<std::string> reply =
        platform::AskTimeService(service::EncodeRequest(offsetMinutes));
    return reply ? service::DecodeReply(*reply) : std::nullopt;
}

}  // namespace chronalign
