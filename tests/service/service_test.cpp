// The time service under the service manager of a Wine prefix of its own, asked through its pipe
// by the program's own client and by a raw one. Wine takes a clock set only when it moves the
// clock by under half a second: the host's time is accepted, an hour ahead refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "base/identity.h"
#include "http_server.h"
#include "platform/service_pipe.h"
#include "platform/win32/handle.h"
#include "platform/win32/overlapped.h"
#include "service_control.h"
#include "sync/service_messages.h"

namespace {

using namespace std::chrono_literals;
using chronalign::DecodeReply;
using chronalign::EncodeRequest;
using chronalign::SyncOutcome;
using Clock = std::chrono::steady_clock;
using testsupport::ServiceState;

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout) {
    for (const auto end = Clock::now() + timeout; !condition();)
        if (Clock::now() >= end)
            return false;
        else
            ::Sleep(20);
    return true;
}

// What Wine makes of the service's event log entries: its "eventlog" debug channel, which the
// test run sends to a file (information as trace, warnings as warn, errors as err lines).
std::string EventLog() {
    const char* unixPath = std::getenv("SERVICE_EVENTS_LOG");
    std::string path = std::string("Z:") + (unixPath ? unixPath : "");
    std::replace(path.begin(), path.end(), '/', '\\');
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A page stating the host's UTC time of day moved on by seconds.
testsupport::HttpReply PageAhead(int seconds) {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    const int t = ((now.wHour * 3600 + now.wMinute * 60 + now.wSecond + seconds) % 86400);
    char body[200];
    std::snprintf(body, sizeof body,
                  "<html><body><p>The time page of the service tests.</p><p>%02d:%02d:%02d "
                  "UTC</p><p>Nothing else here.</p></body></html>\n",
                  t / 3600, t / 60 % 60, t % 60);
    return testsupport::Ok(body);
}

// A page whose clock runs skewMs ahead of the host's, stating its milliseconds when asked to.
std::string PageAheadMs(int skewMs, bool milliseconds) {
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const std::int64_t ms =
        static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime) /
                                  10'000) -
        11'644'473'600'000 + skewMs;
    const std::int64_t ofDay = ms % 86'400'000;
    char body[240];
    std::snprintf(body, sizeof body,
                  "<html><body><p>The time page of the service tests.</p><p>%02d:%02d:%02d "
                  "UTC</p><p>%s%lld.%03lld</p></body></html>\n",
                  static_cast<int>(ofDay / 3'600'000), static_cast<int>(ofDay / 60'000 % 60),
                  static_cast<int>(ofDay / 1000 % 60), milliseconds ? "msec=" : "since 1970: ",
                  static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
    return body;
}

// The last number in the text that follows the marker, or nothing.
std::optional<double> LastNumberAfter(const std::string& text, const std::string& marker) {
    const auto at = text.rfind(marker);
    if (at == std::string::npos)
        return std::nullopt;
    return std::atof(text.c_str() + at + marker.size());
}

DWORD RunService(const char* argument) {
    std::string command = "\"" SERVICE_EXE "\" " + std::string(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return ::GetLastError();
    DWORD code = 1;
    if (::WaitForSingleObject(process.hProcess, 30'000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

// A client that sends whatever bytes a test gives it, and waits for a reply a bounded time.
class RawClient {
  public:
    RawClient()
        : pipe_(::CreateFileA(chronalign::identity::kPipeName, GENERIC_READ | FILE_WRITE_DATA, 0,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr)) {}
    bool connected() const { return static_cast<bool>(pipe_); }
    void Send(const std::string& bytes) {
        platform::WaitOverlapped(pipe_.get(), 2000, nullptr, [&](OVERLAPPED* o) {
            return ::WriteFile(pipe_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                               o) != FALSE;
        });
    }
    // True when the service hung up without a word.
    bool DroppedWithin(DWORD milliseconds) {
        char reply[64];
        return !platform::WaitOverlapped(pipe_.get(), milliseconds, nullptr, [&](OVERLAPPED* o) {
            return ::ReadFile(pipe_.get(), reply, sizeof reply, nullptr, o) != FALSE;
        }) && ::GetLastError() != ERROR_OPERATION_ABORTED;
    }

  private:
    platform::Handle pipe_;
};

std::optional<chronalign::SyncResult> Ask(std::int16_t offset = 0) {
    const auto reply = platform::AskTimeService(EncodeRequest(offset));
    return reply ? DecodeReply(*reply) : std::nullopt;
}

// Asks until the service downloads afresh (the last outcome is given again for five seconds),
// early in a second, so that the page and the service's clock reading share their second and
// the set moves the clock by under half a second.
std::optional<chronalign::SyncResult> AskAfresh(const testsupport::HttpServer& page) {
    const std::size_t before = page.Requests().size();
    std::optional<chronalign::SyncResult> result;
    WaitUntil(
        [&] {
            SYSTEMTIME now{};
            ::GetSystemTime(&now);
            if (now.wMilliseconds >= 50)
                return false;
            result = Ask();
            return page.Requests().size() > before;
        },
        15s);
    return page.Requests().size() > before ? result : std::nullopt;
}

class TimeServiceTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(RunService("/install"), 0u);
        ASSERT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_RUNNING; }, 10s));
    }
    void SetUp() override { ASSERT_TRUE(testsupport::SetMachineTimePage(page_.Url("/t"))); }

    std::atomic<int> skew_{0};
    std::atomic<bool> timeless_{false}, stalled_{false};
    // Instead of skew_: a page this many milliseconds ahead, to the millisecond or not, its
    // answer held back after the page's time was read.
    std::atomic<int> skewMs_{0}, holdMs_{0};
    std::atomic<bool> milliseconds_{false};
    testsupport::HttpServer page_{[this](const testsupport::HttpRequest&) {
        if (skewMs_ != 0) {
            testsupport::HttpReply reply = testsupport::Ok(PageAheadMs(skewMs_, milliseconds_));
            ::Sleep(static_cast<DWORD>(holdMs_.load()));
            return reply;
        }
        testsupport::HttpReply reply =
            timeless_ ? testsupport::Ok("no time here") : PageAhead(skew_);
        reply.stallAfter = stalled_ ? 40 : SIZE_MAX;
        return reply;
    }};
};

TEST_F(TimeServiceTest, IsRegisteredToStartAutomaticallyAsLocalService) {
    const auto service = testsupport::OpenTimeService({SERVICE_QUERY_CONFIG});
    ASSERT_TRUE(service);
    alignas(QUERY_SERVICE_CONFIGA) char buffer[8192];
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
    DWORD size = 0;
    ASSERT_TRUE(::QueryServiceConfigA(service.get(), config, sizeof buffer, &size));
    EXPECT_STREQ(config->lpDisplayName, chronalign::identity::kServiceDisplayName);
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_STREQ(config->lpServiceStartName, "NT AUTHORITY\\LocalService");
    EXPECT_NE(std::string(config->lpBinaryPathName).find("ChronalignService.exe"),
              std::string::npos);
}

std::size_t EntriesIn(const std::string& events) {
    std::size_t count = 0;
    for (auto at = events.find("ReportEventW"); at != std::string::npos;
         at = events.find("ReportEventW", at + 1))
        ++count;
    return count;
}

TEST_F(TimeServiceTest, SetsTheClockFromItsOwnDownloadAndAnswersAgainForFiveSeconds) {
    const std::size_t entriesBefore = EntriesIn(EventLog());
    const auto accepted = AskAfresh(page_);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->outcome, SyncOutcome::SetAccepted);
    const testsupport::HttpRequest request = page_.Requests().back();
    EXPECT_EQ(request.userAgent, "ZQandWinInet/1.0");
    EXPECT_NE(request.raw.find("Cache-Control: no-cache"), std::string::npos) << request.raw;
    EXPECT_NE(request.raw.find("Pragma: no-cache"), std::string::npos);

    // Within five seconds: the same outcome for the same offset, and no new download.
    const std::size_t downloads = page_.Requests().size();
    const auto again = Ask();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->outcome, SyncOutcome::SetAccepted);
    EXPECT_EQ(again->written, accepted->written);
    EXPECT_EQ(page_.Requests().size(), downloads);

    // Another offset is synchronized afresh. Under Wine every client is an administrator, so
    // the service sets the clock half an hour back, which Wine refuses.
    const auto halfHourBack = Ask(30);
    ASSERT_TRUE(halfHourBack);
    EXPECT_EQ(halfHourBack->outcome, SyncOutcome::SetRefused);
    EXPECT_GT(page_.Requests().size(), downloads);
    const auto minuteOfDay = [](const auto& t) { return t.wHour * 60 + t.wMinute; };
    const int back =
        (minuteOfDay(accepted->written) - minuteOfDay(halfHourBack->written) + 1440) % 1440;
    EXPECT_TRUE(back == 30 || back == 29) << back;  // 29 when a minute began in between

    skew_ = 3600;
    const auto refused = AskAfresh(page_);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->outcome, SyncOutcome::SetRefused);
    EXPECT_EQ(refused->written.wHour, (accepted->written.wHour + 1) % 24);

    timeless_ = true;
    const auto failed = AskAfresh(page_);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->outcome, SyncOutcome::NoServerTime);

    // One entry for each synchronization, none for the answer given again.
    const std::string events = EventLog();
    const std::string asked = "asked by ";
    for (const char* entry : {"trace:eventlog:ReportEventW L\"The system clock was set from ",
                              "warn:eventlog:ReportEventW L\"The system refused to set the clock",
                              "err:eventlog:ReportEventW L\"No usable time from the time page"}) {
        const auto at = events.find(entry);
        ASSERT_NE(at, std::string::npos) << entry << " in\n" << events;
        EXPECT_NE(events.find(asked, at), std::string::npos);
    }
    EXPECT_EQ(EntriesIn(events), entriesBefore + 4) << events;
}

