// The window's thread waiting for a worker: it goes on dispatching the window's messages, so
// the window repaints, the icon and its menu answer, and a session's end is answered at once.
#include <windows.h>

#include "platform/win32/clock_stop.h"
#include "platform/win32/thread.h"
#include "platform/win32/window/ui_state.h"
#include "platform/window.h"

namespace platform {

namespace {

enum class Waited { Signalled, TimedOut, Quit };

// Waits for the handle, at most the milliseconds, dispatching the window's messages meanwhile.
Waited WaitDoingEvents(HANDLE handle, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now < end ? static_cast<DWORD>(end - now) : 0;
        // Inside a menu's or a message box's own loop only what is sent is taken (DoEvents).
        const bool nested = win32::Ui().modalLoops > 0;
        const DWORD woken =
            ::MsgWaitForMultipleObjectsEx(1, &handle, left, nested ? QS_SENDMESSAGE : QS_ALLINPUT,
                                          nested ? 0 : MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0)
            return Waited::Signalled;
        if (woken == WAIT_TIMEOUT)
            return Waited::TimedOut;
        if (woken == WAIT_FAILED)
            return ::WaitForSingleObject(handle, left) == WAIT_OBJECT_0 ? Waited::Signalled
                                                                        : Waited::TimedOut;
        DoEvents();
        MSG quit{};
        if (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
            return Waited::Quit;
    }
}

}  // namespace

bool RunWhileDoingEvents(std::function<void()> work, std::uint32_t milliseconds) {
    auto job = std::make_shared<win32::Job>();
    job->work = std::move(work);
    if (WaitDoingEvents(win32::NoJobGivenUpOnRuns(), win32::kWindDownMs) == Waited::Quit)
        return false;
    if (!win32::StartJob(job))
        return false;  // one given up on earlier still waits on its server

    const Waited waited = WaitDoingEvents(job->done.get(), milliseconds);
    if (waited == Waited::Quit)
        win32::StopSettingTheClock();  // the program is ending
    if (waited != Waited::Signalled && win32::GiveUp(*job))
        return false;
    ::WaitForSingleObject(job->done.get(), INFINITE);  // it has ended, or is about to
    if (job->failure)
        std::rethrow_exception(job->failure);
    return waited != Waited::Quit;
}

}  // namespace platform
