// Check and synchronize under Wine with the real WinINet, clock and registry, against a loopback
// time page. Wine takes a set only when it changes the clock by under half a second, and never
// touches the host's clock: the host's own time succeeds, ten hours ahead is refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/check_sync.h"
#include "fake_window.h"
#include "http_server.h"
#include "platform/clock.h"
#include "settings/store.h"
#include "sync/clock_offset.h"
#include "sync/server_time.h"
#include "time_page_setting.h"

namespace chronalign {
namespace {

using platform::Control;

// The time page as a time service writes it, for the host's UTC time moved on by seconds.
std::string TimePage(int secondsAhead) {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    const int total =
        ((now.wHour * 3600 + now.wMinute * 60 + now.wSecond + secondsAhead) % 86400 + 86400) %
        86400;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", total / 3600, total / 60 % 60, total % 60);
    return "<html><head><title>Time service</title></head><body><p>Current time: " +
           std::string(time) + " UTC</p><p>Served for the test.</p></body></html>\n";
}

class CheckSyncWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::ResetWindow();
        LastSyncTime = 0;
        OffsetMinutes = 0;
    }

    static std::string Status() { return fake::ControlOf(Control::lblInfo).text; }

    // Runs at the start of a second, so that the page and the clock reading that follows it
    // (and the re-check half a second later) fall into the same second.
    static void RunEarlyInASecond(bool checkOnly) {
        for (int i = 0; i < 300 && platform::GetSystemTime().wMilliseconds > 50; ++i) ::Sleep(5);
        CheckOrSynchronize(checkOnly, false);
    }
};

std::int64_t UtcMilliseconds() {
    FILETIME f{};
    ::GetSystemTimeAsFileTime(&f);
    return ((static_cast<std::int64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10'000;
}

TEST_F(CheckSyncWin32Test, TheHostsOwnTimeIsOkAndSetsTheClock) {
    testsupport::HttpServer server(
        [](const testsupport::HttpRequest&) { return testsupport::Ok(TimePage(0)); });
    const TimePageSetting setting(server.Url("/cgi-bin/timer.pl"));
    ASSERT_TRUE(setting.ok());

    CheckOrSynchronize(true, false);  // warms WinINet up, so that the timed runs are quick
    RunEarlyInASecond(true);
    EXPECT_EQ(Status(), "Local time is ok");
    EXPECT_EQ(LastSyncTime, 0);

    RunEarlyInASecond(false);
    const std::string status = Status();
    EXPECT_TRUE(status.starts_with("Time updated succesfully! (")) << status;
    EXPECT_TRUE(status.ends_with(" AM)") || status.ends_with(" PM)")) << status;
    EXPECT_NEAR(LastSyncTime, platform::SecondsSinceMidnight(), 5.0);

    // Two checks of one request each, and the set's measure.
    const auto requests = server.Requests();
    ASSERT_GE(requests.size(), 4u);
    ASSERT_LE(requests.size(), 2u + kMostRequestsWholeSeconds);
    for (const auto& r : requests) EXPECT_EQ(r.path, "/cgi-bin/timer.pl");
}

TEST_F(CheckSyncWin32Test, TenHoursAheadIsReportedAndItsSetRefused) {
    testsupport::HttpServer server(
        [](const testsupport::HttpRequest&) { return testsupport::Ok(TimePage(10 * 3600)); });
    const TimePageSetting setting(server.Url("/cgi-bin/timer.pl"));
    ASSERT_TRUE(setting.ok());

    CheckOrSynchronize(true, false);
    RunEarlyInASecond(true);
    EXPECT_EQ(Status(), "Local time inaccurate - difference is 36000 seconds!");
    EXPECT_EQ(LastSyncTime, 0);

    const std::int64_t before = UtcMilliseconds();
    const ULONGLONG ticks = ::GetTickCount64();
    RunEarlyInASecond(false);
    EXPECT_EQ(Status(), "Cannot set system time! (administrator rights needed?)");
    // The clock kept its time: it moved on as much as the ticks did.
    const auto elapsed = static_cast<std::int64_t>(::GetTickCount64() - ticks);
    EXPECT_LT(std::llabs(UtcMilliseconds() - before - elapsed), 1000);
    EXPECT_NE(LastSyncTime, 0);  // the attempt still counts for the schedule
}

TEST_F(CheckSyncWin32Test, NoServerLeavesClockAndScheduleAlone) {
    const TimePageSetting setting("http://127.0.0.1:" + std::to_string(testsupport::RefusedPort()) +
                                  "/cgi-bin/timer.pl");
    ASSERT_TRUE(setting.ok());
    LastSyncTime = 4321.5f;
    CheckOrSynchronize(false, false);
    EXPECT_EQ(Status(), "Cannot get time from server! (internet running?)");
    EXPECT_EQ(LastSyncTime, 4321.5f);
}

}  // namespace
}  // namespace chronalign
