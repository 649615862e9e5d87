// The installer package under Wine, in a 64-bit prefix of its own (in_new_prefix.sh) beside the
// shipped time page served by nginx (with_timepage.sh): installed, used, upgraded and removed
// as an administrator's silent msiexec does it. The package and these tests are 32-bit, so they
// see what the programs see under WoW64; the 64-bit view is looked at on purpose.
#include <windows.h>

#include <msi.h>
#include <shlobj.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include "base/identity.h"
#include "program_test.h"
#include "service_control.h"
#include "sync/service_messages.h"
#include "wine_path.h"

namespace e2e {
namespace {

using platform::Control;

constexpr const char* kMachineKey = chronalign::identity::kSettingsKey;
const std::string kEventSourceKey =
    std::string("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") +
    chronalign::identity::kServiceName;
constexpr DWORD kMsiexecMs = 120'000;
constexpr auto kFirstStartTimeout = 60s;

std::string NginxPage() {
    const char* url = std::getenv("CHRONALIGN_NGINX_PAGE");
    return url != nullptr ? url : "";
}

// Runs a program to its end; its exit code, or -1.
long RunToEnd(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        return -1;
    ::CloseHandle(info.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(info.hProcess, kMsiexecMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hProcess);
    return static_cast<long>(code);
}

// msiexec's exit code; -1 when it did not start or end in time.
long Msiexec(const std::string& arguments) {
    return RunToEnd("msiexec.exe " + arguments + " /qn");
}

std::string Package(const char* unixPath) {
    return "\"" + DosPath(unixPath) + "\"";
}

struct Installed {
    std::string code, version;
};

std::string ProductInfo(const std::string& code, const char* property) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    return ::MsiGetProductInfoA(code.c_str(), property, value, &size) == ERROR_SUCCESS ? value : "";
}

// Every installed version of the product, found by the code all its versions share.
std::vector<Installed> InstalledVersions() {
    std::vector<Installed> found;
    char code[39] = {};
    for (DWORD i = 0;
         ::MsiEnumRelatedProductsA(CHRONALIGN_UPGRADE_CODE, 0, i, code) == ERROR_SUCCESS; ++i)
        found.push_back({code, ProductInfo(code, INSTALLPROPERTY_VERSIONSTRING)});
    return found;
}

std::string FolderOf(int csidl) {
    char path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? path : "";
}

// Where 64-bit Windows puts a 32-bit package's files: "Program Files (x86)".
std::string InstallFolder() {
    return FolderOf(CSIDL_PROGRAM_FILESX86) + "\\" + chronalign::identity::kMaker + "\\" +
           chronalign::identity::kTitle + "\\";
}

bool UnderWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The Start-menu shortcuts named "Chronalign". Windows puts a per-machine package's into the
// machine's Programs folder; Wine's installer puts it into the user's.
std::vector<std::string> Shortcuts() {
    std::vector<std::string> found;
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        const std::string link = FolderOf(csidl) + "\\Chronalign.lnk";
        if (Exists(link))
            found.push_back(link);
    }
    return found;
}

// The file a shortcut starts; empty when it cannot be read.
std::string TargetOf(const std::string& link) {
    IShellLinkA* shellLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&shellLink))))
        return {};
    char target[MAX_PATH] = {};
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring wide(link.begin(), link.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)))
            shellLink->GetPath(target, sizeof target, nullptr, 0);
        file->Release();
    }
    shellLink->Release();
    return target;
}

// In the 32-bit view, as the programs read it, unless view says otherwise.
std::optional<std::string> TextAt(HKEY root, const char* key, const char* name, DWORD view = 0) {
    char text[1024] = {};
    DWORD size = sizeof text;
    HKEY open = nullptr;
    if (::RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | view, &open) != ERROR_SUCCESS)
        return std::nullopt;
    const LONG status = ::RegGetValueA(open, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size);
    ::RegCloseKey(open);
    return status == ERROR_SUCCESS ? std::optional<std::string>(text) : std::nullopt;
}

bool KeyExists(HKEY root, const std::string& key, DWORD view = 0) {
    HKEY open = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &open) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(open);
    return true;
}

// The machine's key as 64-bit tools (regedit, reg.exe, PowerShell) show a 32-bit program's.
const std::string kMachineKeyFor64Bit = std::string("Software\\WOW6432Node\\") +
                                        chronalign::identity::kMaker + "\\" +
                                        chronalign::identity::kTitle;

