// The worker facility with real threads: the deadline kept by the waiting side, and no second
// worker while one given up on still runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>

#include "platform/worker.h"

namespace platform {
namespace {

TEST(WorkerWin32Test, AWorkGivenUpOnHoldsBackTheNextUntilItEnds) {
    // A work blocked until its "handle" is closed from the waiting side, and then some more.
    auto closed = std::shared_ptr<void>(::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CloseHandle);
    auto release = std::shared_ptr<void>(::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CloseHandle);
    std::atomic<int> ran{0};
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(RunWithDeadline(
        [closed, release, &ran] {
            ::WaitForSingleObject(closed.get(), INFINITE);
            ::WaitForSingleObject(release.get(), INFINITE);
            ++ran;
        },
        200, [closed] { ::SetEvent(closed.get()); }));
    const DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 190u);
    EXPECT_LT(took, 1000u);

    // Still running: the next work never starts.
    EXPECT_FALSE(RunWithDeadline([&ran] { ran += 10; }, 5000, [] {}));
    EXPECT_EQ(ran, 0);

    // Once it has ended, the next one runs; what it throws comes out on the waiting side.
    ::SetEvent(release.get());
    EXPECT_TRUE(RunWithDeadline([&ran] { ran += 10; }, 5000, [] {}));
    EXPECT_EQ(ran, 11);
    EXPECT_THROW(RunWithDeadline([] { throw std::runtime_error("no memory"); }, 5000, [] {}),
                 std::runtime_error);
}

}  // namespace
}  // namespace platform
