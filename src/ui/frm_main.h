// frmMain: the main window's event handlers and public methods. The window facility
// (platform/window.h) raises these events; the handlers decide what happens.
#pragma once

#include "platform/shell.h"

namespace chronalign {

// The notification-icon record: zero until TrayOn fills it; TrayOff uses it unchanged.
extern platform::NotifyIconData TrayIconData;

// Window events.
void Form_Load();
void Form_Resize();
// cancel: set non-zero to keep the window loaded; unloadMode: 0 user, 1 program,
// 2 Windows shutting down or the user logging off, 3 task manager.
void Form_QueryUnload(int& cancel, int unloadMode);
void Form_Unload();
// button and shift state, and the position in the window's scale unit (twips by design).
void Form_MouseMove(int button, int shift, float x, float y);
// The shell has rebuilt the notification area ("TaskbarCreated").
void Form_TaskbarCreated();

void cmdCheckTime_Click();
void cmdSynchronize_Click();
void TimerTime_Timer();
void TrayRetry_Timer();
void cmbOffset_Change();
void cmbOffset_Click();

void lblReadme_Click();
void lblReadme_MouseMove();
void lblWebsite_Click();
void lblWebsite_MouseMove();

void mnuRestore_Click();
void mnuExit_Click();

// Public methods.
void TrayOn();
void TrayOff();

}  // namespace chronalign
