// Chronalign.exe: the program starts, then its window answers until it is closed.
#include <windows.h>

#include "app/start_program.h"
#include "platform/process.h"
#include "platform/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // An installer that replaces the program's file while it runs closes it through the Restart
    // Manager (a silent one always does) and, the program being registered here, starts it
    // again afterwards if it had run for a minute. Only in the installer's own session: an
    // installer running as LocalSystem can neither close nor restart a program in another
    // user's session (RmRestart). There the old file stays in use until Windows restarts, and
    // the Run entry starts the new version at the next log-on. Not after a crash or a hang, and
    // not after a reboot, where the Run entry decides too.
    ::RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
    chronalign::StartProgram();
    platform::RunMessageLoop();
    // As every end of the program: no library detached under a worker that may be inside it.
    platform::ExitProcessNow();
}
