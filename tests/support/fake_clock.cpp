#include "fake_clock.h"

#include <string>

#include "fake_log.h"
#include "numbers/integer.h"

namespace fake {

namespace {

using chronalign::FloorDiv;

constexpr std::int64_t kMsPerDay = 86'400'000;

std::string Describe(const platform::SystemTime& t) {
    return std::to_string(t.wYear) + "-" + std::to_string(t.wMonth) + "-" + std::to_string(t.wDay) +
           " " + std::to_string(t.wHour) + ":" + std::to_string(t.wMinute) + ":" +
           std::to_string(t.wSecond) + "." + std::to_string(t.wMilliseconds) + " dow " +
           std::to_string(t.wDayOfWeek);
}

}  // namespace

ClockState& Clock() {
    static ClockState state;
    return state;
}

void ResetClock() {
    Clock() = ClockState{};
}

std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

platform::SystemTime CivilFromMilliseconds(std::int64_t ms) {
    std::int64_t days = FloorDiv(ms, kMsPerDay);
    std::int64_t rest = ms - days * kMsPerDay;
    const std::int64_t z = days + 719468;
    const std::int64_t era = FloorDiv(z, std::int64_t{146097});
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp + (mp < 10 ? 3 : -9);
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    platform::SystemTime t;
    t.wYear = static_cast<std::uint16_t>(y);
    t.wMonth = static_cast<std::uint16_t>(m);
    t.wDay = static_cast<std::uint16_t>(d);
    t.wDayOfWeek =
        static_cast<std::uint16_t>(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
    t.wHour = static_cast<std::uint16_t>(rest / 3'600'000);
    t.wMinute = static_cast<std::uint16_t>(rest / 60'000 % 60);
    t.wSecond = static_cast<std::uint16_t>(rest / 1000 % 60);
    t.wMilliseconds = static_cast<std::uint16_t>(rest % 1000);
    return t;
}

std::int64_t ToMilliseconds(const platform::SystemTime& t) {
    return DaysFromCivil(t.wYear, t.wMonth, t.wDay) * kMsPerDay + t.wHour * 3'600'000LL +
           t.wMinute * 60'000LL + t.wSecond * 1000LL + t.wMilliseconds;
}

platform::SystemTime DateTime(int year, int month, int day, int hour, int minute, int second,
                              int milliseconds) {
    const std::int64_t ms = DaysFromCivil(year, month, day) * kMsPerDay + hour * 3'600'000LL +
                            minute * 60'000LL + second * 1000LL + milliseconds;
    return CivilFromMilliseconds(ms);
}

void Advance(std::int64_t milliseconds) {
    Clock().utc = CivilFromMilliseconds(ToMilliseconds(Clock().utc) + milliseconds);
    if (milliseconds > 0)
        Clock().ticks += static_cast<std::uint64_t>(milliseconds);
}

void SetUtcTimeOfDay(int hour, int minute, int second, int milliseconds) {
    auto& t = Clock().utc;
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(second);
    t.wMilliseconds = static_cast<std::uint16_t>(milliseconds);
}

void SetLocalTimeOfDay(int hour, int minute, int second, int milliseconds) {
    const std::int64_t localMs = ToMilliseconds(Clock().utc) + Clock().zoneOffsetSeconds * 1000;
    const std::int64_t midnight = FloorDiv(localMs, kMsPerDay) * kMsPerDay;
    const std::int64_t wanted =
        midnight + hour * 3'600'000LL + minute * 60'000LL + second * 1000LL + milliseconds;
    Clock().utc = CivilFromMilliseconds(wanted - Clock().zoneOffsetSeconds * 1000);
}

}  // namespace fake

namespace platform {

namespace {

std::int64_t LocalMillisecondsOfDay() {
    const std::int64_t local =
        fake::ToMilliseconds(fake::Clock().utc) + fake::Clock().zoneOffsetSeconds * 1000;
    return local - fake::FloorDiv(local, fake::kMsPerDay) * fake::kMsPerDay;
}

}  // namespace

SystemTime GetSystemTime() {
    fake::Record("GetSystemTime");
    return fake::Clock().utc;
}

std::int64_t PreciseSystemTime() {
    fake::Record("PreciseSystemTime");
    constexpr std::int64_t kMillisecondsFrom1601To1970 = 11'644'473'600'000;
    return (fake::ToMilliseconds(fake::Clock().utc) + kMillisecondsFrom1601To1970) * 1000;
}

void WaitUntil(std::int64_t instant) {
    fake::Record("WaitUntil");
    const std::int64_t left = instant - PreciseSystemTime();
    if (left > 0)
        fake::Advance((left + 999) / 1000);
}

std::uint64_t TickMilliseconds() {
    return fake::Clock().ticks;
}

bool SetSystemTime(const std::function<SystemTime(std::int64_t now)>& timeAt) {
    const SystemTime time = timeAt(PreciseSystemTime());
    fake::Record("SetSystemTime " + fake::Describe(time));
    fake::Clock().setCalls.push_back(time);
    if (fake::Clock().refuseSet)
        return false;
    fake::Clock().utc = time;
    return true;
}

void Sleep(std::uint32_t milliseconds) {
    fake::Record("Sleep " + std::to_string(milliseconds));
    fake::Clock().sleptMilliseconds += milliseconds;
    fake::Advance(milliseconds);
    if (fake::Clock().onSleep)
        fake::Clock().onSleep(milliseconds);
}

TimeOfDay LocalTimeOfDay() {
    const std::int64_t ms = LocalMillisecondsOfDay();
    return {static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
            static_cast<int>(ms / 1000 % 60)};
}

double SecondsSinceMidnight() {
    return static_cast<double>(LocalMillisecondsOfDay()) / 1000.0;
}

}  // namespace platform
