#include "app/check_sync.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/identity.h"
#include "http_date_text.h"
#include "reset_fakes.h"
#include "ui/frm_main.h"
#include "ui/tray.h"

namespace chronalign {
namespace {

using platform::Control;
using Texts = std::vector<std::string>;

constexpr const char* kGetting = "Getting Time...";
constexpr const char* kOk = "Local time is ok";
constexpr const char* kNoTime = "Cannot get time from server! (internet running?)";
constexpr const char* kRefused = "Cannot set system time! (administrator rights needed?)";

std::string Page(int h, int m, int s) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", h, m, s);
    std::string page = "<html><head><title>Time</title></head><body>It is now ";
    page += time;
    page += " UTC on the server.</body></html>\n";
    page.append(page.size() < 120 ? 120 - page.size() : 0, ' ');
    return page;
}

// A page stating the fake system clock's UTC time of day moved on by seconds.
std::string PageOffBy(int seconds) {
    const auto t =
        fake::CivilFromMilliseconds(fake::ToMilliseconds(fake::Clock().utc) + seconds * 1000LL);
    return Page(t.wHour, t.wMinute, t.wSecond);
}

// The page at an instant (milliseconds since 1970), stating its milliseconds.
std::string MsPage(std::int64_t ms) {
    const auto t = fake::CivilFromMilliseconds(ms);
    std::string page = Page(t.wHour, t.wMinute, t.wSecond);
    char token[40];
    std::snprintf(token, sizeof token, " msec=%lld.%03lld", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    return page.insert(page.find("</body>"), token);
}

// Scripts a synchronization's two requests against a page that states h:m:s.000 when the
// first is sent and runs on with the clock: the measure is exact, and the set comes 2 ms later.
void ServeFrom(int h, int m, int s) {
    const std::int64_t start = fake::ToMilliseconds(fake::Clock().utc);
    const std::int64_t stated = fake::DaysFromCivil(2026, 12, 7) * 86'400'000LL +
                                std::int64_t{platform::SecondsOf(h, m, s)} * 1000;
    fake::ServeLive(
        [=] { return MsPage(stated + fake::ToMilliseconds(fake::Clock().utc) - start); }, 2);
}

platform::SystemTime Later(const platform::SystemTime& t, std::int64_t ms) {
    return fake::CivilFromMilliseconds(fake::ToMilliseconds(t) + ms);
}

// An HTTP Date header for an instant (milliseconds since 1970).
std::string HttpDate(std::int64_t ms) {
    const auto t = fake::CivilFromMilliseconds(ms);
    return testsupport::HttpDateText(t.wDayOfWeek, t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute,
                                     t.wSecond);
}

// Scripts the answers of a page that runs skewMs ahead of the fake clock, in whole seconds, with
// a Date header that many seconds later than its time when dateLag holds one.
void ServeWholeSeconds(std::int64_t skewMs, std::optional<int> dateLag = std::nullopt,
                       int times = kMostRequestsWholeSeconds + 1) {
    const auto now = [skewMs] { return fake::ToMilliseconds(fake::Clock().utc) + skewMs; };
    for (int i = 0; i < times; ++i)
        fake::Internet().downloads.push_back(
            {.live =
                 [now] {
                     const auto t = fake::CivilFromMilliseconds(now());
                     return Page(t.wHour, t.wMinute, t.wSecond);
                 },
             .liveDate =
                 [now, dateLag] {
                     return dateLag ? HttpDate(now() + *dateLag * 1000) : std::string();
                 }});
}

// How far from the fake clock plus skewMs the last set was, in milliseconds, where the clock
// refused it and so ran on undisturbed.
std::int64_t SetError(std::int64_t skewMs) {
    return fake::ToMilliseconds(fake::Clock().setCalls.back()) -
           fake::ToMilliseconds(fake::Clock().utc) - skewMs;
}

class CheckSyncTest : public fake::FakePlatformTest {
  protected:
    static const Texts& Writes() { return fake::ControlOf(Control::lblInfo).textWrites; }
    static std::string Status() { return fake::ControlOf(Control::lblInfo).text; }
    static std::string Inaccurate(int n) {
        return "Local time inaccurate - difference is " + std::to_string(n) + " seconds!";
    }
    // Checks at the clock as it stands, with both downloads stating the same page.
    static std::string CheckAgainst(const std::string& page) {
        fake::ResetInternet();
        fake::Serve(page);
        fake::Serve(page);
        CheckOrSynchronize(true, false);
        return Status();
    }
    // The same against a page off by seconds, from a whole second so that the re-check's
    // half second keeps the difference.
    static std::string CheckOffBy(int seconds) {
        fake::Clock().utc.wMilliseconds = 0;
        return CheckAgainst(PageOffBy(seconds));
    }
};

TEST_F(CheckSyncTest, WithinOneSecondEitherWayIsOkAtOnce) {
    for (int off : {-1, 0, 1}) {
        fake::ResetAll();
        fake::Clock().utc.wMilliseconds = 900;  // milliseconds play no part
        fake::Serve(PageOffBy(off));
        EXPECT_EQ(CheckOrSynchronize(true, false), SyncOutcome::Compared);
        EXPECT_EQ(Writes(), (Texts{kGetting, kOk})) << off;
        EXPECT_EQ(fake::Internet().opens, 1) << off;
        EXPECT_EQ(fake::Clock().sleptMilliseconds, 0u) << off;
        EXPECT_TRUE(fake::Clock().setCalls.empty());
    }
}

TEST_F(CheckSyncTest, ADifferenceIsConfirmedOnceHalfASecondLater) {
    fake::Serve(PageOffBy(2));
    fake::Serve(PageOffBy(2));
    CheckOrSynchronize(true, false);
    // The re-check's "Getting Time..." finds the text already there: the line does not flicker.
    EXPECT_EQ(Writes(), (Texts{kGetting, Inaccurate(2)}));
    EXPECT_EQ(fake::Internet().opens, 2);
    EXPECT_EQ(fake::Clock().sleptMilliseconds, 500u);
    // A pump before the download, then pump, pause and the second download.
    EXPECT_EQ(fake::LogOf("DoEvents").size(), 3u);
    const int pause = fake::LogIndex("Sleep 500");
    ASSERT_GE(pause, 1);
    EXPECT_EQ(fake::Log()[static_cast<std::size_t>(pause - 1)], "DoEvents");
    ASSERT_EQ(fake::LogOf("RequestPage").size(), 2u);
    EXPECT_LT(fake::LogIndex("RequestPage"), pause);
    EXPECT_GT(fake::LogIndex("RequestPage", pause), pause);

    // Within the tolerance at the second look: ok after all.
    fake::ResetAll();
    fake::Serve(PageOffBy(-2));
    fake::Serve(PageOffBy(0));
    CheckOrSynchronize(true, false);
    EXPECT_EQ(Status(), kOk);
    EXPECT_EQ(fake::Internet().opens, 2);
}

TEST_F(CheckSyncTest, TheDifferenceIsReportedTheShortWayRound) {
    EXPECT_EQ(CheckOffBy(5), Inaccurate(5));
    EXPECT_EQ(CheckOffBy(-5), Inaccurate(5));
    EXPECT_EQ(CheckOffBy(10 * 3600), Inaccurate(36000));
    EXPECT_EQ(CheckOffBy(-10 * 3600), Inaccurate(36000));
    EXPECT_EQ(CheckOffBy(12 * 3600), Inaccurate(43200));

    fake::SetUtcTimeOfDay(23, 59, 59);
    EXPECT_EQ(CheckAgainst(Page(0, 0, 0)), kOk);
    fake::SetUtcTimeOfDay(0, 0, 0);
    EXPECT_EQ(CheckAgainst(Page(23, 59, 59)), kOk);
    fake::SetUtcTimeOfDay(23, 59, 50);
    EXPECT_EQ(CheckAgainst(Page(0, 0, 5)), Inaccurate(15));
    fake::SetUtcTimeOfDay(0, 0, 5);
    EXPECT_EQ(CheckAgainst(Page(23, 59, 50)), Inaccurate(15));
}

TEST_F(CheckSyncTest, TheOffsetIsAppliedBeforeTheCompare) {
    OffsetMinutes = 60;
    EXPECT_EQ(CheckOffBy(3600), kOk);
    OffsetMinutes = -30;
    EXPECT_EQ(CheckOffBy(0), Inaccurate(1800));
}

TEST_F(CheckSyncTest, ACompareNeverTouchesTheClockOrLastSyncTime) {
    LastSyncTime = 777.25f;
    CheckOffBy(0);
    CheckOffBy(100);
    fake::ResetInternet();
    CheckOrSynchronize(true, false);
    EXPECT_EQ(Status(), kNoTime);
    EXPECT_EQ(LastSyncTime, 777.25f);
    EXPECT_TRUE(fake::Clock().setCalls.empty());
}

TEST_F(CheckSyncTest, ASetReplacesTheTimeOfDayAndReportsLocalTime) {
    fake::Clock().utc = fake::DateTime(2026, 12, 7, 9, 0, 0, 432);
    fake::Clock().zoneOffsetSeconds = 3 * 3600;
    ServeFrom(12, 4, 5);
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetAccepted);
    ASSERT_EQ(fake::Clock().setCalls.size(), 1u);
    EXPECT_EQ(fake::Clock().setCalls[0], fake::DateTime(2026, 12, 7, 12, 4, 5, 2));
    EXPECT_EQ(Writes(), (Texts{kGetting, "Time updated succesfully! (3:04:05 PM)"}));
    EXPECT_FLOAT_EQ(LastSyncTime, 15 * 3600 + 4 * 60 + 5.002f);
    // Two requests on one connection, the window painted before them.
    EXPECT_EQ(fake::Internet().connections, 1);
    EXPECT_EQ(fake::Internet().opens, 2);
    EXPECT_LT(fake::LogIndex("DoEvents"), fake::LogIndex("RequestPage"));
    EXPECT_EQ(fake::Internet().openConnections, 0);
}

TEST_F(CheckSyncTest, ASetMeasuresAWholeSecondsPageToItsLimits) {
    for (const std::int64_t skew : {30'001, 30'500, 30'999, -7'250}) {
        fake::ResetAll();
        fake::Clock().refuseSet = true;  // the clock keeps the time the set was measured against
        fake::ServeLive(
            [skew] {
                const auto t = fake::CivilFromMilliseconds(
                    fake::ToMilliseconds(fake::Clock().utc) + skew);
                return Page(t.wHour, t.wMinute, t.wSecond);
            },
            kMostRequestsWholeSeconds + 1);
        EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetRefused);
        const std::int64_t error = fake::ToMilliseconds(fake::Clock().setCalls.back()) -
                                   fake::ToMilliseconds(fake::Clock().utc) - skew;
        EXPECT_LE(std::abs(error), 2) << skew;
        EXPECT_LE(fake::Internet().opens, kMostRequestsWholeSeconds) << skew;
    }
}

