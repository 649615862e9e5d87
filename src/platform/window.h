// The window facility: the main window frmMain, its controls, its timers, its pop-up menu and
// message box, and the event pump. The window raises its events through window_events.h.
//
// The real definition creates the window from its design table (window_design.h) and keeps the
// real controls and these properties in step both ways; the fake keeps them as plain state. The
// rules at the end hold for both.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// The controls of frmMain, named as the program names them.
enum class Control {
    Frame2,
    cmdSynchronize,
    cmdCheckTime,
    lblTime,
    Label4,
    Label2,
    Image1,
    lblVersion,
    lblWebsite,
    lblReadme,
    lblInfo,
    cmbOffset,
    chkAutoRun,
    txtInterval,
    chkAuto,
    Label1,
    lblAuto,
};
inline constexpr int kControlCount = 17;

inline constexpr int kStateNormal = 0;
inline constexpr int kStateMinimised = 1;
inline constexpr int kStateMaximised = 2;

// Loads frmMain without showing it: the window and its controls are created in their design
// state and the Load event has run before this returns.
void LoadMainWindow();

// 0 normal, 1 minimised, 2 maximised. A change of state raises Resize.
int GetWindowState();
void SetWindowState(int state);

void ShowMainWindow();  // non-modal; also brings a hidden window back
void HideMainWindow();
bool IsMainWindowVisible();

// The window's handle and the handle of its small icon, drawn for the window's DPI, as 32-bit
// Windows gives them.
std::uint32_t MainWindowHandle();
std::uint32_t MainWindowIcon();

double TwipsPerPixelX();  // at the window's DPI; the window measures in twips

// True while a loop of the window's own runs: its pop-up menu, a message box, or a move or
// resize of the window by the user. That loop takes the window's input meanwhile.
bool InModalLoop();

// Runs the handlers of whatever window events are waiting, inside the caller. Inside a loop of
// the window's own (the tray menu or a message box is up) the events are that loop's: only what
// is sent to the window from outside is answered then.
void DoEvents();

// Dispatches the window's events for as long as the main window exists; returns the exit code.
int RunMessageLoop();

// Runs work on a thread of its own and waits for it, at most the milliseconds, running the
// handlers of the window's events meanwhile as DoEvents does: the window repaints and answers
// while the work blocks. The work touches no control. True when it ended in time (an exception
// it threw then comes out here). False when it did not, or when the program is told to end
// before it has: the work is then given up on as worker.h tells (left to end alone, setting no
// clock from then on, and no new work started while it runs); after the program is told to end,
// no thread sets the clock.
bool RunWhileDoingEvents(std::function<void()> work, std::uint32_t milliseconds);

// Starts TimerTime: WindowTimer::Clock at the design's interval from now on. Ticks missed while
// the thread is busy are not queued.
void EnableTimer();

// Starts or stops the timer that raises WindowTimer::TrayRetry at the design's interval.
void EnableTrayRetryTimer(bool enabled);

// A modal box with OK and Cancel, no icon, OK the default. Returns 1 for OK.
int MessageBoxOkCancel(std::string_view text, std::string_view title);

// Pops up mnuTray's items at the mouse position; modal: returns after the user's choice, whose
// MenuChosen event has run by then.
void PopupTrayMenu();

bool SetForegroundWindow(std::uint32_t window);

// A control's caption (labels, buttons, check boxes, the frame) or text (text box, list). The
// text a control already shows is not written again: the clock is written twenty times a
// second, and an unchanged caption would flicker.
std::string GetText(Control control);
void SetText(Control control, std::string_view text);

// A check box's value: 0 clear, 1 checked, 2 grayed; SetValue refuses any other.
int GetValue(Control control);
void SetValue(Control control, int value);

// The drop-down list: append an entry; the selected index, -1 for none. Selecting an entry
// from the program raises no event.
void AddItem(Control control, std::string_view text);
int GetListIndex(Control control);
void SetListIndex(Control control, int index);

// A control's text colour, 0x00BBGGRR or 0x800000nn for system colour nn; at first the one
// InitialForeColor (window_design.h) gives.
std::uint32_t GetForeColor(Control control);
void SetForeColor(Control control, std::uint32_t color);

// A change of the window's state raises Resize; setting the state the window is in raises
// nothing. Stores wanted in state and tells whether it was a change.
inline bool TakeWindowState(int& state, int wanted) {
    if (state == wanted)
        return false;
    state = wanted;
    return true;
}

// A check box holds 0 clear, 1 checked or 2 grayed; any other value is refused.
constexpr bool IsCheckBoxValue(int value) {
    return value >= 0 && value <= 2;
}

}  // namespace platform
