// frmMain as plain state: controls that hold their values, a window state, and an event queue
// that DoEvents runs. A test queues what the user does with Post.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace fake {

struct ControlState {
    std::string text;
    int value = 0;
    std::vector<std::string> items;
    int listIndex = -1;
    std::uint32_t foreColor = 0;
    std::vector<std::string> textWrites;  // every SetText that changed the text, in order
    bool readFails = false;               // GetText throws, as out of memory would
};

struct WindowState {
    bool loaded = false;
    int state = platform::kStateNormal;
    bool visible = false;
    bool timerEnabled = false;
    bool trayRetryTimerEnabled = false;
    double twipsPerPixelX = 15;
    bool inModalLoop = false;  // the user holds a menu, a message box or a move of the window
    std::uint32_t handle = 0x00010042;
    std::uint32_t icon = 0x00020017;
    std::array<ControlState, platform::kControlCount> controls;
    std::deque<std::function<void()>> events;  // waiting for the next DoEvents
    int doEvents = 0;
    int messageBoxAnswer = 1;          // what the user presses: 1 OK, 2 Cancel
    std::function<void()> menuChoice;  // the item the user picks from the pop-up menu
};

WindowState& Window();
// The window as designed, not loaded.
void ResetWindow();

ControlState& ControlOf(platform::Control control);

// Queues a window event for the next DoEvents.
void Post(std::function<void()> event);

// Runs what is waiting, as the message loop would between handlers.
void RunPendingEvents();

}  // namespace fake
