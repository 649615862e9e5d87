#pragma once

#include <string>

namespace chronalign {

// Asks the shell to open a file or address with its "Open" verb; does not wait.
void ShellOpen(const std::string& target);

}  // namespace chronalign