TEST_F(CheckSyncTest, TheSuccessTextUsesTheTwelveHourClockAndTheUsersDesignators) {
    fake::Locale().am = "vorm.";
    fake::Locale().pm = "nachm.";
    const struct {
        int hour;
        const char* text;
    } cases[] = {{0, "12:00:07 vorm."},   {1, "1:00:07 vorm."},   {11, "11:00:07 vorm."},
                 {12, "12:00:07 nachm."}, {13, "1:00:07 nachm."}, {23, "11:00:07 nachm."}};
    for (const auto& c : cases) {
        fake::SetUtcTimeOfDay(c.hour, 0, 0);
        ServeFrom(c.hour, 0, 7);
        CheckOrSynchronize(false, false);
        EXPECT_EQ(Status(), std::string("Time updated succesfully! (") + c.text + ")");
    }
}

TEST_F(CheckSyncTest, ASetOfATimeOfDayAloneLandsOnTheNearestDate) {
    // The page says 23:30; an offset of -60 makes it 00:30, which is tomorrow at 23:50.
    fake::Clock().utc = fake::DateTime(2026, 12, 7, 23, 50, 0, 250);
    OffsetMinutes = -60;
    ServeFrom(23, 30, 0);
    CheckOrSynchronize(false, false);
    EXPECT_EQ(fake::Clock().utc, fake::DateTime(2026, 12, 8, 0, 30, 0, 2));

    fake::Clock().utc = fake::DateTime(2026, 12, 8, 0, 10, 0);
    OffsetMinutes = 0;
    ServeFrom(23, 55, 0);
    CheckOrSynchronize(false, false);
    EXPECT_EQ(fake::Clock().utc, fake::DateTime(2026, 12, 7, 23, 55, 0, 2));

    // A page that states no date, its time of day that of the expected instant.
    const struct {
        platform::SystemTime clock;
        platform::SystemTime expected;
    } cases[] = {
        {fake::DateTime(2026, 11, 30, 23, 59, 59), fake::DateTime(2026, 12, 1, 0, 0, 1)},
        {fake::DateTime(2026, 12, 31, 23, 59, 58), fake::DateTime(2027, 1, 1, 0, 0, 2)},
        {fake::DateTime(2027, 1, 1, 0, 0, 1), fake::DateTime(2026, 12, 31, 23, 59, 57)},
        {fake::DateTime(2028, 2, 28, 23, 59, 59), fake::DateTime(2028, 2, 29, 0, 0, 0)},
        {fake::DateTime(2028, 2, 29, 23, 59, 59), fake::DateTime(2028, 3, 1, 0, 0, 0)},
        {fake::DateTime(2028, 3, 1, 0, 0, 0), fake::DateTime(2028, 2, 29, 23, 59, 59)},
        // A whole day off: the time of day is right, and so is the date as far as it can tell.
        {fake::DateTime(2026, 12, 7, 12, 0, 0), fake::DateTime(2026, 12, 8, 12, 0, 0, 400)},
    };
    for (const auto& c : cases) {
        fake::ResetInternet();
        fake::Clock().utc = c.clock;
        fake::Clock().refuseSet = true;
        const std::int64_t skew = fake::ToMilliseconds(c.expected) - fake::ToMilliseconds(c.clock);
        ServeWholeSeconds(skew);
        CheckOrSynchronize(false, false);
        EXPECT_LE(std::abs(SetError(skew % 86'400'000)), 2)
            << c.clock.wYear << "-" << c.clock.wMonth << "-" << c.clock.wDay;
    }
}

