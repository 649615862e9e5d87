#include "platform/win32/window/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/win32/window/dpi.h"
#include "platform/win32/window/graphical_button.h"
#include "platform/win32/window/ui_state.h"
#include "platform/window_design.h"
#include "platform/window_events.h"

namespace platform::win32 {

namespace {

using chronalign::ControlDesign;
using chronalign::ControlKind;
using chronalign::DesignOf;
using chronalign::kFrmMainControls;
using platform::Control;
using platform::Notification;

constexpr double kFrameFontPoints = 8.25;  // the window's default font: the controls' own face
constexpr int kListEntriesShown = 8;
static_assert(chronalign::kColorWindowText == (chronalign::kSystemColorFlag | COLOR_WINDOWTEXT));

struct Kind {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

Kind KindOf(const ControlDesign& d) {
    // Labels never take the focus; the image and the frame neither. They take the mouse, though,
    // as every control does: a move over one of them is no move over the bare window.
    const DWORD label =
        SS_NOPREFIX | SS_NOTIFY | (d.centred ? SS_CENTER : SS_LEFT) | (d.border ? WS_BORDER : 0u);
    switch (d.kind) {
        case ControlKind::Frame:
            return {WC_BUTTONA, BS_GROUPBOX, 0};
        case ControlKind::PushButton: {
            // Graphical style: the window draws it in its own background colour.
            const DWORD look = d.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON;
            return {WC_BUTTONA, look | WS_TABSTOP | WS_GROUP, 0};
        }
        case ControlKind::CheckBox:
            // Not automatic: a click gives 1 or 0 only; 2 (grayed) comes from the settings.
            return {WC_BUTTONA, BS_3STATE | WS_TABSTOP | WS_GROUP, 0};
        case ControlKind::TextBox:
            return {WC_EDITA, ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
        case ControlKind::DropDownList:
            return {WC_COMBOBOXA, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0};
        case ControlKind::Image:
            return {WC_STATICA, SS_OWNERDRAW | SS_NOTIFY, 0};
        case ControlKind::Label:
            break;
    }
    return {WC_STATICA, label, 0};
}

bool IsOver(HWND hwnd, LPARAM position) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    return ::PtInRect(&client, POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}) != FALSE;
}

// The link labels report the mouse over them, and a click as a click is made: the button goes
// down on the label and comes up over it. The label holds the mouse in between, so it sees
// where the button comes up.
LRESULT CALLBACK LinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                          DWORD_PTR) {
    const auto link = static_cast<Control>(id);
    switch (message) {
        case WM_MOUSEMOVE:
            if (IsOver(hwnd, lParam))  // held, the label hears of moves elsewhere too
                chronalign::events::ControlNotified(link, Notification::MouseMove);
            return 0;
        case WM_LBUTTONDOWN:
            ::SetCapture(hwnd);
            return 0;
        case WM_LBUTTONDBLCLK:  // the second press of a double click opens nothing again
            return 0;
        case WM_LBUTTONUP:
            if (::GetCapture() != hwnd)
                return 0;
            ::ReleaseCapture();
            if (IsOver(hwnd, lParam))
                chronalign::events::ControlNotified(link, Notification::Click);
            return 0;
        default:
            return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

// Controls in tab-index order; the picture, which has none, last.
std::array<Control, platform::kControlCount> TabOrder() {
    std::array<Control, platform::kControlCount> order{};
    std::size_t n = 0;
    for (int tab = 0; tab < platform::kControlCount; ++tab) {
        for (const auto& d : kFrmMainControls)
            if (d.tabIndex == tab)
                order[n++] = d.id;
    }
    for (const auto& d : kFrmMainControls)
        if (!d.tabIndex)
            order[n++] = d.id;
    return order;
}

// The tab order is the order of the siblings; the frame goes under all of them so that the
// controls inside it paint over it.
void StackInTabOrder() {
    HWND previous = HWND_TOP;
    for (const Control c : TabOrder()) {
        HWND hwnd = ControlWindow(c);
        ::SetWindowPos(hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = hwnd;
    }
    ::SetWindowPos(ControlWindow(Control::Frame2), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HFONT MakeFont(const ControlDesign& d, UINT dpi) {
    const double points = d.font.points > 0 ? d.font.points : kFrameFontPoints;
    return ::CreateFontA(FontHeight(points, dpi), 0, 0, 0, d.font.weight, d.font.italic,
                         d.font.underline, FALSE, chronalign::kFontCharset, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                         chronalign::kFontFace);
}

RECT TwipsBox(const ControlDesign& d) {
    int left = d.left;
    int top = d.top;
    int width = d.width;
    if (d.insideFrame) {
        const ControlDesign& frame = DesignOf(Control::Frame2);
        left += frame.left;
        top += frame.top;
    }
    // The automatic box would reach under the interval's text box; it stops short of it so
    // that the box stays wholly visible and takes its own clicks.
    if (d.id == Control::chkAuto)
        width = std::min(width, DesignOf(Control::txtInterval).left - d.left);
    return RECT{left, top, left + width, top + d.height};
}

COLORREF Resolve(std::uint32_t color, int systemDefault) {
    if (color == chronalign::kNoColor)
        return ::GetSysColor(systemDefault);
    if (color & chronalign::kSystemColorFlag)
        return ::GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color);
}

HBRUSH SolidBrush(COLORREF color) {
    auto [it, added] = Ui().brushes.try_emplace(color);
    if (added)
        it->second.reset(::CreateSolidBrush(color));
    return it->second.get();
}

COLORREF ContainerColor(const ControlDesign& d) {
    return Resolve(
        d.insideFrame ? DesignOf(Control::Frame2).backColor : chronalign::kFrmMainForm.backColor,
        COLOR_WINDOW);
}

// A group box paints only its frame and caption; the window clips its children, so the frame
// fills its own inside with its background colour, under the controls it holds. And it takes
// the mouse as the other controls do, where a group box would let it through to the window.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
    if (message == WM_NCHITTEST)
        return HTCLIENT;
    if (message == WM_ERASEBKGND) {
        RECT inside{};
        ::GetClientRect(hwnd, &inside);
        ::FillRect(reinterpret_cast<HDC>(wParam), &inside,
                   SolidBrush(Resolve(DesignOf(Control::Frame2).backColor, COLOR_WINDOW)));
        return TRUE;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

int FontHeight(double points, UINT dpi) {
    return -static_cast<int>(std::lround(points * dpi / 72.0));
}

void CreateControls(HWND window) {
    auto& ui = Ui();
    for (const Control c : TabOrder()) {
        const ControlDesign& d = DesignOf(c);
        const Kind kind = KindOf(d);
        const auto index = static_cast<std::size_t>(c);
        ui.controls[index] = ::CreateWindowExA(
            kind.exStyle, kind.className, d.text,
            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style, 0, 0, 0, 0, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(c))),
            ui.instance, nullptr);
        ui.foreColors[index] = chronalign::InitialForeColor(d);
        if (chronalign::IsLinkLabel(c))
            ::SetWindowSubclass(ui.controls[index], LinkProc, static_cast<UINT_PTR>(c), 0);
        else if (d.kind == ControlKind::Frame)
            ::SetWindowSubclass(ui.controls[index], FrameProc, 0, 0);
    }
    StackInTabOrder();
}

void LayoutControls() {
    auto& ui = Ui();
    for (const auto& d : kFrmMainControls) {
        const auto index = static_cast<std::size_t>(d.id);
        HWND hwnd = ui.controls[index];
        platform::GdiObject<HFONT> font(MakeFont(d, ui.dpi));
        ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        ui.fonts[index] = std::move(font);  // the font before goes once the control let go of it

        const RECT box = TwipsBox(d);
        const int left = TwipsToPixels(box.left, ui.dpi);
        const int top = TwipsToPixels(box.top, ui.dpi);
        const int width = TwipsToPixels(box.right, ui.dpi) - left;
        int height = TwipsToPixels(box.bottom, ui.dpi) - top;
        if (d.kind == ControlKind::DropDownList)  // the height of the open list
            height += kListEntriesShown * TwipsToPixels(240, ui.dpi);
        ::SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(hwnd, nullptr, TRUE);
    }
}

HBRUSH ControlColors(HDC dc, HWND child) {
    Control c{};
    if (!ControlOfWindow(child, &c))
        return SolidBrush(::GetSysColor(COLOR_WINDOW));
    const ControlDesign& d = DesignOf(c);
    ::SetTextColor(dc, Resolve(Ui().foreColors[static_cast<std::size_t>(c)], COLOR_WINDOWTEXT));
    const COLORREF back = d.transparent || d.backColor == chronalign::kNoColor
                              ? ContainerColor(d)
                              : Resolve(d.backColor, COLOR_WINDOW);
    if (d.transparent)
        ::SetBkMode(dc, TRANSPARENT);
    ::SetBkColor(dc, back);
    return SolidBrush(back);
}

namespace {

// Stretched smoothly to its box.
void DrawPicture(const DRAWITEMSTRUCT& item) {
    const RECT& box = item.rcItem;
    ::FillRect(item.hDC, &box, SolidBrush(ContainerColor(DesignOf(Control::Image1))));
    HBITMAP picture = Ui().picture.get();
    BITMAP info{};
    if (picture == nullptr || ::GetObjectA(picture, sizeof info, &info) == 0)
        return;
    HDC source = ::CreateCompatibleDC(item.hDC);
    HGDIOBJ old = ::SelectObject(source, picture);
    ::SetStretchBltMode(item.hDC, HALFTONE);
    ::SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    ::StretchBlt(item.hDC, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0,
                 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

}  // namespace

void DrawControl(const DRAWITEMSTRUCT& item) {
    Control c{};
    if (!ControlOfId(static_cast<int>(item.CtlID), &c))
        return;
    const ControlDesign& d = DesignOf(c);
    const auto index = static_cast<std::size_t>(c);
    if (d.kind == ControlKind::Image)
        DrawPicture(item);
    else if (d.kind == ControlKind::PushButton)
        DrawGraphicalButton(item, Ui().fonts[index].get(), Resolve(d.backColor, COLOR_BTNFACE),
                            Resolve(Ui().foreColors[index], COLOR_BTNTEXT));
}

}  // namespace platform::win32
