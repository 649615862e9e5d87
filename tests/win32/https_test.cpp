// HTTPS time pages with the system's own certificate checks, run by https/with_test_ca.sh beside
// a TLS server whose CA the test's view of the system trusts and one nobody vouches for.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/check_sync.h"
#include "fake_window.h"
#include "http_faults.h"
#include "sync/download_limits.h"
#include "sync/server_time.h"
#include "sync/url_text.h"
#include "time_page_setting.h"

namespace chronalign {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// UTC less the steady clock, in milliseconds: it moves only when someone sets the clock.
std::int64_t ClockOffset() {
    FILETIME f{};
    ::GetSystemTimeAsFileTime(&f);
    const auto utc =
        ((static_cast<std::int64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10'000;
    return utc - std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
                     .count();
}

class HttpsWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(trusted_.empty()) << "run through tests/win32/https/with_test_ca.sh";
        fake::ResetWindow();
        LastSyncTime = 0;
        OffsetMinutes = 0;
    }

    // The page the TLS servers serve, stating the time now.
    std::string WritePage() const {
        const std::string page = testsupport::TimePageNow();
        std::ofstream("Z:" + Env("CHRONALIGN_TLS_PAGE"), std::ios::binary) << page;
        return page;
    }

    static std::string Status() { return fake::ControlOf(platform::Control::lblInfo).text; }

    const std::string trusted_ = Env("CHRONALIGN_TLS_TRUSTED");
    const std::string stranger_ = Env("CHRONALIGN_TLS_STRANGER");
};

TEST_F(HttpsWin32Test, ATrustedServersPageIsReadAndChecked) {
    const std::string page = WritePage();
    EXPECT_EQ(GetUrlText(trusted_, download::kDeadlineMs)->body, page);

    const TimePageSetting setting(trusted_);
    ASSERT_TRUE(setting.ok());
    WritePage();
    CheckOrSynchronize(true, false);
    EXPECT_EQ(Status(), "Local time is ok");
}

TEST_F(HttpsWin32Test, AServerNoOneVouchesForGivesNothingAndLeavesTheClockAlone) {
    WritePage();
    EXPECT_FALSE(GetUrlText(stranger_, download::kDeadlineMs));

    const TimePageSetting setting(stranger_);
    ASSERT_TRUE(setting.ok());
    LastSyncTime = 4321.5f;
    const std::int64_t before = ClockOffset();
    CheckOrSynchronize(false, false);
    EXPECT_EQ(Status(), "Cannot get time from server! (internet running?)");
    EXPECT_EQ(LastSyncTime, 4321.5f);
    EXPECT_LT(std::llabs(ClockOffset() - before), 500);
}

}  // namespace
}  // namespace chronalign
