// The synchronization step that the program and the time service share: read the time pages'
// time (of day, or the whole instant where a page states its date) with the offset applied,
// then compare it with the system clock, or measure the clock's offset from the pages and set
// the clock. Several pages are read side by side, and only what more than half of them agree on
// counts (agreement.h). It never touches a window and never pumps events; callers turn the
// result into a status text, a pipe reply or a log entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "sync/page_measure.h"

namespace chronalign {

enum class SyncOutcome {
    NoServerTime,  // no usable time from any page: nothing compared, nothing set
    Compared,      // difference holds the clock's lead over the server time
    SetAccepted,   // written holds the record the system took
    SetRefused,    // written holds the record the system refused
    Disagreed,     // pages gave times, but no more than half agree: nothing compared, nothing set
};

// What one of several pages listed said: the page's time less the system clock's, before the
// user's offset, or nothing when it gave no time.
struct PageSaid {
    std::string address;
    std::optional<OffsetEstimate> offset;
};

struct SyncResult {
    SyncOutcome outcome = SyncOutcome::NoServerTime;
    // Seconds: of the whole instant when the pages state it, else the short way round the clock.
    std::int64_t difference = 0;
    platform::SystemTime written{};
    platform::SystemTime clock{};  // the system clock as read once the pages had arrived
    Microseconds bound = 0;        // of a set: the measured offset's error lies within this
    std::vector<PageSaid> pages{};  // with several pages listed, what each said
};

// Downloads the page at an address within the milliseconds: its answer (the body, its Date
// header and when it was asked and came), or nothing when none came.
using PageFetch = std::optional<platform::PageAnswer> (*)(const std::string& address,
                                                          std::uint32_t deadlineMs);

// Each address's one download, side by side within the milliseconds. A single page is compared
// as it states itself: with milliseconds the difference is rounded to the nearest second,
// otherwise it is that of the whole seconds, as the page and the clock state them; a page that
// states the whole instant is compared with its date. Of several, each answer allows the offsets
// from what it states at its sending to what it states plus its unit (a millisecond or a second)
// at its arrival, and the clock's lead over the middle of what the agreeing group allows is
// rounded to the nearest second.
SyncResult CompareWithTimePages(PageFetch fetch, const std::vector<std::string>& addresses,
                                std::int16_t offsetMinutes, std::uint32_t deadlineMs);

// Measures the clock's offset from each address, side by side within the milliseconds, and sets
// the clock to the agreed time less the offset, to the millisecond: with the pages' date where
// every agreeing page states the whole instant, else on the date nearest the clock's. The bound
// is half of what the agreeing group allows.
SyncResult SetFromTimePages(PageMeasure measure, const std::vector<std::string>& addresses,
                            std::int16_t offsetMinutes, std::uint32_t deadlineMs);

}  // namespace chronalign
