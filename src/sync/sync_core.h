// The synchronization step that the program and the time service share: fetch the time page,
// read its time of day with the offset applied, then compare it with the system clock or set
// the clock. It never touches a window and never pumps events; callers turn the result into a
// status text, a pipe reply or a log entry.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace chronalign {

enum class SyncAction { Compare, Set };

enum class SyncOutcome {
    NoServerTime,  // no usable time from the page: nothing compared, nothing set
    Compared,      // difference holds the clock's lead over the server time
    SetAccepted,   // written holds the record the system took
    SetRefused,    // written holds the record the system refused
};

struct SyncResult {
    SyncOutcome outcome = SyncOutcome::NoServerTime;
    std::int32_t difference = 0;  // seconds, the short way round the clock
    platform::SystemTime written{};
    platform::SystemTime clock{};  // the system clock as read once the page had arrived
};

// Downloads the page at an address: its body, or empty text when nothing came.
using PageFetch = std::string (*)(const std::string& address);

SyncResult SyncWithTimePage(PageFetch fetch, const std::string& address,
                            std::int16_t offsetMinutes, SyncAction action);

}  // namespace chronalign
