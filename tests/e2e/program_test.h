// The fixture of every end-to-end test: a local time page, the program pointed at it, and a
// first run's empty settings; all of it put back when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "program.h"
#include "settings_store.h"
#include "time_page.h"
#include "wait.h"
#include "window_probe.h"

namespace e2e {

inline constexpr auto kStartTimeout = 20s;
inline constexpr auto kUiTimeout = 10s;

class ProgramTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSetting("TimePage", page_.Url()));
        for (const char* name : {"Interval", "Auto", "AutoRun", "Offset"}) DeleteSetting(name);
    }

    // The program's main window once its start-up is over and it is shown; nullptr (and a
    // failure) otherwise. The load shows the window minimised for a moment before it hides it,
    // so "visible" alone is no sign that the start-up is done.
    static HWND ShownWindow(const Program& program) {
        EXPECT_TRUE(program.Started()) << "cannot start " << CHRONALIGN_EXE;
        HWND window = program.WaitForMainWindow(kStartTimeout);
        EXPECT_NE(window, nullptr) << "no window of class ChronalignMain";
        if (window == nullptr)
            return nullptr;
        EXPECT_TRUE(WaitUntil([&] { return StartUpOver(window); }, kStartTimeout))
            << "the clock still reads \"" << Text(window, platform::Control::lblTime) << '"';
        EXPECT_TRUE(WaitForShown(window)) << "the window is not shown";
        return window;
    }

    static std::string Text(HWND window, platform::Control control) {
        return TextOf(ControlOf(window, control));
    }

    static bool WaitForText(HWND window, platform::Control control, const std::string& text,
                            std::chrono::milliseconds timeout = kUiTimeout) {
        return WaitUntil([&] { return Text(window, control) == text; }, timeout);
    }

    // Shown and not minimised, as the user can work with it.
    static bool WaitForShown(HWND window) {
        return WaitUntil([&] { return ::IsWindowVisible(window) && !::IsIconic(window); },
                         kUiTimeout);
    }

    static bool WaitForHidden(HWND window) {
        return WaitUntil([&] { return !::IsWindowVisible(window); }, kUiTimeout);
    }

    SettingsBackup backup_;  // first made, last undone
    TimePage page_;
};

}  // namespace e2e
