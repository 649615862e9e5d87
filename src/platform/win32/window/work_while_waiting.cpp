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

// Dispatches what is waiting; false when the message loop has been told to quit.
bool DispatchWaiting() {
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop to see
            return false;
        }
        win32::DispatchOne(message);
    }
    return true;
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
        const DWORD woken =
            ::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0)
            break;
        if (woken == WAIT_FAILED) {
            ::WaitForSingleObject(handle, INFINITE);
            break;
        }
        if (!DispatchWaiting()) {
            win32::StopSettingTheClock();
            return false;
        }
    }
    if (job->failure)
        std::rethrow_exception(job->failure);
    return true;
}

}  // namespace platform