TEST_F(CheckSyncTest, APageThatStatesTheWholeInstantSetsAndComparesTheDateToo) {
    // msec= with milliseconds: two days ahead, set to the millisecond with its date.
    fake::Clock().utc = fake::DateTime(2026, 12, 7, 9, 0, 0, 432);
    const std::int64_t twoDays = 2 * 86'400'000LL;
    const std::int64_t start = fake::ToMilliseconds(fake::Clock().utc);
    fake::ServeLive([=] { return MsPage(fake::ToMilliseconds(fake::Clock().utc) + twoDays); }, 2);
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetAccepted);
    EXPECT_EQ(fake::Clock().setCalls.back(), Later(fake::DateTime(2026, 12, 9, 9, 0, 0, 432), 2));
    ASSERT_EQ(fake::ToMilliseconds(fake::Clock().utc) - start, twoDays + 2);

    // Whole seconds with a Date header that agrees: the date as well, as near as the seconds
    // allow; one that lies further off gives the time of day alone.
    for (const int lag : {0, 2, -2, 3}) {
        fake::ResetAll();
        fake::Clock().refuseSet = true;
        ServeWholeSeconds(-twoDays + 30'420, lag);
        CheckOrSynchronize(false, false);
        EXPECT_LE(std::abs(SetError(std::abs(lag) <= 2 ? -twoDays + 30'420 : 30'420)), 2) << lag;
    }

    // A check a day off says so, whichever way the page tells its date.
    const std::int64_t day = 86'400'000;
    const auto now = [] { return fake::ToMilliseconds(fake::Clock().utc); };
    EXPECT_EQ(CheckAgainst(MsPage(now() + day + 200)), Inaccurate(86400));
    EXPECT_EQ(CheckAgainst(MsPage(now() - 3 * day + 300)), Inaccurate(3 * 86400));
    for (const int lag : {1, 3}) {
        fake::ResetAll();
        const auto t = fake::CivilFromMilliseconds(now() + day);
        for (int i = 0; i < 2; ++i)
            fake::Internet().downloads.push_back({.body = Page(t.wHour, t.wMinute, t.wSecond),
                                                  .date = HttpDate(now() + day + lag * 1000)});
        CheckOrSynchronize(true, false);
        EXPECT_EQ(Status(), lag == 1 ? Inaccurate(86400) : kOk) << lag;
    }
}

