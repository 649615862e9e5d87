#include "app/app_folder.h"

#include "platform/locale.h"

namespace chronalign {

namespace {

// Where the text's last separator character lies, or npos. Character by character: on a
// double-byte code page the second byte of a character can be a backslash's byte.
std::size_t LastSeparator(std::string_view text) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (platform::IsLeadByte(text[i]))
            ++i;
        else if (text[i] == '\\' || text[i] == '/')
            last = i;
    }
    return last;
}

}  // namespace

std::string FolderOf(std::string_view path) {
    const auto slash = LastSeparator(path);
    std::string folder(slash == std::string_view::npos ? std::string_view{}
                                                       : path.substr(0, slash));
    // A drive root ("C:") had its backslash cut with the file name; every folder gets one back.
    if (folder.empty() || LastSeparator(folder) != folder.size() - 1 || folder.back() != '\\')
        folder += '\\';
    return folder;
}

}  // namespace chronalign
