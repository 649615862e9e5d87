#include "service/time_service.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/check_sync.h"
#include "base/identity.h"
#include "reset_fakes.h"
#include "settings/time_page.h"
#include "sync/service_messages.h"

namespace chronalign {
namespace {

// A page stating t, to the millisecond when withMs.
std::string Page(const platform::SystemTime& t, bool withMs = false) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "<html><head><title>Time</title></head><body><p>The time page for the service "
                  "tests says it is %02u:%02u:%02u "
                  "UTC now.</p>%s</body></html>",
                  t.wHour, t.wMinute, t.wSecond, withMs ? "<p>msec=%MS%</p>" : "");
    std::string page = text;
    if (withMs) {
        const std::int64_t ms = fake::ToMilliseconds(t);
        char token[32];
        std::snprintf(token, sizeof token, "%lld.%03lld", static_cast<long long>(ms / 1000),
                      static_cast<long long>(ms % 1000));
        page.replace(page.find("%MS%"), 4, token);
    }
    return page;
}

// The service's measure over the core's loop: each request answers at once with the page the
// fake clock moved on by skewMs gives (or pageBody when set), and the addresses it asked for.
std::string pageBody;
std::int64_t skewMs = 0;
bool pageMs = false;
std::vector<std::string> fetched;
int requests = 0;
Measurement Measure(const std::string& address, std::uint32_t deadlineMs) {
    fetched.push_back(address);
    return MeasureOffset(
        [](Microseconds at) {
            platform::WaitUntil(at);
            ++requests;
            const Microseconds t = platform::PreciseSystemTime();
            const std::string body =
                !pageBody.empty()
                    ? pageBody
                    : Page(fake::CivilFromMilliseconds(fake::ToMilliseconds(fake::Clock().utc) +
                                                       skewMs),
                           pageMs);
            platform::PageAnswer answer;
            answer.sent = answer.arrived = t;
            answer.body = body;
            return std::optional(answer);
        },
        platform::TickMilliseconds() + deadlineMs);
}

const service::Client ann{"PC\\ann", true};   // a member of Administrators
const service::Client bob{"PC\\bob", false};  // a standard user

std::uint64_t now = 0;
std::uint64_t Ticks() {
    return now;
}

TEST(ServiceMessages, OnlyTheFiveOffsetsInAWellFormedRequestPass) {
    for (std::int16_t offset : std::initializer_list<std::int16_t>{-60, -30, 0, 30, 60}) {
        const auto request = DecodeRequest(EncodeRequest(offset));
        ASSERT_TRUE(request) << offset;
        EXPECT_EQ(request->offsetMinutes, offset);
    }
    std::string wrongVersion = EncodeRequest(0), wrongMagic = EncodeRequest(0);
    wrongVersion[4] = 2;
    wrongMagic[3] = 'P';
    for (const std::string& message :
         {std::string(), EncodeRequest(0).substr(0, 7), EncodeRequest(0) + '\0', wrongVersion,
          wrongMagic, EncodeRequest(1), EncodeRequest(-61), EncodeRequest(90),
          EncodeRequest(-32768), EncodeReply({})})
        EXPECT_FALSE(DecodeRequest(message)) << message.size();
}

TEST(ServiceMessages, AReplyCarriesTheOutcomeAndTheTimeWritten) {
    const platform::SystemTime written = fake::DateTime(2026, 12, 31, 23, 59, 58, 999);
    for (SyncOutcome outcome : {SyncOutcome::NoServerTime, SyncOutcome::SetAccepted,
                                SyncOutcome::SetRefused, SyncOutcome::Disagreed}) {
        const auto reply = DecodeReply(EncodeReply({outcome, 0, written, {}}));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->outcome, outcome);
        EXPECT_EQ(reply->written, written);
    }
    std::string unknownOutcome = EncodeReply({});
    unknownOutcome[6] = 4;
    EXPECT_FALSE(DecodeReply(unknownOutcome));
    EXPECT_FALSE(DecodeReply(EncodeReply({}) + 'x'));
    EXPECT_FALSE(DecodeReply(EncodeRequest(0)));
}

class TimeServiceTest : public fake::FakePlatformTest {
  protected:
    void SetUp() override {
        FakePlatformTest::SetUp();
        fetched.clear();
        now = 1'000'000;
        pageBody.clear();
        skewMs = 0;
        pageMs = false;
        requests = 0;
    }
    service::TimeService service_{Measure, Ticks};
};

