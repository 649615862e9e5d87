#pragma once

namespace chronalign {

inline constexpr const char* kHomePage = "http://www.velmora.example";

// Both link labels back to their normal blue.
void ResetLinkColors();

}  // namespace chronalign
