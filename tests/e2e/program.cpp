#include "program.h"

#include <string>
#include <vector>

#include "base/identity.h"
#include "wait.h"
#include "wine_path.h"

namespace e2e {

namespace {

constexpr const char* kMainClass = chronalign::identity::kWindowClass;

struct WindowQuery {
    DWORD processId = 0;  // 0: any process
    const char* className = nullptr;
    const char* title = nullptr;  // null: any title
    bool visibleOnly = false;
    std::vector<HWND> found;
};

bool Matches(HWND window, const WindowQuery& query) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (std::string(name) != query.className)
        return false;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (query.processId != 0 && owner != query.processId)
        return false;
    if (query.visibleOnly && !::IsWindowVisible(window))
        return false;
    if (query.title == nullptr)
        return true;
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return std::string(text) == query.title;
}

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
    auto& query = *reinterpret_cast<WindowQuery*>(parameter);
    if (Matches(window, query))
        query.found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(WindowQuery query) {
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

}  // namespace

Program::Program() : Program(DosPath(CHRONALIGN_EXE)) {}

Program::Program(const std::string& exe, const std::string& arguments) {
    const std::string folder = FolderOfPath(exe);
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info))
        return;
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
}

Program::~Program() {
    if (process_ == nullptr)
        return;
    if (Running()) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
}

bool Program::Running() const {
    return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(std::chrono::milliseconds timeout, DWORD* exitCode) const {
    if (process_ == nullptr ||
        ::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return false;
    if (exitCode != nullptr)
        ::GetExitCodeProcess(process_, exitCode);
    return true;
}

HWND Program::WaitForMainWindow(std::chrono::milliseconds timeout) const {
    HWND window = nullptr;
    WaitUntil(
        [&] {
            const auto found = TopLevelWindows({id_, kMainClass, nullptr, false, {}});
            window = found.empty() ? nullptr : found.front();
            return window != nullptr || !Running();
        },
        timeout);
    return window;
}

int CountMainWindows() {
    return static_cast<int>(TopLevelWindows({0, kMainClass, nullptr, false, {}}).size());
}

HWND FindProcessWindow(DWORD processId, const char* className, const char* title) {
    const auto found = TopLevelWindows({processId, className, title, true, {}});
    return found.empty() ? nullptr : found.front();
}

}  // namespace e2e
