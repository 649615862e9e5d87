// A picture of the window as it stands on the screen, for a person to look at.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Copies the window's rectangle from the screen into a 24-bit BMP file; false on failure.
bool SaveWindowPicture(HWND window, const std::string& path);

// The colours (0x00BBGGRR) of the window's pixels as the screen shows them, in no particular
// order; empty on failure.
std::vector<COLORREF> ScreenColours(HWND window);

}  // namespace e2e
