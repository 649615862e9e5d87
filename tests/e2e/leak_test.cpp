// A thousand "Check"s leave the program's handles, GDI and USER objects and memory where they
// were after the first ten. Windows reports the first three of another process; Wine reports
// none of them, so there the Unix process's open descriptors and resident memory are read from
// /proc. A measure that never moves proves nothing: each is first shown to move under a
// deliberate leak, in the driver's own process.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "program_test.h"

namespace e2e {
namespace {

using platform::Control;

struct Measure {
    long handles = 0, gdi = 0, user = 0;   // as Windows reports them (0 where it does not)
    long descriptors = 0, residentKb = 0;  // the Unix process's, under Wine
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool HasVariable(const std::string& procFolder, const std::string& variable) {
    std::ifstream environment(procFolder + "\\environ", std::ios::binary);
    for (std::string entry; std::getline(environment, entry, '\0');)
        if (Lower(entry) == variable)
            return true;
    return false;
}

// The /proc folder of the Unix process that runs the named program in this Wine prefix (the
// end-to-end tests run alone, so there is one). Not /proc/self: under Wine that is the server's,
// since the server opens files for its processes.
std::string ProcFolderOf(const std::string& exeName) {
    const char* prefix = std::getenv("WINEPREFIX");
    const std::string variable = Lower(std::string("WINEPREFIX=") + (prefix ? prefix : ""));
    auto runs = [&](const std::string& folder) {
        std::string first;
        std::getline(std::ifstream(folder + "\\cmdline", std::ios::binary), first, '\0');
        return Lower(first).ends_with(exeName) && HasVariable(folder, variable);
    };
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &found);
    std::string folder;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && folder.empty();
         more = ::FindNextFileA(search, &found)) {
        const std::string candidate = std::string("Z:\\proc\\") + found.cFileName;
        if (std::isdigit(static_cast<unsigned char>(found.cFileName[0])) && runs(candidate))
            folder = candidate;
    }
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    return folder;
}

long CountEntries(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    long n = 0;
    do n += found.cFileName[0] != '.';
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return n;
}

long ResidentKb(const std::string& folder) {
    std::ifstream status(folder + "\\status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::atol(line.c_str() + 6);
    return 0;
}

Measure Take(HANDLE process, const std::string& procFolder) {
    Measure m;
    DWORD handles = 0;
    if (::GetProcessHandleCount(process, &handles))
        m.handles = static_cast<long>(handles);
    m.gdi = static_cast<long>(::GetGuiResources(process, GR_GDIOBJECTS));
    m.user = static_cast<long>(::GetGuiResources(process, GR_USEROBJECTS));
    m.descriptors = CountEntries(procFolder + "\\fd");
    m.residentKb = ResidentKb(procFolder);
    return m;
}

void Print(const char* when, const Measure& m) {
    std::printf("%-34s handles %5ld  GDI %4ld  USER %4ld  descriptors %4ld  resident %7ld KiB\n",
                when, m.handles, m.gdi, m.user, m.descriptors, m.residentKb);
}

TEST(LeakMeasureTest, EachMeasureMovesWhenSomethingIsLeaked) {
    const std::string self = ProcFolderOf("e2e_tests.exe");
    ASSERT_FALSE(self.empty()) << "no /proc entry for this driver";
    const Measure before = Take(::GetCurrentProcess(), self);
    // Files read once: the Wine process keeps a descriptor for each open handle it has used.
    std::vector<HANDLE> files;
    for (int i = 0; i < 50; ++i) {
        files.push_back(::CreateFileA((self + "\\status").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
        char byte = 0;
        DWORD read = 0;
        ::ReadFile(files.back(), &byte, 1, &read, nullptr);
    }
    const auto memory = std::make_unique<std::vector<char>>(16 << 20, 'x');  // touched: resident
    const Measure after = Take(::GetCurrentProcess(), self);
    Print("driver before its own leak", before);
    Print("driver with 50 files and 16 MiB", after);
    for (HANDLE f : files) ::CloseHandle(f);

    EXPECT_GE(after.descriptors - before.descriptors, 50);
    EXPECT_GE(after.residentKb - before.residentKb, 15 * 1024);
    if (before.handles != 0) {  // Windows, and Wine for its own process
        EXPECT_GE(after.handles - before.handles, 50);
    }
}

class LeakTest : public ProgramTest {
  protected:
    // One "Check", done when the page has been asked once more and the outcome is shown.
    bool Check(HWND window, int requestsBefore) {
        Click(ControlOf(window, Control::cmdCheckTime));
        return WaitUntil(
            [&] {
                return page_.RequestCount() > requestsBefore &&
                       TextOf(ControlOf(window, Control::lblInfo)) == "Local time is ok";
            },
            kUiTimeout, 5ms);
    }
};

TEST_F(LeakTest, AThousandChecksLeaveHandlesObjectsAndMemoryWhereTheyWere) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForText(window, Control::lblInfo, "Ready."));
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, program.Id());
    const std::string procFolder = ProcFolderOf("chronalign.exe");
    ASSERT_FALSE(procFolder.empty()) << "no /proc entry for the program";

    Measure warm;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(Check(window, page_.RequestCount())) << "check " << i + 1;
        if (i + 1 == 10)
            warm = Take(process, procFolder);
    }
    const Measure last = Take(process, procFolder);
    ::CloseHandle(process);
    Print("program after 10 checks", warm);
    Print("program after 1000 checks", last);

    EXPECT_LE(last.handles, warm.handles);
    EXPECT_LE(last.gdi, warm.gdi);
    EXPECT_LE(last.user, warm.user);
    EXPECT_LE(last.descriptors, warm.descriptors + 2);  // a lazily opened file or two
    // A leaked Internet handle a check (a few hundred bytes each) grows it by some 400 KiB.
    EXPECT_LE(last.residentKb, warm.residentKb + 256);
}

}  // namespace
}  // namespace e2e
