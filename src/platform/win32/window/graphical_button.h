// A push button of graphical style: drawn by the window in its own background colour, where a
// themed button would take the theme's, with the classic raised edge, pressed state and focus
// rectangle of a push button.
#pragma once

#include <windows.h>

namespace platform::win32 {

// WM_DRAWITEM of such a button: its caption in the font and colour given.
void DrawGraphicalButton(const DRAWITEMSTRUCT& item, HFONT font, COLORREF back, COLORREF text);

}  // namespace platform::win32
