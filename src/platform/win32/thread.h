// Work that may block, run on a thread of its own (threads are kept ready between works, see
// worker.cpp): what the work throws is kept for the side waiting for it, and a side that stops
// waiting gives up on the work, which then ends alone. Works given up on are
// counted, so that they never pile up: the window's worker (window.h) and the others
// (worker.h) share the count.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>

#include "platform/win32/handle.h"

namespace platform::win32 {

struct Job {
    std::function<void()> work;
    std::exception_ptr failure;  // what work threw
    Handle done;                 // set once the work has ended
    // Under the job gate (worker.cpp): whether the work has ended, and whether its waiting side
    // gave up on it.
    bool finished = false;
    bool givenUp = false;
    // Under the clock's gate (clock_stop.h): set once given up on; the job then sets no clock.
    bool mayNotSetTheClock = false;
};

// The job the calling thread runs, if it runs one.
inline Job*& CurrentJob() {
    static thread_local Job* job = nullptr;
    return job;
}

// How long a new job waits for one given up on to end: where its call was ended by a time-out
// it is about to; one that runs on past this is still waiting on its server (Wine's libraries
// ignore their time-outs), and a new one beside it would only pile up.
inline constexpr DWORD kWindDownMs = 1000;

// Signalled while no job given up on is still running.
HANDLE NoJobGivenUpOnRuns();

// Starts the job; its done event is set once it has ended. False when it could not be started,
// or when a job given up on earlier is still running: wait for NoJobGivenUpOnRuns() first.
bool StartJob(const std::shared_ptr<Job>& job);

// The waiting side stops waiting for a job that has not ended: it runs on alone, counted until it
// ends, and from now on sets no clock. False when it had ended after all: its outcome stands.
bool GiveUp(Job& job);

}  // namespace platform::win32
