#include <gtest/gtest.h>

#include "app/app_folder.h"
#include "app/start_program.h"
#include "app/version_line.h"
#include "reset_fakes.h"
#include "ui/frm_main.h"

namespace chronalign {
namespace {

using platform::Control;

class StartProgramTest : public fake::FakePlatformTest {};

TEST(AppFolderTest, EndsInExactlyOneBackslash) {
    EXPECT_EQ(FolderOf(R"(C:\Program Files\Velmora\Chronalign\Chronalign.exe)"),
              R"(C:\Program Files\Velmora\Chronalign\)");
    EXPECT_EQ(FolderOf(R"(C:\Chronalign.exe)"), R"(C:\)");
    EXPECT_EQ(FolderOf(R"(\\server\share\Chronalign.exe)"), R"(\\server\share\)");
}

TEST_F(StartProgramTest, TheFolderIsCutAtACharacterNotAtAByteOnADoubleByteCodePage) {
    fake::Locale().doubleByte = true;
    // 0x95 0x5C is one character on code page 932; its second byte is a backslash's.
    EXPECT_EQ(FolderOf("C:\\\x95\x5C\\Chronalign.exe"), "C:\\\x95\x5C\\");
    EXPECT_EQ(FolderOf("C:\\Tools\\\x95\x5C.exe"), "C:\\Tools\\");
}

TEST(VersionLineTest, NumbersAtTheirNaturalWidth) {
    EXPECT_EQ(VersionLine({1, 0, 58}), "Version 1.0 Build 58");
    EXPECT_EQ(VersionLine({1, 10, 58}), "Version 1.10 Build 58");
}

TEST_F(StartProgramTest, ASecondInstanceLoadsNothing) {
    fake::Process().otherInstanceRunning = true;
    StartProgram();
    EXPECT_EQ(fake::Log(), std::vector<std::string>{"ClaimSingleInstance"});
    EXPECT_TRUE(AppFolder.empty());
    EXPECT_FALSE(fake::Window().loaded);
    EXPECT_TRUE(fake::Shell().notifyCalls.empty());
}

TEST_F(StartProgramTest, BuildsTheWindowInItsFixedOrderAndShowsIt) {
    fake::Process().executablePath = R"(D:\Chronalign.exe)";
    StartProgram();

    EXPECT_EQ(AppFolder, R"(D:\)");
    // The load hides the window behind its icon before anything else is shown.
    const auto& log = fake::Log();
    const int load = fake::LogIndex("LoadMainWindow");
    ASSERT_GE(load, 0);
    EXPECT_EQ(std::vector<std::string>(log.begin() + load, log.begin() + load + 6),
              (std::vector<std::string>{"LoadMainWindow", "SetWindowState 1", "ShowMainWindow",
                                        "DoEvents", "HideMainWindow", "Shell_NotifyIconA 0"}));
    EXPECT_EQ(fake::ControlOf(Control::lblInfo).textWrites, std::vector<std::string>{"Ready."});

    EXPECT_EQ(
        fake::ControlOf(Control::cmbOffset).items,
        (std::vector<std::string>{"-60 mins", "-30 mins", "0 (default)", "+30 mins", "+60 mins"}));
    EXPECT_EQ(fake::ControlOf(Control::lblVersion).text, "Version 1.0 Build 58");
    EXPECT_TRUE(fake::Window().timerEnabled);
    EXPECT_LT(fake::LogIndex("EnableTimer"), fake::LogIndex("ShowMainWindow", load + 3));

    // Shown as a restore shows it: normal and visible, not a minimised task-bar button.
    fake::RunPendingEvents();
    EXPECT_TRUE(fake::Window().visible);
    EXPECT_EQ(fake::Window().state, platform::kStateNormal);
    EXPECT_EQ(fake::Internet().opens, 0);  // automatic synchronization is off by default
}

TEST_F(StartProgramTest, StartWithWindowsKeepsTheWindowBehindItsIcon) {
    fake::PutString(fake::kStoreKey, "AutoRun", "1");
    StartProgram();
    fake::RunPendingEvents();
    EXPECT_FALSE(fake::Window().visible);
    EXPECT_EQ(fake::Window().state, platform::kStateMinimised);
    EXPECT_EQ(fake::Shell().notifyCalls.size(), 1u);
}

TEST_F(StartProgramTest, SynchronizesAtStartOnlyWhenAutomaticIsExactlyOn) {
    fake::PutString(fake::kStoreKey, "Auto", "2");
    StartProgram();
    EXPECT_EQ(fake::Internet().opens, 0);

    fake::ResetAll();
    fake::PutString(fake::kStoreKey, "Auto", "1");
    StartProgram();
    EXPECT_EQ(fake::Internet().opens, 1);
    // No network: the failure stays on the status line, and the start-up goes on.
    EXPECT_EQ(fake::ControlOf(Control::lblInfo).text,
              "Cannot get time from server! (internet running?)");
    EXPECT_TRUE(fake::Window().timerEnabled);
    EXPECT_LT(fake::LogIndexOfPrefix("InternetOpenA"), fake::LogIndex("EnableTimer"));

    // The schedule then waits its minute, as after any failed attempt, before it tries again.
    fake::Advance(1000);
    TimerTime_Timer();
    EXPECT_EQ(fake::Internet().opens, 1);
    fake::Advance(60'000);
    TimerTime_Timer();
    EXPECT_EQ(fake::Internet().opens, 2);
}

TEST_F(StartProgramTest, AMissingVersionResourceLeavesTheLineEmpty) {
    fake::Process().version.reset();
    StartProgram();
    EXPECT_EQ(fake::ControlOf(Control::lblVersion).text, "");
}

}  // namespace
}  // namespace chronalign
