// The synchronization step that the program and the time service share: read the time page's
// time (of day, or the whole instant where the page states its date) with the offset applied,
// then compare it with the system clock, or measure the clock's offset from the page and set
// the clock. It never touches a window and never pumps
// events; callers turn the result into a status text, a pipe reply or a log entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "sync/page_measure.h"

namespace chronalign {

enum class SyncOutcome {
    NoServerTime,  // no usable time from the page: nothing compared, nothing set
    Compared,      // difference holds the clock's lead over the server time
    SetAccepted,   // written holds the record the system took
    SetRefused,    // written holds the record the system refused
};

struct SyncResult {
    SyncOutcome outcome = SyncOutcome::NoServerTime;
    // Seconds: of the whole instant when the page states it, else the short way round the clock.
    std::int64_t difference = 0;
    platform::SystemTime written{};
    platform::SystemTime clock{};  // the system clock as read once the page had arrived
    Microseconds bound = 0;        // of a set: the measured offset's error lies within this
};

// Downloads the page at an address within the milliseconds: its answer (the body, its Date
// header and when it was asked and came), or nothing when none came.
using PageFetch = std::optional<platform::PageAnswer> (*)(const std::string& address,
                                                          std::uint32_t deadlineMs);

// One download within the milliseconds. With a page that states milliseconds the difference is
// rounded to the nearest second, otherwise it is that of the whole seconds, as the page and the
// clock state them; a page that states the whole instant is compared with its date.
SyncResult CompareWithTimePage(PageFetch fetch, const std::string& address,
                               std::int16_t offsetMinutes, std::uint32_t deadlineMs);

// Measures the clock's offset within the milliseconds and sets the clock to the page's time less
// the offset, to the millisecond: with the page's date where it states the whole instant, else
// on the date nearest the clock's.
SyncResult SetFromTimePage(PageMeasure measure, const std::string& address,
                           std::int16_t offsetMinutes, std::uint32_t deadlineMs);

}  // namespace chronalign
