// A handle that closes itself with its kind's own closing call, so that no way out of a
// procedure leaks one. A handle that was never opened (null, or INVALID_HANDLE_VALUE as some
// calls report a failure) is never closed.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

template <typename T, BOOL(WINAPI* Close)(T)>
class Owned {
  public:
    Owned() = default;
    explicit Owned(T h) : h_(Valid(h)) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }

    // Closes the handle held, if any, and holds h instead.
    void reset(T h = nullptr) {
        if (h_)
            Close(h_);
        h_ = Valid(h);
    }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    static T Valid(T h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

    T h_ = nullptr;
};

using Handle = Owned<HANDLE, ::CloseHandle>;

template <typename T>
BOOL WINAPI DeleteGdiObject(T object) {
    return ::DeleteObject(object);
}

// A font, brush or bitmap.
template <typename T>
using GdiObject = Owned<T, DeleteGdiObject<T>>;

// A registry key; RegCloseKey answers with a status rather than a BOOL.
inline BOOL WINAPI CloseRegistryKey(HKEY key) {
    return ::RegCloseKey(key) == ERROR_SUCCESS;
}
using RegistryKey = Owned<HKEY, CloseRegistryKey>;

using Icon = Owned<HICON, ::DestroyIcon>;
using Menu = Owned<HMENU, ::DestroyMenu>;

}  // namespace platform