TEST_F(TimeServiceTest, DropsMalformedMessagesAndServesTheNextClient) {
    AskAfresh(page_);  // what follows must not start a download, nor does it
    const std::size_t downloads = page_.Requests().size();
    std::string wrongVersion = EncodeRequest(0), wrongMagic = EncodeRequest(0);
    wrongVersion[4] = 2;
    wrongMagic[0] = 'X';
    const std::string malformed[] = {
        "",
        EncodeRequest(0).substr(0, 7),
        EncodeRequest(0) + "x",
        std::string(4096, 'V'),
        wrongVersion,
        wrongMagic,
        EncodeRequest(15),
        EncodeRequest(-61),
        EncodeRequest(120),
        chronalign::EncodeReply({}),
    };
    for (const std::string& message : malformed) {
        std::optional<RawClient> client;  // the pipe is busy for a moment after each drop
        ASSERT_TRUE(WaitUntil([&] { return client.emplace().connected(); }, 5s));
        client->Send(message);
        EXPECT_TRUE(client->DroppedWithin(3000)) << message.size() << " bytes";
    }
    EXPECT_EQ(page_.Requests().size(), downloads);
    EXPECT_TRUE(Ask());
}

TEST_F(TimeServiceTest, CutsOffASilentClientWithoutHoldingUpTheNext) {
    RawClient silent;
    ASSERT_TRUE(silent.connected());
    const auto start = Clock::now();
    EXPECT_TRUE(Ask());
    EXPECT_LT(Clock::now() - start, 4s);
    EXPECT_TRUE(silent.DroppedWithin(1000));
}

