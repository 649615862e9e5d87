// Start-up and exit.
#pragma once

#include "app/program_state.h"

namespace chronalign {

// The program's entry point: runs once, builds everything in its fixed order and returns.
// Returns at once, having loaded nothing, when another instance is running.
void StartProgram();

// Ends the program at once, without any close or unload handler running. Does not return.
[[noreturn]] void ExitProgram();

}  // namespace chronalign
