// The program's "TimePage" setting in the test prefix's store, pointed at a test's page for the
// life of the holder.
#pragma once

#include <windows.h>

#include <string>

#include "base/identity.h"
#include "settings/store.h"

namespace chronalign {

// Points the program at the test's page through the store, and takes the value away after.
class TimePageSetting {
  public:
    explicit TimePageSetting(const std::string& url) {
        ok_ = WriteSetting(identity::kSettingsApplication, identity::kSettingsSection, "TimePage",
                           url);
    }
    ~TimePageSetting() {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, identity::kUserSettingsKey, 0, KEY_SET_VALUE,
                            &key) == ERROR_SUCCESS) {
            ::RegDeleteValueA(key, "TimePage");
            ::RegCloseKey(key);
        }
    }
    TimePageSetting(const TimePageSetting&) = delete;
    TimePageSetting& operator=(const TimePageSetting&) = delete;
    bool ok() const { return ok_; }

  private:
    bool ok_ = false;
};

}  // namespace chronalign
