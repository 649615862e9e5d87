// The worker facility: work that may block for long done on a thread of its own, bounded by a
// deadline that the waiting side keeps.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Runs work on a thread of its own and waits for it, at most the milliseconds. True when it
// ended in time (an exception it threw then comes out here). Otherwise the waiting side gives
// up on it: giveUp runs on the waiting thread, to close what the work owns so that its blocked
// call returns, and this returns false without waiting longer. Work and giveUp share their state
// through what they hold, never through the caller's frame: a work given up on ends later.
//
// Threads never pile up: while a work given up on earlier is still running, a new one waits a
// moment for it to end (where closing its handles ended its call, it is about to); when it has
// not ended by then, the new work never starts and this returns false at once.
bool RunWithDeadline(std::function<void()> work, std::uint32_t milliseconds,
                     const std::function<void()>& giveUp);

}  // namespace platform
