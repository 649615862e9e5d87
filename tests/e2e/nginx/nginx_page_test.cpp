// The program against the time page as shipped (timepage/nginx/), served by Debian's nginx,
// which with_timepage.sh starts for this test and names in CHRONALIGN_NGINX_PAGE.
#include <windows.h>

#include <wininet.h>

#include <cstdlib>

#include "program_test.h"

namespace e2e {
namespace {

using platform::Control;

std::string NginxPage() {
    const char* url = std::getenv("CHRONALIGN_NGINX_PAGE");
    return url != nullptr ? url : "";
}

struct InternetHandle {
    HINTERNET handle;
    ~InternetHandle() {
        if (handle != nullptr)
            ::InternetCloseHandle(handle);
    }
};

// The page's Cache-Control header as a browser receives it; empty when there is none.
std::string CacheControlOf(const std::string& url) {
    InternetHandle session{::InternetOpenA("e2e", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
    InternetHandle page{
        session.handle == nullptr
            ? nullptr
            : ::InternetOpenUrlA(session.handle, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0)};
    char value[256] = {};
    DWORD size = sizeof value;
    if (page.handle == nullptr ||
        !::HttpQueryInfoA(page.handle, HTTP_QUERY_CACHE_CONTROL, value, &size, nullptr))
        return {};
    return std::string(value, size);
}

class NginxPageTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_FALSE(NginxPage().empty()) << "run through with_timepage.sh, which starts nginx";
        ASSERT_TRUE(WriteSetting("TimePage", NginxPage()));
    }
};

TEST_F(NginxPageTest, CheckFindsTheClockRightAgainstTheShippedPage) {
    // A copy kept anywhere on the way would state a time already past.
    EXPECT_EQ(CacheControlOf(NginxPage()), "no-store");

    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    Click(ControlOf(window, Control::cmdCheckTime));
    EXPECT_TRUE(WaitForText(window, Control::lblInfo, "Local time is ok"))
        << Text(window, Control::lblInfo);
    EXPECT_EQ(page_.RequestCount(), 0) << "the fixture's own page answered, not nginx";
}

}  // namespace
}  // namespace e2e
