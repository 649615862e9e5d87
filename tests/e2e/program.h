// The real Chronalign.exe as a child process of the driver. Whatever happens in a test, the
// holder ends the process when it goes, so no instance outlives the test that started it.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace e2e {

class Program {
  public:
    Program();  // starts the program; Started() tells whether it did
    // Starts the program at that DOS path, with the arguments given.
    explicit Program(const std::string& exe, const std::string& arguments = {});
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return process_ != nullptr; }
    bool Running() const;
    DWORD Id() const { return id_; }

    // True when the process has ended within the time; its exit code then in *exitCode.
    bool WaitForExit(std::chrono::milliseconds timeout, DWORD* exitCode = nullptr) const;

    // The program's main window, once it exists (nullptr when it does not within the time).
    HWND WaitForMainWindow(std::chrono::milliseconds timeout) const;

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The top-level windows of the main window's class, of any process.
int CountMainWindows();

// A visible top-level window of the given class (and title, unless null) in the process.
HWND FindProcessWindow(DWORD processId, const char* className, const char* title);

}  // namespace e2e
