#include "platform/window_design.h"

#include <algorithm>

#include "base/identity.h"

namespace chronalign {

using platform::Control;

namespace {

constexpr FontDesign kDefaultFont{};
constexpr FontDesign kBold975{9.75, 700};
constexpr FontDesign kNormal825{8.25, 400};
constexpr FontDesign kBold825{8.25, 700};
constexpr FontDesign kTitle{15.75, 700, true};
constexpr FontDesign kLink{9.75, 400, false, true};

}  // namespace

const FormDesign kFrmMainForm{identity::kTitle, 7500, 4605, kColorWhite, 50, 250};

const std::array<Control, 2> kLinkLabels{Control::lblWebsite, Control::lblReadme};

// clang-format off
const std::array<ControlDesign, platform::kControlCount> kFrmMainControls{{
//   id                       name              kind                       text
//     left  top   width height inside  font        fore          back                  transp border centred graph  tab
    {Control::Frame2,         "Frame2",         ControlKind::Frame,        "Options",
       360, 1320, 6825, 1665, false, kDefaultFont, kNoColor,     kColorWhite,           false, false, false, false, 9},
    {Control::cmdSynchronize, "cmdSynchronize", ControlKind::PushButton,   "Synchronize",
      3690, 3510, 2025,  405, false, kBold975,     kNoColor,     kColorLightGrey,       false, false, false, true,  8},
    {Control::cmdCheckTime,   "cmdCheckTime",   ControlKind::PushButton,   "Check",
      1530, 3510, 2025,  405, false, kBold975,     kNoColor,     kColorLightGrey,       false, false, false, true,  7},
    {Control::lblTime,        "lblTime",        ControlKind::Label,        "#",
      3690, 3060, 1575,  345, false, kBold975,     kNoColor,     kNoColor,              true,  true,  true,  false, 6},
    {Control::Label4,         "Label4",         ControlKind::Label,        "Local Time:",
      2580, 3120, 1005,  285, false, kNormal825,   kNoColor,     kNoColor,              true,  false, false, false, 5},
    {Control::Label2,         "Label2",         ControlKind::Label,        identity::kBanner,
       120,  330, 4365,  375, false, kTitle,       kColorBlue,   kColorWindowBackground, false, false, false, false, 4},
    {Control::Image1,         "Image1",         ControlKind::Image,        "",
      4530,    0, 2655, 1290, false, kDefaultFont, kNoColor,     kNoColor,              false, false, false, false, std::nullopt},
    {Control::lblVersion,     "lblVersion",     ControlKind::Label,        "",
       600,  840, 3315,  285, false, kBold975,     kColorDarkRed, kColorWindowBackground, false, false, true,  false, 3},
    {Control::lblWebsite,     "lblWebsite",     ControlKind::Label,        "Website...",
      6360, 4320, 1365,  285, false, kLink,        kColorBlue,   kNoColor,              true,  false, false, false, 2},
    {Control::lblReadme,      "lblReadme",      ControlKind::Label,        "Readme",
        30, 4320, 1245,  285, false, kLink,        kColorBlue,   kNoColor,              true,  false, false, false, 1},
    {Control::lblInfo,        "lblInfo",        ControlKind::Label,        "",
       330, 4020, 6885,  285, false, kBold825,     kNoColor,     kColorWhite,           false, true,  false, false, 0},
    {Control::cmbOffset,      "cmbOffset",      ControlKind::DropDownList, "",
      4980, 1200, 1695,  315, true,  kNormal825,   kNoColor,     kNoColor,              false, false, false, false, 14},
    {Control::chkAutoRun,     "chkAutoRun",     ControlKind::CheckBox,     "Autorun at system startup",
       300,  810, 3585,  195, true,  kNormal825,   kNoColor,     kColorWhite,           false, false, false, false, 13},
    {Control::txtInterval,    "txtInterval",    ControlKind::TextBox,      "15",
      3420,  330,  645,  285, true,  kNormal825,   kNoColor,     kNoColor,              false, false, false, false, 11},
    {Control::chkAuto,        "chkAuto",        ControlKind::CheckBox,     "Automatic synchronization at",
       300,  360, 3585,  255, true,  kNormal825,   kNoColor,     kColorWhite,           false, false, false, false, 10},
    {Control::Label1,         "Label1",         ControlKind::Label,        "Offset adjustment (in most cases this is not needed)",
       270, 1260, 4635,  255, true,  kNormal825,   kNoColor,     kColorWhite,           false, false, false, false, 15},
    {Control::lblAuto,        "lblAuto",        ControlKind::Label,        "minutes time interval",
      4230,  360, 2175,  195, true,  kNormal825,   kNoColor,     kNoColor,              true,  false, false, false, 12},
}};
// clang-format on

const ControlDesign& DesignOf(Control control) {
    return kFrmMainControls[static_cast<std::size_t>(control)];
}

bool IsLinkLabel(Control control) {
    return std::find(kLinkLabels.begin(), kLinkLabels.end(), control) != kLinkLabels.end();
}

}  // namespace chronalign
