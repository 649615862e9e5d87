// The clock facility: the system clock in UTC, the local time of day, and sleeping.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// The operating system's time record, field for field (SYSTEMTIME).
struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;  // 0 = Sunday
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

struct TimeOfDay {
    int hour = 0;  // 0 to 23
    int minute = 0;
    int second = 0;

    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// The seconds since midnight of an hour, minute and second. 32 bits hold any 16-bit fields
// (about 1.2e8 at most either way): a field out of its range gives a sum outside one day, never
// a wrap.
constexpr std::int32_t SecondsOf(std::int32_t hour, std::int32_t minute, std::int32_t second) {
    return 3600 * hour + 60 * minute + second;
}

// The system clock in UTC.
SystemTime GetSystemTime();

// The system clock in UTC as finely as the system keeps it (GetSystemTimePreciseAsFileTime where
// it exists): microseconds since 1601-01-01 00:00 UTC.
std::int64_t PreciseSystemTime();

// Returns once PreciseSystemTime() has reached the instant, a fraction of a millisecond after it
// (where the system has no high-resolution timer, the last part is spun). At once when the
// instant has passed.
void WaitUntil(std::int64_t instant);

// Milliseconds on a clock that never goes back or jumps (the system clock may, by our own
// doing): for deadlines and for how long ago something was.
std::uint64_t TickMilliseconds();

// Writes the system clock (UTC) with timeAt(now), now being PreciseSystemTime() read once the
// right to write it is enabled in the process token (restored after): nothing the write needs
// falls between the reading and the write. Returns false when the system refused the new time.
bool SetSystemTime(const std::function<SystemTime(std::int64_t now)>& timeAt);

void Sleep(std::uint32_t milliseconds);

// The current local time of day.
TimeOfDay LocalTimeOfDay();

// The seconds since local midnight, with fractions.
double SecondsSinceMidnight();

}  // namespace platform
