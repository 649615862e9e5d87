// The window's events as the window facility raises them. The facility, real or fake, only turns
// what the system reports into these and forwards them; the program's window (ui/) defines them,
// in the program's namespace, and decides what each one does. Declared here so that the facility
// never includes the program.
#pragma once

#include "platform/window.h"

namespace platform {

// What a control reports: a button or check box clicked, an entry chosen from the drop-down
// list, and, for the link labels alone, the mouse over the label and a click made on it.
enum class Notification { Click, SelectionChange, MouseMove };

enum class WindowTimer { Clock, TrayRetry };

enum class MenuItem { Restore, Exit };

// Why the window is asked to close (QueryUnload's unloadMode).
inline constexpr int kUnloadByUser = 0;
inline constexpr int kUnloadBySession = 2;  // Windows shutting down or the user logging off

}  // namespace platform

namespace chronalign::events {

void Load();
void Resize();
// cancel: set non-zero to keep the window loaded.
void QueryUnload(int& cancel, int unloadMode);
void Unload();
// Over the bare window: button and shift state, and the position in twips.
void MouseMove(int button, int shift, float x, float y);
// The shell has rebuilt the notification area ("TaskbarCreated").
void TaskbarCreated();
// The window's icon was loaded anew, for the DPI the window has moved to: MainWindowIcon()
// gives the new one; the old one is gone.
void IconChanged();
// The system has resumed from sleep or hibernation (it reports every resume this way).
void Resumed();
void ControlNotified(platform::Control control, platform::Notification notification);
void TimerElapsed(platform::WindowTimer timer);
void MenuChosen(platform::MenuItem item);

}  // namespace chronalign::events
