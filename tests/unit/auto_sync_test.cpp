#include "app/auto_sync.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/check_sync.h"
#include "platform/clock.h"
#include "reset_fakes.h"

namespace chronalign {
namespace {

using platform::Control;

class AutoSyncTest : public fake::FakePlatformTest {
  protected:
    void SetUp() override {
        fake::FakePlatformTest::SetUp();
        fake::Clock().zoneOffsetSeconds = 3600;  // local time is not UTC
    }

    static void On(const std::string& interval, int value = 1) {
        fake::ControlOf(Control::chkAuto).value = value;
        fake::ControlOf(Control::txtInterval).text = interval;
    }

    // One tick. With the network up, the page states the clock's own time to the millisecond,
    // less the 2 ms its two requests take, so that a set leaves the clock where it was.
    void Tick() {
        if (networkUp) {
            fake::ServeLive(
                [] {
                    const std::int64_t ms = fake::ToMilliseconds(fake::Clock().utc) - 2;
                    const auto t = fake::CivilFromMilliseconds(ms);
                    char page[200];
                    std::snprintf(page, sizeof page, "%-100s%02d:%02d:%02d UTC msec=%lld.%03lld",
                                  "<p>", t.wHour, t.wMinute, t.wSecond,
                                  static_cast<long long>(ms / 1000),
                                  static_cast<long long>(ms % 1000));
                    return std::string(page);
                },
                2);
        }
        AutoSyncTick();
        fake::Internet().downloads.clear();
    }

    // Ticks every stepMs for durationMs, the first tick stepMs from now.
    void TickFor(std::int64_t durationMs, std::int64_t stepMs = 50) {
        for (std::int64_t t = stepMs; t <= durationMs; t += stepMs) {
            fake::Advance(stepMs);
            Tick();
        }
    }

    // Sets the local time of day, and LastSyncTime as if the clock had been set just then.
    static void SyncedAt(int h, int m, int s) {
        fake::SetLocalTimeOfDay(h, m, s);
        LastSyncTime = static_cast<float>(platform::SecondsSinceMidnight());
    }

    static int Downloads() { return static_cast<int>(fake::Internet().connections); }