TEST_F(CheckSyncTest, ARefusedSetSaysSoAndStillCounts) {
    fake::Clock().refuseSet = true;
    fake::Clock().zoneOffsetSeconds = 3600;
    ServeFrom(12, 0, 30);
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetRefused);
    EXPECT_EQ(fake::Clock().setCalls.size(), 1u);
    EXPECT_EQ(Writes(), (Texts{kGetting, kRefused}));
    EXPECT_NEAR(LastSyncTime, 13 * 3600, 0.01);  // the clock kept its time
}

TEST_F(CheckSyncTest, NoTimeFromTheServerChangesNothing) {
    LastSyncTime = 1234.5f;
    std::string shortPage = Page(12, 0, 0);
    shortPage.resize(99);
    std::string noMarker = Page(12, 0, 0);
    noMarker.replace(noMarker.find(" UTC"), 4, " GMT");
    const std::string* pages[] = {&shortPage, &noMarker, nullptr};  // nullptr: unreachable
    for (const std::string* page : pages) {
        fake::ResetInternet();
        fake::Log().clear();
        for (int i = 0; page && i < 2; ++i) fake::Serve(*page);
        for (bool checkOnly : {false, true}) {
            fake::ControlOf(Control::lblInfo).textWrites.clear();
            EXPECT_EQ(CheckOrSynchronize(checkOnly, false), SyncOutcome::NoServerTime);
            EXPECT_EQ(Writes(), (Texts{kGetting, kNoTime}));
        }
        EXPECT_TRUE(fake::LogOf("GetSystemTime").empty());
    }
    // A time no day holds: nothing to set the clock from.
    fake::ResetInternet();
    std::string outOfDay = Page(12, 0, 0);
    outOfDay.replace(outOfDay.find(" UTC") - 8, 8, "99:99:99");
    fake::Serve(outOfDay);
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::NoServerTime);
    EXPECT_EQ(Status(), kNoTime);
    EXPECT_TRUE(fake::Clock().setCalls.empty());
    EXPECT_EQ(LastSyncTime, 1234.5f);

    // The confirming download fails: the failure, not the first difference.
    fake::ResetInternet();
    fake::Serve(PageOffBy(3));
    fake::ServeNothing();
    fake::ControlOf(Control::lblInfo).textWrites.clear();
    EXPECT_EQ(CheckOrSynchronize(true, false), SyncOutcome::NoServerTime);
    EXPECT_EQ(Writes(), (Texts{kGetting, kNoTime}));
}

