// The window's thread waiting for a worker: it goes on dispatching the window's messages, so
// the window repaints, the icon and its menu answer, and a session's end is answered at once.
#include <windows.h>

#include <exception>
#include <memory>

#include "platform/win32/clock_stop.h"
#include "platform/win32/handle.h"
#include "platform/win32/window/ui_state.h"
#include "platform/window.h"

namespace platform {

namespace {

// What the window's thread and the worker share; whichever is done with it last frees it.
struct Job {
    std::function<void()> work;
    std::exception_ptr failure;
};

DWORD WINAPI RunJob(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Job>> held(static_cast<std::shared_ptr<Job>*>(parameter));
    Job& job = **held;
    try {
        job.work();
    } catch (...) {
        job.failure = std::current_exception();
    }
    return 0;
}

}  // namespace

bool RunWhileDoingEvents(std::function<void()> work) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    auto parameter = std::make_unique<std::shared_ptr<Job>>(job);
    const Handle thread(::CreateThread(nullptr, 0, RunJob, parameter.get(), 0, nullptr));
    if (!thread) {
        job->work();  // no thread to be had: the window waits, as it would without one
        return true;
    }
    parameter.release();  // the worker's now

    HANDLE handle = thread.get();
    for (;;) {
        // Inside a menu's or a message box's own loop only what is sent is taken (DoEvents).
        const bool nested = win32::Ui().modalLoops > 0;
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE,
                                                          nested ? QS_SENDMESSAGE : QS_ALLINPUT,
                                                          nested ? 0 : MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0)
            break;
        if (woken == WAIT_FAILED) {
            ::WaitForSingleObject(handle, INFINITE);
            break;
        }
        DoEvents();
        MSG quit{};
        if (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
            win32::StopSettingTheClock();  // the program is ending
            return false;
        }
    }
    if (job->failure)
        std::rethrow_exception(job->failure);
    return true;
}

}  // namespace platform