    bool networkUp = true;
};

TEST_F(AutoSyncTest, NothingWhileTheBoxIsClear) {
    On("1", 0);
    TickFor(10 * 60'000, 1000);
    EXPECT_EQ(Downloads(), 0);
    EXPECT_TRUE(fake::ControlOf(Control::lblInfo).textWrites.empty());
}

TEST_F(AutoSyncTest, AnIntervalBelowOneOrNoNumberIsFifteenMinutes) {
    for (const char* text : {"0", "-5", "abc", "", "   ", "2147483648", "0.4"}) {
        fake::ResetAll();
        fake::Clock().zoneOffsetSeconds = 3600;
        On(text);
        SyncedAt(1, 0, 0);
        fake::Advance(900'500);  // 900.5 s rounds to 900: not yet
        Tick();
        EXPECT_EQ(Downloads(), 0) << '"' << text << '"';
        fake::Advance(50);
        Tick();
        EXPECT_EQ(Downloads(), 1) << '"' << text << '"';
    }
}

TEST_F(AutoSyncTest, OneMinuteComesDueOnlyPastSixtySecondsRounded) {
    On(" 1 ");
    SyncedAt(1, 0, 0);
    fake::Advance(60'500);
    Tick();
    EXPECT_EQ(Downloads(), 0);
    fake::Advance(1);
    Tick();
    EXPECT_EQ(Downloads(), 1);
    EXPECT_NEAR(LastSyncTime, 3660.501, 0.001);
    TickFor(60'000);
    EXPECT_EQ(Downloads(), 1);
    TickFor(1000);
    EXPECT_EQ(Downloads(), 2);
}

TEST_F(AutoSyncTest, ADayOrMoreIsNeverDue) {
    for (const char* text : {"1440", "100000", "2147483647"}) {
        fake::ResetAll();
        On(text);
        fake::SetLocalTimeOfDay(23, 59, 59, 950);  // the largest elapsed time there is
        Tick();
        SyncedAt(23, 59, 59);
        fake::SetLocalTimeOfDay(0, 0, 0);
        Tick();
        EXPECT_EQ(Downloads(), 0) << text;
    }
    On("1439");
    LastSyncTime = 0;
    fake::SetLocalTimeOfDay(23, 59, 59, 950);
    Tick();
    EXPECT_EQ(Downloads(), 1);
}

TEST_F(AutoSyncTest, SwitchedOnAtTenPastMidnightWithNoSetYet) {
    fake::SetLocalTimeOfDay(0, 10, 0);
    On("15");
    double firstSync = -1;
    for (int i = 0; i < 7000 && firstSync < 0; ++i) {
        fake::Advance(50);
        Tick();
        if (Downloads() > 0)
            firstSync = platform::SecondsSinceMidnight();
    }
    EXPECT_DOUBLE_EQ(firstSync, 900.55);  // 900.5 rounds to 900, not past the interval
    EXPECT_EQ(fake::Clock().setCalls.size(), 1u);
    TickFor(14 * 60'000, 1000);
    EXPECT_EQ(Downloads(), 1);
}

TEST_F(AutoSyncTest, ALastSetBeforeMidnightIsDueJustAfterIt) {
    On("15");
    SyncedAt(23, 50, 0);
    TickFor(599'950);  // to 23:59:59.950
    EXPECT_EQ(Downloads(), 0);
    TickFor(100);  // midnight: the count starts again from 0
    EXPECT_EQ(Downloads(), 1);
    EXPECT_LT(LastSyncTime, 1);
    TickFor(15 * 60'000);
    EXPECT_EQ(Downloads(), 1);
    TickFor(1000);
    EXPECT_EQ(Downloads(), 2);
}

TEST_F(AutoSyncTest, ACheckDoesNotMoveTheSchedule) {
    On("15");
    SyncedAt(1, 0, 0);
    TickFor(5 * 60'000, 1000);
    fake::Serve("x");  // a failed check, then a good one
    CheckOrSynchronize(true, false);
    fake::SetLocalTimeOfDay(1, 10, 0);
    fake::Serve(std::string(100, ' ') + "00:10:00 UTC");
    CheckOrSynchronize(true, false);
    EXPECT_EQ(LastSyncTime, 3600);
    const int before = Downloads();
    fake::SetLocalTimeOfDay(1, 15, 1);
    Tick();
    EXPECT_EQ(Downloads(), before + 1);
}

TEST_F(AutoSyncTest, TheIntervalIsReadAfreshAtEveryTick) {
    On("5");
    SyncedAt(1, 0, 0);
    fake::SetLocalTimeOfDay(1, 2, 1);
    Tick();
    EXPECT_EQ(Downloads(), 0);
    fake::ControlOf(Control::txtInterval).text = "2";
    Tick();
    EXPECT_EQ(Downloads(), 1);
}

TEST_F(AutoSyncTest, AGrayedBoxCountsAsOn) {
    On("15", 2);
    Tick();  // noon, nothing set yet: due
    EXPECT_EQ(Downloads(), 1);
}

TEST_F(AutoSyncTest, AFailureIsRetriedOnceAMinuteUntilOneSucceeds) {
    networkUp = false;
    On("15");
    Tick();
    EXPECT_EQ(Downloads(), 1);
    EXPECT_EQ(fake::ControlOf(Control::lblInfo).text,
              "Cannot get time from server! (internet running?)");
    TickFor(59'950);
    EXPECT_EQ(Downloads(), 1);
    TickFor(50);  // a minute after the failed attempt ended
    EXPECT_EQ(Downloads(), 2);
    TickFor(60'000, 1000);
    EXPECT_EQ(Downloads(), 3);

    networkUp = true;
    TickFor(60'000, 1000);
    EXPECT_EQ(Downloads(), 4);
    EXPECT_TRUE(fake::ControlOf(Control::lblInfo).text.starts_with("Time updated"));
    TickFor(15 * 60'000, 1000);
    EXPECT_EQ(Downloads(), 4);
}

TEST_F(AutoSyncTest, TheRetryWaitRunsThroughMidnightAndEndsWithTheBox) {
    networkUp = false;
    On("15");
    SyncedAt(20, 0, 0);
    fake::SetLocalTimeOfDay(23, 59, 30);
    Tick();
    EXPECT_EQ(Downloads(), 1);
    TickFor(59'000, 1000);  // through midnight, to 00:00:29
    EXPECT_EQ(Downloads(), 1);
    TickFor(1000);
    EXPECT_EQ(Downloads(), 2);

    // Cleared and checked again: the user asks for it now, not a minute later.
    fake::ControlOf(Control::chkAuto).value = 0;
    TickFor(1000);
    fake::ControlOf(Control::chkAuto).value = 1;
    TickFor(50);
    EXPECT_EQ(Downloads(), 3);
}

TEST_F(AutoSyncTest, ASetOfAnyOriginEndsTheRetryWait) {
    networkUp = false;
    On("15");
    SyncedAt(20, 0, 0);
    fake::SetLocalTimeOfDay(23, 59, 50);
    Tick();  // fails
    networkUp = true;
    fake::Advance(5000);
    Tick();  // still waiting
    EXPECT_EQ(Downloads(), 1);
    fake::Serve(std::string(100, '-') + "22:59:55 UTC");
    CheckOrSynchronize(false, false);  // the Synchronize button, at 23:59:55
    EXPECT_EQ(Downloads(), 2);
    // Midnight as ever: LastSyncTime lies more than the interval above the new count.
    TickFor(5000, 1000);
    EXPECT_EQ(Downloads(), 3);
}

TEST_F(AutoSyncTest, ARefusedSetWaitsForTheFullInterval) {
    fake::Clock().refuseSet = true;
    On("15");
    Tick();
    EXPECT_EQ(fake::Clock().setCalls.size(), 1u);
    TickFor(15 * 60'000, 1000);
    EXPECT_EQ(fake::Clock().setCalls.size(), 1u);
    TickFor(1000);
    EXPECT_EQ(fake::Clock().setCalls.size(), 2u);
}

TEST_F(AutoSyncTest, NothingStartsInsideAMoveOrAMenuAndTheFirstTickAfterItDecides) {
    On("1");
    SyncedAt(1, 0, 0);
    fake::Window().inModalLoop = true;  // the user drags the window past the due moment
    TickFor(120'000, 1000);
    EXPECT_EQ(Downloads(), 0);
    fake::Window().inModalLoop = false;
    TickFor(50);
    EXPECT_EQ(Downloads(), 1);
}

TEST_F(AutoSyncTest, AResumeSetsTheClockOnceTheNetworkHasHadAMoment) {
    On("15");
    SyncedAt(1, 0, 0);
    TickFor(1000);
    AutoSyncResumed();
    TickFor(9'900);
    EXPECT_EQ(Downloads(), 0);
    TickFor(200);
    EXPECT_EQ(Downloads(), 1);
    TickFor(14 * 60'000, 1000);  // from then on the interval, from that set
    EXPECT_EQ(Downloads(), 1);
    TickFor(61'000, 1000);
    EXPECT_EQ(Downloads(), 2);
}

TEST_F(AutoSyncTest, AFailureAfterAResumeIsRetriedOnceAMinute) {
    networkUp = false;
    On("15");
    SyncedAt(1, 0, 0);
    AutoSyncResumed();
    TickFor(10'050);
    EXPECT_EQ(Downloads(), 1);
    TickFor(59'000, 1000);
    EXPECT_EQ(Downloads(), 1);
    TickFor(1000);
    EXPECT_EQ(Downloads(), 2);
    networkUp = true;
    TickFor(60'000, 1000);
    EXPECT_EQ(Downloads(), 3);
    TickFor(10 * 60'000, 1000);
    EXPECT_EQ(Downloads(), 3);
}

TEST_F(AutoSyncTest, AResumeWaitsOutALoopAndIsForgottenWithTheBoxClear) {
    On("15");
    SyncedAt(1, 0, 0);
    fake::Window().inModalLoop = true;  // the Exit confirmation left open over the sleep
    AutoSyncResumed();
    TickFor(30'000, 1000);
    fake::Window().inModalLoop = false;
    EXPECT_EQ(Downloads(), 0);
    TickFor(50);
    EXPECT_EQ(Downloads(), 1);

    SyncedAt(2, 0, 0);
    fake::ControlOf(Control::chkAuto).value = 0;
    AutoSyncResumed();
    TickFor(20'000, 1000);
    fake::ControlOf(Control::chkAuto).value = 1;  // the schedule goes by the last set again
    TickFor(20'000, 1000);
    EXPECT_EQ(Downloads(), 1);
}

}  // namespace
}  // namespace chronalign
