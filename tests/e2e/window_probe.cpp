#include "window_probe.h"

#include <vector>

namespace e2e {

namespace {

constexpr UINT kAnswerMs = 3000;
constexpr int kFirstControlId = 100;

// A message whose answer the driver needs; a busy or hung program gives up after a while.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs,
                                 result) != 0;
}

int IdOf(platform::Control control) {
    return kFirstControlId + static_cast<int>(control);
}

}  // namespace

HWND ControlOf(HWND mainWindow, platform::Control control) {
    return ::GetDlgItem(mainWindow, IdOf(control));
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (window == nullptr || !Ask(window, WM_GETTEXTLENGTH, 0, 0, &length))
        return {};
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied))
        return {};
    return std::string(text.data(), copied < text.size() ? copied : text.size() - 1);
}

bool StartUpOver(HWND mainWindow) {
    const std::string clock = TextOf(ControlOf(mainWindow, platform::Control::lblTime));
    return !clock.empty() && clock != "#";
}

int CheckOf(HWND box) {
    DWORD_PTR state = 0;
    return box != nullptr && Ask(box, BM_GETCHECK, 0, 0, &state) ? static_cast<int>(state) : -1;
}

int SelectionOf(HWND list) {
    DWORD_PTR index = 0;
    return list != nullptr && Ask(list, CB_GETCURSEL, 0, 0, &index) ? static_cast<int>(index) : -1;
}

void Click(HWND button) {
    ::PostMessageA(button, BM_CLICK, 0, 0);
}

bool SetTextOf(HWND window, const std::string& text) {
    DWORD_PTR done = 0;
    return Ask(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &done) && done;
}

void ChooseListEntry(HWND mainWindow, platform::Control list, int index) {
    HWND box = ControlOf(mainWindow, list);
    DWORD_PTR ignored = 0;
    Ask(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &ignored);
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IdOf(list), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(box));
}

RECT ClientRectOf(HWND mainWindow, HWND control) {
    RECT box{};
    ::GetWindowRect(control, &box);
    ::MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

}  // namespace e2e
