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

// The threads kept ready between jobs, so that a job starts without a new thread (which costs
// Wine more than a Check on loopback takes). A thread whose job has ended waits for the next
// unless enough already do (a synchronization's step and the pages it measures side by side),
// and then ends; a job given up on keeps its thread, and the next job gets another. So the
// threads are those kept ready and those given up on, never more.
constexpr std::size_t kKeptReady = 5;

struct Waiting {
    HANDLE wake;               // set once a job is handed over
    std::shared_ptr<Job> job;  // the job handed over
};

struct Ready {
    std::mutex mutex;
    std::vector<Waiting*> waiting;  // the threads that wait, each in its own frame
};

// Never destroyed, as the gate.
Ready& ReadyThreads() {
    static Ready& ready = *new Ready;
    return ready;
}

DWORD WINAPI RunJobs(void* parameter) {
    std::shared_ptr<Job> job =
        *std::unique_ptr<std::shared_ptr<Job>>(static_cast<std::shared_ptr<Job>*>(parameter));
    const Handle wake(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    Ready& ready = ReadyThreads();
    for (;;) {
        Run(*job);
        job.reset();
        Waiting self{wake.get(), nullptr};
        {
            const std::lock_guard lock(ready.mutex);
            if (!wake || ready.waiting.size() >= kKeptReady)
                return 0;
            ready.waiting.push_back(&self);
        }
        ::WaitForSingleObject(wake.get(), INFINITE);
        const std::lock_guard lock(ready.mutex);  // handed over under it
        job = std::move(self.job);
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
    Ready& ready = ReadyThreads();
    {
        const std::lock_guard lock(ready.mutex);
        if (!ready.waiting.empty()) {
            Waiting* thread = ready.waiting.back();
            ready.waiting.pop_back();
            thread->job = job;
            ::SetEvent(thread->wake);
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
