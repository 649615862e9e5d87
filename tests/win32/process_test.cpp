// The real process facility under Wine: the single-instance claim and the executable's path.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_folder.h"
#include "base/identity.h"
#include "platform/process.h"

namespace {

TEST(ProcessWin32Test, OnlyTheFirstClaimOfTheInstanceSucceeds) {
    EXPECT_TRUE(platform::ClaimSingleInstance());
    // The claim is a named object of the session: any later claim finds it held, from this
    // process as from another.
    EXPECT_FALSE(platform::ClaimSingleInstance());
    HANDLE held = ::OpenMutexA(SYNCHRONIZE, FALSE, chronalign::identity::kInstanceMutexName);
    EXPECT_NE(held, nullptr);
    if (held != nullptr)
        ::CloseHandle(held);
}

TEST(ProcessWin32Test, TheExecutablePathNamesThisProgramAndItsFolder) {
    char expected[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, expected, MAX_PATH), 0u);
    const std::string path = platform::ExecutablePath();
    EXPECT_EQ(path, expected);
    EXPECT_TRUE(path.ends_with("\\win32_tests.exe")) << path;

    const std::string folder = chronalign::FolderOf(path);
    EXPECT_EQ(folder + "win32_tests.exe", path);
    EXPECT_TRUE(folder.ends_with("\\")) << folder;
    EXPECT_FALSE(folder.ends_with("\\\\")) << folder;
}

TEST(ProcessWin32Test, AProgramWithoutAVersionResourceHasNoVersion) {
    // This test program carries none; the real program's line is checked from outside.
    EXPECT_FALSE(platform::ProgramVersion().has_value());
}

}  // namespace
