#include <gtest/gtest.h>

#include <cstring>

#include "app/start_program.h"
#include "base/identity.h"
#include "platform/window_design.h"
#include "platform/window_events.h"
#include "reset_fakes.h"
#include "ui/frm_main.h"
#include "ui/links.h"
#include "ui/tray.h"

namespace chronalign {
namespace {

using platform::Control;

// A started program: window loaded and shown, as a person first sees it.
class FrmMainTest : public fake::FakePlatformTest {
  protected:
    void SetUp() override {
        fake::FakePlatformTest::SetUp();
        StartProgram();
        fake::RunPendingEvents();
        fake::Log().clear();
    }

    // The notification icon's callback: the mouse message rides in X, in twips.
    static void IconMessage(int message) {
        Form_MouseMove(0, 0, static_cast<float>(message * fake::Window().twipsPerPixelX), 0);
        fake::RunPendingEvents();
    }

    static void Minimise() {
        platform::SetWindowState(platform::kStateMinimised);
        fake::RunPendingEvents();
    }
};

TEST_F(FrmMainTest, ACloseRequestSavesThenHidesUnlessWindowsIsEnding) {
    for (int mode : {0, 1, 3}) {
        fake::ControlOf(Control::txtInterval).text = "4" + std::to_string(mode);
        int cancel = 0;
        Form_QueryUnload(cancel, mode);
        fake::RunPendingEvents();
        EXPECT_NE(cancel, 0) << mode;
        EXPECT_FALSE(fake::Window().visible) << mode;
        EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Interval"), "4" + std::to_string(mode));
        platform::SetWindowState(platform::kStateNormal);
        platform::ShowMainWindow();
        fake::RunPendingEvents();
    }

    int cancel = 0;
    Form_QueryUnload(cancel, 2);
    EXPECT_EQ(cancel, 0);
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Interval"), "43");
    EXPECT_THROW(Form_Unload(), fake::ProgramExited);
    EXPECT_EQ(fake::LogOf("Shell_NotifyIconA").back(), "Shell_NotifyIconA 2");
}

TEST_F(FrmMainTest, MinimisingHidesTheWindow) {
    Minimise();
    EXPECT_FALSE(fake::Window().visible);
    platform::SetWindowState(platform::kStateNormal);
    fake::RunPendingEvents();
    EXPECT_FALSE(fake::Window().visible);  // a resize to normal shows nothing by itself
}

TEST_F(FrmMainTest, TheButtonsCheckAndSynchronize) {
    fake::ServeNothing();
    cmdCheckTime_Click();
    fake::ServeNothing();
    cmdSynchronize_Click();
    EXPECT_EQ(fake::Internet().opens, 2);
    EXPECT_TRUE(fake::Clock().setCalls.empty());  // nothing to set from a failed download
    EXPECT_EQ(fake::ControlOf(Control::lblInfo).text,
              "Cannot get time from server! (internet running?)");
}

TEST_F(FrmMainTest, ControlEventsRunTheirHandlersAndNothingElse) {
    using platform::Notification;
    namespace events = chronalign::events;
    // A click never grays a box: 2 and 0 give 1, 1 gives 0.
    for (const auto& [before, after] : {std::pair{2, 1}, {1, 0}, {0, 1}}) {
        platform::SetValue(Control::chkAutoRun, before);
        events::ControlNotified(Control::chkAutoRun, Notification::Click);
        EXPECT_EQ(platform::GetValue(Control::chkAutoRun), after) << before;
    }
    events::ControlNotified(Control::lblWebsite, Notification::MouseMove);
    EXPECT_EQ(fake::ControlOf(Control::lblWebsite).foreColor, kColorRed);

    platform::SetListIndex(Control::cmbOffset, 4);
    events::ControlNotified(Control::cmbOffset, Notification::SelectionChange);
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Offset"), "60");

    // A label that is no link, or a notification its control has no handler for: nothing.
    fake::Log().clear();
    events::ControlNotified(Control::Label4, Notification::Click);
    events::ControlNotified(Control::cmdCheckTime, Notification::SelectionChange);
    EXPECT_TRUE(fake::Log().empty());
    EXPECT_EQ(fake::Internet().opens, 0);
}

TEST_F(FrmMainTest, TheClockLabelFollowsLocalTime) {
    fake::ResetAll();
    EXPECT_EQ(fake::ControlOf(Control::lblTime).text, "#");
    fake::SetLocalTimeOfDay(15, 7, 9);
    TimerTime_Timer();
    EXPECT_EQ(fake::ControlOf(Control::lblTime).text, "3:07:09 PM");
    fake::Advance(1000);
    TimerTime_Timer();
    EXPECT_EQ(fake::ControlOf(Control::lblTime).text, "3:07:10 PM");
}

TEST_F(FrmMainTest, AFailingStepOfTheTickIsSkippedAndTheNextRuns) {
    fake::Locale().formatFails = true;
    fake::ControlOf(Control::chkAuto).value = 1;
    fake::ControlOf(Control::txtInterval).readFails = true;  // the default interval then
    EXPECT_NO_THROW(TimerTime_Timer());
    EXPECT_EQ(fake::ControlOf(Control::lblTime).text, "#");
    EXPECT_EQ(fake::Internet().opens, 1);  // noon is long past the first quarter of an hour
}

TEST_F(FrmMainTest, ChoosingAnOffsetSavesEverything) {
    fake::ControlOf(Control::chkAuto).value = 1;
    fake::ControlOf(Control::cmbOffset).listIndex = 3;
    cmbOffset_Click();
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Offset"), "30");
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Auto"), "1");
    fake::ControlOf(Control::cmbOffset).listIndex = 0;
    cmbOffset_Change();
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Offset"), "-60");
}

TEST_F(FrmMainTest, IconMessagesActOnlyWhileMinimised) {
    for (int message : {514, 515, 517}) IconMessage(message);
    EXPECT_TRUE(fake::LogOf("SetForegroundWindow").empty());
    EXPECT_TRUE(fake::LogOf("PopupTrayMenu").empty());

    Minimise();
    fake::Log().clear();
    // A double click: the first release restores; what follows finds the window normal.
    for (int message : {514, 515, 514}) IconMessage(message);
    EXPECT_EQ(fake::LogOf("ShowMainWindow").size(), 1u);
    EXPECT_TRUE(fake::Window().visible);
    EXPECT_EQ(fake::Window().state, platform::kStateNormal);
    // Normal first, then the foreground, then shown.
    EXPECT_LT(fake::LogIndex("SetWindowState 0"), fake::LogIndexOfPrefix("SetForegroundWindow"));
    EXPECT_LT(fake::LogIndexOfPrefix("SetForegroundWindow"), fake::LogIndex("ShowMainWindow"));

    Minimise();
    IconMessage(515);
    EXPECT_TRUE(fake::Window().visible);

    Minimise();
    fake::Log().clear();
    IconMessage(512);  // a plain move over the icon
    IconMessage(516);
    EXPECT_TRUE(fake::LogOf("SetForegroundWindow").empty());
    IconMessage(517);
    EXPECT_EQ(fake::Log().size(), 2u);
    EXPECT_EQ(fake::Log()[0], "SetForegroundWindow " + std::to_string(fake::Window().handle));
    EXPECT_EQ(fake::Log()[1], "PopupTrayMenu");
    EXPECT_FALSE(fake::Window().visible);
}

TEST_F(FrmMainTest, TheIconMessageIsRoundedFromTwips) {
    Minimise();
    fake::Window().twipsPerPixelX = 12;     // 120 dots per inch
    Form_MouseMove(0, 0, 514 * 12 + 5, 0);  // 514.42 pixels
    fake::RunPendingEvents();
    EXPECT_TRUE(fake::Window().visible);

    Minimise();
    Form_MouseMove(0, 0, 516.5f * 12, 0);  // halves go to the even neighbour: 516, nothing
    fake::RunPendingEvents();
    EXPECT_FALSE(fake::Window().visible);
    Form_MouseMove(0, 0, 513.5f * 12, 0);  // 514: restore
    fake::RunPendingEvents();
    EXPECT_TRUE(fake::Window().visible);
}

TEST_F(FrmMainTest, ExitAsksFirstAndSavesOnOk) {
    Minimise();
    fake::ControlOf(Control::chkAuto).value = 1;

    fake::Window().messageBoxAnswer = 2;
    fake::Window().menuChoice = mnuExit_Click;
    fake::Process().title = "Chronalign Title";  // as the version information gives it
    IconMessage(517);
    EXPECT_EQ(fake::LogOf("MessageBox"),
              std::vector<std::string>{
                  "MessageBox Chronalign Title: Do you really want to close this application?"});
    EXPECT_EQ(fake::Process().exits, 0);
    EXPECT_FALSE(fake::StringAt(fake::kStoreKey, "Auto").has_value());
    EXPECT_EQ(fake::LogOf("Shell_NotifyIconA"), std::vector<std::string>{});

    fake::Window().messageBoxAnswer = 1;
    fake::Window().menuChoice = mnuExit_Click;
    EXPECT_THROW(IconMessage(517), fake::ProgramExited);
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Auto"), "1");  // the tick survived the exit
    EXPECT_LT(fake::LogIndexOfPrefix("RegSetValueExA"), fake::LogIndex("Shell_NotifyIconA 2"));
    EXPECT_LT(fake::LogIndex("Shell_NotifyIconA 2"), fake::LogIndex("ExitProcessNow"));
}

TEST_F(FrmMainTest, RestoreFromTheMenu) {
    Minimise();
    fake::Window().menuChoice = mnuRestore_Click;
    IconMessage(517);
    fake::RunPendingEvents();
    EXPECT_TRUE(fake::Window().visible);
    EXPECT_EQ(fake::Window().state, platform::kStateNormal);
}

TEST_F(FrmMainTest, TheIconRecordIsTheOneTheShellExpects) {
    const auto& add = fake::Shell().notifyCalls;
    fake::ResetAll();
    fake::Process().productName = "Velmora Chronalign Tip";  // as the version information says
    StartProgram();
    ASSERT_EQ(add.size(), 1u);
    const platform::NotifyIconData d = add[0].data;  // a copy: the log grows below
    EXPECT_EQ(add[0].message, platform::kNimAdd);
    EXPECT_EQ(d.cbSize, 88u);
    EXPECT_EQ(d.hWnd, fake::Window().handle);
    EXPECT_EQ(d.uID, 1u);
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 512u);
    EXPECT_EQ(d.hIcon, fake::Window().icon);
    EXPECT_STREQ(d.szTip, "Velmora Chronalign Tip");  // ends inside its 64 bytes

