// The settings as they travel from the window to the store and back into the next run.
#include "program_test.h"
#include "tray_probe.h"

namespace e2e {
namespace {

using platform::Control;

TEST_F(ProgramTest, WhatTheUserChangedIsSavedAndTheNextRunLoadsIt) {
    {
        Program program;
        HWND window = ShownWindow(program);
        ASSERT_NE(window, nullptr);
        Click(ControlOf(window, Control::chkAuto));
        EXPECT_TRUE(WaitUntil([&] { return CheckOf(ControlOf(window, Control::chkAuto)) == 1; },
                              kUiTimeout));
        // The box starts a synchronization, whose measure takes seconds: it ends first (every
        // outcome ends in ")").
        EXPECT_TRUE(WaitUntil([&] { return Text(window, Control::lblInfo).ends_with(')'); }, 30s));
        EXPECT_TRUE(SetTextOf(ControlOf(window, Control::txtInterval), "45"));
        Minimise(window);
        ASSERT_TRUE(WaitForHidden(window));
        // Ticking a box and typing do not save by themselves; leaving must not lose them.
        EXPECT_EQ(ReadSetting("Auto"), std::nullopt);
        ASSERT_TRUE(ExitThroughTheMenu(program, window, kUiTimeout));
    }
    EXPECT_EQ(ReadSetting("Interval"), "45");
    EXPECT_EQ(ReadSetting("Auto"), "1");
    EXPECT_EQ(ReadSetting("AutoRun"), "0");
    EXPECT_EQ(ReadSetting("Offset"), "0");

    {
        Program program;
        HWND window = ShownWindow(program);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Text(window, Control::txtInterval), "45");
        EXPECT_EQ(CheckOf(ControlOf(window, Control::chkAuto)), 1);
        EXPECT_EQ(CheckOf(ControlOf(window, Control::chkAutoRun)), 0);
        EXPECT_EQ(SelectionOf(ControlOf(window, Control::cmbOffset)), 2);
        // Automatic synchronization was stored on: the start-up sets the clock (to the
        // host's own time) and says so.
        EXPECT_TRUE(WaitUntil(
            [&] {
                return Text(window, Control::lblInfo).starts_with("Time updated succesfully! (");
            },
            kUiTimeout))
            << Text(window, Control::lblInfo);

        // A new offset is saved at once, with everything else as it stands.
        ChooseListEntry(window, Control::cmbOffset, 3);
        EXPECT_TRUE(WaitUntil([] { return ReadSetting("Offset") == "30"; }, kUiTimeout));
        SetTextOf(ControlOf(window, Control::txtInterval), "abc");
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([] { return ReadSetting("Interval") == "abc"; }, kUiTimeout));
    }

    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SelectionOf(ControlOf(window, Control::cmbOffset)), 3);
    EXPECT_EQ(Text(window, Control::txtInterval), "30") << "an interval of letters is replaced";
}

// An installer replacing the program's file asks it to close (the Restart Manager's
// WM_QUERYENDSESSION with ENDSESSION_CLOSEAPP), hidden behind its icon as at log-on.
TEST_F(ProgramTest, AnInstallersCloseRequestSavesTheSettingsAndEndsTheProgram) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    Click(ControlOf(window, Control::chkAuto));
    ASSERT_TRUE(
        WaitUntil([&] { return CheckOf(ControlOf(window, Control::chkAuto)) == 1; }, kUiTimeout));
    Minimise(window);
    ASSERT_TRUE(WaitForHidden(window));
    DWORD_PTR agreed = FALSE;
    ASSERT_TRUE(::SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                      SMTO_ABORTIFHUNG, 5000, &agreed));
    EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(ReadSetting("Auto"), "1");
    ::PostMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_TRUE(program.WaitForExit(kUiTimeout));
}

}  // namespace
}  // namespace e2e
