#include "numbers/time_of_day.h"

#include <chrono>

#include "numbers/integer.h"

namespace chronalign {

namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void NextDay(platform::SystemTime& t) {
    t.wDayOfWeek = static_cast<std::uint16_t>((t.wDayOfWeek + 1) % 7);
    if (++t.wDay <= DaysInMonth(t.wYear, t.wMonth))
        return;
    t.wDay = 1;
    if (++t.wMonth <= 12)
        return;
    t.wMonth = 1;
    ++t.wYear;
}

void PreviousDay(platform::SystemTime& t) {
    t.wDayOfWeek = static_cast<std::uint16_t>((t.wDayOfWeek + 6) % 7);
    if (t.wDay > 1) {
        --t.wDay;
        return;
    }
    if (--t.wMonth < 1) {
        t.wMonth = 12;
        --t.wYear;
    }
    t.wDay = static_cast<std::uint16_t>(DaysInMonth(t.wYear, t.wMonth));
}

std::int32_t Modulo(std::int32_t a, std::int32_t b) {
    return a - FloorDiv(a, b) * b;
}

}  // namespace

std::int32_t ShortWayRound(std::int32_t seconds) {
    return static_cast<std::int32_t>(ShortWayRound(std::int64_t{seconds}, kSecondsPerDay));
}

std::int64_t ShortWayRound(std::int64_t difference, std::int64_t perDay) {
    const std::int64_t r = difference - FloorDiv(difference, perDay) * perDay;
    return r > perDay / 2 ? r - perDay : r;
}

std::int32_t SecondsOfDay(const platform::SystemTime& time) {
    return SecondsOf(time.wHour, time.wMinute, time.wSecond);
}

platform::SystemTime RecordOfInstant(std::int64_t microseconds) {
    using namespace std::chrono;
    constexpr std::int64_t kPerDay = std::int64_t{kSecondsPerDay} * 1'000'000;
    const std::int64_t day = FloorDiv(microseconds, kPerDay);
    const std::int64_t rest = microseconds - day * kPerDay;
    const sys_days date{days{day - kDaysFrom1601To1970}};
    const year_month_day ymd{date};
    const auto ms = static_cast<std::int32_t>(rest / 1000);
    return {static_cast<std::uint16_t>(static_cast<int>(ymd.year())),
            static_cast<std::uint16_t>(static_cast<unsigned>(ymd.month())),
            static_cast<std::uint16_t>(weekday{date}.c_encoding()),
            static_cast<std::uint16_t>(static_cast<unsigned>(ymd.day())),
            static_cast<std::uint16_t>(ms / 3'600'000),
            static_cast<std::uint16_t>(ms / 60'000 % 60),
            static_cast<std::uint16_t>(ms / 1000 % 60),
            static_cast<std::uint16_t>(ms % 1000)};
}

std::int64_t InstantOfRecord(const platform::SystemTime& time) {
    using namespace std::chrono;
    const sys_days date{year{time.wYear} / month{time.wMonth} / day{time.wDay}};
    const std::int64_t days = date.time_since_epoch().count() + kDaysFrom1601To1970;
    return (days * kSecondsPerDay + SecondsOfDay(time)) * 1'000'000 +
           std::int64_t{time.wMilliseconds} * 1000;
}

platform::SystemTime WithNearestTimeOfDay(const platform::SystemTime& clock,
                                          std::int32_t secondsOfDay) {
    const std::int32_t target = Modulo(secondsOfDay, kSecondsPerDay);
    const std::int32_t raw = SecondsOfDay(clock) - target;
    // The clock moves back by the short difference; what is left over is a whole day.
    const std::int32_t days = (raw - ShortWayRound(raw)) / kSecondsPerDay;
    platform::SystemTime t = clock;
    if (days > 0)
        NextDay(t);
    if (days < 0)
        PreviousDay(t);
    t.wHour = static_cast<std::uint16_t>(target / 3600);
    t.wMinute = static_cast<std::uint16_t>(target / 60 % 60);
    t.wSecond = static_cast<std::uint16_t>(target % 60);
    return t;
}

}  // namespace chronalign
