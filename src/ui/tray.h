// The notification-area icon, its mouse messages and its menu.
#pragma once

#include "app/program_state.h"

namespace chronalign {

// How many times the icon is offered again, a few times a second, when the notification area
// is not up yet (the program starts from the Run key at log-on, often before the shell).
inline constexpr int kTrayRetryLimit = 480;

// Public methods of frmMain.
void TrayOn();
void TrayOff();

// button and shift state, and the position in twips.
void Form_MouseMove(int button, int shift, float x, float y);
// The shell has rebuilt the notification area ("TaskbarCreated").
void Form_TaskbarCreated();
// The window's icon was loaded anew for another DPI: the notification icon shows the new one.
void Form_IconChanged();
void TrayRetry_Timer();

void mnuRestore_Click();
void mnuExit_Click();

}  // namespace chronalign
