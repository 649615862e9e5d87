// The real clock and locale under Wine. Wine refuses any change of the clock above half a
// second and never touches the host's clock, so both outcomes of a set are safe to reach.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "numbers/time_of_day.h"
#include "platform/clock.h"
#include "platform/locale.h"

namespace {

std::int64_t Milliseconds(const platform::SystemTime& t) {
    const SYSTEMTIME s{t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                       t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
    FILETIME f{};
    if (!::SystemTimeToFileTime(&s, &f))
        return -1;
    return ((static_cast<std::int64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10'000;
}

platform::SystemTime FromMilliseconds(std::int64_t ms) {
    const std::int64_t ticks = ms * 10'000;
    const FILETIME f{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME s{};
    ::FileTimeToSystemTime(&f, &s);
    return {s.wYear, s.wMonth,  s.wDayOfWeek, s.wDay,
            s.wHour, s.wMinute, s.wSecond,    s.wMilliseconds};
}

// The attributes of the system-time privilege in this process's token, if it holds it.
std::optional<DWORD> SystemTimePrivilege() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return std::nullopt;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    LUID luid{};
    std::optional<DWORD> attributes;
    if (::GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size) &&
        ::LookupPrivilegeValueA(nullptr, SE_SYSTEMTIME_NAME, &luid)) {
        const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID& l = privileges->Privileges[i].Luid;
            if (l.LowPart == luid.LowPart && l.HighPart == luid.HighPart)
                attributes = privileges->Privileges[i].Attributes;
        }
    }
    ::CloseHandle(token);
    return attributes;
}

TEST(ClockTest, TheClockReadsTheSystemsUtcAndLocalTime) {
    SYSTEMTIME utc{};
    ::GetSystemTime(&utc);
    const platform::SystemTime ours = platform::GetSystemTime();
    const std::int64_t theirs =
        Milliseconds({utc.wYear, utc.wMonth, utc.wDayOfWeek, utc.wDay, utc.wHour, utc.wMinute,
                      utc.wSecond, utc.wMilliseconds});
    EXPECT_LT(std::llabs(Milliseconds(ours) - theirs), 1000);
    EXPECT_EQ(ours.wDayOfWeek, utc.wDayOfWeek);

    const platform::TimeOfDay local = platform::LocalTimeOfDay();
    const double seconds = platform::SecondsSinceMidnight();
    const double fromParts = local.hour * 3600.0 + local.minute * 60.0 + local.second;
    // Apart by under a second, unless midnight fell between the two readings.
    EXPECT_TRUE(std::fabs(seconds - fromParts) < 1.5 || seconds < 1.5) << seconds;
    EXPECT_GE(seconds, 0);
    EXPECT_LT(seconds, 86400);

    bool fraction = false;  // the milliseconds come along
    for (int i = 0; i < 20 && !fraction; ++i, ::Sleep(7)) {
        const double s = platform::SecondsSinceMidnight();
        fraction = s != std::floor(s);
    }
    EXPECT_TRUE(fraction);
}

TEST(ClockTest, ThePreciseClockIsTheSystemClockFinerAndOurCalendarIsWindows) {
    bool finer = false;  // some reading falls between milliseconds
    for (int i = 0; i < 50; ++i) {
        const std::int64_t before = Milliseconds(platform::GetSystemTime());
        const std::int64_t precise = platform::PreciseSystemTime();
        const std::int64_t after = Milliseconds(platform::GetSystemTime());
        EXPECT_GE(precise / 1000, before - 16);  // the coarse clock may lag by a tick
        EXPECT_LE(precise / 1000, after + 16);
        finer = finer || precise % 1000 != 0;
        const auto ticks = static_cast<std::uint64_t>(precise) * 10;
        const FILETIME f{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        SYSTEMTIME s{};
        ASSERT_TRUE(::FileTimeToSystemTime(&f, &s));
        EXPECT_EQ(chronalign::RecordOfInstant(precise),
                  (platform::SystemTime{s.wYear, s.wMonth, s.wDayOfWeek, s.wDay, s.wHour, s.wMinute,
                                        s.wSecond, s.wMilliseconds}));
    }
    EXPECT_TRUE(finer);
}

TEST(ClockTest, SleepWaitsAboutAsLongAsAsked) {
    const DWORD before = ::GetTickCount();
    platform::Sleep(200);
    const DWORD slept = ::GetTickCount() - before;
    EXPECT_GE(slept, 150u);
    EXPECT_LT(slept, 2000u);
}

TEST(ClockTest, ASetReportsWhetherTheSystemTookTheTime) {
    const std::optional<DWORD> before = SystemTimePrivilege();

    // The clock's own time, as the set read it: a change of nothing, which the system accepts.
    const std::int64_t asked = platform::PreciseSystemTime();
    std::int64_t read = 0;
    EXPECT_TRUE(platform::SetSystemTime([&read](std::int64_t now) {
        read = now;
        return FromMilliseconds(now / 1000);
    }));
    EXPECT_GE(read, asked);
    EXPECT_LT(read - asked, 5'000'000);
    EXPECT_EQ(SystemTimePrivilege(), before);  // the privilege is put back as it was

    // Ten hours ahead: refused, reported, and the clock stays.
    const platform::SystemTime now = platform::GetSystemTime();
    const auto at = [](platform::SystemTime t) { return [t](std::int64_t) { return t; }; };
    EXPECT_FALSE(platform::SetSystemTime(at(FromMilliseconds(Milliseconds(now) + 36'000'000))));
    EXPECT_LT(std::llabs(Milliseconds(platform::GetSystemTime()) - Milliseconds(now)), 5000);
    EXPECT_EQ(SystemTimePrivilege(), before);

    // A record the system cannot take at all is refused too.
    platform::SystemTime invalid = now;
    invalid.wHour = 77;
    EXPECT_FALSE(platform::SetSystemTime(at(invalid)));
}

TEST(LocaleTest, TheUsersSettingsComeThroughAndAnEmptyDesignatorStaysEmpty) {
    for (const std::string& text : {platform::DecimalSeparator(), platform::ThousandSeparator(),
                                    platform::AmDesignator(), platform::PmDesignator()}) {
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find('\0'), std::string::npos);
    }
    char decimal[16] = {};
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal);
    if (decimal[0] != '\0') {
        EXPECT_EQ(platform::DecimalSeparator(), decimal);
    }

    // A user who set no designator gets none; the setting is put back whatever the outcome.
    char am[96] = {};
    ASSERT_GT(::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S1159, am, sizeof am), 0);
    EXPECT_TRUE(::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S1159, ""));
    EXPECT_EQ(platform::AmDesignator(), "");
    ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S1159, am);
}

TEST(LocaleTest, TheLongTimeFormatIsTheUsers) {
    const std::string afternoon = platform::FormatLongTime({15, 7, 9});
    const std::string morning = platform::FormatLongTime({0, 5, 0});
    EXPECT_NE(afternoon.find("07"), std::string::npos) << afternoon;
    EXPECT_NE(afternoon.find("09"), std::string::npos) << afternoon;
    EXPECT_NE(afternoon, morning);
    if (::GetUserDefaultLCID() ==
        MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT)) {
        EXPECT_EQ(afternoon, "3:07:09 PM");
        EXPECT_EQ(morning, "12:05:00 AM");
    }
}

}  // namespace
