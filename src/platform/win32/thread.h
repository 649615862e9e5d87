// A thread of the Win32 definitions' own, for work that may block: what the work throws is
// kept for the side that waits for it.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>

#include "platform/win32/handle.h"

namespace platform::win32 {

// What the thread and the side waiting for it share; whichever is done with it last frees it.
struct Job {
    std::function<void()> work;
    std::exception_ptr failure;   // what work threw
    std::function<void()> ended;  // runs on the thread after work, if set
};

inline DWORD WINAPI RunJob(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Job>> held(static_cast<std::shared_ptr<Job>*>(parameter));
    Job& job = **held;
    try {
        job.work();
    } catch (...) {
        job.failure = std::current_exception();
    }
    if (job.ended)
        job.ended();
    return 0;
}

// Starts the job on a thread of its own; no handle when no thread could be made.
inline Handle StartJob(const std::shared_ptr<Job>& job) {
    auto parameter = std::make_unique<std::shared_ptr<Job>>(job);
    Handle thread(::CreateThread(nullptr, 0, RunJob, parameter.get(), 0, nullptr));
    if (thread)
        parameter.release();  // the thread's now
    return thread;
}

}  // namespace platform::win32
