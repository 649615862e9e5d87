// The messages between the program and the time service: small, of fixed size and versioned.
// A request carries nothing but an offset from the offset list; the service never takes a time
// from a client. A reply carries the outcome of the synchronization and the time written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/identity.h"
#include "sync/sync_core.h"

namespace chronalign::service {

inline constexpr const char* kPipeName = identity::kPipeName;

// The only offsets a client may ask for: the offset list's entries.
inline constexpr std::array<std::int16_t, 5> kOffsets = {-60, -30, 0, 30, 60};

inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kRequestSize = 8;  // magic, version, offset
inline constexpr std::size_t kReplySize = 24;   // magic, version, outcome, the time written

bool IsServiceOffset(std::int16_t offsetMinutes);

struct Request {
    std::int16_t offsetMinutes = 0;
};

std::string EncodeRequest(std::int16_t offsetMinutes);

// The request a message holds; nothing for a message of another size, magic or version, or
// with an offset that is not on the list.
std::optional<Request> DecodeRequest(std::string_view message);

// A reply states the outcome of a clock set: no usable time, set and accepted, set and refused.
std::string EncodeReply(const SyncResult& result);

// The result a reply holds (outcome and the time written); nothing for anything else.
std::optional<SyncResult> DecodeReply(std::string_view message);

}  // namespace chronalign::service
