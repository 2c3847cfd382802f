#pragma once

#include "playback/PlaybackParts.h"
#include "playback/PlayerTypes.h"

#include <QObject>
#include <QString>
#include <functional>

namespace tobimaru {

/// What the display options work with; the callbacks may be empty, everything else is required
/// and must outlive the DisplayOptions.
struct DisplayOptionsParts : PlaybackParts {
    /// The window full screen with the player pane alone (true), or back (false).
    std::function<void(bool)> setFullScreen;
    /// Shows the options dialog modally over the window.
    std::function<void()> showOptionsDialog;
};

/// The display size items "Dspsize(0)".."Dspsize(4)" and the options "Opt(1)".."Opt(6)", and full
/// screen on the player's request. The items' checks and the status panels show the state.
class DisplayOptions final : public QObject {
    Q_OBJECT

public:
    /// Throws Failure(ObjectNotSet) when a required part is missing. Connects the player's
    /// fullScreenRequested to `setFullScreen`.
    explicit DisplayOptions(const DisplayOptionsParts& parts, QObject* parent = nullptr);

    /// A display size item (also F11 → 0, F12 → 4): makes it the state's display size, and
    /// The state holds the size; with rows listed the selected file gets the size at once.
    void DspsizeClick(SizeMenuIndex index);

    /// An option item after it flipped its own check, and with it the state (mute, always on top,
    /// slideshow, nothing, or the options dialog). Mute and always on top reach the
    /// player and the window only while rows are listed; the next file takes the mute anyway.
    void OptClick(OptionItem index);

    /// The window's band from the state (the load's last word after the settings are read).
    void ShowOptionStates();

    /// Puts a window into the topmost band or back without moving or resizing it.
    static void SetWindowTopmost(QWidget* window, bool on);

private:
    int selectedRow() const;

    DisplayOptionsParts m_parts;
};

} // namespace tobimaru
