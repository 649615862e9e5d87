#include <windows.h>

#include "app/start_program.h"
#include "platform/win32/message_loop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    chronalign::StartProgram();
    return win32::RunMessageLoop();
}
