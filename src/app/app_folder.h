#pragma once

#include <string>
#include <string_view>

namespace chronalign {

// The folder that holds the file at path, ending in exactly one backslash: "C:\Tools\" for
// "C:\Tools\Chronalign.exe", "C:\" for "C:\Chronalign.exe".
std::string FolderOf(std::string_view path);

}  // namespace chronalign
