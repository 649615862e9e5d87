// Which handler each of the window's events runs. The window facility reports a control and
// what happened to it; these tables decide what that means.
#include "platform/window_events.h"

#include <algorithm>
#include <array>

#include "app/auto_sync.h"
#include "ui/frm_main.h"
#include "ui/links.h"
#include "ui/tray.h"

namespace chronalign::events {

namespace {

using platform::Control;
using platform::MenuItem;
using platform::Notification;
using platform::WindowTimer;

using chronalign::ClickCheckBox;

struct ControlHandler {
    Control control;
    Notification notification;
    void (*handler)();
};

// A pair that is not here does nothing.
constexpr std::array<ControlHandler, 9> kControlHandlers{{
    {Control::cmdCheckTime, Notification::Click, chronalign::cmdCheckTime_Click},
    {Control::cmdSynchronize, Notification::Click, chronalign::cmdSynchronize_Click},
    {Control::chkAuto, Notification::Click, [] { ClickCheckBox(Control::chkAuto); }},
    {Control::chkAutoRun, Notification::Click, [] { ClickCheckBox(Control::chkAutoRun); }},
    {Control::cmbOffset, Notification::SelectionChange, chronalign::cmbOffset_Click},
    {Control::lblReadme, Notification::Click, chronalign::lblReadme_Click},
    {Control::lblReadme, Notification::MouseMove, chronalign::lblReadme_MouseMove},
    {Control::lblWebsite, Notification::Click, chronalign::lblWebsite_Click},
    {Control::lblWebsite, Notification::MouseMove, chronalign::lblWebsite_MouseMove},
}};

}  // namespace

void Load() {
    chronalign::Form_Load();
}

void Resize() {
    chronalign::Form_Resize();
}

void QueryUnload(int& cancel, int unloadMode) {
    chronalign::Form_QueryUnload(cancel, unloadMode);
}

void Unload() {
    chronalign::Form_Unload();
}

void MouseMove(int button, int shift, float x, float y) {
    chronalign::Form_MouseMove(button, shift, x, y);
}

void TaskbarCreated() {
    chronalign::Form_TaskbarCreated();
}

void IconChanged() {
    chronalign::Form_IconChanged();
}

void Resumed() {
    chronalign::AutoSyncResumed();
}

void ControlNotified(Control control, Notification notification) {
    const auto* entry = std::find_if(
        kControlHandlers.begin(), kControlHandlers.end(), [&](const ControlHandler& h) {
            return h.control == control && h.notification == notification;
        });
    if (entry != kControlHandlers.end())
        entry->handler();
}

void TimerElapsed(WindowTimer timer) {
    if (timer == WindowTimer::Clock)
        chronalign::TimerTime_Timer();
    else
        chronalign::TrayRetry_Timer();
}

void MenuChosen(MenuItem item) {
    if (item == MenuItem::Restore)
        chronalign::mnuRestore_Click();
    else
        chronalign::mnuExit_Click();
}

}  // namespace chronalign::events
