// Chronalign.exe: the program starts, then its window answers until it is closed.
#include <windows.h>

#include "app/start_program.h"
#include "platform/process.h"
#include "platform/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // An installer that replaces the program's file closes it through the Restart Manager (a
    // silent upgrade, in every session); registered, the program is started again afterwards.
    // Not after a crash or a hang, and not after a reboot, where the Run entry decides.
    ::RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
    chronalign::StartProgram();
    platform::RunMessageLoop();
    // As every end of the program: no library detached under a worker that may be inside it.
    platform::ExitProcessNow();
}
