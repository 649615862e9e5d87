#pragma once

#include "base/identity.h"

namespace chronalign {

inline constexpr const char* kHomePage = identity::kHomePage;

// Both link labels back to their normal blue.
void ResetLinkColors();

}  // namespace chronalign
