// The shell facility over shell32.
#include "platform/shell.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

namespace platform {

namespace {

static_assert(kNimAdd == NIM_ADD && kNimModify == NIM_MODIFY && kNimDelete == NIM_DELETE &&
              kSwShowNormal == SW_SHOWNORMAL);
static_assert(kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP);
static_assert(kIconCallbackMessage == WM_MOUSEMOVE && kIconLeftButtonUp == WM_LBUTTONUP &&
              kIconLeftButtonDoubleClick == WM_LBUTTONDBLCLK && kIconRightButtonUp == WM_RBUTTONUP);

template <typename Handle>
Handle HandleOf(std::uint32_t value) {
    return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(value));
}

}  // namespace

bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData& data) {
    // The record's size field tells the shell which layout it reads: the first, 88-byte one.
    NOTIFYICONDATAA record{};
    record.cbSize = data.cbSize;
    record.hWnd = HandleOf<HWND>(data.hWnd);
    record.uID = data.uID;
    record.uFlags = data.uFlags;
    record.uCallbackMessage = data.uCallbackMessage;
    record.hIcon = HandleOf<HICON>(data.hIcon);
    static_assert(sizeof record.szTip >= sizeof data.szTip);
    std::memcpy(record.szTip, data.szTip, sizeof data.szTip);
    return ::Shell_NotifyIconA(message, &record) != FALSE;
}

std::intptr_t ShellExecuteA(std::uint32_t owner, const char* operation, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
    return reinterpret_cast<std::intptr_t>(::ShellExecuteA(HandleOf<HWND>(owner), operation, file,
                                                           parameters, directory, showCommand));
}

}  // namespace platform
