#include "ui/PaneRules.h"

#include <cmath>

namespace tobimaru {

namespace {
constexpr double kMargin = 60; // gap around the panes
constexpr double kBar = 75;    // thickness of a splitter bar
constexpr double kShadow = 25; // thickness of a drag shadow
constexpr double kColumnRight = 3900;
constexpr double kTreeHeight = 3300;
} // namespace

PaneGeometry DesignedPanes(double toolbarHeight, double addressHeight) {
    PaneGeometry g;
    const double top = toolbarHeight + kMargin;
    const double column = kColumnRight - kBar;
    g.address = {kMargin, top, column, addressHeight};
    g.tree = {kMargin, top + addressHeight + kMargin, column, kTreeHeight};
    g.slider2 = {kMargin, g.tree.top + g.tree.height, column, kBar};
    g.shadow2 = {kMargin, g.slider2.top, column, kShadow};
    g.list = {kMargin, g.slider2.top + kBar, column, 3000};
    g.slider = {kColumnRight, top, kBar, 6000};
    g.shadow = {kColumnRight, top, kShadow, 6000};
    g.player = {kColumnRight + kBar, top, 7500, 6000};
    return g;
}

void ApplySplitterRule(PaneGeometry& g, double clientWidth) {
    if (g.shadow.left + 300 > clientWidth)
        g.shadow.left = clientWidth - 300;
    if (g.shadow.left - 300 < 0)
        g.shadow.left = 300;
    g.slider.left = g.shadow.left;
    const double w = std::round(g.slider.left - g.slider.width);
    for (PaneRect* r : {&g.address, &g.tree, &g.list, &g.slider2, &g.shadow2})
        r->width = w;
    g.player.left = g.slider.left + g.slider.width;
    // The player's right edge stays 300 twips less two bar widths inside the client.
    g.player.width = clientWidth - g.slider.left + g.slider.width - 300;
}

void ApplySplitter2Rule(PaneGeometry& g, double clientHeight, double windowHeight) {
    if (g.shadow2.top + 500 > clientHeight)
        g.shadow2.top = clientHeight - 500;
    if (g.shadow2.top - 1000 < 0)
        g.shadow2.top = 1000;
    g.slider2.top = g.shadow2.top;
    if (g.tree.top < g.shadow2.top) {
        g.tree.height = std::round(g.shadow2.top - g.tree.top);
        g.slider2.top = g.tree.top + g.tree.height;
    }
    g.list.top = g.slider2.top + g.slider2.height;
    if (g.list.top + 1100 < windowHeight)
        g.list.height = windowHeight - g.list.top - 1100;
}

ResizeOutcome ResizeRule(PaneGeometry& g, const WindowMetrics& m) {
    ResizeOutcome out;
    if (!m.minimized) {
        if (m.windowHeight < kMinWindowHeight) {
            out.snapHeight = kMinWindowHeight;
            return out;
        }
        const double clientH = m.clientHeight;
        if (g.list.top + m.statusHeight + 100 < clientH)
            g.list.height = clientH - g.list.top - m.statusHeight - 100;
        const double h = std::round(clientH - m.toolbarHeight - m.statusHeight - 100);
        if (h > 4000)
            g.player.height = h;
        if (m.windowHeight < 1200 || m.windowWidth < 1200)
            return out;
        if (m.statusHeight + 100 < clientH - m.toolbarHeight) {
            g.shadow.height = clientH - m.toolbarHeight - m.statusHeight - 100;
            g.slider.height = g.shadow.height;
        }
        g.player.left = g.slider.width + g.slider.left;
        if (const double w = m.clientWidth - g.slider.left + g.slider.width - 300; w > 300)
            g.player.width = w;
    }
    out.recordNormalSize = !m.maximized;
    return out;
}

} // namespace tobimaru
