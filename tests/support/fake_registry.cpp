#include "fake_registry.h"

#include <algorithm>
#include <cctype>

#include "fake_log.h"

namespace fake {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::map<platform::RegKey, std::string>& OpenKeys() {
    static std::map<platform::RegKey, std::string> keys;
    return keys;
}

platform::RegKey& NextKey() {
    static platform::RegKey next = 0x2000;
    return next;
}

std::string RootName(platform::RegKey root) {
    if (root == platform::kHkeyCurrentUser)
        return "HKCU";
    if (root == platform::kHkeyLocalMachine)
        return "HKLM";
    auto it = OpenKeys().find(root);
    return it == OpenKeys().end() ? "" : it->second;
}

bool WriteDenied(const std::string& path) {
    const auto& denied = Registry().writeDenied;
    return std::any_of(denied.begin(), denied.end(),
                       [&](const std::string& d) { return Lower(d) == Lower(path); });
}

// The stored spelling of a key path, matched without regard to case.
std::map<std::string, std::map<std::string, RegValue>>::iterator FindKey(const std::string& path) {
    auto& keys = Registry().keys;
    return std::find_if(keys.begin(), keys.end(),
                        [&](const auto& kv) { return Lower(kv.first) == Lower(path); });
}

platform::RegKey OpenHandle(const std::string& path) {
    const platform::RegKey h = NextKey()++;
    OpenKeys()[h] = path;
    return h;
}

}  // namespace

RegistryState& Registry() {
    static RegistryState state;
    return state;
}

void ResetRegistry() {
    Registry() = RegistryState{};
    Registry().keys[kRunKeyMachine];
    Registry().keys[kRunKeyUser];
    OpenKeys().clear();
    NextKey() = 0x2000;
}

std::optional<RegValue> ValueAt(const std::string& keyPath, const std::string& valueName) {
    auto key = FindKey(keyPath);
    if (key == Registry().keys.end())
        return std::nullopt;
    auto v = key->second.find(Lower(valueName));
    if (v == key->second.end())
        return std::nullopt;
    return v->second;
}

std::optional<std::string> StringAt(const std::string& keyPath, const std::string& valueName) {
    auto v = ValueAt(keyPath, valueName);
    if (!v || v->type != platform::kRegSz)
        return std::nullopt;
    std::string text = v->data;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

void PutString(const std::string& keyPath, const std::string& valueName, const std::string& text) {
    auto key = FindKey(keyPath);
    auto& values = key == Registry().keys.end() ? Registry().keys[keyPath] : key->second;
    values[Lower(valueName)] = {platform::kRegSz, text + '\0'};
}

bool KeyExists(const std::string& keyPath) {
    return FindKey(keyPath) != Registry().keys.end();
}

std::size_t OpenHandleCount() {
    return OpenKeys().size();
}

}  // namespace fake

namespace platform {

long RegOpenKeyExA(RegKey root, const char* subKey, std::uint32_t options, std::uint32_t access,
                   RegKey* result) {
    const std::string path = fake::RootName(root) + "\\" + subKey;
    fake::Record("RegOpenKeyExA " + path + " " + std::to_string(options) + " " +
                 std::to_string(access));
    *result = 0;
    if (fake::RootName(root).empty())
        return kErrorInvalidHandle;
    auto key = fake::FindKey(path);
    if (key == fake::Registry().keys.end())
        return kErrorFileNotFound;
    if ((access & kKeySetValue) && fake::WriteDenied(path))
        return kErrorAccessDenied;
    *result = fake::OpenHandle(key->first);
    return kErrorSuccess;
}

long RegCreateKeyExA(RegKey root, const char* subKey, std::uint32_t access, RegKey* result) {
    const std::string path = fake::RootName(root) + "\\" + subKey;
    fake::Record("RegCreateKeyExA " + path + " " + std::to_string(access));
    *result = 0;
    if (fake::RootName(root).empty())
        return kErrorInvalidHandle;
    if ((access & kKeySetValue) && fake::WriteDenied(path))
        return kErrorAccessDenied;
    auto key = fake::FindKey(path);
    if (key == fake::Registry().keys.end()) {
        fake::Registry().keys[path];
        key = fake::FindKey(path);
    }
    *result = fake::OpenHandle(key->first);
    return kErrorSuccess;
}

long RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type, std::string* data) {
    auto open = fake::OpenKeys().find(key);
    fake::Record("RegQueryValueExA " + (open == fake::OpenKeys().end() ? "?" : open->second) + " " +
                 valueName);
    if (open == fake::OpenKeys().end())
        return kErrorInvalidHandle;
    if (fake::Registry().queriesFail)
        return kErrorAccessDenied;
    auto value = fake::ValueAt(open->second, valueName);
    if (!value)
        return kErrorFileNotFound;
    *type = value->type;
    *data = value->data;
    return kErrorSuccess;
}

long RegSetValueExA(RegKey key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t size) {
    auto open = fake::OpenKeys().find(key);
    const std::string path = open == fake::OpenKeys().end() ? "" : open->second;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fake::Record("RegSetValueExA " + (path.empty() ? "?" : path) + " " + valueName + " " +
                 std::to_string(type) + " " + std::to_string(size));
    fake::Registry().setCalls.push_back({key, path, valueName, reserved, type, bytes, size});
    if (path.empty())
        return kErrorInvalidHandle;
    if (fake::Registry().failingSets.contains(fake::Lower(valueName)))
        return kErrorAccessDenied;
    fake::FindKey(path)->second[fake::Lower(valueName)] = {type, bytes};
    return kErrorSuccess;
}

long RegCloseKey(RegKey key) {
    fake::Record("RegCloseKey " + std::to_string(key));
    return fake::OpenKeys().erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace platform