TEST_F(TimeServiceTest, StopsWithinASecondEvenMidDownloadAndStartsAgain) {
    // A client waits while the service downloads from a page that has stalled.
    stalled_ = true;
    const std::size_t before = page_.Requests().size();
    auto waiting = std::async(std::launch::async, [this] { return AskAfresh(page_); });
    ASSERT_TRUE(WaitUntil([&] { return page_.Requests().size() > before; }, 10s));
    const platform::Handle process(
        ::OpenProcess(SYNCHRONIZE, FALSE, testsupport::ServiceProcess()));
    ASSERT_TRUE(process);

    ASSERT_TRUE(testsupport::StartOrStopService(false));
    const auto start = Clock::now();
    ASSERT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_STOPPED; }, 5s));
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_FALSE(waiting.get());
    EXPECT_FALSE(RawClient().connected()) << "the stopped service still holds its pipe";
    // Its process is gone too, a thread inside the download or not.
    EXPECT_EQ(::WaitForSingleObject(process.get(), 1000), WAIT_OBJECT_0);
    EXPECT_LT(Clock::now() - start, 2s);

    stalled_ = false;
    ASSERT_TRUE(testsupport::StartOrStopService(true));
    ASSERT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_RUNNING; }, 10s));
    EXPECT_TRUE(WaitUntil([] { return Ask().has_value(); }, 5s));
}