class InstallerTest : public ProgramTest {
  protected:
    // No user key: what the installed program knows, it knows from the installer.
    void SetUp() override {
        ASSERT_FALSE(NginxPage().empty()) << "run through with_timepage.sh, which starts nginx";
        ASSERT_TRUE(UnderWow64()) << "run in a 64-bit prefix";
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        ASSERT_TRUE(InstalledVersions().empty()) << "a version is installed already";
    }
    // Whatever a test left installed goes, so the next one starts from a bare machine.
    void TearDown() override {
        for (const Installed& product : InstalledVersions()) Msiexec("/x " + product.code);
        ::CoUninitialize();
    }

    static void ExpectNothingLeft() {
        EXPECT_TRUE(InstalledVersions().empty());
        EXPECT_FALSE(
            Exists(FolderOf(CSIDL_PROGRAM_FILESX86) + "\\" + chronalign::identity::kMaker));
        EXPECT_TRUE(Shortcuts().empty());
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, chronalign::identity::kSettingsRoot));
        EXPECT_FALSE(
            KeyExists(HKEY_LOCAL_MACHINE, chronalign::identity::kSettingsRoot, KEY_WOW64_64KEY));
        EXPECT_EQ(TextAt(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), std::nullopt);
        EXPECT_EQ(TextAt(HKEY_CURRENT_USER, kRunKey, kRunValue), std::nullopt);
        EXPECT_EQ(testsupport::ServiceState(), 0u) << "the time service is still registered";
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEventSourceKey));
    }

    // The installed program's window once its start-up is over, after a "Check" that found the
    // clock right.
    static HWND ShownAndChecked(Program& program) {
        // The first window in a new prefix waits for Wine to start the prefix's desktop.
        HWND window = program.WaitForMainWindow(kFirstStartTimeout);
        EXPECT_NE(window, nullptr);
        if (window == nullptr)
            return nullptr;
        EXPECT_TRUE(WaitUntil([&] { return StartUpOver(window); }, kFirstStartTimeout));
        EXPECT_TRUE(WaitForShown(window));
        Click(ControlOf(window, Control::cmdCheckTime));
        EXPECT_TRUE(WaitForText(window, Control::lblInfo, "Local time is ok"))
            << Text(window, Control::lblInfo);
        return window;
    }

    // The time service from the installed folder, registered and running.
    static void ExpectTimeServiceRunning() {
        EXPECT_TRUE(
            WaitUntil([] { return testsupport::ServiceState() == SERVICE_RUNNING; }, kUiTimeout));
        EXPECT_EQ(TextAt(HKEY_LOCAL_MACHINE, kEventSourceKey.c_str(), "EventMessageFile"),
                  InstallFolder() + "ChronalignService.exe");
    }
};

TEST_F(InstallerTest, InstallsForTheMachineWorksFromThereAndLeavesNothingWhenRemoved) {
    ASSERT_EQ(Msiexec("/i " + Package(CHRONALIGN_MSI) + " TIMEPAGE=" + NginxPage()), 0);
    const std::string folder = InstallFolder();
    const std::string exe = folder + "Chronalign.exe";
    EXPECT_TRUE(Exists(exe));
    EXPECT_TRUE(Exists(folder + "readme.txt"));
    ExpectTimeServiceRunning();
    const auto links = Shortcuts();
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(TargetOf(links.front()), exe);
    EXPECT_EQ(TextAt(HKEY_LOCAL_MACHINE, kMachineKey, "TimePage"), NginxPage());
    // Where the documents send a 64-bit tool: the programs' files and values in their WoW64
    // places, nothing in the 64-bit ones.
    EXPECT_NE(folder.find(" (x86)\\"), std::string::npos) << folder;
    EXPECT_EQ(TextAt(HKEY_LOCAL_MACHINE, kMachineKeyFor64Bit.c_str(), "TimePage", KEY_WOW64_64KEY),
              NginxPage());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineKey, KEY_WOW64_64KEY));

    // The entry in the list of installed programs.
    const auto installed = InstalledVersions();
    ASSERT_EQ(installed.size(), 1u);
    const std::string& code = installed.front().code;
    EXPECT_EQ(installed.front().version, CHRONALIGN_PACKAGE_VERSION);
    EXPECT_EQ(ProductInfo(code, INSTALLPROPERTY_INSTALLEDPRODUCTNAME),
              chronalign::identity::kProductName);
    EXPECT_EQ(ProductInfo(code, INSTALLPROPERTY_PUBLISHER), chronalign::identity::kMaker);
    EXPECT_TRUE(Exists(ProductInfo(code, INSTALLPROPERTY_PRODUCTICON)));

    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    {
        Program program(exe);
        HWND window = ShownAndChecked(program);
        ASSERT_NE(window, nullptr);

        // A folder with blanks: only the quoted command names this program and no other.
        Click(ControlOf(window, Control::chkAutoRun));
        ASSERT_TRUE(WaitUntil([&] { return CheckOf(ControlOf(window, Control::chkAutoRun)) == 1; },
                              kUiTimeout));
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil(
            [&] { return TextAt(HKEY_LOCAL_MACHINE, kRunKey, kRunValue) == "\"" + exe + "\""; },
            kUiTimeout))
            << TextAt(HKEY_LOCAL_MACHINE, kRunKey, kRunValue).value_or("(none)");
    }

    ASSERT_EQ(Msiexec("/x " + Package(CHRONALIGN_MSI)), 0);
    ExpectNothingLeft();
}

