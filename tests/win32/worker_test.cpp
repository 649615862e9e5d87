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
    // Blocked until the waiting side closes its "handle", then until the test lets it go.
    const std::shared_ptr<void> closed(::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CloseHandle);
    const std::shared_ptr<void> release(::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CloseHandle);
    // Shared with the work rather than borrowed from this frame, as for any work given up on.
    const auto ran = std::make_shared<std::atomic<int>>(0);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(RunWithDeadline(
        [closed, release, ran] {
            ::WaitForSingleObject(closed.get(), INFINITE);
            ::WaitForSingleObject(release.get(), INFINITE);
            ++*ran;
        },
        200, [closed] { ::SetEvent(closed.get()); }));
    EXPECT_LT(::GetTickCount() - start, 1000u);

    EXPECT_FALSE(RunWithDeadline([ran] { *ran += 10; }, 5000, [] {}));  // it still runs
    ::SetEvent(release.get());
    EXPECT_TRUE(RunWithDeadline([ran] { *ran += 10; }, 5000, [] {}));
    EXPECT_EQ(*ran, 11);
    EXPECT_THROW(RunWithDeadline([] { throw std::runtime_error("no memory"); }, 5000, [] {}),
                 std::runtime_error);
}

}  // namespace
}  // namespace platform
