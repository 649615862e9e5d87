// "Synchronize" with the time service running, stopped (the program starts it) and disabled. These
// run only in the prefix where the service's tests installed it (tests/service). The machine-wide
// time page, which only the service reads, and the user's are two servers: each request shows who
// asked.
#include "program_test.h"
#include "service_control.h"
#include "sync/clock_offset.h"

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

    static bool StopService() {
        return (testsupport::ServiceState() == SERVICE_STOPPED ||
                testsupport::StartOrStopService(false)) &&
               ServiceBecomes(SERVICE_STOPPED);
    }

    // Clicks "Synchronize" early in a second, so that the page's second and the clock reading
    // agree and Wine takes the set; the status line with the outcome.
    static std::string Synchronize(HWND window) {
        WaitUntil(
            [] {
                SYSTEMTIME now{};
                ::GetSystemTime(&now);
                return now.wMilliseconds < 50;
            },
            2s, 1ms);
        Click(ControlOf(window, Control::cmdSynchronize));
        // Every outcome ends in ")"; a text read while it changes may come back cut short.
        std::string status;
        WaitUntil([&] { return (status = Text(window, Control::lblInfo)).ends_with(')'); },
                  kUiTimeout);
        return status;
    }

    TimePage machinePage_;
};

// The requests of one synchronization's measure of a whole-seconds page: one to open the
// connection, at least one more, and no more than the limit.
bool OneMeasure(int requests) {
    return requests >= 2 && requests <= chronalign::kMostRequestsWholeSeconds;
}

TEST_F(ThroughService, SynchronizeIsCarriedOutByTheService) {
    // Started afresh, so that no outcome of an earlier test is given again.
    ASSERT_TRUE(StopService());
    ASSERT_TRUE(testsupport::StartOrStopService(true));
    ASSERT_TRUE(ServiceBecomes(SERVICE_RUNNING));

    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    const std::string status = Synchronize(window);
    EXPECT_TRUE(status.starts_with("Time updated succesfully! (")) << status;
    EXPECT_TRUE(OneMeasure(machinePage_.RequestCount())) << machinePage_.RequestCount();
    EXPECT_EQ(page_.RequestCount(), 0);
}

// As after a boot, before the service's delayed start: the program starts it.
TEST_F(ThroughService, WithTheServiceStoppedTheProgramStartsItAndItSetsTheClock) {
    ASSERT_TRUE(StopService());

    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    const std::string status = Synchronize(window);
    EXPECT_TRUE(status.starts_with("Time updated succesfully! (")) << status;
    EXPECT_EQ(testsupport::ServiceState(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(OneMeasure(machinePage_.RequestCount())) << machinePage_.RequestCount();
    EXPECT_EQ(page_.RequestCount(), 0);
}

// Sets the service's start type; true when the service manager took it.
bool SetStartType(DWORD startType) {
    const auto service = testsupport::OpenTimeService({SERVICE_CHANGE_CONFIG});
    return service &&
           ::ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE,
                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(ThroughService, WithTheServiceDisabledTheProgramSetsTheClockItself) {
    ASSERT_TRUE(StopService());
    ASSERT_TRUE(SetStartType(SERVICE_DISABLED));

    Program program;
    HWND window = ShownWindow(program);
    const std::string status = window ? Synchronize(window) : "";
    EXPECT_TRUE(SetStartType(SERVICE_AUTO_START));
    EXPECT_TRUE(status.starts_with("Time updated succesfully! (")) << status;
    EXPECT_EQ(machinePage_.RequestCount(), 0);
    EXPECT_TRUE(OneMeasure(page_.RequestCount())) << page_.RequestCount();
}

}  // namespace
}  // namespace e2e
