#include "app/options.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/program_state.h"
#include "app/run_step.h"
#include "base/identity.h"
#include "numbers/convert.h"
#include "platform/window.h"
#include "settings/run_entry.h"
#include "settings/store.h"
#include "sync/server_time.h"

namespace chronalign {

namespace {

using platform::Control;

constexpr const char* kApplication = identity::kSettingsApplication;
constexpr const char* kSection = identity::kSettingsSection;

std::optional<std::string> Read(const char* key, const char* defaultText) {
    return TryReadSetting(kApplication, kSection, key, defaultText);
}

void Write(const char* key, const std::string& text) {
    // A refused write keeps the old text; the other keys and the Run entry are still written.
    WriteSetting(kApplication, kSection, key, text);
}

// One stored setting: its key, the control that shows it, the text when none is stored, and how
// the text goes into the control and comes back out. Load and save both walk the one table.
struct Setting {
    const char* key;
    Control control;
    const char* defaultText;
    // stored: nothing when the store could not be read.
    void (*load)(const Setting& setting, const std::optional<std::string>& stored);
    std::string (*save)(const Setting& setting);
};

// An interval below one minute, stored or typed, is the default's.
void LoadInterval(const Setting& setting, const std::optional<std::string>& stored) {
    if (stored)
        platform::SetText(setting.control, *stored);
    if (ToLong(platform::GetText(setting.control)) < 1)
        platform::SetText(setting.control, setting.defaultText);
}

std::string SaveText(const Setting& setting) {
    return platform::GetText(setting.control);
}

// A stored number a box cannot hold leaves it as it was.
void LoadCheckBox(const Setting& setting, const std::optional<std::string>& stored) {
    if (!stored)
        return;
    const int value = ToInteger(*stored);
    if (platform::IsCheckBoxValue(value))
        platform::SetValue(setting.control, value);
}

std::string SaveCheckBox(const Setting& setting) {
    return std::to_string(platform::GetValue(setting.control));
}

// An offset without an entry of its own shows as the entry that subtracts nothing.
int IndexOfOffset(std::int16_t minutes) {
    return OffsetListIndex(minutes).value_or(*OffsetListIndex(0));
}

// A stored offset other than the five stays in OffsetMinutes until the next save.
void LoadOffset(const Setting& setting, const std::optional<std::string>& stored) {
    if (stored)
        OffsetMinutes = ToInteger(*stored);
    platform::SetListIndex(setting.control, IndexOfOffset(OffsetMinutes));
}

std::string SaveOffset(const Setting&) {
    return std::to_string(OffsetMinutes);
}

constexpr std::array<Setting, 4> kSettings{{
    {"Interval", Control::txtInterval, "30", LoadInterval, SaveText},
    {"Auto", Control::chkAuto, "0", LoadCheckBox, SaveCheckBox},
    {"AutoRun", Control::chkAutoRun, "0", LoadCheckBox, SaveCheckBox},
    {"Offset", Control::cmbOffset, "0", LoadOffset, SaveOffset},
}};

// Quoted, so that a folder with blanks cannot be read as a shorter program with arguments.
std::string RunCommand() {
    return "\"" + AppFolder + identity::kProgramFile + "\"";
}

void WriteRunEntry() {
    const bool autoRun = platform::GetValue(Control::chkAutoRun) == 1;
    SetRunValue(identity::kRunKey, identity::kRunValueName, autoRun ? RunCommand() : std::string(),
                platform::kRegSz);
}

void TakeOffsetFromList() {
    const int index = platform::GetListIndex(Control::cmbOffset);
    if (index >= 0 && index < static_cast<int>(kOffsetList.size()))
        OffsetMinutes = kOffsetList[static_cast<std::size_t>(index)].minutes;
}

}  // namespace

void LoadSettings() {
    for (const Setting& setting : kSettings)
        RunStep([&setting] { setting.load(setting, Read(setting.key, setting.defaultText)); });
}

void SaveSettings() {
    RunStep(TakeOffsetFromList);
    for (const Setting& setting : kSettings)
        RunStep([&setting] { Write(setting.key, setting.save(setting)); });
    RunStep(WriteRunEntry);
}

}  // namespace chronalign