    TrayOff();
    ASSERT_EQ(add.size(), 2u);
    EXPECT_EQ(add[1].message, platform::kNimDelete);
    EXPECT_EQ(std::memcmp(&add[1].data, &d, sizeof d), 0);
}

TEST_F(FrmMainTest, TheIconComesBackWhenTheShellRebuildsTheNotificationArea) {
    fake::Shell().notifyCalls.clear();
    Form_TaskbarCreated();
    ASSERT_FALSE(fake::Shell().notifyCalls.empty());
    EXPECT_EQ(fake::Shell().notifyCalls.back().message, platform::kNimAdd);
    EXPECT_EQ(fake::Shell().notifyCalls.back().data.uID, 1u);
    EXPECT_FALSE(fake::Window().trayRetryTimerEnabled);
}

TEST_F(FrmMainTest, TheNotificationIconTakesTheWindowsIconLoadedForANewDpi) {
    const auto& calls = fake::Shell().notifyCalls;
    fake::Shell().notifyCalls.clear();
    fake::Window().icon = 0x00020099;
    Form_IconChanged();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, platform::kNimModify);
    EXPECT_EQ(calls[0].data.hIcon, 0x00020099u);
    EXPECT_EQ(calls[0].data.uID, 1u);

    fake::ResetAll();  // before the load no icon was added, so none is changed
    Form_IconChanged();
    EXPECT_TRUE(calls.empty());
}

