// Reading and working the program's controls from outside: each control is a child window of
// the main window whose id is 100 + its place in platform::Control.
#pragma once

#include <windows.h>

#include <string>

#include "platform/window.h"

namespace e2e {

HWND ControlOf(HWND mainWindow, platform::Control control);

// A window's text by WM_GETTEXT; empty when the program does not answer within a few seconds.
std::string TextOf(HWND window);

// Whether the program's start-up is over: the clock's first tick has written the time, and the
// timer starts only at the start-up's end (having shown the window or kept it behind its icon).
bool StartUpOver(HWND mainWindow);

// BM_GETCHECK of a check box (0 clear, 1 checked, 2 grayed; -1 when it does not answer).
int CheckOf(HWND box);

// CB_GETCURSEL of a list (-1 for none or no answer).
int SelectionOf(HWND list);

// A push of the button as the user's click makes it, posted so the driver never waits on it.
void Click(HWND button);

// WM_SETTEXT, as typing a new text would leave it.
bool SetTextOf(HWND window, const std::string& text);

// Selects a list entry and tells the window as the user's choice does (CBN_SELCHANGE).
void ChooseListEntry(HWND mainWindow, platform::Control list, int index);

// The rectangle of a control in its main window's client coordinates.
RECT ClientRectOf(HWND mainWindow, HWND control);

}  // namespace e2e
