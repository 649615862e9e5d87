// The worker facility with real threads: the waiting side's limit, a work given up on left to
// end alone and setting no clock, and no second worker while one given up on still runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/clock.h"
#include "platform/worker.h"

namespace platform {
namespace {

// One work alone: whether it ended in time.
bool RunAlone(std::function<void()> work, std::uint32_t milliseconds) {
    return RunSideBySide({std::move(work)}, milliseconds).front();
}

TEST(WorkerWin32Test, AWorkGivenUpOnHoldsBackTheNextAndSetsNoClockWhenItEnds) {
    // Shared with the works rather than borrowed from this frame, as for any work given up on.
    const std::shared_ptr<void> release(::CreateEventA(nullptr, TRUE, FALSE, nullptr),
                                        ::CloseHandle);
    const std::shared_ptr<void> ended(::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CloseHandle);
    const auto setLate = std::make_shared<std::atomic<int>>(-1);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(RunAlone(
        [release, ended, setLate] {
            ::WaitForSingleObject(release.get(), INFINITE);
            // The clock as it stands: Wine takes such a set, and refuses a real change.
            *setLate = SetSystemTime([](std::int64_t) { return GetSystemTime(); }) ? 1 : 0;
            ::SetEvent(ended.get());
        },
        200));
    EXPECT_LT(::GetTickCount() - start, 1000u);

    auto ran = std::make_shared<std::atomic<int>>(0);
    EXPECT_FALSE(RunAlone([ran] { ++*ran; }, 5000));  // the first still runs
    EXPECT_EQ(*ran, 0);
    ::SetEvent(release.get());
    ASSERT_EQ(::WaitForSingleObject(ended.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(*setLate, 0) << "a work given up on set the clock";

    auto set = std::make_shared<std::atomic<bool>>(false);
    EXPECT_TRUE(RunAlone(
        [set] { *set = SetSystemTime([](std::int64_t) { return GetSystemTime(); }); }, 5000));
    EXPECT_TRUE(*set);
    EXPECT_THROW(RunAlone([] { throw std::runtime_error("no memory"); }, 5000), std::runtime_error);
}

TEST(WorkerWin32Test, WorksRunSideBySideAndAllGivenUpOnHoldBackTheNextUntilEachHasEnded) {
    // Each work waits for all three to have started: in turn they would never end.
    const auto started = std::make_shared<std::atomic<int>>(0);
    const std::shared_ptr<void> all(::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CloseHandle);
    const auto meet = [started, all] {
        if (++*started == 3)
            ::SetEvent(all.get());
        return ::WaitForSingleObject(all.get(), 5000) == WAIT_OBJECT_0;
    };
    const auto met = std::make_shared<std::atomic<int>>(0);
    std::vector<std::function<void()>> works(3, [meet, met] { *met += meet() ? 1 : 0; });
    EXPECT_EQ(RunSideBySide(works, 5000), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(*met, 3);

    // Two of three given up on at once; the third's failure comes out once all are waited for.
    const std::shared_ptr<void> release(::CreateEventA(nullptr, TRUE, FALSE, nullptr),
                                        ::CloseHandle);
    const auto ended = std::make_shared<std::atomic<int>>(0);
    const auto held = [release, ended] {
        ::WaitForSingleObject(release.get(), INFINITE);
        ++*ended;
    };
    EXPECT_THROW(RunSideBySide({held, [] { throw std::runtime_error("no memory"); }, held}, 200),
                 std::runtime_error);
    const auto ran = std::make_shared<std::atomic<int>>(0);
    EXPECT_EQ(RunSideBySide({[ran] { ++*ran; }}, 5000), std::vector<bool>{false});
    ::SetEvent(release.get());
    for (int i = 0; i < 500 && *ended < 2; ++i) ::Sleep(10);
    ASSERT_EQ(*ended, 2);
    EXPECT_EQ(RunSideBySide({[ran] { ++*ran; }}, 5000), std::vector<bool>{true});
    EXPECT_EQ(*ran, 1);
}

}  // namespace
}  // namespace platform
