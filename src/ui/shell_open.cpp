#include "ui/shell_open.h"

#include "platform/shell.h"

namespace chronalign {

void ShellOpen(const std::string& target) {
    // A missing file or browser changes nothing in the window: the result is not shown.
    platform::ShellExecuteA(0, "Open", target.c_str(), nullptr, nullptr, platform::kSwShowNormal);
}

}  // namespace chronalign
