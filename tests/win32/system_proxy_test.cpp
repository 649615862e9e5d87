// The user's proxy configuration, as the prefix's Internet settings state it, against a loopback
// proxy.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/check_sync.h"
#include "fake_window.h"
#include "http_faults.h"
#include "http_server.h"
#include "platform/clock.h"
#include "settings/time_page.h"
#include "sync/download_limits.h"
#include "sync/server_time.h"
#include "sync/url_text.h"

namespace chronalign {
namespace {

constexpr const char* kSettingsKey =
    R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings)";

// A value as stored (type and bytes), or nothing.
using Value = std::optional<std::pair<DWORD, std::string>>;

Value Read(const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                       nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string data(size, '\0');
    ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                   data.data(), &size);
    return std::pair{type, data};
}

void Write(const char* name, const Value& v) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return;
    if (v)
        ::RegSetValueExA(key, name, 0, v->first, reinterpret_cast<const BYTE*>(v->second.data()),
                         static_cast<DWORD>(v->second.size()));
    else
        ::RegDeleteValueA(key, name);
    ::RegCloseKey(key);
}

// The user's proxy settings as a test sets them, put back as they were when it ends.
class ProxySettings {
  public:
    ProxySettings(DWORD enable, const std::string& server, const std::string& bypass) {
        saved_ = Now();
        Write(kNames[0],
              std::pair{DWORD{REG_DWORD}, std::string(reinterpret_cast<char*>(&enable), 4)});
        Write(kNames[1], std::pair{DWORD{REG_SZ}, server + '\0'});
        Write(kNames[2], std::pair{DWORD{REG_SZ}, bypass + '\0'});
    }
    ~ProxySettings() {
        for (std::size_t i = 0; i < saved_.size(); ++i) Write(kNames[i], saved_[i]);
    }
    ProxySettings(const ProxySettings&) = delete;
    ProxySettings& operator=(const ProxySettings&) = delete;

    static std::vector<Value> Now() {
        std::vector<Value> v;
        for (const char* name : kNames) v.push_back(Read(name));
        return v;
    }

  private:
    static constexpr const char* kNames[] = {"ProxyEnable", "ProxyServer", "ProxyOverride"};
    std::vector<Value> saved_;
};

testsupport::HttpReply GoodPage(const testsupport::HttpRequest&) {
    return testsupport::Ok(testsupport::TimePageNow());
}

TEST(SystemProxyWin32Test, ADownloadLeavesTheUsersProxySettingsAsTheyWere) {
    // A proxy per protocol, turned off: a WinINet that took the handle's options for the user's
    // would write back only the http one, and turned on.
    const ProxySettings settings(0, "http=127.0.0.1:1 https=127.0.0.1:2", "<local>");
    const auto before = ProxySettings::Now();
    testsupport::HttpServer page(GoodPage);
    EXPECT_FALSE(GetUrlText(page.Url("/cgi-bin/timer.pl"), download::kDeadlineMs)->body.empty());
    EXPECT_TRUE(ProxySettings::Now() == before);
}

TEST(SystemProxyWin32Test, AnAddressOnTheBypassListGoesDirect) {
    testsupport::HttpServer proxy(GoodPage);
    testsupport::HttpServer page(GoodPage);
    const ProxySettings settings(1, "127.0.0.1:" + std::to_string(proxy.Port()), "127.0.0.1");
    EXPECT_FALSE(GetUrlText(page.Url("/cgi-bin/timer.pl"), download::kDeadlineMs)->body.empty());
    EXPECT_EQ(page.Requests().size(), 1u);
    EXPECT_TRUE(proxy.Requests().empty());
}

TEST(SystemProxyWin32Test, TheBuiltInAddressIsCheckedThroughTheUsersProxy) {
    testsupport::HttpServer proxy(GoodPage);
    const ProxySettings settings(1, "127.0.0.1:" + std::to_string(proxy.Port()), "<local>");
    const std::string address = TimePageAddress();  // no "TimePage" in the test prefix's store
    EXPECT_FALSE(GetUrlText(address, download::kDeadlineMs)
                     ->body.empty());  // also warms WinINet up for the timed Check

    fake::ResetWindow();
    OffsetMinutes = 0;
    // At the start of a second, so that the page and the clock reading fall into the same one.
    for (int i = 0; i < 300 && platform::GetSystemTime().wMilliseconds > 50; ++i) ::Sleep(5);
    CheckOrSynchronize(true, false);
    EXPECT_EQ(fake::ControlOf(platform::Control::lblInfo).text, "Local time is ok");

    // The absolute address, as a proxy is asked; the default port may be spelt out.
    std::string withPort = address;
    withPort.insert(withPort.find('/', std::string("http://").size()), ":80");
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& r : requests) {
        EXPECT_TRUE(r.path == address || r.path == withPort) << r.path;
        EXPECT_EQ(r.userAgent, "ZQandWinInet/1.0");
    }
}

}  // namespace
}  // namespace chronalign
