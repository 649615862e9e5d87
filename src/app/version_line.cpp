#include "app/version_line.h"

namespace chronalign {

std::string VersionLine(const platform::VersionNumbers& version) {
    return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) +
           " Build " + std::to_string(version.revision);
}

}  // namespace chronalign
