// The bounds of a time page download, the same for the program's download and the time
// service's: neither a silent server nor an endless body may hold a synchronization for long
// or fill memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace chronalign::download {

inline constexpr const char* kAgent = "ZQandWinInet/1.0";

// Each step of the exchange: connecting, sending, each wait for an answer.
inline constexpr std::uint32_t kStepMs = 10'000;

// The whole download, from the call to its return. Twice the step: a connection that takes its
// full time to be made and then its full time for the first answer still gets its page, and a
// healthy time page (a few hundred bytes) arrives in well under a second even through a slow
// proxy. Beyond that the server is not going to deliver. A synchronization's measure keeps the
// same deadline: its whole-seconds search ends 15 s after its first request, and past the
// deadline what it measured by then stands.
inline constexpr std::uint32_t kDeadlineMs = 20'000;

inline constexpr std::size_t kMostBytes = std::size_t{64} * 1024;
inline constexpr std::size_t kChunk = 1024;  // bytes asked for by one read

}  // namespace chronalign::download
