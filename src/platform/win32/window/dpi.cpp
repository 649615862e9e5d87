#include "platform/win32/window/dpi.h"

namespace platform::win32 {

namespace {

template <typename Function>
Function UserProc(const char* name) {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    if (user32 == nullptr)
        return nullptr;
    // The usual cast from the untyped procedure address to its real type.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using ChangeWindowMessageFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

constexpr DWORD kMessageFilterAllow = 1;  // MSGFLT_ALLOW

UINT ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

UINT DpiOfWindow(HWND window) {
    static const auto getDpiForWindow = UserProc<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0)
            return dpi;
    }
    return ScreenDpi();
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjustForDpi =
        UserProc<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, dpi))
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int MetricForDpi(int index, UINT dpi) {
    static const auto forDpi = UserProc<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return forDpi != nullptr ? forDpi(index, dpi) : ::GetSystemMetrics(index);
}

int TwipsToPixels(int twips, UINT dpi) {
    return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

void AllowMessageFromShell(HWND window, UINT message) {
    static const auto changeFilter =
        UserProc<ChangeWindowMessageFilterExFn>("ChangeWindowMessageFilterEx");
    if (changeFilter != nullptr)
        changeFilter(window, message, kMessageFilterAllow, nullptr);
}

}  // namespace platform::win32
