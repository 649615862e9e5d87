// The link labels under the real mouse: red under it, and blue again only over the window's
// bare surface; a click on "Readme" opens the program's readme.txt.
#include <algorithm>

#include "program_test.h"
#include "screenshot.h"

namespace e2e {
namespace {

using platform::Control;

bool ShowsRed(HWND label) {
    const auto colours = ScreenColours(label);
    return std::any_of(colours.begin(), colours.end(), [](COLORREF c) {
        return GetRValue(c) >= 160 && GetGValue(c) <= 96 && GetBValue(c) <= 96;
    });
}

// The pointer to a point of the control's box, in fractions of its width and height (beyond 1:
// past its right edge).
void MoveMouseTo(HWND control, double x, double y) {
    RECT box{};
    ::GetWindowRect(control, &box);
    ::SetCursorPos(box.left + static_cast<int>((box.right - box.left) * x),
                   box.top + static_cast<int>((box.bottom - box.top) * y));
}

TEST_F(ProgramTest, ALinkTurnsRedUnderTheMouseAndBlueOnlyOverTheBareWindow) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    HWND readme = ControlOf(window, Control::lblReadme);
    HWND website = ControlOf(window, Control::lblWebsite);

    MoveMouseTo(readme, 0.5, 0.5);
    ASSERT_TRUE(WaitUntil([&] { return ShowsRed(readme); }, kUiTimeout));
    for (Control c : {Control::Label4, Control::lblTime, Control::Image1, Control::cmdCheckTime,
                      Control::lblInfo, Control::Label1})
        MoveMouseTo(ControlOf(window, c), 0.5, 0.5);
    MoveMouseTo(ControlOf(window, Control::Frame2), 0.97, 0.5);  // inside, off its controls
    // The moves arrive in order: once the other link is red, the ones before have been handled.
    MoveMouseTo(website, 0.3, 0.5);
    ASSERT_TRUE(WaitUntil([&] { return ShowsRed(website); }, kUiTimeout));
    EXPECT_TRUE(ShowsRed(readme)) << "a move over another control turned it blue";

    MoveMouseTo(ControlOf(window, Control::lblTime), 1.2, 0.5);  // the bare window
    EXPECT_TRUE(WaitUntil([&] { return !ShowsRed(readme) && !ShowsRed(website); }, kUiTimeout));
}

void ClickHere() {
    INPUT press[2]{};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, press, sizeof(INPUT));
}

TEST_F(ProgramTest, AClickOnReadmeOpensTheReadmeBesideTheProgram) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    MoveMouseTo(ControlOf(window, Control::lblReadme), 0.5, 0.5);
    ClickHere();
    HWND notepad = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (notepad = ::FindWindowA(nullptr, "readme.txt - Notepad")); },
                          kUiTimeout));
    if (notepad != nullptr)
        ::PostMessageA(notepad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([] { return !::FindWindowA(nullptr, "readme.txt - Notepad"); },
                          kUiTimeout));
}

}  // namespace
}  // namespace e2e
