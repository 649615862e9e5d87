#include "settings/time_page.h"

#include <gtest/gtest.h>

#include "base/identity.h"
#include "reset_fakes.h"

namespace chronalign {
namespace {

using fake::kMachineKey;
constexpr const char* kMakers = identity::kMakersTimePage;

using TimePageTest = fake::FakePlatformTest;

TEST_F(TimePageTest, TheUsersAddressComesFirstThenTheMachinesThenTheMakers) {
    EXPECT_EQ(TimePageAddress(), kMakers);
    fake::PutString(kMachineKey, "TimePage", "");  // an install given no address
    EXPECT_EQ(TimePageAddress(), kMakers);
    fake::Registry().keys[kMachineKey]["timepage"] = {platform::kRegDword,
                                                      std::string("\1\0\0\0", 4)};
    EXPECT_EQ(TimePageAddress(), kMakers);

    // A user who may not change the machine's key still reads it.
    fake::Registry().writeDenied.insert(R"(hklm\software\velmora\chronalign)");
    fake::PutString(kMachineKey, "TimePage", "http://machine.example/cgi-bin/timer.pl");
    EXPECT_EQ(TimePageAddress(), "http://machine.example/cgi-bin/timer.pl");
    fake::PutString(fake::kStoreKey, "TimePage", "");
    EXPECT_EQ(TimePageAddress(), "http://machine.example/cgi-bin/timer.pl");

    fake::PutString(fake::kStoreKey, "TimePage", "https://user.example/time");
    EXPECT_EQ(TimePageAddress(), "https://user.example/time");

    EXPECT_TRUE(fake::Registry().setCalls.empty());
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(TimePageTest, APolicysAddressWinsOverEveryOtherForTheProgramAndTheService) {
    const std::string policyKey = std::string(R"(HKLM\)") + identity::kPolicyKey;
    fake::PutString(fake::kStoreKey, "TimePage", "https://user.example/time");
    fake::PutString(kMachineKey, "TimePage", "http://machine.example/cgi-bin/timer.pl");
    fake::PutString(policyKey, "TimePage", "");  // a policy set to nothing decides nothing
    EXPECT_EQ(TimePageAddress(), "https://user.example/time");
    EXPECT_EQ(MachineTimePageAddress(), "http://machine.example/cgi-bin/timer.pl");

    fake::PutString(policyKey, "TimePage", "https://policy.example/time");
    EXPECT_EQ(TimePageAddress(), "https://policy.example/time");
    EXPECT_EQ(MachineTimePageAddress(), "https://policy.example/time");
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace chronalign
