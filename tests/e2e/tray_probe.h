// The notification area as the program's user meets it: the icon's mouse messages, the
// pop-up menu and the confirmation box.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace e2e {

// What the notification area sends the window for a mouse event on the icon: the callback
// message (WM_MOUSEMOVE) with the mouse message in lParam.
void PostIconMessage(HWND mainWindow, UINT mouseMessage);

// Whether the notification area holds the program's icon (window, id 1): a change that
// changes nothing is accepted for an icon it has and refused for one it has not.
bool IconPresent(HWND mainWindow);

// The program's open pop-up menu, once it is up (nullptr when not within the time).
HWND WaitForMenu(DWORD processId, std::chrono::milliseconds timeout);
bool MenuOpen(DWORD processId);

// Picks a menu item by its access key, as typing it does while the menu is open.
void ChooseMenuKey(HWND menu, char key);

// A key pressed and released over the window (the menu, the box), as the keyboard sends it.
void PressKey(HWND window, UINT virtualKey);

// Minimises the main window as its minimise button does, which puts it behind its icon.
void Minimise(HWND mainWindow);

// The program's confirmation box titled "Chronalign", once it is up.
HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout);
bool MessageBoxOpen(DWORD processId);
std::string MessageBoxText(HWND box);

// Presses the box's button (IDOK or IDCANCEL) as a click on it does.
void PressButton(HWND box, int buttonId);

// Opens the icon's menu with a right click, chooses Exit, and returns the confirmation box;
// nullptr when the menu or the box did not come up within the time each.
HWND AskToExit(DWORD processId, HWND mainWindow, std::chrono::milliseconds timeout);

class Program;
// Leaves through the icon's menu with OK, as the user does; true when the program ended.
bool ExitThroughTheMenu(const Program& program, HWND mainWindow, std::chrono::milliseconds timeout);

}  // namespace e2e
