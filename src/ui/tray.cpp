// The notification-area icon, its mouse messages and its menu.
#include "ui/tray.h"

#include <cmath>
#include <cstring>

#include "app/options.h"
#include "app/start_program.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "ui/links.h"

namespace chronalign {

namespace {

int& trayRetriesLeft = Program.TrayRetriesLeft;

void FillTrayIconData() {
    TrayIconData = {};
    TrayIconData.cbSize = sizeof(platform::NotifyIconData);
    TrayIconData.hWnd = platform::MainWindowHandle();
    TrayIconData.uID = 1;
    TrayIconData.uFlags = platform::kNifMessage | platform::kNifIcon | platform::kNifTip;
    TrayIconData.uCallbackMessage = platform::kIconCallbackMessage;
    TrayIconData.hIcon = platform::MainWindowIcon();
    // The shell reads the tip up to its NUL, so it must end inside the field.
    std::strncpy(TrayIconData.szTip, platform::ProductName().c_str(),
                 sizeof TrayIconData.szTip - 1);
}

void StopRetries() {
    trayRetriesLeft = 0;
    platform::EnableTrayRetryTimer(false);
}

bool TryAddIcon() {
    const bool added = platform::Shell_NotifyIconA(platform::kNimAdd, TrayIconData);
    if (added)
        StopRetries();
    return added;
}

// Adds the icon, or keeps offering it for a bounded while when the shell is not up yet.
void AddIcon() {
    if (TryAddIcon())
        return;
    trayRetriesLeft = kTrayRetryLimit;
    platform::EnableTrayRetryTimer(true);
}

void RestoreWindow() {
    platform::SetWindowState(platform::kStateNormal);
    platform::SetForegroundWindow(platform::MainWindowHandle());
    platform::ShowMainWindow();
}

// The mouse message that the icon's callback carries in X, in twips.
long IconMessageOf(float x) {
    return std::lround(std::nearbyint(x / platform::TwipsPerPixelX()));  // halves to even
}

}  // namespace

void TrayOn() {
    platform::SetWindowState(platform::kStateMinimised);
    platform::ShowMainWindow();
    platform::DoEvents();  // the resize of the minimised window hides it
    FillTrayIconData();
    AddIcon();
}

void TrayOff() {
    StopRetries();
    platform::Shell_NotifyIconA(platform::kNimDelete, TrayIconData);
}

void TrayRetry_Timer() {
    if (trayRetriesLeft <= 0)
        return StopRetries();
    --trayRetriesLeft;
    if (!TryAddIcon() && trayRetriesLeft == 0)
        StopRetries();
}

void Form_TaskbarCreated() {
    // A rebuilt notification area has forgotten the icon, and without it a hidden window is
    // lost for good. The delete first keeps a shell that did keep it from refusing the add as
    // a duplicate.
    if (TrayIconData.cbSize == 0)
        return;
    platform::Shell_NotifyIconA(platform::kNimDelete, TrayIconData);
    AddIcon();
}

void Form_IconChanged() {
    // The shell shows the icon it was last given, at that icon's size. Before the icon is
    // added (the shell not up yet) the record alone changes, and the next offer carries it.
    if (TrayIconData.cbSize == 0)
        return;
    TrayIconData.hIcon = platform::MainWindowIcon();
    platform::Shell_NotifyIconA(platform::kNimModify, TrayIconData);
}

void Form_MouseMove(int /*button*/, int /*shift*/, float x, float /*y*/) {
    ResetLinkColors();
    if (platform::GetWindowState() != platform::kStateMinimised)
        return;
    switch (IconMessageOf(x)) {
        case platform::kIconLeftButtonUp:
        case platform::kIconLeftButtonDoubleClick:
            RestoreWindow();
            break;
        case platform::kIconRightButtonUp:
            platform::SetForegroundWindow(platform::MainWindowHandle());
            platform::PopupTrayMenu();
            break;
        default:
            break;
    }
}

void mnuRestore_Click() {
    RestoreWindow();
}

void mnuExit_Click() {
    if (platform::MessageBoxOkCancel("Do you really want to close this application?",
                                     platform::ProgramTitle()) != 1)
        return;
    // What changed since the last save (a box ticked, an interval typed) would be lost here.
    SaveSettings();
    TrayOff();
    ExitProgram();
}

}  // namespace chronalign