TEST_F(CheckSyncTest, ClicksAndDueTicksWhileOneRunsStartNothing) {
    fake::ControlOf(Control::chkAuto).value = 1;  // the schedule is long due
    fake::Post(cmdSynchronize_Click);             // waiting when the check starts
    fake::Internet().downloads.push_back({.body = PageOffBy(0), .onOpen = [] {
                                              // while its worker downloads
                                              fake::Post(cmdCheckTime_Click);
                                              fake::Post(TimerTime_Timer);
                                          }});
    EXPECT_EQ(CheckOrSynchronize(true, false), SyncOutcome::Compared);
    EXPECT_EQ(Writes(), (Texts{kGetting, kOk}));
    EXPECT_EQ(fake::Internet().opens, 1);
    EXPECT_TRUE(fake::Clock().setCalls.empty());

    // Once it has ended, the next click and the next tick run as ever.
    fake::Serve(PageOffBy(0));
    cmdSynchronize_Click();
    EXPECT_EQ(fake::Clock().setCalls.size(), 1u);
    fake::Advance(3'600'000);
    fake::Serve(PageOffBy(0));
    TimerTime_Timer();
    EXPECT_EQ(fake::Clock().setCalls.size(), 2u);
}

TEST_F(CheckSyncTest, TheTimePageAddressComesFromTheStoreWhenSet) {
    fake::Serve(PageOffBy(0));
    CheckOrSynchronize(true, false);
    EXPECT_EQ(fake::Internet().urls, (Texts{identity::kMakersTimePage}));

    fake::PutString(fake::kStoreKey, "TimePage", "https://127.0.0.1:8443/own/time");
    fake::Serve(PageOffBy(0));
    CheckOrSynchronize(false, false);
    EXPECT_EQ(fake::Internet().urls.back(), "https://127.0.0.1:8443/own/time");
    // The window waits for each step no longer than its bound allows: the download's deadline,
    // the time service's patience, the program's own measure's deadline; the download and the
    // measure on workers of their own, given up on at their deadline, the window's grace later.
    EXPECT_EQ(fake::LogOf("RunWhileDoingEvents"),
              (Texts{"RunWhileDoingEvents 21000", "RunWhileDoingEvents 30500",
                     "RunWhileDoingEvents 21000"}));
    EXPECT_EQ(fake::LogOf("RunSideBySide"),
              (Texts{"RunSideBySide 1 20500", "RunSideBySide 1 20500"}));
    EXPECT_TRUE(fake::LogOf("RegSetValueExA").empty());  // never written by the program
}

}  // namespace
}  // namespace chronalign
