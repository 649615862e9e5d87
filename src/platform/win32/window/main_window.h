// The main window: its class, its creation at the real DPI, and its window procedure, which
// turns Windows messages into frmMain's events.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Creates the window, hidden, with its controls, icon, picture and menu. nullptr on failure.
HWND CreateMainWindow();

}  // namespace platform::win32