TEST_F(FrmMainTest, TheIconIsOfferedAgainUntilTheShellIsUp) {
    fake::ResetAll();
    fake::Shell().failingAdds = 3;  // log-on: the notification area is not there yet
    StartProgram();
    EXPECT_TRUE(fake::Window().trayRetryTimerEnabled);
    TrayRetry_Timer();
    TrayRetry_Timer();
    EXPECT_TRUE(fake::Window().trayRetryTimerEnabled);
    TrayRetry_Timer();
    EXPECT_FALSE(fake::Window().trayRetryTimerEnabled);
    EXPECT_EQ(fake::LogOf("Shell_NotifyIconA 0").size(), 4u);
    TrayRetry_Timer();  // a tick already on its way does nothing more
    EXPECT_EQ(fake::LogOf("Shell_NotifyIconA 0").size(), 4u);
}

TEST_F(FrmMainTest, OfferingTheIconAgainGivesUpAfterABoundedWhile) {
    fake::ResetAll();
    fake::Shell().failingAdds = 1'000'000;
    StartProgram();
    for (int i = 0; i < 1000 && fake::Window().trayRetryTimerEnabled; ++i) TrayRetry_Timer();
    EXPECT_FALSE(fake::Window().trayRetryTimerEnabled);
    EXPECT_LE(fake::LogOf("Shell_NotifyIconA 0").size(), 1000u);
}

