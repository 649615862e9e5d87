#include "platform/worker.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/win32/handle.h"
#include "platform/win32/thread.h"

namespace platform {

namespace {

// How long a new work waits for one given up on to end. Closed handles end a call at once, and
// then the work has only its handles to let go of; one that runs on past this is still waiting
// on its server (Wine's WinINet does, until the server speaks), and a new one beside it would
// only pile up.
constexpr DWORD kWindDown = 1000;

// Whether the work has ended and whether its waiting side gave up on it, under Gate().mutex.
struct Outcome {
    bool finished = false;
    bool abandoned = false;
};

// Every worker given up on that has not ended yet, so that a new one can wait for them.
struct Abandoned {
    std::mutex mutex;
    int alive = 0;
    Handle ended{::CreateEventA(nullptr, TRUE, TRUE, nullptr)};  // set while alive == 0
};

// Never destroyed: a worker given up on may still be running when the process exits.
Abandoned& Gate() {
    static Abandoned& gate = *new Abandoned;
    return gate;
}

// Runs on the worker once its work is done.
void Ended(Outcome& outcome) {
    Abandoned& gate = Gate();
    const std::lock_guard lock(gate.mutex);
    outcome.finished = true;
    if (outcome.abandoned && --gate.alive == 0)
        ::SetEvent(gate.ended.get());
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

    auto outcome = std::make_shared<Outcome>();
    auto job = std::make_shared<win32::Job>();
    job->work = std::move(work);
    job->ended = [outcome] { Ended(*outcome); };
    const Handle thread = win32::StartJob(job);
    if (!thread)
        return false;

    ::WaitForSingleObject(thread.get(), MillisecondsLeft(start, milliseconds));
    {
        const std::lock_guard lock(gate.mutex);
        if (!outcome->finished) {
            outcome->abandoned = true;
            if (gate.alive++ == 0)
                ::ResetEvent(gate.ended.get());
        }
    }
    if (outcome->abandoned) {
        giveUp();
        return false;
    }
    if (job->failure)
        std::rethrow_exception(job->failure);
    return true;
}

}  // namespace platform
