// The process facility: the program's own identity and the way out.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Claims the named kernel object that marks a running instance of this program. Returns false
// when another instance already holds it. The claim lasts until the process ends.
bool ClaimSingleInstance();

// The full path of the running executable, as the system reports it.
std::string ExecutablePath();

struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The file version from the program's own version resource (major, minor, and its last
// number as the revision), or nothing when the resource cannot be read.
std::optional<VersionNumbers> ProgramVersion();

// Texts of the same version information, empty when it cannot be read: the product name
// ("Velmora Chronalign") and the program's title ("Chronalign").
std::string ProductName();
std::string ProgramTitle();

// Ends the process at once: no window handler runs, and no library is told (none may then wait
// for a worker still inside it). Does not return.
[[noreturn]] void ExitProcessNow();

}  // namespace platform
