// Texts between the ANSI code page, in which the portable code's strings are, and the UTF-16 of
// the calls that take or give only wide texts.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

inline std::wstring Widen(const std::string& text) {
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(static_cast<std::size_t>(size - 1));
    return wide;
}

inline std::string Narrow(const wchar_t* wide) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size - 1));
    return text;
}

}  // namespace platform::win32
