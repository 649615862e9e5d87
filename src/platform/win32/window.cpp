// The window facility over user32: the properties of platform/window.h read from and written
// to the real controls.
#include "platform/window.h"

#include <string>

#include "platform/win32/window/main_window.h"
#include "platform/win32/window/ui_state.h"
#include "platform/window_design.h"
#include "platform/window_events.h"

namespace platform::win32 {

MainWindowState& Ui() {
    static MainWindowState state;
    return state;
}

HWND ControlWindow(platform::Control control) {
    return Ui().controls[static_cast<std::size_t>(control)];
}

bool ControlOfId(int id, platform::Control* control) {
    const int index = id - kFirstControlId;
    if (index < 0 || index >= platform::kControlCount)
        return false;
    *control = static_cast<platform::Control>(index);
    return true;
}

bool ControlOfWindow(HWND child, platform::Control* control) {
    return child != nullptr && ::GetParent(child) == Ui().window &&
           ControlOfId(::GetDlgCtrlID(child), control);
}

void ReleaseWindowResources() {
    auto& ui = Ui();
    for (auto& font : ui.fonts) font.reset();
    ui.brushes.clear();
    ui.bigIcon.reset();
    ui.smallIcon.reset();
    ui.picture.reset();
    ui.trayMenu.reset();
}

std::uint32_t HandleValue(const void* handle) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace platform::win32

namespace platform {

namespace {

using win32::ControlWindow;
using win32::Ui;

std::string WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthA(hwnd);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

bool IsCheckBox(HWND hwnd) {
    const auto type = ::GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_3STATE || type == BS_AUTO3STATE || type == BS_CHECKBOX ||
           type == BS_AUTOCHECKBOX;
}

}  // namespace

void LoadMainWindow() {
    if (win32::CreateMainWindow() == nullptr)
        return;
    chronalign::events::Load();
}

int GetWindowState() {
    return Ui().state;
}

void SetWindowState(int state) {
    auto& ui = Ui();
    if (ui.window == nullptr || !TakeWindowState(ui.state, state))
        return;
    if (::IsWindowVisible(ui.window))
        ::ShowWindow(ui.window, state == kStateMinimised   ? SW_MINIMIZE
                                : state == kStateMaximised ? SW_MAXIMIZE
                                                           : SW_RESTORE);
    // A hidden window takes its new state when it is next shown.
    ::PostMessageA(ui.window, win32::kResizeMessage, 0, 0);
}

void ShowMainWindow() {
    auto& ui = Ui();
    if (ui.window == nullptr)
        return;
    if (ui.state == kStateMinimised) {
        ::ShowWindow(ui.window, SW_SHOWMINNOACTIVE);
        return;
    }
    ::ShowWindow(ui.window, ui.state == kStateMaximised ? SW_SHOWMAXIMIZED
                            : ::IsIconic(ui.window)     ? SW_RESTORE
                                                        : SW_SHOW);
    ::SetForegroundWindow(ui.window);
}

void HideMainWindow() {
    if (Ui().window != nullptr)
        ::ShowWindow(Ui().window, SW_HIDE);
}

bool IsMainWindowVisible() {
    return Ui().window != nullptr && ::IsWindowVisible(Ui().window);
}

std::uint32_t MainWindowHandle() {
    return win32::HandleValue(Ui().window);
}

std::uint32_t MainWindowIcon() {
    return win32::HandleValue(Ui().smallIcon.get());
}

double TwipsPerPixelX() {
    return 1440.0 / Ui().dpi;
}

bool InModalLoop() {
    return Ui().modalLoops > 0;
}

void DoEvents() {
    MSG message{};
    // Inside a loop of its own (the tray menu, a message box, a move of the window) the queue is
    // that loop's: a menu takes its keys from it. Only what is sent to the window is answered.
    if (Ui().modalLoops > 0) {
        ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        return;
    }
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop to see
            return;
        }
        win32::DispatchOne(message);
    }
}

void EnableTimer() {
    if (Ui().window != nullptr)
        ::SetTimer(Ui().window, win32::kClockTimerId,
                   static_cast<UINT>(chronalign::kFrmMainForm.timerIntervalMs), nullptr);
}

void EnableTrayRetryTimer(bool enabled) {
    if (Ui().window == nullptr)
        return;
    if (enabled)
        ::SetTimer(Ui().window, win32::kTrayRetryTimerId,
                   static_cast<UINT>(chronalign::kFrmMainForm.trayRetryIntervalMs), nullptr);
    else
        ::KillTimer(Ui().window, win32::kTrayRetryTimerId);
}

int MessageBoxOkCancel(std::string_view text, std::string_view title) {
    ++Ui().modalLoops;
    const int answer = ::MessageBoxA(Ui().window, std::string(text).c_str(),
                                     std::string(title).c_str(),
                                     MB_OKCANCEL | MB_DEFBUTTON1 | MB_SETFOREGROUND);
    --Ui().modalLoops;
    return answer;
}

void PopupTrayMenu() {
    auto& ui = Ui();
    if (ui.window == nullptr || !ui.trayMenu)
        return;
    POINT at{};
    ::GetCursorPos(&at);
    // Shown with the default flags; the choice comes back here rather than as a message, so
    // that its handler has run when this returns.
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(ui.trayMenu.get(), TPM_RETURNCMD, at.x, at.y, 0, ui.window, nullptr));
    // Without it the menu would not close at the next click elsewhere.
    ::PostMessageA(ui.window, WM_NULL, 0, 0);
    if (chosen == win32::kMenuRestoreId)
        chronalign::events::MenuChosen(MenuItem::Restore);
    else if (chosen == win32::kMenuExitId)
        chronalign::events::MenuChosen(MenuItem::Exit);
}

bool SetForegroundWindow(std::uint32_t window) {
    return ::SetForegroundWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window))) !=
           FALSE;
}

std::string GetText(Control control) {
    return WindowText(ControlWindow(control));
}

void SetText(Control control, std::string_view text) {
    HWND hwnd = ControlWindow(control);
    if (hwnd == nullptr || WindowText(hwnd) == text)
        return;
    ::SetWindowTextA(hwnd, std::string(text).c_str());
}

int GetValue(Control control) {
    HWND hwnd = ControlWindow(control);
    if (hwnd == nullptr || !IsCheckBox(hwnd))
        return 0;
    return static_cast<int>(::SendMessageA(hwnd, BM_GETCHECK, 0, 0));
}

void SetValue(Control control, int value) {
    HWND hwnd = ControlWindow(control);
    if (hwnd != nullptr && IsCheckBox(hwnd) && IsCheckBoxValue(value))
        ::SendMessageA(hwnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void AddItem(Control control, std::string_view text) {
    if (HWND hwnd = ControlWindow(control))
        ::SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

int GetListIndex(Control control) {
    HWND hwnd = ControlWindow(control);
    return hwnd == nullptr ? -1 : static_cast<int>(::SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
}

void SetListIndex(Control control, int index) {
    if (HWND hwnd = ControlWindow(control))
        ::SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::uint32_t GetForeColor(Control control) {
    return Ui().foreColors[static_cast<std::size_t>(control)];
}

void SetForeColor(Control control, std::uint32_t color) {
    auto& stored = Ui().foreColors[static_cast<std::size_t>(control)];
    if (stored == color)
        return;
    stored = color;
    if (HWND hwnd = ControlWindow(control))
        ::InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace platform
