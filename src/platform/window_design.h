// The design of frmMain: the window and every control as it is created, before any code runs.
// Positions and sizes are twips (1/1440 inch), relative to the container's client area;
// colours are 0x00BBGGRR, and 0x800000nn stands for the system colour nn.
//
// Declared here, defined by the program's window (ui/design.cpp): the window facility, real or
// fake, builds the window from these tables without knowing the program above it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/window.h"

namespace chronalign {

enum class ControlKind { Frame, PushButton, Label, Image, DropDownList, CheckBox, TextBox };

inline constexpr std::uint32_t kNoColor = 0xFFFFFFFF;  // the control's own default colour
inline constexpr std::uint32_t kSystemColorFlag = 0x80000000;

inline constexpr std::uint32_t kColorWhite = 0x00FFFFFF;
inline constexpr std::uint32_t kColorLightGrey = 0x00F0F0F0;
inline constexpr std::uint32_t kColorBlue = 0x00FF0000;
inline constexpr std::uint32_t kColorRed = 0x000000FF;
inline constexpr std::uint32_t kColorDarkRed = 0x00000040;
inline constexpr std::uint32_t kColorWindowBackground = 0x80000005;  // system colour 5
inline constexpr std::uint32_t kColorWindowText = 0x80000008;        // system colour 8

struct FontDesign {
    double points = 0;  // 0: the window's default font
    int weight = 400;   // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
};

struct ControlDesign {
    platform::Control id;
    const char* name;
    ControlKind kind;
    const char* text;
    int left, top, width, height;
    bool insideFrame;  // inside Frame2 rather than on the window
    FontDesign font;
    std::uint32_t foreColor;
    std::uint32_t backColor;
    bool transparent;             // a label's background shows the container through
    bool border;                  // single-line border
    bool centred;                 // text centred
    bool graphical;               // a push button drawn in its own background colour
    std::optional<int> tabIndex;  // none for the picture
};

struct FormDesign {
    const char* title;
    int clientWidth, clientHeight;  // twips
    std::uint32_t backColor;
    int timerIntervalMs;      // TimerTime
    int trayRetryIntervalMs;  // the timer that offers the notification icon again
};

inline constexpr const char* kFontFace = "Verdana";
inline constexpr int kFontCharset = 0;  // every font of the window

extern const FormDesign kFrmMainForm;
extern const std::array<ControlDesign, platform::kControlCount> kFrmMainControls;

// The labels that act as links: they report the mouse over them and a click made on them.
extern const std::array<platform::Control, 2> kLinkLabels;

// The design of one control.
const ControlDesign& DesignOf(platform::Control control);

bool IsLinkLabel(platform::Control control);

// A control's text colour before any code sets one: its design colour, else the window text.
constexpr std::uint32_t InitialForeColor(const ControlDesign& design) {
    return design.foreColor == kNoColor ? kColorWindowText : design.foreColor;
}

}  // namespace chronalign
