#include "app/app_folder.h"

namespace chronalign {

std::string FolderOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    std::string folder(slash == std::string_view::npos ? std::string_view{}
                                                       : path.substr(0, slash));
    // A drive root ("C:") had its backslash cut with the file name; every folder gets one back.
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

}  // namespace chronalign
