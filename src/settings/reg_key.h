// An open registry key that closes itself, so that no path out of a procedure leaks a handle and
// a key that was never opened is never closed.
#pragma once

#include "platform/registry.h"

namespace chronalign {

class RegKeyHolder {
  public:
    RegKeyHolder() = default;
    ~RegKeyHolder() { Close(); }
    RegKeyHolder(const RegKeyHolder&) = delete;
    RegKeyHolder& operator=(const RegKeyHolder&) = delete;

    // Where an opening call puts the handle; a handle held before is closed first.
    platform::RegKey* Receive() {
        Close();
        return &key_;
    }
    platform::RegKey get() const { return key_; }
    explicit operator bool() const { return key_ != 0; }

  private:
    void Close() {
        if (key_ != 0)
            platform::RegCloseKey(key_);
        key_ = 0;
    }

    platform::RegKey key_ = 0;
};

}  // namespace chronalign