// Wine refuses to move the clock by half a second or more and tells the difference it found on
// its "sync" channel, which the test run sends to the same file as the event log: against a
// page 30 s and a fraction ahead, that difference less the skew is the set's error.
TEST_F(TimeServiceTest, SetsToTheMillisecondWithinTheBoundItReports) {
    const struct {
        const char* kind;
        bool milliseconds;
        int holdMs;
        double limitMs;  // 0: the bound the entry reports, and a millisecond for Wine's rounding
        std::size_t mostRequests;
    } kinds[] = {{"ms", true, 0, 2, 5}, {"whole", false, 0, 5, 13}, {"held 15 ms", true, 15, 0, 5}};
    for (const auto& k : kinds) {
        for (const int fraction : {130, 770}) {
            skewMs_ = 30'000 + fraction;
            milliseconds_ = k.milliseconds;
            holdMs_ = k.holdMs;
            const std::size_t before = page_.Requests().size();
            const auto start = Clock::now();
            const auto refused = AskAfresh(page_);
            const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
            ASSERT_TRUE(refused) << k.kind;
            EXPECT_EQ(refused->outcome, SyncOutcome::SetRefused) << k.kind;
            const std::string log = EventLog();
            const auto difference = LastNumberAfter(log, "not allowed: difference ");
            const auto bound = LastNumberAfter(log, "(measured to within ");
            ASSERT_TRUE(difference && bound) << log;
            const double error = *difference - skewMs_;
            const std::size_t requests = page_.Requests().size() - before;
            std::printf("service, %s page %d ms ahead: error %+.0f ms, bound %.1f ms, %zu requests,"
                        " %lld ms\n",
                        k.kind, skewMs_.load(), error, *bound, requests,
                        static_cast<long long>(took.count()));
            EXPECT_LE(std::abs(error), k.limitMs > 0 ? k.limitMs : *bound + 1) << k.kind;
            EXPECT_LE(requests, k.mostRequests) << k.kind;
        }
    }
    skewMs_ = 0;
    holdMs_ = 0;
}

