#include "platform/win32/window/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "base/identity.h"
#include "platform/win32/window/controls.h"
#include "platform/win32/window/dpi.h"
#include "platform/win32/window/ui_state.h"
#include "platform/window_design.h"
#include "platform/window_events.h"
#include "resource.h"

namespace platform::win32 {

namespace {

using chronalign::ControlKind;
using platform::Control;
using platform::Notification;
namespace events = chronalign::events;

constexpr const char* kClassName = chronalign::identity::kWindowClass;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

// The mouse state as the window's mouse events carry it: 1 left, 2 right, 4 middle;
// 1 shift, 2 control, 4 alt.
int ButtonsOf(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) |
           ((keys & MK_MBUTTON) ? 4 : 0);
}

int ShiftOf(WPARAM keys) {
    return ((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) |
           ((::GetKeyState(VK_MENU) < 0) ? 4 : 0);
}

// The notification icon's callback arrives here too, as a mouse move whose X is the icon's
// mouse message: the window's scale unit is the twip, so X is given in twips like any other.
void OnMouseMove(WPARAM keys, LPARAM position) {
    const double twipsPerPixel = 1440.0 / Ui().dpi;
    events::MouseMove(ButtonsOf(keys), ShiftOf(keys),
                      static_cast<float>(GET_X_LPARAM(position) * twipsPerPixel),
                      static_cast<float>(GET_Y_LPARAM(position) * twipsPerPixel));
}

void OnSize(WPARAM kind) {
    int state = platform::kStateNormal;
    if (kind == SIZE_MINIMIZED)
        state = platform::kStateMinimised;
    else if (kind == SIZE_MAXIMIZED)
        state = platform::kStateMaximised;
    else if (kind != SIZE_RESTORED)
        return;
    if (platform::TakeWindowState(Ui().state, state))
        events::Resize();
}

// A control's notification code as the window's event, by the kind of control that sent it;
// false for a code the window does not report (labels report their clicks themselves).
bool NotificationOf(ControlKind kind, int code, Notification* notification) {
    switch (kind) {
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
            *notification = Notification::Click;
            return code == BN_CLICKED;
        case ControlKind::DropDownList:
            *notification = Notification::SelectionChange;
            return code == CBN_SELCHANGE;
        default:
            return false;
    }
}

void OnCommand(int id, int code) {
    if (id == static_cast<int>(kMenuRestoreId) || id == static_cast<int>(kMenuExitId))
        return;  // the menu is modal: PopupTrayMenu raises the chosen item itself
    Control c{};
    Notification notification{};
    if (ControlOfId(id, &c) && NotificationOf(chronalign::DesignOf(c).kind, code, &notification))
        events::ControlNotified(c, notification);
}

void OnTimer(UINT_PTR id) {
    if (id == kClockTimerId)
        events::TimerElapsed(platform::WindowTimer::Clock);
    else if (id == kTrayRetryTimerId)
        events::TimerElapsed(platform::WindowTimer::TrayRetry);
}

void OnClose(HWND window) {
    int cancel = 0;
    events::QueryUnload(cancel, platform::kUnloadByUser);
    if (cancel != 0)
        return;
    events::Unload();
    ::DestroyWindow(window);
}

LRESULT OnQueryEndSession() {
    int cancel = 0;
    events::QueryUnload(cancel, platform::kUnloadBySession);
    return cancel == 0 ? TRUE : FALSE;
}

// Keeps the keyboard focus where the user left it when the window comes back.
void OnActivate(WPARAM wParam) {
    auto& ui = Ui();
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(ui.window, focus))
            ui.focus = focus;
    } else if (ui.focus != nullptr && ::IsWindow(ui.focus)) {
        ::SetFocus(ui.focus);
    }
}

