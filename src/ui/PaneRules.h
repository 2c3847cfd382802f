#pragma once

#include <optional>

namespace tobimaru {

// The arithmetic of the main window's panes, apart from any widget. Every length is twips of
// the window's client area: the area below the menu bar, toolbar and status bar included, so
// the toolbar's height is part of every top.

/// A pane's place.
struct PaneRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

/// The panes of the left column, the player and the two splitters with their drag shadows.
struct PaneGeometry {
    PaneRect address; ///< ImageCombo1
    PaneRect tree;    ///< TreeView1
    PaneRect slider2; ///< picSlider2, the horizontal bar
    PaneRect list;    ///< ListView1
    PaneRect slider;  ///< picSlider, the vertical bar
    PaneRect player;  ///< MediaPlayer1
    PaneRect shadow;  ///< picShadow, what a drag of picSlider moves
    PaneRect shadow2; ///< picShadow2, what a drag of picSlider2 moves
};

/// The designed places before any stored value, for a toolbar and an address box of these
/// heights.
PaneGeometry DesignedPanes(double toolbarHeight, double addressHeight);

/// The vertical splitter dropped where picShadow stands: the shadow is kept 300 twips inside
/// the client, the bar goes there, the column takes its width from it and the player the rest.
void ApplySplitterRule(PaneGeometry& g, double clientWidth);

/// The horizontal splitter dropped where picShadow2 stands: the shadow is kept 1000 twips below
/// the top and 500 above the bottom, the tree ends at it and the list starts under the bar. The
/// list's height reckons with the window's outer height.
void ApplySplitter2Rule(PaneGeometry& g, double clientHeight, double windowHeight);

/// What the window's resize handler is told about the window.
struct WindowMetrics {
    double clientWidth = 0;
    double clientHeight = 0;
    double windowWidth = 0; ///< outer size, frame included
    double windowHeight = 0;
    double toolbarHeight = 0;
    double statusHeight = 0;
    bool minimized = false;
    bool maximized = false; ///< full screen counts as maximised
};

/// What the resize handler asks of the window after the panes are fitted.
struct ResizeOutcome {
    /// The outer height the window is to be given at once (nothing else was done).
    std::optional<double> snapHeight;
    /// The outer size is to be kept as the normal size.
    bool recordNormalSize = false;
};

/// Shortest outer height of the window.
inline constexpr double kMinWindowHeight = 5940;

/// A resize of the window: a window lower than 5940 twips is raised to that and nothing else
/// happens; otherwise the list and the player follow the height, the bars and the player the
/// width (a window under 1200 twips either way stops after the heights), and a window that is
/// not maximised keeps its size as the normal one. A minimised window only keeps its size.
ResizeOutcome ResizeRule(PaneGeometry& g, const WindowMetrics& m);

} // namespace tobimaru
