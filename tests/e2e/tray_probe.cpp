#include "tray_probe.h"

#include <shellapi.h>

#include "base/identity.h"
#include "program.h"
#include "wait.h"
#include "window_probe.h"

namespace e2e {

namespace {

constexpr const char* kMenuClass = "#32768";
constexpr const char* kDialogClass = "#32770";
constexpr const char* kBoxTitle = chronalign::identity::kTitle;
constexpr int kMessageBoxTextId = 0xFFFF;  // the static control that holds the box's text
constexpr UINT kIconId = 1;
constexpr UINT kRightButtonUp = 517;

}  // namespace

void PostIconMessage(HWND mainWindow, UINT mouseMessage) {
    ::PostMessageA(mainWindow, WM_MOUSEMOVE, kIconId, static_cast<LPARAM>(mouseMessage));
}

bool IconPresent(HWND mainWindow) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = mainWindow;
    data.uID = kIconId;
    data.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

HWND WaitForMenu(DWORD processId, std::chrono::milliseconds timeout) {
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = FindProcessWindow(processId, kMenuClass, nullptr)) != nullptr; },
              timeout);
    return menu;
}

bool MenuOpen(DWORD processId) {
    return FindProcessWindow(processId, kMenuClass, nullptr) != nullptr;
}

void ChooseMenuKey(HWND menu, char key) {
    ::PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 1);
}

void PressKey(HWND window, UINT virtualKey) {
    ::PostMessageA(window, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageA(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void Minimise(HWND mainWindow) {
    ::PostMessageA(mainWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout) {
    HWND box = nullptr;
    WaitUntil(
        [&] { return (box = FindProcessWindow(processId, kDialogClass, kBoxTitle)) != nullptr; },
        timeout);
    return box;
}

bool MessageBoxOpen(DWORD processId) {
    return FindProcessWindow(processId, kDialogClass, kBoxTitle) != nullptr;
}

std::string MessageBoxText(HWND box) {
    return TextOf(::GetDlgItem(box, kMessageBoxTextId));
}

void PressButton(HWND box, int buttonId) {
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

HWND AskToExit(DWORD processId, HWND mainWindow, std::chrono::milliseconds timeout) {
    PostIconMessage(mainWindow, kRightButtonUp);
    HWND menu = WaitForMenu(processId, timeout);
    if (menu == nullptr)
        return nullptr;
    ChooseMenuKey(menu, 'e');
    return WaitForMessageBox(processId, timeout);
}

bool ExitThroughTheMenu(const Program& program, HWND mainWindow,
                        std::chrono::milliseconds timeout) {
    HWND box = AskToExit(program.Id(), mainWindow, timeout);
    if (box == nullptr)
        return false;
    PressButton(box, IDOK);
    return program.WaitForExit(timeout);
}

}  // namespace e2e
