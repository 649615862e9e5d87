// Every value the program keeps from one event to the next, in one record. A fresh program is a
// fresh record (tests start each case with Program = {}), so a value added here is reset with
// the rest; a value kept anywhere else would not be.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell.h"

namespace chronalign {

// An automatic synchronization that could not get the time, so that the next attempt waits a
// while instead of coming at every tick.
struct AutoSyncFailureState {
    bool pending = false;
    double endedAt = 0;      // seconds since local midnight when the failed attempt returned
    float lastSyncTime = 0;  // LastSyncTime then: a clock set since then ends the wait
};

// A resume from sleep or hibernation that no clock set has answered yet: Windows took the time
// again from the battery-backed clock, which keeps whole seconds and drifts.
struct AutoSyncResumeState {
    bool pending = false;
    double at = 0;           // seconds since local midnight when the resume was reported
    float lastSyncTime = 0;  // LastSyncTime then: a clock set since then answers the resume
};

struct ProgramState {
    // The folder of the running executable, always ending in exactly one backslash. Set once by
    // StartProgram.
    std::string AppFolder;
    // Minutes subtracted from the page's time; normally -60, -30, 0, 30 or 60.
    std::int16_t OffsetMinutes = 0;
    // Seconds since local midnight right after the last clock-setting call of this run; 0 until
    // the first.
    float LastSyncTime = 0;
    AutoSyncFailureState AutoSyncFailure;
    AutoSyncResumeState AutoSyncResume;
    // The notification-icon record: zero until TrayOn fills it; a DPI change gives it the icon
    // loaded anew, and TrayOff uses it as it then stands.
    platform::NotifyIconData TrayIconData{};
    // How many more times the icon is offered while the notification area is not up.
    int TrayRetriesLeft = 0;
    // A check or synchronization is under way (its worker is waited for): one at a time.
    bool SynchronizationRunning = false;
};

extern ProgramState Program;

// The values by their own names.
inline std::string& AppFolder = Program.AppFolder;
inline std::int16_t& OffsetMinutes = Program.OffsetMinutes;
inline float& LastSyncTime = Program.LastSyncTime;
inline AutoSyncFailureState& AutoSyncFailure = Program.AutoSyncFailure;
inline AutoSyncResumeState& AutoSyncResume = Program.AutoSyncResume;
inline platform::NotifyIconData& TrayIconData = Program.TrayIconData;

}  // namespace chronalign