TEST_F(TimeServiceTest, ReadsOnlyTheMachineWideTimePage) {
    fake::PutString(fake::kStoreKey, "TimePage", "http://user.example/");
    EXPECT_EQ(MachineTimePageAddress(), identity::kMakersTimePage);
    fake::PutString(fake::kMachineKey, "TimePage", "");
    EXPECT_EQ(MachineTimePageAddress(), identity::kMakersTimePage);
    fake::PutString(fake::kMachineKey, "TimePage", "http://machine.example/t");
    ASSERT_TRUE(service_.Serve(EncodeRequest(0), ann));
    EXPECT_EQ(fetched, std::vector<std::string>{"http://machine.example/t"});
    EXPECT_EQ(fake::OpenHandleCount(), 0u);
}

TEST_F(TimeServiceTest, DropsAMalformedRequestWithoutEffect) {
    EXPECT_FALSE(service_.Serve(EncodeRequest(45), ann));
    EXPECT_FALSE(service_.Serve("VCRQ", ann));
    EXPECT_TRUE(fetched.empty());
    EXPECT_TRUE(fake::Clock().setCalls.empty());
}

TEST_F(TimeServiceTest, SetsTheClockAndWritesWhoAskedWithTheOldAndNewDateAndTheBound) {
    fake::Clock().utc = fake::DateTime(2026, 12, 7, 12, 0, 0, 250);
    skewMs = 2 * 86'400'000 + 3'604'999;  // two days on, 13:00:04.999 + the clock's .250
    pageMs = true;
    const auto answer = service_.Serve(EncodeRequest(60), ann);
    ASSERT_TRUE(answer && answer->audit);
    const auto reply = DecodeReply(answer->reply);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->outcome, SyncOutcome::SetAccepted);
    EXPECT_EQ(reply->written, fake::DateTime(2026, 12, 9, 12, 0, 5, 250));  // the offset applied
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(answer->audit->kind, service::AuditKind::Information);
    EXPECT_EQ(answer->audit->text,
              std::string("The system clock was set from 2026-12-07 12:00:00.250 UTC to "
                          "2026-12-09 12:00:05.250 UTC (measured to within 0.5 ms); asked by "
                          "PC\\ann, time page ") +
                  identity::kMakersTimePage + ", offset 60 minutes.");
}

TEST_F(TimeServiceTest, ReportsARefusalAndAPageWithoutTime) {
    fake::Clock().refuseSet = true;
    pageMs = true;
    auto answer = service_.Serve(EncodeRequest(0), bob);
    EXPECT_EQ(DecodeReply(answer->reply)->outcome, SyncOutcome::SetRefused);
    EXPECT_EQ(answer->audit->kind, service::AuditKind::Warning);
    EXPECT_TRUE(answer->audit->text.starts_with("The system refused to set the clock from "));

    now += service::kReuseMilliseconds;
    pageBody = "no time";
    answer = service_.Serve(EncodeRequest(0), bob);
    EXPECT_EQ(DecodeReply(answer->reply)->outcome, SyncOutcome::NoServerTime);
    EXPECT_EQ(answer->audit->kind, service::AuditKind::Error);
    EXPECT_TRUE(answer->audit->text.starts_with(
        "No usable time from the time page; the system clock stays at 2026-12-07 12:00:00.000 "
        "UTC; asked by PC\\bob"));
}

TEST_F(TimeServiceTest, AnswersFromTheLastSynchronizationForFiveSecondsForItsOffsetOnly) {
    const auto first = service_.Serve(EncodeRequest(0), ann);
    now += service::kReuseMilliseconds - 1;
    pageBody = "no time";  // a download now would fail
    const auto again = service_.Serve(EncodeRequest(0), bob);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->reply, first->reply);
    EXPECT_FALSE(again->audit);
    EXPECT_EQ(fetched.size(), 1u);

    // The clock set with another offset is not the one this client asked for.
    const auto other = service_.Serve(EncodeRequest(30), ann);
    EXPECT_EQ(DecodeReply(other->reply)->outcome, SyncOutcome::NoServerTime);
    EXPECT_EQ(fetched.size(), 2u);
    EXPECT_TRUE(service_.Serve(EncodeRequest(0), bob)->audit);
    EXPECT_EQ(fetched.size(), 3u);

    now += service::kReuseMilliseconds;
    EXPECT_EQ(DecodeReply(service_.Serve(EncodeRequest(0), ann)->reply)->outcome,
              SyncOutcome::NoServerTime);
    EXPECT_EQ(fetched.size(), 4u);
}

