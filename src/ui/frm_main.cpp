// frmMain's window-level events: load, resize, close, unload, the buttons, the timer and the
// offset list.
#include "ui/frm_main.h"

#include "app/auto_sync.h"
#include "app/check_sync.h"
#include "app/options.h"
#include "app/run_step.h"
#include "app/start_program.h"
#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/window.h"
#include "platform/window_events.h"
#include "ui/tray.h"

namespace chronalign {

using platform::Control;

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
    if (unloadMode == platform::kUnloadBySession)
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

void ClickCheckBox(Control box) {
    platform::SetValue(box, platform::GetValue(box) == 1 ? 0 : 1);
}

}  // namespace chronalign
