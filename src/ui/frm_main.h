// frmMain: the main window's own event handlers. The window facility raises its events through
// platform/window_events.h; ui/events.cpp hands each to its handler here, in tray.h or links.h.
#pragma once

#include "platform/window.h"

namespace chronalign {

void Form_Load();
void Form_Resize();
// cancel: set non-zero to keep the window loaded; unloadMode: 0 user, 1 program,
// 2 Windows shutting down or the user logging off, 3 task manager.
void Form_QueryUnload(int& cancel, int unloadMode);
void Form_Unload();

void cmdCheckTime_Click();
void cmdSynchronize_Click();
void TimerTime_Timer();
void cmbOffset_Change();
void cmbOffset_Click();

// A click on a check box gives 1, or 0 when it was 1; only the settings make it 2 (grayed).
void ClickCheckBox(platform::Control box);

}  // namespace chronalign
