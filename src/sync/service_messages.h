// The messages between the program and the time service: small, of fixed size and versioned.
// A request carries nothing but an offset from the offset list; the service never takes a time
// from a client. A reply carries the outcome of the synchronization and the time written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/service_pipe.h"
#include "sync/server_time.h"
#include "sync/sync_core.h"

namespace chronalign {

inline constexpr std::uint16_t kMessageVersion = 1;
inline constexpr std::size_t kRequestSize = 8;  // magic, version, offset
inline constexpr std::size_t kReplySize = 24;   // magic, version, outcome, the time written
static_assert(kReplySize < platform::kTimeServiceReplyRoom);

// The only offsets a client may ask for: the offset list's.
bool IsServiceOffset(std::int16_t offsetMinutes);

struct ServiceRequest {
    std::int16_t offsetMinutes = 0;
};

std::string EncodeRequest(std::int16_t offsetMinutes);

// The request a message holds; nothing for a message of another size, magic or version, or
// with an offset that is not on the list.
std::optional<ServiceRequest> DecodeRequest(std::string_view message);

// A reply states the outcome of a clock set: no usable time, set and accepted, set and refused,
// or pages that disagree (nothing set).
// A set refused is the system's refusal, or the service's own to a client who may not ask for
// that offset (then no time was written): either way the client lacks the right and must not
// try another road.
std::string EncodeReply(const SyncResult& result);

// The result a reply holds (outcome and the time written); nothing for anything else.
std::optional<SyncResult> DecodeReply(std::string_view message);

}  // namespace chronalign
