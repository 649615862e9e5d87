#include "app/start_program.h"

#include "app/app_folder.h"
#include "app/auto_sync.h"
#include "app/options.h"
#include "app/version_line.h"
#include "platform/process.h"
#include "platform/window.h"
#include "sync/server_time.h"

namespace chronalign {

namespace {

using platform::Control;

}  // namespace

void StartProgram() {
    // Before anything is loaded: a second instance leaves without a trace.
    if (!platform::ClaimSingleInstance())
        return;

    AppFolder = FolderOf(platform::ExecutablePath());

    platform::LoadMainWindow();  // Form_Load puts the window behind its icon

    for (const OffsetEntry& entry : kOffsetList) platform::AddItem(Control::cmbOffset, entry.text);

    LoadSettings();

    if (const auto version = platform::ProgramVersion())
        platform::SetText(Control::lblVersion, VersionLine(*version));

    // Exactly 1: a grayed box (2) does not synchronize at start-up.
    if (platform::GetValue(Control::chkAuto) == 1)
        AutoSynchronize();

    platform::EnableTimer();

    if (platform::GetValue(Control::chkAutoRun) == 0) {
        // The load left the window minimised behind its icon; it comes up as a restore does,
        // not as a bare task-bar button.
        platform::SetWindowState(platform::kStateNormal);
        platform::ShowMainWindow();
    }
}

void ExitProgram() {
    platform::ExitProcessNow();
}

}  // namespace chronalign
