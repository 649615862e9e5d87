// Several time pages listed in one "TimePage" value: the program and the time service measure
// them all, and move or judge the clock only by what more than half of them agree on.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/auto_sync.h"
#include "app/check_sync.h"
#include "reset_fakes.h"
#include "service/time_service.h"
#include "settings/time_page.h"
#include "sync/service_messages.h"
#include "sync/url_text.h"

namespace chronalign {
namespace {

using platform::Control;

constexpr const char* kDisagree = "Time servers disagree! (clock not changed)";
constexpr const char* kNoTime = "Cannot get time from server! (internet running?)";
constexpr std::int64_t kHourMs = 3'600'000;
const std::vector<std::string> kPages{"http://a.example/t", "http://b.example/t",
                                      "http://c.example/t"};

// Scripts the page at an address: it runs skewMs ahead of the fake clock and states its
// milliseconds, or stays silent when skewMs is nothing.
void ServeAt(const std::string& address, std::optional<std::int64_t> skewMs) {
    auto& answers = fake::Internet().pages[address];
    for (int i = 0; skewMs && i < 3; ++i)
        answers.push_back({.live = [skew = *skewMs] {
            const std::int64_t ms = fake::ToMilliseconds(fake::Clock().utc) + skew;
            const auto t = fake::CivilFromMilliseconds(ms);
            char page[200];
            std::snprintf(page, sizeof page, "%-100s%02d:%02d:%02d UTC msec=%lld.%03lld", "<p>",
                          t.wHour, t.wMinute, t.wSecond, static_cast<long long>(ms / 1000),
                          static_cast<long long>(ms % 1000));
            return std::string(page);
        }});
}

// Lists the pages and scripts each with its skew.
void List(const std::vector<std::optional<std::int64_t>>& skews) {
    std::string value;
    for (std::size_t i = 0; i < skews.size(); ++i) {
        value += (i == 0 ? "" : "  ") + kPages[i];
        ServeAt(kPages[i], skews[i]);
    }
    fake::PutString(fake::kStoreKey, "TimePage", value);
}

class SeveralPagesTest : public fake::FakePlatformTest {
  protected:
    void SetUp() override {
        FakePlatformTest::SetUp();
        fake::Clock().refuseSet = true;  // the clock runs on, undisturbed, as the pages' does
    }
    static std::string Status() { return fake::ControlOf(Control::lblInfo).text; }
    // How far the last set was from the fake clock plus skewMs.
    static std::int64_t SetError(std::int64_t skewMs) {
        return fake::ToMilliseconds(fake::Clock().setCalls.back()) -
               fake::ToMilliseconds(fake::Clock().utc) - skewMs;
    }
};

TEST_F(SeveralPagesTest, TheListIsSplitAtBlanksAndCutAtItsLongest) {
    EXPECT_EQ(ListedPages(" http://a/t\thttp://b/t  https://c/t "),
              (std::vector<std::string>{"http://a/t", "http://b/t", "https://c/t"}));
    EXPECT_TRUE(ListedPages(" \t ").empty());
    std::string many;
    for (std::size_t i = 0; i <= kMostTimePages; ++i) many += "http://p" + std::to_string(i) + "/ ";
    const std::vector<std::string> pages = ListedPages(many);
    ASSERT_EQ(pages.size(), kMostTimePages);
    EXPECT_EQ(pages.back(), "http://p" + std::to_string(kMostTimePages - 1) + "/");
}

TEST_F(SeveralPagesTest, TheSetFollowsTheMajorityAndEveryPageIsMeasuredAtOnce) {
    // One an hour off among three: the two decide, within what they allow.
    List({250, kHourMs, 250});
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetRefused);
    EXPECT_LE(std::abs(SetError(250)), 1);
    EXPECT_EQ(fake::LogOf("RunSideBySide"), std::vector<std::string>{"RunSideBySide 3 20500"});
    EXPECT_EQ(fake::Internet().connections, 3);

    // One silent, or given up on by the waiting side: the two that answer decide.
    for (const bool givenUp : {false, true}) {
        fake::ResetInternet();
        fake::Workers().givenUp = givenUp ? std::set<std::size_t>{1} : std::set<std::size_t>{};
        List({-40, givenUp ? std::optional<std::int64_t>(-40) : std::nullopt, -40});
        EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetRefused) << givenUp;
        EXPECT_LE(std::abs(SetError(-40)), 1) << givenUp;
    }
    EXPECT_EQ(fake::Clock().setCalls.size(), 3u);
}