void ResizeForDpi(HWND window) {
    const SIZE size = WindowSizeForClient(
        TwipsToPixels(chronalign::kFrmMainForm.clientWidth, Ui().dpi),
        TwipsToPixels(chronalign::kFrmMainForm.clientHeight, Ui().dpi), kStyle, kExStyle, Ui().dpi);
    ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON LoadIconSized(int metricX, int metricY) {
    return static_cast<HICON>(::LoadImageA(Ui().instance, MAKEINTRESOURCEA(IDI_CHRONALIGN),
                                           IMAGE_ICON, MetricForDpi(metricX, Ui().dpi),
                                           MetricForDpi(metricY, Ui().dpi), LR_DEFAULTCOLOR));
}

// The window's icons drawn for its DPI rather than stretched by Windows: the title bar and the
// task switcher take them at once, and the icons they replace are let go.
void LoadIcons(HWND window) {
    auto& ui = Ui();
    platform::Icon big(LoadIconSized(SM_CXICON, SM_CYICON));
    platform::Icon small(LoadIconSized(SM_CXSMICON, SM_CYSMICON));
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    ui.bigIcon = std::move(big);
    ui.smallIcon = std::move(small);
}

void OnDpiChanged(HWND window, WPARAM wParam, const RECT& suggested) {
    Ui().dpi = HIWORD(wParam);
    ::SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ResizeForDpi(window);  // the client area stays exactly its size in twips
    LayoutControls();
    LoadIcons(window);
    events::IconChanged();
}

// Microsoft asks a window that handles it to answer TRUE.
LRESULT OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMRESUMEAUTOMATIC)  // every resume; a user's presence comes separately
        events::Resumed();
    return TRUE;
}

// Enter presses the focused push button, as in any dialog: the keyboard navigation asks the
// window which button is the default, and it is the one with the focus.
LRESULT DefaultButton() {
    Control c{};
    if (!ControlOfWindow(::GetFocus(), &c) ||
        chronalign::DesignOf(c).kind != ControlKind::PushButton)
        return 0;
    return MAKELRESULT(kFirstControlId + static_cast<int>(c), DC_HASDEFID);
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, lParam);
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_SIZE:
            OnSize(wParam);
            return 0;
        case kResizeMessage:
            events::Resize();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(
                ControlColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_DRAWITEM:
            DrawControl(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case DM_GETDEFID:
            return DefaultButton();
        case WM_ENTERMENULOOP:
        case WM_ENTERSIZEMOVE:
            ++Ui().modalLoops;
            return ::DefWindowProcA(window, message, wParam, lParam);
        case WM_EXITMENULOOP:
        case WM_EXITSIZEMOVE:
            --Ui().modalLoops;
            return ::DefWindowProcA(window, message, wParam, lParam);
        case WM_ACTIVATE:
            OnActivate(wParam);
            return 0;
        case WM_CLOSE:
            OnClose(window);
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case WM_ENDSESSION:
            if (wParam != 0)
                events::Unload();
            return 0;
        case WM_POWERBROADCAST:
            return OnPowerBroadcast(wParam);
        case WM_DPICHANGED:
            OnDpiChanged(window, wParam, *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            ReleaseWindowResources();
            ::PostQuitMessage(0);
            return 0;
        default:
            if (message != 0 && message == Ui().taskbarCreatedMessage) {
                events::TaskbarCreated();
                return 0;
            }
            return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

// A failure inside a handler (out of memory, say) ends that handler; it never unwinds into the
// system's code that called the window procedure.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

bool RegisterMainClass() {
    auto& ui = Ui();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ui.instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = ::CreateSolidBrush(chronalign::kFrmMainForm.backColor);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HMENU CreateTrayMenu() {
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuA(menu, MF_STRING, kMenuRestoreId, "&Restore");
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING, kMenuExitId, "&Exit");
    return menu;
}

}  // namespace

HWND CreateMainWindow() {
    auto& ui = Ui();
    ui.instance = ::GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&common);
    ui.picture.reset(static_cast<HBITMAP>(::LoadImageA(ui.instance, MAKEINTRESOURCEA(IDB_PICTURE),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!RegisterMainClass())
        return nullptr;

    HWND window = ::CreateWindowExA(kExStyle, kClassName, chronalign::kFrmMainForm.title, kStyle,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                                    ui.instance, nullptr);
    if (window == nullptr)
        return nullptr;
    ui.window = window;
    ui.dpi = DpiOfWindow(window);
    LoadIcons(window);  // the class has none: the window's DPI is known only now
    ResizeForDpi(window);
    CreateControls(window);
    LayoutControls();
    ui.focus = ControlWindow(Control::cmdCheckTime);
    ui.trayMenu.reset(CreateTrayMenu());
    ui.taskbarCreatedMessage = ::RegisterWindowMessageA("TaskbarCreated");
    AllowMessageFromShell(window, ui.taskbarCreatedMessage);
    return window;
}

}  // namespace platform::win32
