#include "settings_store.h"

namespace e2e {

namespace {

constexpr const char* kSettingNames[] = {"TimePage", "Interval", "Auto", "AutoRun", "Offset"};

// An open registry key, closed when it goes.
class Key {
  public:
    Key(HKEY root, const char* path, REGSAM access, bool create) {
        const LONG status =
            create ? ::RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &key_, nullptr)
                   : ::RegOpenKeyExA(root, path, 0, access, &key_);
        if (status != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key() {
        if (key_ != nullptr)
            ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

void WriteValue(HKEY root, const char* key, const char* name, const StoredValue& value) {
    Key open(root, key, KEY_SET_VALUE, true);
    if (open.get() != nullptr)
        ::RegSetValueExA(open.get(), name, 0, value.type,
                         reinterpret_cast<const BYTE*>(value.data.data()),
                         static_cast<DWORD>(value.data.size()));
}

void DeleteValue(HKEY root, const char* key, const char* name) {
    Key open(root, key, KEY_SET_VALUE, false);
    if (open.get() != nullptr)
        ::RegDeleteValueA(open.get(), name);
}

}  // namespace

std::optional<StoredValue> ReadValue(HKEY root, const char* key, const char* name) {
    Key open(root, key, KEY_QUERY_VALUE, false);
    DWORD type = 0;
    DWORD size = 0;
    if (open.get() == nullptr ||
        ::RegQueryValueExA(open.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value{type, std::string(size, '\0')};
    if (::RegQueryValueExA(open.get(), name, nullptr, &type,
                           reinterpret_cast<BYTE*>(value.data.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

std::optional<std::string> ReadSetting(const char* name) {
    auto value = ReadValue(HKEY_CURRENT_USER, kSettingsKey, name);
    if (!value || value->type != REG_SZ)
        return std::nullopt;
    std::string text = value->data;
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

bool WriteSetting(const char* name, const std::string& text) {
    Key open(HKEY_CURRENT_USER, kSettingsKey, KEY_SET_VALUE, true);
    return open.get() != nullptr &&
           ::RegSetValueExA(open.get(), name, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

void DeleteSetting(const char* name) {
    DeleteValue(HKEY_CURRENT_USER, kSettingsKey, name);
}

SettingsBackup::SettingsBackup() {
    settingsKeyExisted_ = Key(HKEY_CURRENT_USER, kSettingsKey, KEY_READ, false).get() != nullptr;
    for (const char* name : kSettingNames)
        saved_.push_back({HKEY_CURRENT_USER, kSettingsKey, name,
                          ReadValue(HKEY_CURRENT_USER, kSettingsKey, name)});
    // Every save rewrites the start-with-Windows entry, in the machine's key or the user's.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        saved_.push_back({root, kRunKey, kRunValue, ReadValue(root, kRunKey, kRunValue)});
}

SettingsBackup::~SettingsBackup() {
    for (const Saved& s : saved_) {
        if (s.value)
            WriteValue(s.root, s.key, s.name, *s.value);
        else
            DeleteValue(s.root, s.key, s.name);
    }
    if (!settingsKeyExisted_)
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

}  // namespace e2e
