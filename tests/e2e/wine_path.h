// The build hands the driver Unix paths; the Windows calls under Wine want DOS ones.
#pragma once

#include <string>

namespace e2e {

// The DOS form of a Unix path, through Wine's own mapping where it offers one, else the Z:
// drive that every Wine prefix maps to the Unix root.
std::string DosPath(const std::string& unixPath);

// The folder part of a DOS path, without its last backslash.
std::string FolderOfPath(const std::string& path);

}  // namespace e2e