TEST_F(SeveralPagesTest, WithoutAMajorityTheClockStaysAndTheStatusSaysWhy) {
    LastSyncTime = 99.5f;
    const std::vector<std::vector<std::optional<std::int64_t>>> lists = {
        {0, kHourMs},                     // two an hour apart
        {0, std::nullopt, std::nullopt},  // one answers of three
        {0, kHourMs, 2 * kHourMs},        // three apart
    };
    for (const bool checkOnly : {false, true})
        for (const auto& skews : lists) {
            fake::ResetInternet();
            List(skews);
            EXPECT_EQ(CheckOrSynchronize(checkOnly, false), SyncOutcome::Disagreed);
            EXPECT_EQ(Status(), kDisagree);
        }
    // None answers: no time, as with one page.
    fake::ResetInternet();
    List({std::nullopt, std::nullopt});
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::NoServerTime);
    EXPECT_EQ(Status(), kNoTime);
    EXPECT_TRUE(fake::Clock().setCalls.empty());
    EXPECT_EQ(LastSyncTime, 99.5f);
}

TEST_F(SeveralPagesTest, ACheckComparesWithWhatTheMajorityAllows) {
    // Two pages a day and two seconds ahead, with their dates; the third another day on. Each
    // reading spans the request's round trip, one fake millisecond.
    List({86'402'000, 2 * 86'400'000, 86'402'000});
    EXPECT_EQ(CheckOrSynchronize(true, true), SyncOutcome::Compared);
    EXPECT_EQ(Status(), "Local time inaccurate - difference is 86402 seconds!");
    // Within a second of the two that agree; the third five seconds off does not count.
    fake::ResetInternet();
    List({800, 800, -5000});
    EXPECT_EQ(CheckOrSynchronize(true, true), SyncOutcome::Compared);
    EXPECT_EQ(Status(), "Local time is ok");
    // The user's offset is subtracted from what they agree on.
    fake::ResetInternet();
    OffsetMinutes = 60;
    List({kHourMs, 0, kHourMs});
    CheckOrSynchronize(true, true);
    EXPECT_EQ(Status(), "Local time is ok");
}

TEST_F(SeveralPagesTest, TheScheduleTriesDisagreeingPagesAgainAMinuteLaterNotAtEveryTick) {
    fake::ControlOf(Control::chkAuto).value = 1;
    fake::ControlOf(Control::txtInterval).text = "5";
    fake::Advance(10 * 60 * 1000);
    List({0, kHourMs});
    for (int tick = 0; tick < 20; ++tick) AutoSyncTick();
    EXPECT_EQ(fake::Internet().connections, 2);
    fake::Advance(61 * 1000);
    ServeAt(kPages[0], 0);
    ServeAt(kPages[1], kHourMs);
    AutoSyncTick();
    EXPECT_EQ(fake::Internet().connections, 4);
}

TEST_F(SeveralPagesTest, TheServiceWritesWhatEachPageSaid) {
    fake::PutString(fake::kMachineKey, "TimePage", kPages[0] + " " + kPages[1] + " " + kPages[2]);
    ServeAt(kPages[0], 0);
    ServeAt(kPages[1], kHourMs);
    service::TimeService service(MeasureTimePage, [] { return std::uint64_t{0}; });
    const auto answer = service.Serve(EncodeRequest(0), {"PC\\ann", false});
    ASSERT_TRUE(answer && answer->audit);
    EXPECT_EQ(DecodeReply(answer->reply)->outcome, SyncOutcome::Disagreed);
    EXPECT_EQ(answer->audit->kind, service::AuditKind::Error);
    EXPECT_EQ(answer->audit->text,
              "The time pages disagree: no more than half of them agree on the time; the system "
              "clock stays at 2026-12-07 12:00:00.004 UTC; asked by PC\\ann, offset 0 minutes; "
              "the time pages said: http://a.example/t +0.000 s within 1.0 ms, "
              "http://b.example/t +3600.000 s within 1.0 ms, http://c.example/t no time.");
    EXPECT_TRUE(fake::Clock().setCalls.empty());

    // The program shows the service's verdict, and does not set the clock itself.
    fake::ServicePipe().reply = answer->reply;
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::Disagreed);
    EXPECT_EQ(Status(), kDisagree);
    EXPECT_TRUE(fake::Clock().setCalls.empty());
}

}  // namespace
}  // namespace chronalign
