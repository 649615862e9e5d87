// The bounds of a time page download or measure, the same for the program and the time service:
// neither a silent server nor an endless body may hold a synchronization for long. What bounds
// each call and each body is the page connection's own (platform/page_connection.h).
#pragma once

#include <cstdint>

namespace chronalign::download {

// The whole download or measure, from its start to its return. Twice the connection's step: a
// connection that takes its full time to be made and then its full time for the first answer
// still gets its page, and a healthy time page (a few hundred bytes) arrives in well under a
// second even through a slow proxy. Beyond that the server is not going to deliver. A
// synchronization's measure keeps the same deadline: its whole-seconds search ends 15 s after
// its first request, and past the deadline what it measured by then stands.
inline constexpr std::uint32_t kDeadlineMs = 20'000;

// What the side waiting for a download or measure allows beyond its deadline before it gives up
// on it: the set, or the reply, that may follow the last answer. A library that keeps its
// time-outs has returned by then.
inline constexpr std::uint32_t kGraceMs = 500;

}  // namespace chronalign::download
