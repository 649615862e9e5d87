#include "settings/run_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "base/identity.h"
#include "reset_fakes.h"

namespace chronalign {
namespace {

using namespace std::string_literals;

using RunEntryTest = fake::FakePlatformTest;

constexpr const char* kRunKey = identity::kRunKey;
constexpr const char* kRunValue = identity::kRunValueName;

// An open handle on a key of the fake, as SetRunValue would hold one.
platform::RegKey Open(const char* subKey) {
    platform::RegKey key = 0;
    platform::RegCreateKeyExA(platform::kHkeyCurrentUser, subKey, platform::kKeySetValue, &key);
    return key;
}

TEST_F(RunEntryTest, ATextGoesToTheRegistryWithItsNulCounted) {
    const platform::RegKey key = Open("Software\\Test");
    EXPECT_EQ(RegWriteValue(key, "Name", platform::kRegSz, "C:\\A b\\x.exe"s), 0);
    EXPECT_EQ(RegWriteValue(key, "Empty", platform::kRegSz, ""s), 0);
    const auto& calls = fake::Registry().setCalls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].key, key);
    EXPECT_EQ(calls[0].valueName, "Name");
    EXPECT_EQ(calls[0].reserved, 0u);
    EXPECT_EQ(calls[0].type, 1u);
    EXPECT_EQ(calls[0].data, "C:\\A b\\x.exe\0"s);
    EXPECT_EQ(calls[0].size, 13u);
    EXPECT_EQ(calls[1].data, "\0"s);
    EXPECT_EQ(calls[1].size, 1u);
}

TEST_F(RunEntryTest, AnyOtherTypeWritesNothingAndTheRegistrysStatusComesBack) {
    const platform::RegKey key = Open("Software\\Test");
    for (std::uint32_t type : {0u, 2u, 3u, 4u, 7u, 11u})
        EXPECT_EQ(RegWriteValue(key, "X", type, "text"s), 0);
    EXPECT_TRUE(fake::Registry().setCalls.empty());

    fake::Registry().failingSets = {"x"};
    EXPECT_EQ(RegWriteValue(key, "X", platform::kRegSz, "text"s), platform::kErrorAccessDenied);
    EXPECT_EQ(RegWriteValue(0, "Y", platform::kRegSz, "text"s), platform::kErrorInvalidHandle);
}

TEST_F(RunEntryTest, TheMachineWideKeyIsOpenedForSettingOnlyAndClosedAgain) {
    SetRunValue(kRunKey, kRunValue, "\"C:\\T\\Chronalign.exe\""s, platform::kRegSz);
    EXPECT_EQ(
        fake::LogOf("RegOpenKeyExA"),
        std::vector<std::string>{std::string("RegOpenKeyExA ") + fake::kRunKeyMachine + " 0 2"});
    EXPECT_EQ(fake::StringAt(fake::kRunKeyMachine, kRunValue), "\"C:\\T\\Chronalign.exe\"");
    EXPECT_EQ(fake::ValueAt(fake::kRunKeyUser, kRunValue), std::nullopt);
    EXPECT_EQ(fake::LogOf("RegCloseKey").size(), 1u);
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(RunEntryTest, AUserWhoMayNotChangeTheMachineWideKeyGetsTheEntryInTheirOwn) {
    fake::Registry().writeDenied = {fake::kRunKeyMachine};
    SetRunValue(kRunKey, kRunValue, "\"C:\\T\\Chronalign.exe\""s, platform::kRegSz);
    EXPECT_EQ(fake::ValueAt(fake::kRunKeyMachine, kRunValue), std::nullopt);
    EXPECT_EQ(fake::StringAt(fake::kRunKeyUser, kRunValue), "\"C:\\T\\Chronalign.exe\"");
    // The refused handle is never closed nor written through.
    EXPECT_EQ(fake::LogOf("RegCloseKey").size(), 1u);
    ASSERT_EQ(fake::Registry().setCalls.size(), 1u);
    EXPECT_NE(fake::Registry().setCalls[0].key, 0u);
    EXPECT_EQ(fake::OpenHandleCount(), 0u);

    // A profile without a Run key of its own gets one.
    fake::Registry().keys.erase(fake::kRunKeyUser);
    SetRunValue(kRunKey, kRunValue, ""s, platform::kRegSz);
    EXPECT_EQ(fake::ValueAt(fake::kRunKeyUser, kRunValue),
              (fake::RegValue{platform::kRegSz, "\0"s}));
}

TEST_F(RunEntryTest, TheEmptyCommandAlsoEmptiesTheCommandWrittenEarlierInTheUsersKey) {
    fake::Registry().writeDenied = {fake::kRunKeyMachine};  // saved by an ordinary user first
    SetRunValue(kRunKey, kRunValue, "\"C:\\T\\Chronalign.exe\""s, platform::kRegSz);
    fake::Registry().writeDenied.clear();
    SetRunValue(kRunKey, kRunValue, ""s, platform::kRegSz);
    EXPECT_EQ(fake::StringAt(fake::kRunKeyMachine, kRunValue), "");
    EXPECT_EQ(fake::StringAt(fake::kRunKeyUser, kRunValue), "");
    EXPECT_EQ(fake::OpenHandleCount(), 0u);

    // Where no command was ever written, nothing is added.
    fake::ResetRegistry();
    SetRunValue(kRunKey, kRunValue, ""s, platform::kRegSz);
    EXPECT_EQ(fake::ValueAt(fake::kRunKeyUser, kRunValue), std::nullopt);
}

TEST_F(RunEntryTest, WhenNeitherKeyOpensNothingIsWrittenAndNothingIsClosed) {
    fake::Registry().writeDenied = {fake::kRunKeyMachine, fake::kRunKeyUser};
    SetRunValue(kRunKey, kRunValue, "x"s, platform::kRegSz);
    EXPECT_TRUE(fake::Registry().setCalls.empty());
    EXPECT_TRUE(fake::LogOf("RegCloseKey").empty());
}

}  // namespace
}  // namespace chronalign
