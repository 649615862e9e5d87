// The program against the time page as shipped (timepage/nginx/), served by Debian's nginx,
// which with_timepage.sh starts for this test and names in CHRONALIGN_NGINX_PAGE.
#include <windows.h>

#include <wininet.h>

#include <cstdlib>
#include <optional>

#include "sync/server_time.h"

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

struct Answer {
    std::string cacheControl;  // empty when there is none
    std::string body;
};

// The page as a browser receives it.
Answer Fetch(const std::string& url) {
    InternetHandle session{::InternetOpenA("e2e", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
    InternetHandle page{
        session.handle == nullptr
            ? nullptr
            : ::InternetOpenUrlA(session.handle, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0)};
    if (page.handle == nullptr)
        return {};
    Answer answer;
    char value[256] = {};
    DWORD size = sizeof value;
    if (::HttpQueryInfoA(page.handle, HTTP_QUERY_CACHE_CONTROL, value, &size, nullptr))
        answer.cacheControl.assign(value, size);
    char chunk[4096];
    DWORD got = 0;
    while (::InternetReadFile(page.handle, chunk, sizeof chunk, &got) && got > 0)
        answer.body.append(chunk, got);
    return answer;
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
    EXPECT_EQ(Fetch(NginxPage()).cacheControl, "no-store");
    // Each answer states its instant to the millisecond, within the second it states, and so
    // its date.
    for (int i = 0; i < 20; ++i) {
        const std::string body = Fetch(NginxPage()).body;
        const std::optional<chronalign::PageTime> time = chronalign::ReadPageTime(body);
        ASSERT_TRUE(time.has_value()) << body;
        EXPECT_TRUE(time->milliseconds && time->day) << body;
    }

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
