// The real main window's state, shared by the files of the window facility.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>

#include "platform/win32/handle.h"
#include "platform/window.h"

namespace platform::win32 {

inline constexpr int kFirstControlId = 100;  // control i has the id 100 + i
inline constexpr UINT_PTR kClockTimerId = 1;
inline constexpr UINT_PTR kTrayRetryTimerId = 2;
inline constexpr UINT kResizeMessage = WM_APP + 1;  // a state change, raised at the next pump
inline constexpr UINT kMenuRestoreId = 200;
inline constexpr UINT kMenuExitId = 201;

struct MainWindowState {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    std::array<HWND, platform::kControlCount> controls{};
    std::array<platform::GdiObject<HFONT>, platform::kControlCount> fonts{};
    std::array<std::uint32_t, platform::kControlCount> foreColors{};
    std::map<COLORREF, platform::GdiObject<HBRUSH>> brushes;  // a handful, one per colour
    platform::Icon bigIcon;
    platform::Icon smallIcon;
    platform::GdiObject<HBITMAP> picture;
    platform::Menu trayMenu;
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    UINT taskbarCreatedMessage = 0;
    int state = platform::kStateNormal;  // as the program last saw or set it
    HWND focus = nullptr;                // the control to give the focus back to on activation
    int modalLoops = 0;  // a menu, a message box or a move of the window running its own loop
};

// Lets go of the fonts, brushes, icons, picture and menu once the window is gone.
void ReleaseWindowResources();

MainWindowState& Ui();

HWND ControlWindow(platform::Control control);

// The control of a child window or control id; false when it is none of ours.
bool ControlOfWindow(HWND child, platform::Control* control);
bool ControlOfId(int id, platform::Control* control);

// Handles as 32-bit Windows passes them around.
std::uint32_t HandleValue(const void* handle);

// Dispatches one message as the message loop does, keyboard navigation included.
void DispatchOne(MSG& message);

}  // namespace platform::win32
