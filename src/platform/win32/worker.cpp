#include "platform/worker.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/win32/clock_stop.h"
#include "platform/win32/thread.h"

namespace platform {

namespace win32 {

namespace {

// The jobs given up on that have not ended yet, and each job's two flags.
struct JobGate {
    std::mutex mutex;
    int abandoned = 0;
    Handle none{::CreateEventA(nullptr, TRUE, TRUE, nullptr)};  // set while abandoned == 0
};

// Never destroyed: a job given up on may still be running when the process exits.
JobGate& Gate() {
    static JobGate& gate = *new JobGate;
    return gate;
}

void Run(Job& job) {
    CurrentJob() = &job;
    try {
        job.work();
    } catch (...) {
        job.failure = std::current_exception();
    }
    CurrentJob() = nullptr;
    JobGate& gate = Gate();
    const std::lock_guard lock(gate.mutex);
    job.finished = true;
    if (job.givenUp && --gate.abandoned == 0)
        ::SetEvent(gate.none.get());
    ::SetEvent(job.done.get());
}

// The thread kept ready between jobs, so that a job starts without a new thread (which costs
// Wine more than a Check on loopback takes). A thread whose job has ended waits here for the
// next unless another already does, and then ends; a job given up on keeps its thread, and the
// next job gets a new one. So the threads are one ready and those given up on, never more.
struct Ready {
    std::mutex mutex;
    bool waiting = false;         // a thread waits for its next job
    std::shared_ptr<Job> handed;  // the job handed to it
    Handle wake{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};

// Never destroyed, as the gate.
Ready& ReadyThread() {
    static Ready& ready = *new Ready;
    return ready;
}

DWORD WINAPI RunJobs(void* parameter) {
    std::shared_ptr<Job> job = *std::unique_ptr<std::shared_ptr<Job>>(
        static_cast<std::shared_ptr<Job>*>(parameter));
    Ready& ready = ReadyThread();
    for (;;) {
        Run(*job);
        job.reset();
        {
            const std::lock_guard lock(ready.mutex);
            if (ready.waiting)
                return 0;
            ready.waiting = true;
        }
        ::WaitForSingleObject(ready.wake.get(), INFINITE);
        const std::lock_guard lock(ready.mutex);
        job = std::move(ready.handed);
    }
}

}  // namespace

HANDLE NoJobGivenUpOnRuns() {
    return Gate().none.get();
}

bool StartJob(const std::shared_ptr<Job>& job) {
    if (::WaitForSingleObject(Gate().none.get(), 0) != WAIT_OBJECT_0)
        return false;
    job->done.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!job->done)
        return false;
    Ready& ready = ReadyThread();
    {
        const std::lock_guard lock(ready.mutex);
        if (ready.waiting) {
            ready.waiting = false;
            ready.handed = job;
            ::SetEvent(ready.wake.get());
            return true;
        }
    }
    auto parameter = std::make_unique<std::shared_ptr<Job>>(job);
    const Handle thread(::CreateThread(nullptr, 0, RunJobs, parameter.get(), 0, nullptr));
    if (thread)
        parameter.release();  // the thread's now
    return static_cast<bool>(thread);
}

bool GiveUp(Job& job) {
    JobGate& gate = Gate();
    {
        const std::lock_guard lock(gate.mutex);
        if (job.finished)
            return false;
        job.givenUp = true;
        if (gate.abandoned++ == 0)
            ::ResetEvent(gate.none.get());
    }
    ForbidSettingTheClock(job);
    return true;
}

}  // namespace win32

bool RunWithDeadline(std::function<void()> work, std::uint32_t milliseconds) {
    auto job = std::make_shared<win32::Job>();
    job->work = std::move(work);
    ::WaitForSingleObject(win32::NoJobGivenUpOnRuns(), win32::kWindDownMs);
    if (!win32::StartJob(job))
        return false;
    if (::WaitForSingleObject(job->done.get(), milliseconds) != WAIT_OBJECT_0 &&
        win32::GiveUp(*job))
        return false;
    ::WaitForSingleObject(job->done.get(), INFINITE);  // it has ended, or is about to
    if (job->failure)
        std::rethrow_exception(job->failure);
    return true;
}

}  // namespace platform
