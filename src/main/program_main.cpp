// Chronalign.exe: the program starts, then its window answers until it is closed.
#include <windows.h>

#include "app/start_program.h"
#include "platform/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    chronalign::StartProgram();
    return platform::RunMessageLoop();
}
