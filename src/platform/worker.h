// The worker facility: work that may block for long done on a thread of its own, waited for a
// bounded time.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Runs work on a thread of its own and waits for it, at most the milliseconds. True when it
// ended in time (an exception it threw then comes out here). Otherwise this gives up on it and
// returns false: the work is left to end alone, nothing of it is closed from here, and from then
// on it sets no clock (clock.h). Work shares its state only through what it holds, never through
// the caller's frame.
//
// Workers given up on never pile up: while one still runs, a new work waits a moment for it to
// end; when it has not by then, the new work never starts and this returns false at once. The
// same holds for the window's worker (window.h, RunWhileDoingEvents): they share the count.
bool RunWithDeadline(std::function<void()> work, std::uint32_t milliseconds);

}  // namespace platform