// The service's answer to one request, straight through its pipe; nothing when none came.
std::optional<chronalign::SyncResult> AskService() {
    const std::string request = chronalign::EncodeRequest(0);
    char reply[64];
    DWORD read = 0;
    if (!::CallNamedPipeA(chronalign::identity::kPipeName, const_cast<char*>(request.data()),
                          static_cast<DWORD>(request.size()), reply, sizeof reply, &read, 30'000))
        return std::nullopt;
    return chronalign::DecodeReply(std::string(reply, read));
}

TEST_F(InstallerTest, APolicysTimePageWinsForTheProgramAndTheService) {
    ASSERT_EQ(Msiexec("/i " + Package(CHRONALIGN_MSI) + " TIMEPAGE=" + NginxPage()), 0);
    ExpectTimeServiceRunning();
    // Written as Group Policy and every 64-bit tool writes it: here the 64-bit reg.exe, which a
    // 32-bit program reaches through Sysnative. A user's own address gives way to it too.
    const std::string policyKey = std::string("HKLM\\") + chronalign::identity::kPolicyKey;
    ASSERT_EQ(RunToEnd("\"" + FolderOf(CSIDL_WINDOWS) + "\\Sysnative\\reg.exe\" add \"" +
                       policyKey + "\" /v TimePage /d " + page_.Url() + " /f"),
              0);
    ASSERT_TRUE(WriteSetting("TimePage", NginxPage()));
    {
        Program program(InstallFolder() + "Chronalign.exe");
        HWND window = ShownAndChecked(program);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(page_.RequestCount(), 1);
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    }
    const auto answer = AskService();
    EXPECT_TRUE(answer && answer->outcome != chronalign::SyncOutcome::NoServerTime);
    // The check's one request, then the service's measure.
    EXPECT_GE(page_.RequestCount(), 3) << "the service did not read the policy";

    ASSERT_EQ(RunToEnd("\"" + FolderOf(CSIDL_WINDOWS) + "\\Sysnative\\reg.exe\" delete " +
                       "\"HKLM\\Software\\Policies\\" + chronalign::identity::kMaker + "\" /f"),
              0);
    ASSERT_EQ(Msiexec("/x " + Package(CHRONALIGN_MSI)), 0);
    ExpectNothingLeft();
}

// The service's start type (SERVICE_AUTO_START, ...); SERVICE_NO_CHANGE when it cannot be read.
DWORD StartType(SC_HANDLE service) {
    alignas(QUERY_SERVICE_CONFIGA) BYTE buffer[8192];
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
    DWORD size = 0;
    return ::QueryServiceConfigA(service, config, sizeof buffer, &size) ? config->dwStartType
                                                                        : SERVICE_NO_CHANGE;
}

// As an administrator sets it in the Services console or with "sc config".
bool SetStartType(SC_HANDLE service, DWORD type) {
    return ::ChangeServiceConfigA(service, SERVICE_NO_CHANGE, type, SERVICE_NO_CHANGE, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
}

// Windows removes the older version with UPGRADINGPRODUCTCODE set; Wine's installer sets none,
// and the package passes along what it is given (see Chronalign.wxs).
long Upgrade(const char* package) {
    return Msiexec("/i " + Package(package) +
                   " OLDVERSIONREMOVE=\"ALL UPGRADINGPRODUCTCODE=[ProductCode]\"");
}

TEST_F(InstallerTest, ANewerVersionReplacesAnOlderOneKeepingTheServicesStartTypeNeverTheOtherWay) {
    ASSERT_EQ(Msiexec("/i " + Package(CHRONALIGN_MSI) + " TIMEPAGE=" + NginxPage()), 0);
    ExpectTimeServiceRunning();
    // Held open through the upgrades, as the Services console holds it: a service removed under
    // it would stay "marked for deletion", and no new one of its name could be registered.
    auto service = testsupport::OpenTimeService(
        {SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG});
    ASSERT_TRUE(service);
    const SC_HANDLE held = service.get();
    EXPECT_EQ(StartType(held), DWORD{SERVICE_AUTO_START});
    // An administrator has it started on demand only: the upgrade keeps that, and starts the
    // very service the handle names again, in a new process: the new file's.
    ASSERT_TRUE(SetStartType(held, SERVICE_DEMAND_START));
    const DWORD oldProcess = testsupport::ProcessOf(held);
    const long upgraded = Upgrade(CHRONALIGN_NEXT_MSI);
    const bool runsAgain = WaitUntil(
        [&] {
            const DWORD process = testsupport::ProcessOf(held);
            return process != 0 && process != oldProcess;
        },
        kUiTimeout);
    const DWORD keptManual = StartType(held);
    // Disabled while it runs, then upgraded again: the upgrade succeeds, and the service is
    // stopped for its file and not started.
    const bool disabled = SetStartType(held, SERVICE_DISABLED);
    const long upgradedDisabled = Upgrade(CHRONALIGN_LATER_MSI);
    const DWORD keptDisabled = StartType(held);
    service.reset();
    ASSERT_EQ(upgraded, 0);
    EXPECT_TRUE(runsAgain);
    EXPECT_EQ(keptManual, DWORD{SERVICE_DEMAND_START});
    ASSERT_TRUE(disabled);
    ASSERT_EQ(upgradedDisabled, 0);
    EXPECT_EQ(keptDisabled, DWORD{SERVICE_DISABLED});
    EXPECT_EQ(testsupport::ServiceState(), DWORD{SERVICE_STOPPED});
    auto installed = InstalledVersions();
    ASSERT_EQ(installed.size(), 1u);
    EXPECT_EQ(installed.front().version, CHRONALIGN_LATER_VERSION);
    EXPECT_TRUE(Exists(InstallFolder() + "Chronalign.exe"));
    EXPECT_EQ(TextAt(HKEY_LOCAL_MACHINE, kEventSourceKey.c_str(), "EventMessageFile"),
              InstallFolder() + "ChronalignService.exe");
    EXPECT_EQ(TextAt(HKEY_LOCAL_MACHINE, kMachineKey, "TimePage"), NginxPage())
        << "an upgrade given no address keeps the one it had";

    EXPECT_EQ(Msiexec("/i " + Package(CHRONALIGN_MSI)), ERROR_INSTALL_FAILURE);
    installed = InstalledVersions();
    ASSERT_EQ(installed.size(), 1u);
    EXPECT_EQ(installed.front().version, CHRONALIGN_LATER_VERSION);

    // Windows removes the older version of an upgrade with UPGRADINGPRODUCTCODE set (Wine's
    // installer does not set it). Such a removal keeps the program's start-with-Windows values:
    // the new version's program has the same path.
    const std::string command = "\"" + InstallFolder() + "Chronalign.exe\"";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        ASSERT_EQ(::RegSetKeyValueA(root, kRunKey, kRunValue, REG_SZ, command.c_str(),
                                    static_cast<DWORD>(command.size() + 1)),
                  ERROR_SUCCESS);
    ASSERT_EQ(Msiexec("/x " + Package(CHRONALIGN_LATER_MSI) +
                      " UPGRADINGPRODUCTCODE=" + installed.front().code),
              0);
    EXPECT_TRUE(InstalledVersions().empty());
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_EQ(TextAt(root, kRunKey, kRunValue), command);
        ::RegDeleteKeyValueA(root, kRunKey, kRunValue);
    }
}

}  // namespace
}  // namespace e2e