TEST_F(FrmMainTest, LinksTurnRedUnderTheMouseAndBlueOverTheBareWindow) {
    const auto color = [](Control c) { return fake::ControlOf(c).foreColor; };
    EXPECT_EQ(color(Control::lblReadme), kColorBlue);
    lblReadme_MouseMove();
    EXPECT_EQ(color(Control::lblReadme), kColorRed);
    EXPECT_EQ(color(Control::lblWebsite), kColorBlue);
    lblWebsite_MouseMove();
    EXPECT_EQ(color(Control::lblWebsite), kColorRed);
    Form_MouseMove(0, 0, 100, 100);
    EXPECT_EQ(color(Control::lblReadme), kColorBlue);
    EXPECT_EQ(color(Control::lblWebsite), kColorBlue);

    // An icon message resets them too, while minimised.
    lblReadme_MouseMove();
    Minimise();
    IconMessage(512);
    EXPECT_EQ(color(Control::lblReadme), kColorBlue);
}

TEST_F(FrmMainTest, LinksOpenTheReadmeAndTheHomePage) {
    AppFolder = R"(E:\)";
    lblReadme_Click();
    lblWebsite_Click();
    const auto& calls = fake::Shell().executeCalls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].file, R"(E:\readme.txt)");
    EXPECT_EQ(calls[1].file, identity::kHomePage);
    for (const auto& c : calls) {
        EXPECT_EQ(c.owner, 0u);
        EXPECT_EQ(c.operation, "Open");
        EXPECT_TRUE(c.parametersNull && c.directoryNull);
        EXPECT_EQ(c.showCommand, 1);
    }
    // A shell that cannot open it changes nothing in the window.
    fake::Shell().executeResult = 2;
    const std::string status = fake::ControlOf(Control::lblInfo).text;
    lblReadme_Click();
    EXPECT_EQ(fake::ControlOf(Control::lblInfo).text, status);
}

}  // namespace
}  // namespace chronalign
