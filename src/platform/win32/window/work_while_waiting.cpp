// The window's thread waiting for a worker: it goes on dispatching the window's messages, so
// the window repaints, the icon and its menu answer, and a session's end is answered at once.
#include <windows.h>

#include "platform/win32/clock_stop.h"
#include "platform/win32/thread.h"
#include "platform/win32/window/ui_state.h"
#include "platform/window.h"

namespace platform {

bool RunWhileDoingEvents(std::function<void()> work) {
    auto job = std::make_shared<win32::Job>();
    job->work = std::move(work);
    const Handle thread = win32::StartJob(job);
    if (!thread) {
        job->work();  // no thread to be had: the window waits, as it would without one
        return true;
    }

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
