// A handle that closes itself with its kind's own closing call, so that no way out of a
// procedure leaks one. A handle that was never opened (null, or INVALID_HANDLE_VALUE as some
// calls report a failure) is never closed.
#pragma once

#include <windows.h>

namespace platform {

template <typename T, BOOL(WINAPI* Close)(T)>
class Owned {
  public:
    Owned() = default;
    explicit Owned(T h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Owned() {
        if (h_)
            Close(h_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    T h_ = nullptr;
};

using Handle = Owned<HANDLE, ::CloseHandle>;

}  // namespace platform
