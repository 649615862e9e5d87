// The cost of one timer tick when no synchronization is due, against the fake platform: the
// median over many batches, in nanoseconds per tick, and the heap allocations a tick makes.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "app/auto_sync.h"
#include "app/check_sync.h"
#include "fake_clock.h"
#include "fake_page_connection.h"
#include "fake_window.h"
#include "platform/clock.h"
#include "ui/frm_main.h"
#include "ui/tray.h"

namespace {

std::atomic<long> allocations{0};

constexpr int kBatches = 2001;
constexpr int kTicksPerBatch = 1000;

template <typename Tick>
double MedianNanoseconds(Tick tick) {
    std::vector<double> perTick;
    perTick.reserve(kBatches);
    for (int b = 0; b < kBatches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kTicksPerBatch; ++i) tick();
        const auto took = std::chrono::steady_clock::now() - start;
        perTick.push_back(std::chrono::duration<double, std::nano>(took).count() / kTicksPerBatch);
    }
    std::nth_element(perTick.begin(), perTick.begin() + kBatches / 2, perTick.end());
    return perTick[kBatches / 2];
}

template <typename Tick>
double AllocationsPerTick(Tick tick) {
    constexpr int kTicks = 10'000;
    const long before = allocations.load();
    for (int i = 0; i < kTicks; ++i) tick();
    return static_cast<double>(allocations.load() - before) / kTicks;
}

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc{};
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

int main() {
    fake::ResetClock();
    fake::ResetInternet();
    fake::ResetWindow();
    fake::ControlOf(platform::Control::chkAuto).value = 1;
    fake::ControlOf(platform::Control::txtInterval).text = "15";
    chronalign::LastSyncTime = static_cast<float>(platform::SecondsSinceMidnight());

    const auto autoSync = [] { chronalign::AutoSyncTick(); };
    const auto timer = [] {
        chronalign::TimerTime_Timer();
        fake::ControlOf(platform::Control::lblTime).textWrites.clear();
    };
    const double autoNs = MedianNanoseconds(autoSync);
    const double timerNs = MedianNanoseconds(timer);
    const double autoAllocations = AllocationsPerTick(autoSync);
    if (fake::Internet().opens != 0) {
        std::fprintf(stderr, "a synchronization came due: the measurement is void\n");
        return 1;
    }
    std::printf("AutoSyncTick, nothing due: median %.1f ns per tick, %.2f allocations per tick\n",
                autoNs, autoAllocations);
    std::printf("TimerTime_Timer (clock label and AutoSyncTick): median %.1f ns per tick\n",
                timerNs);
    std::printf("(%d batches of %d ticks)\n", kBatches, kTicksPerBatch);
    return 0;
}
