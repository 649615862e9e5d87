#include "platform/clock.h"

#include <windows.h>

#include <mutex>

#include "platform/win32/clock_stop.h"
#include "platform/win32/handle.h"

namespace platform {

namespace {

SYSTEMTIME ToWin32(const SystemTime& t) {
    return {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
            t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

SystemTime FromWin32(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
            t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

// Enables one privilege of the process token for its lifetime and puts back what was there.
// A process that cannot enable it goes on without: the call it guards then reports the refusal.
class EnabledPrivilege {
  public:
    explicit EnabledPrivilege(const char* name) {
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                &token_))
            token_ = nullptr;
        TOKEN_PRIVILEGES wanted{};
        if (!token_ || !::LookupPrivilegeValueA(nullptr, name, &wanted.Privileges[0].Luid))
            return;
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD size = 0;
        adjusted_ = ::AdjustTokenPrivileges(token_, FALSE, &wanted, sizeof previous_, &previous_,
                                            &size) != FALSE;
    }

    ~EnabledPrivilege() {
        // previous_ lists only what the adjustment changed: nothing when it was on already.
        if (adjusted_ && previous_.PrivilegeCount > 0)
            ::AdjustTokenPrivileges(token_, FALSE, &previous_, 0, nullptr, nullptr);
        if (token_)
            ::CloseHandle(token_);
    }

    EnabledPrivilege(const EnabledPrivilege&) = delete;
    EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;

  private:
    HANDLE token_ = nullptr;
    TOKEN_PRIVILEGES previous_{};
    bool adjusted_ = false;
};

struct SetGate {
    std::mutex mutex;
    bool stopped = false;
};

// Never destroyed: a worker given up on may still be running when the process exits.
SetGate& Gate() {
    static SetGate& gate = *new SetGate;
    return gate;
}

// Under Gate().mutex.
bool StoppedForThisThread() {
    const win32::Job* job = win32::CurrentJob();
    return Gate().stopped || (job != nullptr && job->mayNotSetTheClock);
}

}  // namespace

SystemTime GetSystemTime() {
    SYSTEMTIME t{};
    ::GetSystemTime(&t);
    return FromWin32(t);
}

std::int64_t PreciseSystemTime() {
    // Windows 8 and later keep the clock to a tenth of a microsecond; earlier ones only offer it
    // to the tick, which is all they have.
    using Reader = void(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<Reader>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME t{};
    if (precise != nullptr)
        precise(&t);
    else
        ::GetSystemTimeAsFileTime(&t);
    const std::uint64_t ticks = (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10);
}

std::uint64_t TickMilliseconds() {
    return ::GetTickCount64();
}

void WaitUntil(std::int64_t instant) {
    const std::int64_t left = instant - PreciseSystemTime();
    if (left <= 0)
        return;
    // Windows 10 1803 and later keep high-resolution timers: the thread sleeps to within a
    // fraction of a millisecond of its time. The due time is relative (negative, in 100 ns), so
    // a change of the system clock meanwhile does not move it.
    constexpr DWORD kHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
    const Handle timer(
        ::CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS));
    LARGE_INTEGER due{};
    due.QuadPart = -left * 10;
    if (timer && ::SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE) &&
        ::WaitForSingleObject(timer.get(), INFINITE) == WAIT_OBJECT_0)
        return;
    // Elsewhere a sleep may overrun by a scheduler tick (about 16 ms), so it stops that far
    // short and the rest is spun, giving the processor away on each turn.
    constexpr std::int64_t kTick = 16'000;
    for (std::int64_t rest = instant - PreciseSystemTime(); rest > 0;
         rest = instant - PreciseSystemTime())
        ::Sleep(rest > 2 * kTick ? static_cast<DWORD>((rest - kTick) / 1000) : 0);
}

bool SetSystemTime(const std::function<SystemTime(std::int64_t now)>& timeAt) {
    const std::lock_guard lock(Gate().mutex);
    const EnabledPrivilege right(SE_SYSTEMTIME_NAME);
    const SYSTEMTIME t = ToWin32(timeAt(PreciseSystemTime()));
    return !StoppedForThisThread() && ::SetSystemTime(&t) != FALSE;
}

void Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

TimeOfDay LocalTimeOfDay() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wHour, t.wMinute, t.wSecond};
}

double SecondsSinceMidnight() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return SecondsOf(t.wHour, t.wMinute, t.wSecond) + t.wMilliseconds / 1000.0;
}

}  // namespace platform

namespace platform::win32 {

void StopSettingTheClock() {
    const std::lock_guard lock(Gate().mutex);
    Gate().stopped = true;
}

void ForbidSettingTheClock(Job& job) {
    const std::lock_guard lock(Gate().mutex);
    job.mayNotSetTheClock = true;
}

bool SettingTheClockStopped() {
    const std::lock_guard lock(Gate().mutex);
    return StoppedForThisThread();
}

}  // namespace platform::win32
