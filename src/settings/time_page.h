// Where the time page is: the administrators' policy, else the user's own choice, else the
// machine's, else the maker's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace chronalign {

// The address of the time page: the "TimePage" text under
// HKEY_LOCAL_MACHINE\Software\Policies\Velmora\Chronalign (Group Policy's, one key for 32-bit
// and 64-bit programs alike) when it is there and not empty; else the user's "TimePage" text in
// the settings store when it is there and not empty; else the machine-wide "TimePage" text under
// HKEY_LOCAL_MACHINE\Software\Velmora\Chronalign (the installer's TIMEPAGE; a 32-bit program's
// view, which 64-bit Windows keeps under Software\WOW6432Node) when it is there and not empty;
// else the maker's time page. Reads only.
std::string TimePageAddress();

// The machine-wide address alone, for the time service, which never reads a user's: the
// policy's "TimePage", else the machine's, when there and not empty, else the maker's time page.
std::string MachineTimePageAddress();

// The most pages one synchronization measures: they are measured side by side, each keeping a
// connection of its own open, and the program's WinINet opens no more than four at once through
// a proxy (its default for INTERNET_OPTION_MAX_CONNS_PER_PROXY): a fifth would wait for one of
// them, perhaps past the deadline.
inline constexpr std::size_t kMostTimePages = 4;

// The addresses a "TimePage" text lists, separated by spaces (or tabs), in their order: the first
// kMostTimePages, the rest left out. None for a text of blanks, which names no page.
std::vector<std::string> ListedPages(std::string_view text);

}  // namespace chronalign
