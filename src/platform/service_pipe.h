// The service pipe facility: one exchange of messages with the time service's pipe, for a program
// that may lack the right to set the clock itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// More than any reply the service sends, so that a reply too long reaches the caller whole and
// is seen to be wrong there.
inline constexpr std::size_t kTimeServiceReplyRoom = 48;

// How long a request may wait for the service all told. The service serves one client at a
// time, and each may take its measure's whole deadline; a service started on demand gets its
// start within the same time.
inline constexpr std::uint32_t kTimeServicePatienceMs = 30'000;

// Sends the request and returns the service's reply, waiting a bounded time for a busy service,
// or for one installed but stopped, which it starts. Nothing when no service answers: none
// installed, none that may start, none within the time, a pipe whose server is not the
// service's process, or the request was dropped.
std::optional<std::string> AskTimeService(const std::string& request);

}  // namespace platform
