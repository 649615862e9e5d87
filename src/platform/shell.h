// The shell facility: the notification-area icon and opening documents.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr std::uint32_t kNimAdd = 0;     // NIM_ADD
inline constexpr std::uint32_t kNimModify = 1;  // NIM_MODIFY
inline constexpr std::uint32_t kNimDelete = 2;  // NIM_DELETE
inline constexpr int kSwShowNormal = 1;         // SW_SHOWNORMAL

// The icon record's flags: it carries a callback message, an icon and a tip.
inline constexpr std::uint32_t kNifMessage = 1;  // NIF_MESSAGE
inline constexpr std::uint32_t kNifIcon = 2;     // NIF_ICON
inline constexpr std::uint32_t kNifTip = 4;      // NIF_TIP

// The icon's callback message is the window's own mouse move (WM_MOUSEMOVE), so that it arrives
// as one; its X then carries the mouse message that happened over the icon.
inline constexpr std::uint32_t kIconCallbackMessage = 512;
inline constexpr long kIconLeftButtonUp = 514;           // WM_LBUTTONUP
inline constexpr long kIconLeftButtonDoubleClick = 515;  // WM_LBUTTONDBLCLK
inline constexpr long kIconRightButtonUp = 517;          // WM_RBUTTONUP

// The notification-icon record in its first, 88-byte ANSI layout (NOTIFYICONDATAA up to szTip),
// with 32-bit handles as on 32-bit Windows.
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    char szTip[64] = {};
};
static_assert(sizeof(NotifyIconData) == 88);

bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData& data);

// Returns the shell's result (above 32 on success).
std::intptr_t ShellExecuteA(std::uint32_t owner, const char* operation, const char* file,
                            const char* parameters, const char* directory, int showCommand);

}  // namespace platform
