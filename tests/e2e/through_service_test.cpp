// "Synchronize" with the time service running, and with it stopped. These run only in the prefix
// where the service's tests installed it (tests/service). The machine-wide time page, which only
// the service reads, and the user's are two servers: each request shows who asked.
#include "program_test.h"
#include "service_control.h"

namespace e2e {
namespace {

using platform::Control;

class ThroughService : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(testsupport::SetMachineTimePage(machinePage_.Url()));
    }

    static bool ServiceBecomes(DWORD state) {
        return WaitUntil([&] { return testsupport::ServiceState() == state; }, kStartTimeout);
    }

    // Clicks "Synchronize" early in a second, so that the page's second and the clock reading
    // agree and Wine takes the set; the status line once the outcome is there.
    static std::string Synchronize(HWND window) {
        WaitUntil(
            [] {
                SYSTEMTIME now{};
                ::GetSystemTime(&now);
                return now.wMilliseconds < 50;
            },
            2s, 1ms);
        Click(ControlOf(window, Control::cmdSynchronize));
        WaitUntil(
            [&] {
                const std::string status = Text(window, Control::lblInfo);
                return status != "Ready." && status != "Getting Time...";
            },
            kUiTimeout);
        return Text(window, Control::lblInfo);
    }

    TimePage machinePage_;
};

TEST_F(ThroughService, SynchronizeIsCarriedOutByTheService) {
    // Started afresh, so that no outcome of an earlier test is given again.
    ASSERT_TRUE(testsupport::StartOrStopService(false));
    ASSERT_TRUE(ServiceBecomes(SERVICE_STOPPED));
    ASSERT_TRUE(testsupport::StartOrStopService(true));
    ASSERT_TRUE(ServiceBecomes(SERVICE_RUNNING));

    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(Synchronize(window).starts_with("Time updated succesfully! ("));
    EXPECT_EQ(machinePage_.RequestCount(), 1);
    EXPECT_EQ(page_.RequestCount(), 0);
}

TEST_F(ThroughService, WithTheServiceStoppedTheProgramSetsTheClockItself) {
    if (testsupport::ServiceState() != SERVICE_STOPPED) {
        ASSERT_TRUE(testsupport::StartOrStopService(false));
    }
    ASSERT_TRUE(ServiceBecomes(SERVICE_STOPPED));

    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(Synchronize(window).starts_with("Time updated succesfully! ("));
    EXPECT_EQ(machinePage_.RequestCount(), 0);
    EXPECT_EQ(page_.RequestCount(), 1);
}

}  // namespace
}  // namespace e2e
