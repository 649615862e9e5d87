#include "fake_process.h"

#include "fake_log.h"

namespace fake {

ProcessState& Process() {
    static ProcessState state;
    return state;
}

void ResetProcess() {
    Process() = ProcessState{};
}

}  // namespace fake

namespace platform {

bool ClaimSingleInstance() {
    fake::Record("ClaimSingleInstance");
    ++fake::Process().instanceClaims;
    return !fake::Process().otherInstanceRunning;
}

std::string ExecutablePath() {
    return fake::Process().executablePath;
}

std::optional<VersionNumbers> ProgramVersion() {
    return fake::Process().version;
}

std::string ProductName() {
    return fake::Process().productName;
}

std::string ProgramTitle() {
    return fake::Process().title;
}

void ExitProcessNow() {
    fake::Record("ExitProcessNow");
    ++fake::Process().exits;
    throw fake::ProgramExited{};
}

}  // namespace platform
