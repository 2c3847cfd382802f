#pragma once

#include <cstdint>

namespace tobimaru {

/// The player pane's own state: 0 stopped (file kept, at its start), 1 paused, 2 playing,
/// 6 closed (nothing loaded).
enum class PlayerState : int { Stopped = 0, Paused = 1, Playing = 2, Closed = 6 };

/// The pane's display size: 0 the video's own size centred, 1 half, 2 double, 3 full screen,
/// 4 fit the pane keeping the aspect. Not the display size menu's order (SizeMenuIndex).
enum class PlayerSize : int { Normal = 0, Half = 1, Double = 2, FullScreen = 3, Fit = 4 };

/// The display size menu's items in their order: 0 fit, 1 50%, 2 100%, 3 200%, 4 full screen.
/// The stored setting may hold any number; every one past the items counts as full screen.
enum class SizeMenuIndex : int { Fit = 0, Half = 1, Actual = 2, Double = 3, FullScreen = 4 };

/// The numbered display flags of the pane (the table is in MediaPlayer).
enum class PlayerFlag : int {
    ControlBar = 1013,
    AudioControls = 1014,
    ContextMenu = 1021,
    StatusLine = 1045,
    Tracker = 1056,
    TrackerEnabled = 1063,
    Transport = 1086,
    KeyEvents = 1107,
};

/// What the player wrapper reports as playing: 1 playing, 2 paused, 0 anything else. The 1 and
/// the 2 are the other way round from PlayerState, so the two have types of their own.
enum class MovieState : int16_t { Idle = 0, Playing = 1, Paused = 2 };

/// Which row `SetPlaybotton` starts: the next one down or up (both wrapping), or the selected
/// one, from the keys, menus and toolbar (2) or from the gesture (3).
enum class PlayStep : int { Down = 0, Up = 1, Selected = 2, Gesture = 3 };

/// Who flips repeat: a click on the toolbar button or the menu item, or the F9 key, after which
/// the toolbar button follows too.
enum class RepeatFrom : int { Click = 0, Key = 1 };

/// The option menu's items by their index: mute, always on top, slideshow, the one without an
/// effect, and the options dialog.
enum class OptionItem : int { Mute = 1, AlwaysOnTop = 2, SlideShow = 3, Nothing = 4, Dialog = 6 };

} // namespace tobimaru
