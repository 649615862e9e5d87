// Start-up and exit.
#pragma once

#include <string>

namespace chronalign {

// The folder of the running executable, always ending in exactly one backslash. Set once by
// StartProgram.
extern std::string AppFolder;

// The program's entry point: runs once, builds everything in its fixed order and returns.
// Returns at once, having loaded nothing, when another instance is running.
void StartProgram();

// Ends the program at once, without any close or unload handler running. Does not return.
[[noreturn]] void ExitProgram();

}  // namespace chronalign
