// The time service facility: one exchange of messages with the service's pipe, for a program
// that may lack the right to set the clock itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// More than any reply the service sends, so that a reply too long reaches the caller whole and
// is seen to be wrong there.
inline constexpr std::size_t kTimeServiceReplyRoom = 48;

// Sends the request and returns the service's reply, waiting a bounded time for a busy service.
// Nothing when no service answers: none installed or running, none within the time, or the
// request was dropped.
std::optional<std::string> AskTimeService(const std::string& request);

}  // namespace platform
