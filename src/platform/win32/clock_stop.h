// The clock facility's part in the program's end and in workers given up on: who may still set
// the clock, or have the time service set it.
#pragma once

#include "platform/win32/thread.h"

namespace platform::win32 {

// The process has decided to end: from now on no thread of it sets the clock (a set that is
// under way finishes first). A worker the program no longer waits for may still be running.
void StopSettingTheClock();

// The side waiting for a job has given up on it: from now on that job sets no clock (a set that
// is under way finishes first).
void ForbidSettingTheClock(Job& job);

// Whether the calling thread may no longer set the clock, for either reason: a worker asks
// before it asks another process (the time service) to set the clock for it.
bool SettingTheClockStopped();

}  // namespace platform::win32