// Several machine-wide pages: the service measures them side by side and follows the two of
// three that agree (Wine refuses their 30 s and names it), saying in its entry what each said;
// of two an hour apart it sets nothing and says so.
TEST_F(TimeServiceTest, FollowsThePagesThatAgreeAndSaysWhatEachSaid) {
    skewMs_ = 30'420;
    milliseconds_ = true;
    const auto serving = [](int skewMs) {
        return [skewMs](const testsupport::HttpRequest&) {
            return testsupport::Ok(PageAheadMs(skewMs, true));
        };
    };
    const testsupport::HttpServer hourOff(serving(3'630'420)), agreeing(serving(30'420));
    ASSERT_TRUE(testsupport::SetMachineTimePage(page_.Url("/t") + " " + hourOff.Url("/t") + " " +
                                                agreeing.Url("/t")));
    const auto followed = AskAfresh(page_);
    ASSERT_TRUE(followed);
    EXPECT_EQ(followed->outcome, SyncOutcome::SetRefused);
    std::string log = EventLog();
    const auto difference = LastNumberAfter(log, "not allowed: difference ");
    ASSERT_TRUE(difference) << log;
    EXPECT_LE(std::abs(*difference - 30'420), 2);
    EXPECT_NE(log.rfind("the time pages said: " + page_.Url("/t") + " +30.4"), std::string::npos)
        << log;

    ASSERT_TRUE(testsupport::SetMachineTimePage(page_.Url("/t") + " " + hourOff.Url("/t")));
    const auto disagreed = AskAfresh(page_);
    ASSERT_TRUE(disagreed);
    EXPECT_EQ(disagreed->outcome, SyncOutcome::Disagreed);
    log = EventLog();
    EXPECT_NE(log.rfind("err:eventlog:ReportEventW L\"The time pages disagree"), std::string::npos)
        << log;
    skewMs_ = 0;
    milliseconds_ = false;
}

// A pipe of the service's name made by another process, first, while the service is away: it
// answers every request "set accepted" without setting anything.
class StandIn {
  public:
    StandIn()
        : pipe_(::CreateNamedPipeA(
              chronalign::identity::kPipeName,
              PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
              PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 64, 64, 0, nullptr)),
          stop_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        if (pipe_)
            server_ = std::thread([this] { Serve(); });
    }
    ~StandIn() { Close(); }
    bool made() const { return static_cast<bool>(pipe_); }
    int clients() const { return clients_; }
    void Close() {
        ::SetEvent(stop_.get());
        if (server_.joinable())
            server_.join();
        pipe_.reset();
    }

  private:
    void Serve() {
        chronalign::SyncResult accepted;
        accepted.outcome = SyncOutcome::SetAccepted;
        const std::string reply = chronalign::EncodeReply(accepted);
        while (platform::WaitOverlapped(pipe_.get(), INFINITE, stop_.get(), [&](OVERLAPPED* o) {
            return ::ConnectNamedPipe(pipe_.get(), o) != FALSE;
        })) {
            ++clients_;
            char request[64];
            platform::WaitOverlapped(pipe_.get(), 2000, stop_.get(), [&](OVERLAPPED* o) {
                return ::ReadFile(pipe_.get(), request, sizeof request, nullptr, o) != FALSE;
            });
            platform::WaitOverlapped(pipe_.get(), 2000, stop_.get(), [&](OVERLAPPED* o) {
                return ::WriteFile(pipe_.get(), reply.data(), static_cast<DWORD>(reply.size()),
                                   nullptr, o) != FALSE;
            });
            ::DisconnectNamedPipe(pipe_.get());
        }
    }

    platform::Handle pipe_, stop_;
    std::atomic<int> clients_{0};
    std::thread server_;
};

TEST_F(TimeServiceTest, NobodyBelievesAStandInAndTheServiceTakesItsPipeWhenFree) {
    ASSERT_TRUE(testsupport::StartOrStopService(false));
    ASSERT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_STOPPED; }, 5s));
    StandIn standIn;
    ASSERT_TRUE(standIn.made());
    EXPECT_FALSE(Ask());
    EXPECT_EQ(standIn.clients(), 1) << "the client did not even reach the stand-in";

    // The service, started meanwhile, runs without its pipe and says why.
    ASSERT_TRUE(testsupport::StartOrStopService(true));
    ASSERT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_RUNNING; }, 10s));
    EXPECT_TRUE(WaitUntil(
        [] { return EventLog().find("Another process holds the pipe") != std::string::npos; },
        10s));
    EXPECT_FALSE(Ask());
    EXPECT_EQ(standIn.clients(), 2);

    standIn.Close();
    const std::size_t downloads = page_.Requests().size();
    EXPECT_TRUE(Ask()) << "the service did not take its pipe";  // waits for it to
    EXPECT_GT(page_.Requests().size(), downloads);
}

// Run last, on its own: the end-to-end tests need the service in between.
TEST(TimeServiceRemoval, UninstallStopsAndRemovesTheService) {
    EXPECT_EQ(RunService("/uninstall"), 0u);
    EXPECT_EQ(ServiceState(), 0u);
    EXPECT_FALSE(Ask());
}

}  // namespace
