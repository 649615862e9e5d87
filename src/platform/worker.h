// The worker facility: work that may block for long done on a thread of its own, waited for a
// bounded time; several such works side by side.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

// Runs the works side by side, each on a thread of its own, and waits for them all, at most the
// milliseconds in all. For each work, in their order, whether it ended in time; once all are
// waited for, an exception that one which ended threw comes out here (the first). A work that
// has not ended by then is given up on: it is left to end alone, nothing of it is closed from
// here, and from then on it sets no clock (clock.h). Work shares its state only through what
// it holds, never through the caller's frame.
//
// Workers given up on never pile up: while any one still runs, new works wait a moment for all
// of them to end; when they have not by then, the new works never start, and count as not ended
// at once. The window's worker (window.h, RunWhileDoingEvents) shares the count. So a program
// that makes one call at a time, as both do, leaves at most one call's works (and one window's
// worker) running at any time, however many were given up on at once.
std::vector<bool> RunSideBySide(std::vector<std::function<void()>> works,
                                std::uint32_t milliseconds);

}  // namespace platform
