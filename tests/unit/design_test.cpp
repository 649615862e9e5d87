#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/window_design.h"

namespace chronalign {
namespace {

using platform::Control;

struct Rect {
    int left, top, right, bottom;
};

Rect RectOf(const ControlDesign& d) {
    return {d.left, d.top, d.left + d.width, d.top + d.height};
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(DesignTest, EveryControlIsFoundByItsOwnId) {
    std::set<std::string> names;
    for (int i = 0; i < platform::kControlCount; ++i) {
        const auto c = static_cast<Control>(i);
        EXPECT_EQ(DesignOf(c).id, c) << i;
        names.insert(DesignOf(c).name);
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(platform::kControlCount));
}

TEST(DesignTest, AControlWithoutAColourOfItsOwnStartsInTheWindowTextColour) {
    EXPECT_EQ(InitialForeColor(DesignOf(Control::lblInfo)), 0x80000008u);
    EXPECT_EQ(InitialForeColor(DesignOf(Control::lblVersion)), kColorDarkRed);
}

TEST(DesignTest, ControlsOnTheWindowDoNotOverlapAndFrameChildrenFitTheFrame) {
    const auto& frame = DesignOf(Control::Frame2);
    for (const auto& a : kFrmMainControls) {
        if (a.insideFrame) {
            EXPECT_LE(a.left + a.width, frame.width) << a.name;
            EXPECT_LE(a.top + a.height, frame.height) << a.name;
            continue;
        }
        for (const auto& b : kFrmMainControls) {
            if (&a != &b && !b.insideFrame) {
                EXPECT_FALSE(Overlap(RectOf(a), RectOf(b))) << a.name << " and " << b.name;
            }
        }
    }
}

TEST(DesignTest, TabOrderRunsThroughTheFocusableControlsWithCheckFirst) {
    std::set<int> seen;
    const ControlDesign* first = nullptr;
    for (const auto& d : kFrmMainControls) {
        if (!d.tabIndex)
            continue;
        EXPECT_TRUE(seen.insert(*d.tabIndex).second) << d.name;
        const bool focusable = d.kind != ControlKind::Label && d.kind != ControlKind::Frame &&
                               d.kind != ControlKind::Image;
        if (focusable && (!first || *d.tabIndex < *first->tabIndex))
            first = &d;
    }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->id, Control::cmdCheckTime);
}

}  // namespace
}  // namespace chronalign
