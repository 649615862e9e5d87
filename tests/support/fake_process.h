#pragma once

#include <optional>
#include <string>

#include "platform/process.h"

namespace fake {

// Thrown by the fake ExitProcessNow so that a test sees the program end and goes on.
struct ProgramExited {};

struct ProcessState {
    bool otherInstanceRunning = false;
    int instanceClaims = 0;
    std::string executablePath = R"(C:\Program Files\Velmora\Chronalign\Chronalign.exe)";
    std::optional<platform::VersionNumbers> version = platform::VersionNumbers{1, 0, 58};
    std::string productName = "Velmora Chronalign";
    std::string title = "Chronalign";
    int exits = 0;
};

ProcessState& Process();
void ResetProcess();

}  // namespace fake
