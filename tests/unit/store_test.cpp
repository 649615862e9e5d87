#include "settings/store.h"

#include <gtest/gtest.h>

#include <string>

#include "reset_fakes.h"

namespace chronalign {
namespace {

using namespace std::string_literals;

using StoreTest = fake::FakePlatformTest;

constexpr const char* kOtherKey = R"(HKCU\Software\Velmora\Other\Window)";

TEST_F(StoreTest, AMissingApplicationSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ReadSetting("Chronalign", "General", "Interval", "30"), "30");
    fake::PutString(fake::kStoreKey, "Auto", "1");
    EXPECT_EQ(ReadSetting("Chronalign", "General", "Interval", "30"), "30");
    EXPECT_EQ(ReadSetting("Chronalign", "Other", "Auto", "0"), "0");
    EXPECT_EQ(ReadSetting("Other", "General", "Auto", "0"), "0");
    EXPECT_EQ(TryReadSetting("Other", "General", "Auto", "0"), "0");
    EXPECT_EQ(ReadSetting("Chronalign", "General", "Auto", "0"), "1");
    // Looking never creates anything.
    EXPECT_FALSE(fake::KeyExists(R"(HKCU\Software\Velmora\Other\General)"));
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(StoreTest, AWriteCreatesWhatIsMissingAndReplacesWhatIsThere) {
    EXPECT_TRUE(WriteSetting("Other", "Window", "Left", "120"));
    EXPECT_EQ(fake::ValueAt(kOtherKey, "Left"), (fake::RegValue{platform::kRegSz, "120\0"s}));
    EXPECT_EQ(ReadSetting("Other", "Window", "Left", ""), "120");
    EXPECT_TRUE(WriteSetting("Other", "Window", "Left", ""));
    EXPECT_EQ(ReadSetting("Other", "Window", "Left", "9"), "");  // stored empty is not missing
    EXPECT_TRUE(WriteSetting("Other", "Window", "Left", "letters and blanks "));
    EXPECT_EQ(ReadSetting("Other", "Window", "Left", ""), "letters and blanks ");
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(StoreTest, ATextWrittenByAnotherProgramIsReadUpToItsFirstNul) {
    fake::Registry().keys[fake::kStoreKey]["timepage"] = {platform::kRegSz, "http://a"};
    EXPECT_EQ(ReadSetting("Chronalign", "General", "TimePage", ""), "http://a");
    fake::Registry().keys[fake::kStoreKey]["timepage"] = {platform::kRegSz, "http://b\0\0junk"s};
    EXPECT_EQ(ReadSetting("Chronalign", "General", "TimePage", ""), "http://b");
}

TEST_F(StoreTest, AValueThatCannotBeReadAsTextGivesTheDefault) {
    fake::Registry().keys[fake::kStoreKey]["auto"] = {platform::kRegDword, "\1\0\0\0"s};
    EXPECT_EQ(ReadSetting("Chronalign", "General", "Auto", "0"), "0");
    EXPECT_EQ(TryReadSetting("Chronalign", "General", "Auto", "0"), std::nullopt);

    fake::PutString(fake::kStoreKey, "Interval", "45");
    fake::Registry().queriesFail = true;
    EXPECT_EQ(ReadSetting("Chronalign", "General", "Interval", "30"), "30");
    EXPECT_EQ(TryReadSetting("Chronalign", "General", "Interval", "30"), std::nullopt);
    // With nothing stored there is nothing to refuse: the default, not a failure.
    EXPECT_EQ(TryReadSetting("Other", "General", "Interval", "30"), "30");
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(StoreTest, ARefusedWriteSaysSoAndKeepsTheOldText) {
    fake::PutString(fake::kStoreKey, "Auto", "1");
    fake::Registry().failingSets = {"auto"};
    EXPECT_FALSE(WriteSetting("Chronalign", "General", "Auto", "0"));
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Auto"), "1");

    fake::Registry().writeDenied = {R"(hkcu\software\velmora\chronalign\general)"};
    EXPECT_FALSE(WriteSetting("Chronalign", "General", "Offset", "30"));
    EXPECT_EQ(fake::StringAt(fake::kStoreKey, "Offset"), std::nullopt);
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(StoreTest, NamesThatWouldAddressAnotherPlaceAreRefused) {
    EXPECT_FALSE(WriteSetting("Chronalign", R"(General\Sub)", "Auto", "1"));
    EXPECT_FALSE(WriteSetting(R"(..\..\Microsoft)", "General", "Auto", "1"));
    EXPECT_FALSE(WriteSetting("", "General", "Auto", "1"));
    EXPECT_FALSE(WriteSetting("Chronalign", "", "Auto", "1"));
    EXPECT_FALSE(WriteSetting("Chronalign", "General", "", "1"));
    EXPECT_FALSE(WriteSetting("Chronalign", "General", "Au\0to"s, "1"));
    EXPECT_FALSE(WriteSetting("Chronalign", "General", "Auto", "1\0 and more"s));
    EXPECT_TRUE(fake::Registry().setCalls.empty());
    EXPECT_EQ(ReadSetting("Chronalign", R"(General\Sub)", "Auto", "d"), "d");
    EXPECT_EQ(ReadSetting("Chronalign", "General", "", "d"), "d");
    EXPECT_TRUE(fake::LogOf("RegOpenKeyExA").empty());
}

}  // namespace
}  // namespace chronalign
