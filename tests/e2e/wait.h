// Every wait of the driver is a bounded poll: the program runs in another process and answers
// in its own time, but never in unlimited time.
#pragma once

#include <windows.h>

#include <chrono>

namespace e2e {

using namespace std::chrono_literals;

// Polls the condition until it holds or the time is up; true when it held.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds poll = 50ms) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        ::Sleep(static_cast<DWORD>(poll.count()));
    }
}

}  // namespace e2e
