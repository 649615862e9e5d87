#pragma once

#include <string>

#include "platform/process.h"

namespace chronalign {

// "Version 1.0 Build 58" for major 1, minor 0, revision 58: plain decimals at natural width.
std::string VersionLine(const platform::VersionNumbers& version);

}  // namespace chronalign
