// A settable clock. The system clock runs only when the test advances it (or the program
// sleeps); local time is the system clock plus a fixed zone offset.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/clock.h"

namespace fake {

struct ClockState {
    platform::SystemTime utc{2026, 12, 1, 7, 12, 0, 0, 0};  // Monday 7 December 2026, 12:00 UTC
    std::int64_t zoneOffsetSeconds = 0;                     // local = UTC + this
    bool refuseSet = false;  // the user lacks the right to change the time
    std::vector<platform::SystemTime> setCalls;
    std::uint64_t sleptMilliseconds = 0;
    std::uint64_t ticks = 0;  // TickMilliseconds(): moves with Advance, never with a set
    std::function<void(std::uint32_t)> onSleep;  // runs after each Sleep has advanced the clock
};

ClockState& Clock();
void ResetClock();

// Moves the system clock on by the given milliseconds, carrying into the date.
void Advance(std::int64_t milliseconds);

// Sets the UTC time of day (the date stays).
void SetUtcTimeOfDay(int hour, int minute, int second, int milliseconds = 0);

// Sets the clock so that local time reads the given time of day (the date may change).
void SetLocalTimeOfDay(int hour, int minute, int second, int milliseconds = 0);

// Days since 1970-01-01 and back, proleptic Gregorian.
std::int64_t DaysFromCivil(int year, int month, int day);
platform::SystemTime CivilFromMilliseconds(std::int64_t msSinceEpoch);
std::int64_t ToMilliseconds(const platform::SystemTime& t);

// A date and time with the day of week that the system would report for it.
platform::SystemTime DateTime(int year, int month, int day, int hour, int minute, int second,
                              int milliseconds = 0);

}  // namespace fake
