// DPI and newer window calls, loaded at run time with a fallback for older Windows and Wine.
#pragma once

#include <windows.h>

namespace platform::win32 {

// The window's DPI, or the screen's where the system has no per-window DPI.
UINT DpiOfWindow(HWND window);

// The window rectangle whose client area is the given size at the given DPI.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

// A system metric in pixels (SM_CXICON, say) at the DPI given; at the system's DPI where Windows
// has no metrics per DPI (before Windows 10 1607).
int MetricForDpi(int index, UINT dpi);

// Twips at a DPI to pixels, rounded to the nearest pixel.
int TwipsToPixels(int twips, UINT dpi);

// Lets "TaskbarCreated" through to an elevated program, which would not hear it otherwise.
void AllowMessageFromShell(HWND window, UINT message);

}  // namespace platform::win32
