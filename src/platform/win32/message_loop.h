// The message loop of the program, defined beside the real window.
#pragma once

namespace win32 {

// Dispatches window messages for as long as the main window exists; returns the exit code.
int RunMessageLoop();

}  // namespace win32
