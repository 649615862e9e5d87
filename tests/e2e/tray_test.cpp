// The notification icon's messages, the close button, minimising, a rebuilt notification
// area, and the way out through the icon's menu.
#include "program_test.h"
#include "tray_probe.h"
#include "wine_path.h"

namespace e2e {
namespace {

using platform::Control;

constexpr UINT kLeftButtonUp = 514;
constexpr UINT kRightButtonUp = 517;

TEST_F(ProgramTest, TheIconBringsBackTheWindowThatCloseAndMinimiseHide) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForText(window, Control::lblInfo, "Ready."));
    EXPECT_TRUE(IconPresent(window));

    // While the window is shown, the icon's clicks do nothing. The window takes its messages
    // in order, so once the close that follows them has hidden it, they have been handled too;
    // a menu they opened would still be up.
    PostIconMessage(window, kLeftButtonUp);
    PostIconMessage(window, kRightButtonUp);

    // The close button hides the window and saves; the program runs on behind its icon.
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForHidden(window));
    EXPECT_FALSE(MenuOpen(program.Id()));
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(IconPresent(window));
    EXPECT_EQ(ReadSetting("Interval"), "30");
    EXPECT_EQ(ReadSetting("Auto"), "0");
    EXPECT_EQ(ReadSetting("AutoRun"), "0");
    EXPECT_EQ(ReadSetting("Offset"), "0");

    PostIconMessage(window, kLeftButtonUp);
    EXPECT_TRUE(WaitForShown(window));

    Minimise(window);
    EXPECT_TRUE(WaitForHidden(window));
    EXPECT_TRUE(program.Running());

    // A restarted shell announces itself; the program must still be reachable afterwards.
    // The click that follows is handled after the announcement.
    ::PostMessageA(window, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    PostIconMessage(window, kLeftButtonUp);
    EXPECT_TRUE(WaitForShown(window));
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(IconPresent(window));
}

// scripts/run's driver, for a user who chose "Autorun at system startup": the start-up keeps the
// window behind its icon, and the driver opens it from there to press "Check".
TEST_F(ProgramTest, TheDriverOpensTheWindowThatAutorunKeepsBehindItsIcon) {
    ASSERT_TRUE(WriteSetting("AutoRun", "1"));
    Program driver(DosPath(CHECK_ONCE_EXE), "\"" CHECK_ONCE_PICTURE "\"");
    ASSERT_TRUE(driver.Started());
    DWORD exitCode = 1;
    ASSERT_TRUE(driver.WaitForExit(90s, &exitCode));
    EXPECT_EQ(exitCode, 0u) << "the driver did not read \"Local time is ok\"";
}


TEST_F(ProgramTest, ExitFromTheIconsMenuAsksFirstAndEndsTheProgram) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    Minimise(window);
    ASSERT_TRUE(WaitForHidden(window));

    HWND box = AskToExit(program.Id(), window, kUiTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Do you really want to close this application?");
    PressButton(box, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !MessageBoxOpen(program.Id()); }, kUiTimeout));

    // Asked again, the program answers: Cancel has left it running, with its icon.
    box = AskToExit(program.Id(), window, kUiTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IconPresent(window));
    PressButton(box, IDOK);
    EXPECT_TRUE(program.WaitForExit(kUiTimeout)) << "the program runs on after OK";
    EXPECT_FALSE(IconPresent(window)) << "the icon outlives the program";
}

}  // namespace
}  // namespace e2e
