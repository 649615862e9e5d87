#include "platform/worker.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/win32/handle.h"

namespace platform {

namespace {

// How long a new work waits for one given up on to end. Closed handles end a call at once, and
// then the work has only its handles to let go of; one that runs on past this is still waiting
// on its server (Wine's WinINet does, until the server speaks), and a new one beside it would
// only pile up.
constexpr DWORD kWindDown = 1000;

// What the waiting side and the worker share; whichever is done with it last frees it.
struct Run {
    std::function<void()> work;
    std::exception_ptr failure;
    bool finished = false;   // under Gate().mutex, as is abandoned
    bool abandoned = false;
};

// Every worker given up on that has not ended yet, so that a new one can wait for them.
struct Abandoned {
    std::mutex mutex;
    int alive = 0;
    Handle ended{::CreateEventA(nullptr, TRUE, TRUE, nullptr)};  // set while alive == 0
};

Abandoned& Gate() {
    static Abandoned gate;
    return gate;
}

DWORD WINAPI Work(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Run>> held(static_cast<std::shared_ptr<Run>*>(parameter));
    Run& run = **held;
    try {
        run.work();
    } catch (...) {
        run.failure = std::current_exception();
    }
    Abandoned& gate = Gate();
    const std::lock_guard lock(gate.mutex);
    run.finished = true;
    if (run.abandoned && --gate.alive == 0)
        ::SetEvent(gate.ended.get());
    return 0;
}

DWORD MillisecondsLeft(DWORD start, DWORD milliseconds) {
    const DWORD spent = ::GetTickCount() - start;
    return spent < milliseconds ? milliseconds - spent : 0;
}

}  // namespace

bool RunWithDeadline(std::function<void()> work, std::uint32_t milliseconds,
                     const std::function<void()>& giveUp) {
    const DWORD start = ::GetTickCount();
    Abandoned& gate = Gate();
    if (::WaitForSingleObject(gate.ended.get(), std::min<DWORD>(kWindDown, milliseconds)) ==
        WAIT_TIMEOUT)
        return false;

    auto run = std::make_shared<Run>();
    run->work = std::move(work);
    auto parameter = std::make_unique<std::shared_ptr<Run>>(run);
    const Handle thread(::CreateThread(nullptr, 0, Work, parameter.get(), 0, nullptr));
    if (!thread)
        return false;
    parameter.release();  // the thread's now

    ::WaitForSingleObject(thread.get(), MillisecondsLeft(start, milliseconds));
    {
        const std::lock_guard lock(gate.mutex);
        if (!run->finished) {
            run->abandoned = true;
            if (gate.alive++ == 0)
                ::ResetEvent(gate.ended.get());
        }
    }
    if (run->abandoned) {
        giveUp();
        return false;
    }
    if (run->failure)
        std::rethrow_exception(run->failure);
    return true;
}

}  // namespace platform
