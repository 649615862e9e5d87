// A picture of the window as it stands on the screen, for a person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Copies the window's rectangle from the screen into a 24-bit BMP file; false on failure.
bool SaveWindowPicture(HWND window, const std::string& path);

}  // namespace e2e
