#include "platform/worker.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

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

void CALLBACK RunJob(PTP_CALLBACK_INSTANCE, void* parameter) {
    const std::unique_ptr<std::shared_ptr<Job>> held(static_cast<std::shared_ptr<Job>*>(parameter));
    Job& job = **held;
    CurrentJob() = &job;
    try {
        job.work();
    } catch (...) {
        job.failure = std::current_exception();
    }
    CurrentJob() = nullptr;  // the pool's thread goes on to other work
    JobGate& gate = Gate();
    const std::lock_guard lock(gate.mutex);
    job.finished = true;
    if (job.givenUp && --gate.abandoned == 0)
        ::SetEvent(gate.none.get());
    ::SetEvent(job.done.get());
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
    auto parameter = std::make_unique<std::shared_ptr<Job>>(job);
    // Long work, as the pool is told: it may then add a thread rather than wait for this one.
    TP_CALLBACK_ENVIRON environment;
    ::InitializeThreadpoolEnvironment(&environment);
    ::SetThreadpoolCallbackRunsLong(&environment);
    const bool started = ::TrySubmitThreadpoolCallback(RunJob, parameter.get(), &environment);
    ::DestroyThreadpoolEnvironment(&environment);
    if (started)
        parameter.release();  // the pool's now
    return started;
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

std::vector<bool> RunSideBySide(std::vector<std::function<void()>> works,
                                std::uint32_t milliseconds) {
    // A work given up on earlier that is still running holds back the new ones: they wait for it
    // together, then start one right after the other, or none does.
    ::WaitForSingleObject(win32::NoJobGivenUpOnRuns(), win32::kWindDownMs);
    std::vector<std::shared_ptr<win32::Job>> jobs;
    for (std::function<void()>& work : works) {
        auto job = std::make_shared<win32::Job>();
        job->work = std::move(work);
        jobs.push_back(win32::StartJob(job) ? std::move(job) : nullptr);
    }
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    std::vector<bool> ended(jobs.size(), false);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (!jobs[i])
            continue;  // never started
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now < end ? static_cast<DWORD>(end - now) : 0;
        if (::WaitForSingleObject(jobs[i]->done.get(), left) != WAIT_OBJECT_0 &&
            win32::GiveUp(*jobs[i]))
            continue;
        ::WaitForSingleObject(jobs[i]->done.get(), INFINITE);  // it has ended, or is about to
        ended[i] = true;
    }
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (ended[i] && jobs[i]->failure)
            std::rethrow_exception(jobs[i]->failure);
    return ended;
}

}  // namespace platform
