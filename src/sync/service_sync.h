// The program's clock set through the time service, when the service answers.
#pragma once

#include <cstdint>
#include <optional>

#include "sync/sync_core.h"

namespace chronalign {

// The service's outcome of a synchronization with the given offset; nothing when the service
// did not answer (or cannot be asked for this offset), and the program sets the clock itself.
std::optional<SyncResult> SynchronizeThroughService(std::int16_t offsetMinutes);

}  // namespace chronalign
