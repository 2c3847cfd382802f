#include "ui/PaneRules.h"

#include <gtest/gtest.h>

using namespace tobimaru;

namespace {

constexpr double kToolbar = 450;
constexpr double kAddress = 330;

PaneGeometry Designed() {
    return DesignedPanes(kToolbar, kAddress);
}

WindowMetrics Window(double width, double height) {
    WindowMetrics m;
    m.windowWidth = width;
    m.windowHeight = height;
    m.clientWidth = width - 120;
    m.clientHeight = height - 750;
    m.toolbarHeight = kToolbar;
    m.statusHeight = 375;
    return m;
}

} // namespace

TEST(PaneRules, VerticalSplitterDropsInsideTheClient) {
    struct Case {
        double dropped;
        double clientWidth;
        double sliderLeft;
    };
    const Case cases[] = {
        {100, 12000, 300},     // 100 from the left edge
        {11900, 12000, 11700}, // 100 from the right edge
        {5000, 12000, 5000},   // anywhere between stays
        {300, 12000, 300},     // exactly 300 is inside
        {11700, 12000, 11700}, // and 300 from the right too
        {-2000, 12000, 300},   // dragged out of the window on the left
        {5000, 400, 300},      // a client narrower than 600: the left clamp wins
    };
    for (const Case& c : cases) {
        PaneGeometry g = Designed();
        g.shadow.left = c.dropped;
        ApplySplitterRule(g, c.clientWidth);
        EXPECT_EQ(g.slider.left, c.sliderLeft) << c.dropped;
        EXPECT_EQ(g.shadow.left, c.sliderLeft) << c.dropped;
        // The column ends one bar width before the bar; the player starts right after it.
        const double w = c.sliderLeft - g.slider.width;
        for (const PaneRect* r : {&g.address, &g.tree, &g.list, &g.slider2, &g.shadow2})
            EXPECT_EQ(r->width, w) << c.dropped;
        EXPECT_EQ(g.player.left, c.sliderLeft + g.slider.width) << c.dropped;
        EXPECT_EQ(g.player.width, c.clientWidth - c.sliderLeft + g.slider.width - 300) << c.dropped;
    }
}

TEST(PaneRules, ColumnWidthIsWhole) {
    PaneGeometry g = Designed();
    g.shadow.left = 4000.4;
    ApplySplitterRule(g, 12000);
    EXPECT_EQ(g.tree.width, 3925);
    EXPECT_EQ(g.slider.left, 4000.4) << "the bar itself keeps the fraction";
}

TEST(PaneRules, HorizontalSplitterDropsBetweenTopAndBottom) {
    struct Case {
        double dropped;
        double slider2Top;
    };
    const double clientHeight = 8000;
    const Case cases[] = {
        {400, 1000},  // above 1000
        {1000, 1000}, // at 1000
        {7800, 7500}, // closer than 500 to the bottom
        {5000, 5000},
    };
    for (const Case& c : cases) {
        PaneGeometry g = Designed();
        g.shadow2.top = c.dropped;
        ApplySplitter2Rule(g, clientHeight, 9000);
        EXPECT_EQ(g.slider2.top, c.slider2Top) << c.dropped;
        EXPECT_EQ(g.tree.height, c.slider2Top - g.tree.top) << c.dropped;
        EXPECT_EQ(g.list.top, c.slider2Top + g.slider2.height) << c.dropped;
        EXPECT_EQ(g.list.height, 9000 - g.list.top - 1100) << c.dropped;
    }
}

TEST(PaneRules, HorizontalSplitterAboveTheTreeLeavesTheTree) {
    PaneGeometry g = Designed();
    g.tree.top = 1500;
    g.tree.height = 2000;
    g.shadow2.top = 1200;
    ApplySplitter2Rule(g, 8000, 9000);
    EXPECT_EQ(g.tree.height, 2000);
    EXPECT_EQ(g.slider2.top, 1200);
    EXPECT_EQ(g.list.top, 1275);
}

TEST(PaneRules, ListKeepsItsHeightInAShortWindow) {
    PaneGeometry g = Designed();
    g.shadow2.top = 5000;
    g.list.height = 1234;
    ApplySplitter2Rule(g, 8000, 6000); // list top 5075 + 1100 is past 6000
    EXPECT_EQ(g.list.height, 1234);
}

TEST(PaneRules, WindowResize) {
    struct Case {
        const char* what;
        WindowMetrics m;
        bool snapped;
        bool recorded;
        bool panesFollow; ///< list and player height
        bool barsFollow;  ///< bar heights and player width
    };
    WindowMetrics minimized = Window(3000, 3000);
    minimized.minimized = true;
    WindowMetrics maximized = Window(19200, 14000);
    maximized.maximized = true;
    const Case cases[] = {
        {"a normal window", Window(12180, 9165), false, true, true, true},
        {"below the least height", Window(12180, 5939), true, false, false, false},
        {"at the least height", Window(12180, 5940), false, true, true, true},
        {"maximised keeps the normal size", maximized, false, false, true, true},
        {"minimised only records", minimized, false, true, false, false},
        {"narrower than 1200 stops after the heights", Window(1100, 9165), false, false, true, false},
    };
    for (const Case& c : cases) {
        PaneGeometry g = Designed();
        const PaneGeometry before = g;
        const ResizeOutcome out = ResizeRule(g, c.m);
        EXPECT_EQ(out.snapHeight.has_value(), c.snapped) << c.what;
        if (out.snapHeight) {
            EXPECT_EQ(*out.snapHeight, 5940) << c.what;
        }
        EXPECT_EQ(out.recordNormalSize, c.recorded) << c.what;
        const double listHeight = c.m.clientHeight - g.list.top - c.m.statusHeight - 100;
        EXPECT_EQ(g.list.height, c.panesFollow ? listHeight : before.list.height) << c.what;
        const double barHeight = c.m.clientHeight - c.m.toolbarHeight - c.m.statusHeight - 100;
        EXPECT_EQ(g.player.height, c.panesFollow ? barHeight : before.player.height) << c.what;
        EXPECT_EQ(g.slider.height, c.barsFollow ? barHeight : before.slider.height) << c.what;
        EXPECT_EQ(g.shadow.height, c.barsFollow ? barHeight : before.shadow.height) << c.what;
        const double playerWidth = c.m.clientWidth - g.slider.left + g.slider.width - 300;
        EXPECT_EQ(g.player.width, c.barsFollow ? playerWidth : before.player.width) << c.what;
    }
}

TEST(PaneRules, ResizeKeepsLastPlayerSizesItCannotBetter) {
    // A client too low for a 4000-twip player and too narrow for a 300-twip one.
    PaneGeometry g = Designed();
    g.player.height = 5000;
    g.player.width = 2000;
    WindowMetrics m = Window(4400, 5940);
    m.clientHeight = 4500;
    ResizeRule(g, m);
    EXPECT_EQ(g.player.height, 5000);
    EXPECT_EQ(g.player.width, 2000);
}
