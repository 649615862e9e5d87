// The window facility: the main window frmMain, its controls, its timer, its pop-up menu and
// message box, and the event pump. The window's events arrive at the handlers of ui/frm_main.h.
//
// The real definition creates the window from its design table (ui/design.h) and keeps the real
// controls and these properties in step both ways; the fake keeps them as plain state.
#pragma once

#include <cstdint>
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

inline constexpr int kScalePixels = 3;  // any other scale mode measures in twips

// Loads frmMain without showing it: the window and its controls are created in their design
// state and Form_Load runs before this returns.
void LoadMainWindow();

// 0 normal, 1 minimised, 2 maximised. A change of state raises Form_Resize.
int GetWindowState();
void SetWindowState(int state);

void ShowMainWindow();  // non-modal; also brings a hidden window back
void HideMainWindow();
bool IsMainWindowVisible();

// The window's handle and the handle of its icon, as 32-bit Windows gives them.
std::uint32_t MainWindowHandle();
std::uint32_t MainWindowIcon();

int ScaleMode();
double TwipsPerPixelX();  // of the screen

// Runs the handlers of whatever window events are waiting, inside the caller.
void DoEvents();

// Starts TimerTime: TimerTime_Timer every 50 milliseconds from now on. Ticks missed while the
// thread is busy are not queued.
void EnableTimer();

// Starts or stops a timer that raises TrayRetry_Timer a few times a second.
void EnableTrayRetryTimer(bool enabled);

// A modal box with OK and Cancel, no icon, OK the default. Returns 1 for OK.
int MessageBoxOkCancel(std::string_view text, std::string_view title);

// Pops up mnuTray's items at the mouse position; modal: returns after the user's choice, whose
// click handler (mnuRestore_Click or mnuExit_Click) has run by then.
void PopupTrayMenu();

bool SetForegroundWindow(std::uint32_t window);

// A control's caption (labels, buttons, check boxes, the frame) or text (text box, list).
std::string GetText(Control control);
void SetText(Control control, std::string_view text);

// A check box's value: 0 clear, 1 checked, 2 grayed.
int GetValue(Control control);
void SetValue(Control control, int value);

// The drop-down list: append an entry; the selected index, -1 for none. Selecting an entry
// from the program raises no event.
void AddItem(Control control, std::string_view text);
int GetListIndex(Control control);
void SetListIndex(Control control, int index);

// A control's text colour, 0x00BBGGRR.
std::uint32_t GetForeColor(Control control);
void SetForeColor(Control control, std::uint32_t color);

}  // namespace platform
