// The settings store and the Run entry under Wine, against the test prefix's real registry. Every
// value a test creates is taken away again, whatever the outcome.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <string>

#include "app/options.h"
#include "app/start_program.h"
#include "base/identity.h"
#include "fake_window.h"
#include "settings/store.h"
#include "sync/server_time.h"

namespace chronalign {
namespace {

using namespace std::string_literals;

constexpr const char* kApplication = "ChronalignRegistryTest";
constexpr const char* kApplicationKey = R"(Software\Velmora\ChronalignRegistryTest)";
constexpr const char* kRunKey = identity::kRunKey;
constexpr const char* kRunValue = identity::kRunValueName;
constexpr const char* kStoreKey = identity::kUserSettingsKey;

struct RawValue {
    DWORD type = 0;
    std::string bytes;
};

std::optional<RawValue> Raw(HKEY root, const char* subKey, const char* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    char data[1024];
    DWORD size = sizeof data;
    const LONG status =
        ::RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    value.bytes.assign(data, size);
    return value;
}

void DeleteValue(HKEY root, const char* subKey, const char* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    ::RegDeleteValueA(key, name);
    ::RegCloseKey(key);
}

void DeleteRunValues() {
    DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    DeleteValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
}

class StoreWin32Test : public ::testing::Test {
  protected:
    void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kApplicationKey); }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kApplicationKey); }
};

TEST_F(StoreWin32Test, AMissingKeyGivesTheDefaultAndAWriteCreatesAndReplaces) {
    EXPECT_EQ(ReadSetting(kApplication, "General", "Interval", "30"), "30");
    ASSERT_TRUE(WriteSetting(kApplication, "General", "Interval", "45"));
    const auto raw = Raw(HKEY_CURRENT_USER, (kApplicationKey + "\\General"s).c_str(), "Interval");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->bytes, "45\0"s);
    EXPECT_EQ(ReadSetting(kApplication, "General", "Interval", "30"), "45");
    EXPECT_EQ(ReadSetting(kApplication, "General", "Auto", "0"), "0");
    EXPECT_EQ(ReadSetting(kApplication, "Other", "Interval", "30"), "30");

    ASSERT_TRUE(WriteSetting(kApplication, "General", "Interval", ""));
    EXPECT_EQ(ReadSetting(kApplication, "General", "Interval", "30"), "");
    const std::string longText(5000, 'x');  // beyond any first guess of a buffer
    ASSERT_TRUE(WriteSetting(kApplication, "General", "Interval", longText));
    EXPECT_EQ(ReadSetting(kApplication, "General", "Interval", "30"), longText);
}

TEST_F(StoreWin32Test, AValueThatIsNotATextGivesTheDefault) {
    ASSERT_TRUE(WriteSetting(kApplication, "General", "Auto", "1"));
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (kApplicationKey + "\\General"s).c_str(), 0,
                              KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const DWORD one = 1;
    ::RegSetValueExA(key, "Auto", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    ::RegCloseKey(key);
    EXPECT_EQ(ReadSetting(kApplication, "General", "Auto", "0"), "0");
    EXPECT_EQ(TryReadSetting(kApplication, "General", "Auto", "0"), std::nullopt);
}

class RunEntryWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::ResetWindow();
        OffsetMinutes = 0;
        AppFolder = "C:\\Program Files\\Velmora Tools\\";
        DeleteRunValues();
    }
    void TearDown() override {
        DeleteRunValues();
        for (const char* key : {"Interval", "Auto", "AutoRun", "Offset"})
            DeleteValue(HKEY_CURRENT_USER, kStoreKey, key);
        AppFolder.clear();
    }
};

TEST_F(RunEntryWin32Test, ACheckedBoxRegistersTheQuotedCommandOnceAndAClearOneEmptiesIt) {
    platform::SetValue(platform::Control::chkAutoRun, 1);
    SaveSettings();
    const auto machine = Raw(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    const auto user = Raw(HKEY_CURRENT_USER, kRunKey, kRunValue);
    ASSERT_NE(machine.has_value(), user.has_value()) << "the entry must land in one key only";
    const HKEY where = machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    std::cout << "The Run entry went to " << (machine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER")
              << "\n";
    const RawValue& value = machine ? *machine : *user;
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.bytes, "\"C:\\Program Files\\Velmora Tools\\Chronalign.exe\"\0"s);
    EXPECT_EQ(ReadSetting("Chronalign", "General", "AutoRun", ""), "1");

    platform::SetValue(platform::Control::chkAutoRun, 0);
    SaveSettings();
    const auto emptied = Raw(where, kRunKey, kRunValue);
    ASSERT_TRUE(emptied);
    EXPECT_EQ(emptied->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(emptied->bytes, "\0"s);
    EXPECT_EQ(Raw(where == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kRunKey,
                  kRunValue),
              std::nullopt);
}

}  // namespace
}  // namespace chronalign
