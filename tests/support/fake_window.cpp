#include "fake_window.h"

#include <stdexcept>

#include "fake_log.h"
#include "platform/window_design.h"
#include "platform/window_events.h"

namespace fake {

WindowState& Window() {
    static WindowState state;
    return state;
}

void ResetWindow() {
    Window() = WindowState{};
    for (const auto& design : chronalign::kFrmMainControls) {
        ControlState& c = ControlOf(design.id);
        c.text = design.text;
        c.foreColor = chronalign::InitialForeColor(design);
    }
}

ControlState& ControlOf(platform::Control control) {
    return Window().controls[static_cast<std::size_t>(control)];
}

void Post(std::function<void()> event) {
    Window().events.push_back(std::move(event));
}

void RunPendingEvents() {
    while (!Window().events.empty()) {
        auto event = std::move(Window().events.front());
        Window().events.pop_front();
        event();
    }
}

}  // namespace fake

namespace platform {

void LoadMainWindow() {
    fake::Record("LoadMainWindow");
    fake::Window().loaded = true;
    chronalign::events::Load();
}

int GetWindowState() {
    return fake::Window().state;
}

void SetWindowState(int state) {
    fake::Record("SetWindowState " + std::to_string(state));
    if (TakeWindowState(fake::Window().state, state))
        fake::Post(chronalign::events::Resize);
}

void ShowMainWindow() {
    fake::Record("ShowMainWindow");
    fake::Window().visible = true;
}

void HideMainWindow() {
    fake::Record("HideMainWindow");
    fake::Window().visible = false;
}

bool IsMainWindowVisible() {
    return fake::Window().visible;
}

std::uint32_t MainWindowHandle() {
    return fake::Window().handle;
}
std::uint32_t MainWindowIcon() {
    return fake::Window().icon;
}

double TwipsPerPixelX() {
    return fake::Window().twipsPerPixelX;
}
bool InModalLoop() {
    return fake::Window().inModalLoop;
}

void DoEvents() {
    fake::Record("DoEvents");
    ++fake::Window().doEvents;
    fake::RunPendingEvents();
}

// No system queue here: the loop runs what is waiting and ends, as the real one does once the
// window is gone.
int RunMessageLoop() {
    fake::Record("RunMessageLoop");
    fake::RunPendingEvents();
    return 0;
}

bool RunWhileDoingEvents(std::function<void()> work, std::uint32_t milliseconds) {
    fake::Record("RunWhileDoingEvents " + std::to_string(milliseconds));
    work();
    fake::RunPendingEvents();  // what the user did meanwhile
    return true;
}

void EnableTimer() {
    fake::Record("EnableTimer");
    fake::Window().timerEnabled = true;
}

void EnableTrayRetryTimer(bool enabled) {
    fake::Record(std::string("EnableTrayRetryTimer ") + (enabled ? "1" : "0"));
    fake::Window().trayRetryTimerEnabled = enabled;
}

int MessageBoxOkCancel(std::string_view text, std::string_view title) {
    fake::Record("MessageBox " + std::string(title) + ": " + std::string(text));
    return fake::Window().messageBoxAnswer;
}

void PopupTrayMenu() {
    fake::Record("PopupTrayMenu");
    if (auto choice = std::move(fake::Window().menuChoice))
        choice();
}

bool SetForegroundWindow(std::uint32_t window) {
    fake::Record("SetForegroundWindow " + std::to_string(window));
    return true;
}

std::string GetText(Control control) {
    if (fake::ControlOf(control).readFails)
        throw std::runtime_error("GetText");
    return fake::ControlOf(control).text;
}

void SetText(Control control, std::string_view text) {
    auto& c = fake::ControlOf(control);
    if (c.text == text)
        return;
    c.text = text;
    c.textWrites.emplace_back(text);
}

int GetValue(Control control) {
    return fake::ControlOf(control).value;
}

void SetValue(Control control, int value) {
    if (IsCheckBoxValue(value))
        fake::ControlOf(control).value = value;
}

void AddItem(Control control, std::string_view text) {
    fake::ControlOf(control).items.emplace_back(text);
}

int GetListIndex(Control control) {
    return fake::ControlOf(control).listIndex;
}

void SetListIndex(Control control, int index) {
    auto& c = fake::ControlOf(control);
    if (index >= -1 && index < static_cast<int>(c.items.size()))
        c.listIndex = index;
}

std::uint32_t GetForeColor(Control control) {
    return fake::ControlOf(control).foreColor;
}

void SetForeColor(Control control, std::uint32_t color) {
    fake::ControlOf(control).foreColor = color;
}

}  // namespace platform
