// The controls of the main window: made from the design table, laid out at the window's DPI,
// and painted in their design colours.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Creates every control as a child of the main window, in tab order.
void CreateControls(HWND window);

// Places the controls and makes their fonts for the window's current DPI.
void LayoutControls();

// WM_CTLCOLORSTATIC and WM_CTLCOLORBTN: the colours of a label, check box or frame.
HBRUSH ControlColors(HDC dc, HWND child);

// WM_DRAWITEM: the picture, and the push buttons of graphical style.
void DrawControl(const DRAWITEMSTRUCT& item);

// Reads the font sizes of the table: points at a DPI to a font height in pixels.
int FontHeight(double points, UINT dpi);

}  // namespace platform::win32
