#include "app/options.h"

#include <cstdint>
#include <optional>
#include <string>

#include "app/run_step.h"
#include "app/start_program.h"
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
constexpr const char* kRunSubKey = R"(Software\Microsoft\Windows\CurrentVersion\Run)";

constexpr int kNeutralIndex = 2;

std::optional<std::string> Read(const char* key, const char* defaultText) {
    return TryReadSetting(kApplication, kSection, key, defaultText);
}

void Write(const char* key, const std::string& text) {
    // A refused write keeps the old text; the other keys and the Run entry are still written.
    WriteSetting(kApplication, kSection, key, text);
}

void LoadInterval() {
    if (const auto text = Read("Interval", "30"))
        platform::SetText(Control::txtInterval, *text);
    if (ToLong(platform::GetText(Control::txtInterval)) < 1)
        platform::SetText(Control::txtInterval, "30");
}

// A stored number a box cannot hold leaves it as it was.
void LoadCheckBox(Control box, const char* key) {
    const auto text = Read(key, "0");
    if (!text)
        return;
    const int value = ToInteger(*text);
    if (platform::IsCheckBoxValue(value))
        platform::SetValue(box, value);
}

// -60, -30, 30 and 60 have entries of their own; anything else shows as "0 (default)".
int IndexOfOffset(std::int16_t minutes) {
    for (int index : {0, 1, 3, 4})
        if (kOffsetListMinutes[static_cast<std::size_t>(index)] == minutes)
            return index;
    return kNeutralIndex;
}

void LoadOffset() {
    if (const auto text = Read("Offset", "0"))
        OffsetMinutes = ToInteger(*text);
    // A stored offset other than the five stays in OffsetMinutes until the next save.
    platform::SetListIndex(Control::cmbOffset, IndexOfOffset(OffsetMinutes));
}

// Quoted, so that a folder with blanks cannot be read as a shorter program with arguments.
std::string RunCommand() {
    return "\"" + AppFolder + identity::kProgramFile + "\"";
}

void WriteRunEntry() {
    const bool autoRun = platform::GetValue(Control::chkAutoRun) == 1;
    SetRunValue(kRunSubKey, identity::kRunValueName, autoRun ? RunCommand() : std::string(),
                platform::kRegSz);
}

void TakeOffsetFromList() {
    const int index = platform::GetListIndex(Control::cmbOffset);
    if (index >= 0 && index < static_cast<int>(kOffsetListMinutes.size()))
        OffsetMinutes = kOffsetListMinutes[static_cast<std::size_t>(index)];
}

void WriteBox(Control box, const char* key) {
    Write(key, std::to_string(platform::GetValue(box)));
}

}  // namespace

void LoadSettings() {
    RunStep(LoadInterval);
    RunStep([] { LoadCheckBox(Control::chkAuto, "Auto"); });
    RunStep([] { LoadCheckBox(Control::chkAutoRun, "AutoRun"); });
    RunStep(LoadOffset);
}

void SaveSettings() {
    RunStep(TakeOffsetFromList);
    RunStep([] { Write("Interval", platform::GetText(Control::txtInterval)); });
    RunStep([] { WriteBox(Control::chkAuto, "Auto"); });
    RunStep([] { WriteBox(Control::chkAutoRun, "AutoRun"); });
    RunStep([] { Write("Offset", std::to_string(OffsetMinutes)); });
    RunStep(WriteRunEntry);
}

}  // namespace chronalign
