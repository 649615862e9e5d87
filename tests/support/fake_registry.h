// An in-memory registry. Keys are paths below a root ("HKCU\Software\Velmora"), compared
// without regard to case, as the registry does.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/identity.h"
#include "platform/registry.h"

namespace fake {

struct RegValue {
    std::uint32_t type = 0;
    std::string data;  // the bytes as stored
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

struct SetValueCall {
    platform::RegKey key;
    std::string keyPath;  // "" for a handle that was never opened
    std::string valueName;
    std::uint32_t reserved;
    std::uint32_t type;
    std::string data;
    std::uint32_t size;
};

struct RegistryState {
    // key path (as first created) -> value name (lower case) -> value
    std::map<std::string, std::map<std::string, RegValue>> keys;
    std::set<std::string> writeDenied;  // key paths (in any case) that refuse opening for writing
    bool queriesFail = false;           // every read fails: the store cannot be read at all
    std::set<std::string> failingSets;  // value names (lower case) whose writes fail
    std::vector<SetValueCall> setCalls;
};

RegistryState& Registry();
// Empty but for the two Run keys, which every Windows has.
void ResetRegistry();

inline const std::string kRunKeyMachine = std::string(R"(HKLM\)") + chronalign::identity::kRunKey;
inline const std::string kRunKeyUser = std::string(R"(HKCU\)") + chronalign::identity::kRunKey;
inline const std::string kStoreKey =
    std::string(R"(HKCU\)") + chronalign::identity::kUserSettingsKey;
inline const std::string kMachineKey = std::string(R"(HKLM\)") + chronalign::identity::kSettingsKey;

// The value, or nothing when the key or the value is missing.
std::optional<RegValue> ValueAt(const std::string& keyPath, const std::string& valueName);
// A REG_SZ value's text without its NUL, or nothing.
std::optional<std::string> StringAt(const std::string& keyPath, const std::string& valueName);
void PutString(const std::string& keyPath, const std::string& valueName, const std::string& text);
bool KeyExists(const std::string& keyPath);
// Handles opened and not closed yet: 0 after every procedure that tidies up after itself.
std::size_t OpenHandleCount();

}  // namespace fake
