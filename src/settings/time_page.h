// Where the time page is: the user's own choice, else the machine's, else the maker's.
#pragma once

#include <string>

namespace chronalign {

// The address of the time page: the user's "TimePage" text in the settings store when it is
// there and not empty; else the machine-wide "TimePage" text under
// HKEY_LOCAL_MACHINE\Software\Velmora\Chronalign (the installer's TIMEPAGE, or an
// administrator's) when it is there and not empty; else the maker's time page. Reads only.
std::string TimePageAddress();

// The machine-wide address alone, for the time service, which never reads a user's: the
// machine-wide "TimePage" text when it is there and not empty, else the maker's time page.
std::string MachineTimePageAddress();

}  // namespace chronalign
