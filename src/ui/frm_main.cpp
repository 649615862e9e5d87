// frmMain's window-level events: load, resize, close, unload, the buttons, the timer and the
// offset list.
#include "ui/frm_main.h"

#include "app/run_step.h"
#include "app/start_program.h"
#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/window.h"
#include "settings/settings.h"
#include "sync/auto_sync.h"
#include "sync/check_sync.h"

namespace chronalign {

using platform::Control;

namespace {
constexpr int kUnloadWindowsSession = 2;  // Windows shutting down or the user logging off
}

void Form_Load() {
    TrayOn();
    platform::SetText(Control::lblInfo, "Ready.");
}

void Form_Resize() {
    // Minimised means hidden: the notification icon stands for the program, not a task-bar
    // button.
    if (platform::GetWindowState() == platform::kStateMinimised)
        platform::HideMainWindow();
}

void Form_QueryUnload(int& cancel, int unloadMode) {
    SaveSettings();
    if (unloadMode == kUnloadWindowsSession)
        return;
    cancel = 1;
    platform::SetWindowState(platform::kStateMinimised);
}

void Form_Unload() {
    TrayOff();
    ExitProgram();
}

void cmdCheckTime_Click() {
    CheckOrSynchronize(true, false);
}

void cmdSynchronize_Click() {
    CheckOrSynchronize(false, false);
}

void TimerTime_Timer() {
    RunStep([] {
        platform::SetText(Control::lblTime, platform::FormatLongTime(platform::LocalTimeOfDay()));
    });
    RunStep(AutoSyncTick);
}

void cmbOffset_Change() {
    SaveSettings();
}

void cmbOffset_Click() {
    SaveSettings();
}

}  // namespace chronalign
