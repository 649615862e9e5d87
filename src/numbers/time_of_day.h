// Times of day on the system clock: the page states no date, so a difference is taken the short
// way round the clock, and a new time of day lands on the date nearest the clock as read.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace chronalign {

inline constexpr std::int32_t kSecondsPerDay = 86400;

// The seconds since midnight of an hour, minute and second.
using platform::SecondsOf;

// seconds brought into -43200 < result <= 43200 by whole days.
std::int32_t ShortWayRound(std::int32_t seconds);

// The same in any unit of which a day holds perDay: -perDay / 2 < result <= perDay / 2.
std::int64_t ShortWayRound(std::int64_t difference, std::int64_t perDay);

// The seconds since midnight of a record's time of day, milliseconds left out.
std::int32_t SecondsOfDay(const platform::SystemTime& time);

// The days from 1601-01-01, where the system clock's instants count from, to 1970-01-01, where
// Unix time (a page's msec=, an HTTP date) counts from.
inline constexpr std::int64_t kDaysFrom1601To1970 = 134'774;

// The record of an instant given as microseconds since 1601-01-01 00:00 UTC (as
// platform::PreciseSystemTime gives it), rounded down to the millisecond.
platform::SystemTime RecordOfInstant(std::int64_t microseconds);

// The instant of a record as microseconds since 1601-01-01 00:00 UTC; the day of week is not
// looked at.
std::int64_t InstantOfRecord(const platform::SystemTime& time);

// clock with its time of day replaced by secondsOfDay (taken modulo one day), on the day
// before, the same day or the day after, whichever puts it within twelve hours of clock.
// Year, month, day and day of week carry across month and year ends; milliseconds stay.
platform::SystemTime WithNearestTimeOfDay(const platform::SystemTime& clock,
                                          std::int32_t secondsOfDay);

}  // namespace chronalign
