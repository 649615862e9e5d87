// The two link labels: blue, red under the mouse, blue again over the bare window.
#pragma once

#include "base/identity.h"

namespace chronalign {

inline constexpr const char* kHomePage = identity::kHomePage;

// Both link labels back to their normal blue.
void ResetLinkColors();

void lblReadme_Click();
void lblReadme_MouseMove();
void lblWebsite_Click();
void lblWebsite_MouseMove();

}  // namespace chronalign