TEST_F(TimeServiceTest, OnlyAnAdministratorMovesTheClockByAnOffset) {
    pageMs = true;
    EXPECT_EQ(DecodeReply(service_.Serve(EncodeRequest(60), ann)->reply)->outcome,
              SyncOutcome::SetAccepted);
    EXPECT_EQ(fake::Clock().setCalls.size(), 1u);

    // Refused before any download, and told as a set refused; the log names who asked for what.
    const auto refused = service_.Serve(EncodeRequest(-30), bob);
    ASSERT_TRUE(refused && refused->audit);
    EXPECT_EQ(DecodeReply(refused->reply)->outcome, SyncOutcome::SetRefused);
    EXPECT_EQ(refused->audit->kind, service::AuditKind::Warning);
    EXPECT_EQ(refused->audit->text,
              "Refused to set the clock with an offset of -30 minutes, asked by PC\\bob: only a "
              "member of Administrators may ask for an offset other than 0.");
    EXPECT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fake::Clock().setCalls.size(), 1u);

    // Asking again and again is refused each time and logged once in a while.
    now += service::kRefusalLogMilliseconds - 1;
    EXPECT_FALSE(service_.Serve(EncodeRequest(60), bob)->audit);
    EXPECT_TRUE(service_.Serve(EncodeRequest(60), {"PC\\cy", false})->audit);
    now += 1;
    EXPECT_TRUE(service_.Serve(EncodeRequest(60), bob)->audit);

    // Offset 0 is everyone's.
    now += service::kReuseMilliseconds;
    EXPECT_EQ(DecodeReply(service_.Serve(EncodeRequest(0), bob)->reply)->outcome,
              SyncOutcome::SetAccepted);
    EXPECT_EQ(fake::Clock().setCalls.size(), 2u);
}

// The program's set path through the service.
class ServiceSyncTest : public fake::FakePlatformTest {
  protected:
    static std::string Status() { return fake::ControlOf(platform::Control::lblInfo).text; }
};

TEST_F(ServiceSyncTest, TheServicesOutcomeDrivesTheStatusAndTheSchedule) {
    fake::SetLocalTimeOfDay(15, 7, 9);
    OffsetMinutes = -30;
    fake::ServicePipe().reply = EncodeReply({SyncOutcome::SetAccepted, 0, {}, {}});
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetAccepted);
    EXPECT_EQ(Status(), "Time updated succesfully! (3:07:09 PM)");
    EXPECT_FLOAT_EQ(LastSyncTime, 15 * 3600 + 7 * 60 + 9);
    EXPECT_EQ(fake::ServicePipe().requests, std::vector<std::string>{EncodeRequest(-30)});
    EXPECT_EQ(fake::Internet().opens, 0);
    EXPECT_TRUE(fake::Clock().setCalls.empty());

    // The service's refusal of a standard user's offset is told like the system's own, and
    // the program does not then set the clock itself.
    LastSyncTime = 0;
    fake::ServicePipe().reply =
        service::TimeService(Measure, Ticks).Serve(EncodeRequest(-30), bob)->reply;
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetRefused);
    EXPECT_EQ(Status(), "Cannot set system time! (administrator rights needed?)");
    EXPECT_GT(LastSyncTime, 0);
    EXPECT_EQ(fake::Internet().opens, 0);
    EXPECT_TRUE(fake::Clock().setCalls.empty());

    LastSyncTime = 0;
    fake::ServicePipe().reply = EncodeReply({});
    EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::NoServerTime);
    EXPECT_EQ(Status(), "Cannot get time from server! (internet running?)");
    EXPECT_EQ(LastSyncTime, 0);
}

TEST_F(ServiceSyncTest, WithoutAnAnswerOrForOtherOffsetsTheProgramSetsTheClockItself) {
    for (std::int16_t offset : std::initializer_list<std::int16_t>{0, 45}) {
        fake::ResetAll();
        OffsetMinutes = offset;
        fake::ServicePipe().reply = offset == 0 ? std::nullopt : std::optional(EncodeReply({}));
        fake::Serve(Page(fake::Clock().utc));
        EXPECT_EQ(CheckOrSynchronize(false, false), SyncOutcome::SetAccepted) << offset;
        EXPECT_EQ(fake::Clock().setCalls.size(), 1u);
        EXPECT_EQ(fake::ServicePipe().requests.size(), offset == 0 ? 1u : 0u);
    }
    // A compare never asks the service.
    fake::ResetAll();
    fake::Serve(Page(fake::Clock().utc));
    CheckOrSynchronize(true, false);
    EXPECT_TRUE(fake::ServicePipe().requests.empty());
}

}  // namespace
}  // namespace chronalign
