#pragma once

namespace chronalign {

// How many times the icon is offered again, a few times a second, when the notification area
// is not up yet (the program starts from the Run key at log-on, often before the shell).
inline constexpr int kTrayRetryLimit = 480;

}  // namespace chronalign
