// The program's settings in the registry of the test prefix, as the driver sees them. The
// backup puts every value a test may touch back as it found it, whatever the test's outcome.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/identity.h"

namespace e2e {

inline constexpr const char* kSettingsKey = chronalign::identity::kUserSettingsKey;
inline constexpr const char* kRunKey = chronalign::identity::kRunKey;
inline constexpr const char* kRunValue = chronalign::identity::kRunValueName;

struct StoredValue {
    DWORD type = REG_NONE;
    std::string data;  // the bytes as stored (a REG_SZ with its NUL)
};

std::optional<StoredValue> ReadValue(HKEY root, const char* key, const char* name);

// A REG_SZ setting's text, or nothing when it is missing or of another type.
std::optional<std::string> ReadSetting(const char* name);

bool WriteSetting(const char* name, const std::string& text);
void DeleteSetting(const char* name);

class SettingsBackup {
  public:
    SettingsBackup();
    ~SettingsBackup();

    SettingsBackup(const SettingsBackup&) = delete;
    SettingsBackup& operator=(const SettingsBackup&) = delete;

  private:
    struct Saved {
        HKEY root;
        const char* key;
        const char* name;
        std::optional<StoredValue> value;
    };
    std::vector<Saved> saved_;
    bool settingsKeyExisted_ = false;
};

}  // namespace e2e
