#include "app/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_folder.h"
#include "base/identity.h"
#include "reset_fakes.h"

namespace chronalign {
namespace {

using namespace std::string_literals;
using platform::Control;

class SettingsTest : public fake::FakePlatformTest {
  protected:
    void SetUp() override {
        FakePlatformTest::SetUp();
        // The window as the start-up has it when it loads the settings.
        fake::Window().loaded = true;
        for (const char* entry : {"-60 mins", "-30 mins", "0 (default)", "+30 mins", "+60 mins"})
            platform::AddItem(Control::cmbOffset, entry);
        AppFolder = "C:\\Tools\\";
    }

    static void Store(const char* key, const char* text) {
        fake::PutString(fake::kStoreKey, key, text);
    }
    static std::optional<std::string> Stored(const char* key) {
        return fake::StringAt(fake::kStoreKey, key);
    }
    static std::optional<fake::RegValue> RunValue(
        const std::string& runKey = fake::kRunKeyMachine) {
        return fake::ValueAt(runKey, identity::kRunValueName);
    }
    static fake::ControlState& Of(Control c) { return fake::ControlOf(c); }
};

fake::RegValue Sz(const std::string& text) {
    return {platform::kRegSz, text + '\0'};
}

TEST_F(SettingsTest, TheFirstRunShowsTheDefaultsAndWritesNothing) {
    EXPECT_EQ(Of(Control::txtInterval).text, "15");  // as designed
    LoadSettings();
    EXPECT_EQ(Of(Control::txtInterval).text, "30");
    EXPECT_EQ(Of(Control::chkAuto).value, 0);
    EXPECT_EQ(Of(Control::chkAutoRun).value, 0);
    EXPECT_EQ(OffsetMinutes, 0);
    EXPECT_EQ(Of(Control::cmbOffset).listIndex, 2);
    EXPECT_TRUE(fake::Registry().setCalls.empty());
    EXPECT_TRUE(fake::LogOf("RegCreateKeyExA").empty());
    EXPECT_EQ(fake::Window().doEvents, 0);
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(SettingsTest, AnIntervalBelowOneIsShownAndNextSavedAsThirty) {
    for (const char* stored : {"0", "-5", "", "letters", " -1 ", "0.4"}) {
        SCOPED_TRACE(stored);
        Store("Interval", stored);
        LoadSettings();
        EXPECT_EQ(Of(Control::txtInterval).text, "30");
        EXPECT_EQ(Stored("Interval"), stored);  // the load itself writes nothing back
        SaveSettings();
        EXPECT_EQ(Stored("Interval"), "30");
    }
    Store("Interval", "45");
    LoadSettings();
    EXPECT_EQ(Of(Control::txtInterval).text, "45");
    SaveSettings();
    EXPECT_EQ(Stored("Interval"), "45");
}

TEST_F(SettingsTest, TheIntervalIsSavedAsTypedAndCorrectedAtTheNextStart) {
    LoadSettings();
    platform::SetText(Control::txtInterval, " ten minutes ");
    SaveSettings();
    EXPECT_EQ(Stored("Interval"), " ten minutes ");
    fake::ResetWindow();
    LoadSettings();
    EXPECT_EQ(Of(Control::txtInterval).text, "30");
}

TEST_F(SettingsTest, AStoredOffsetSelectsItsEntryOrShowsTheDefaultOne) {
    const struct {
        const char* stored;
        int minutes;
        int index;
    } cases[] = {{"-60", -60, 0},     {"-30", -30, 1}, {"0", 0, 2},   {"30", 30, 3},
                 {"60", 60, 4},       {"abc", 0, 2},   {"15", 15, 2}, {"+30", 30, 3},
                 {"-1440", -1440, 2}, {"40000", 0, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Store("Offset", c.stored);
        OffsetMinutes = 0;
        LoadSettings();
        EXPECT_EQ(OffsetMinutes, c.minutes);
        EXPECT_EQ(Of(Control::cmbOffset).listIndex, c.index);
    }
}

TEST_F(SettingsTest, AnOffsetOutsideTheListLastsUntilTheNextSave) {
    Store("Offset", "15");
    LoadSettings();
    EXPECT_EQ(OffsetMinutes, 15);
    SaveSettings();
    EXPECT_EQ(OffsetMinutes, 0);
    EXPECT_EQ(Stored("Offset"), "0");
}

TEST_F(SettingsTest, TheSelectedEntrySetsTheOffsetAndIsStoredAsAPlainNumber) {
    LoadSettings();
    const std::vector<std::string> expected = {"-60", "-30", "0", "30", "60"};
    for (int index = 0; index < 5; ++index) {
        platform::SetListIndex(Control::cmbOffset, index);
        SaveSettings();
        EXPECT_EQ(Stored("Offset"), expected[static_cast<std::size_t>(index)]);
        EXPECT_EQ(OffsetMinutes, std::stoi(expected[static_cast<std::size_t>(index)]));
    }
    // Nothing selected leaves the offset as it was.
    OffsetMinutes = 15;
    Of(Control::cmbOffset).listIndex = -1;
    SaveSettings();
    EXPECT_EQ(OffsetMinutes, 15);
    EXPECT_EQ(Stored("Offset"), "15");
}

TEST_F(SettingsTest, ABoxTakesZeroOneOrTwoAndIsLeftAsItWasOtherwise) {
    Store("Auto", "1");
    Store("AutoRun", "2");
    LoadSettings();
    EXPECT_EQ(Of(Control::chkAuto).value, 1);
    EXPECT_EQ(Of(Control::chkAutoRun).value, 2);  // grayed

    for (const char* stored : {"5", "-1", "3", "32767"}) {
        SCOPED_TRACE(stored);
        Store("Auto", stored);
        Store("AutoRun", stored);
        Of(Control::chkAuto).value = 1;
        Of(Control::chkAutoRun).value = 0;
        LoadSettings();
        EXPECT_EQ(Of(Control::chkAuto).value, 1);
        EXPECT_EQ(Of(Control::chkAutoRun).value, 0);
    }
    // Out of the 16-bit range the conversion gives 0, which the box does take.
    Store("Auto", "65537");
    LoadSettings();
    EXPECT_EQ(Of(Control::chkAuto).value, 0);
}

TEST_F(SettingsTest, AnAutoOfFiveIsSavedAsTheClearBoxItLeft) {
    Store("Auto", "5");
    LoadSettings();
    EXPECT_EQ(Of(Control::chkAuto).value, 0);
    SaveSettings();
    EXPECT_EQ(Stored("Auto"), "0");
}

TEST_F(SettingsTest, AGrayedAutoRunIsKeptAndEmptiesTheRunEntry) {
    fake::PutString(fake::kRunKeyMachine, identity::kRunValueName, "\"C:\\Tools\\Chronalign.exe\"");
    Store("AutoRun", "2");
    LoadSettings();
    SaveSettings();
    EXPECT_EQ(Stored("AutoRun"), "2");
    EXPECT_EQ(RunValue(), Sz(""));
}

TEST_F(SettingsTest, ACheckedAutoRunWritesTheQuotedCommandOfTheFixedFileName) {
    LoadSettings();
    platform::SetValue(Control::chkAutoRun, 1);
    SaveSettings();
    EXPECT_EQ(RunValue(), Sz("\"C:\\Tools\\Chronalign.exe\""));
    EXPECT_EQ(Stored("AutoRun"), "1");

    AppFolder = "C:\\Program Files\\Velmora Tools\\";
    SaveSettings();
    EXPECT_EQ(RunValue(), Sz("\"C:\\Program Files\\Velmora Tools\\Chronalign.exe\""));

    // Renamed or copied, the program still registers the name it ships under.
    AppFolder = FolderOf("D:\\Apps\\chronalign-copy (2).exe");
    SaveSettings();
    EXPECT_EQ(RunValue(), Sz("\"D:\\Apps\\Chronalign.exe\""));

    platform::SetValue(Control::chkAutoRun, 0);
    SaveSettings();
    EXPECT_EQ(RunValue(), Sz(""));  // kept and emptied, never deleted
}

TEST_F(SettingsTest, AnOrdinaryUsersEntryGoesToTheirOwnRunKey) {
    fake::Registry().writeDenied = {fake::kRunKeyMachine};
    LoadSettings();
    platform::SetValue(Control::chkAutoRun, 1);
    SaveSettings();
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_EQ(RunValue(fake::kRunKeyUser), Sz("\"C:\\Tools\\Chronalign.exe\""));
    EXPECT_EQ(Stored("AutoRun"), "1");
}

TEST_F(SettingsTest, ASaveWritesTheFourKeysThenTheRunEntryInOrder) {
    LoadSettings();
    SaveSettings();
    std::vector<std::string> names;
    for (const auto& call : fake::Registry().setCalls) names.push_back(call.valueName);
    EXPECT_EQ(names, (std::vector<std::string>{"Interval", "Auto", "AutoRun", "Offset",
                                               identity::kRunValueName}));
    EXPECT_EQ(fake::Window().doEvents, 0);
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(SettingsTest, AStoreThatCannotBeReadLeavesTheControlsAsDesigned) {
    Store("Interval", "45");
    Store("Auto", "1");
    Store("AutoRun", "1");
    Store("Offset", "30");
    fake::Registry().queriesFail = true;
    LoadSettings();
    EXPECT_EQ(Of(Control::txtInterval).text, "15");
    EXPECT_EQ(Of(Control::chkAuto).value, 0);
    EXPECT_EQ(Of(Control::chkAutoRun).value, 0);
    EXPECT_EQ(OffsetMinutes, 0);
    EXPECT_EQ(Of(Control::cmbOffset).listIndex, 2);
}

TEST_F(SettingsTest, AWriteThatFailsKeepsItsOldTextAndTheRestIsStillWritten) {
    Store("Auto", "1");
    LoadSettings();
    platform::SetValue(Control::chkAuto, 0);
    platform::SetValue(Control::chkAutoRun, 1);
    platform::SetListIndex(Control::cmbOffset, 4);
    fake::Registry().failingSets = {"auto"};
    SaveSettings();
    EXPECT_EQ(Stored("Auto"), "1");
    EXPECT_EQ(Stored("AutoRun"), "1");
    EXPECT_EQ(Stored("Offset"), "60");
    EXPECT_EQ(RunValue(), Sz("\"C:\\Tools\\Chronalign.exe\""));
}

}  // namespace
}  // namespace chronalign
