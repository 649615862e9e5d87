// The four user settings: loaded into the window's controls at start-up, saved back on every
// offset change and close request.
#pragma once

namespace chronalign {

void LoadSettings();
void SaveSettings();

}  // namespace chronalign
