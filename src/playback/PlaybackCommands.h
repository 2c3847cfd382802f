#pragma once

#include <QString>

class QModelIndex;

namespace tobimaru {

class CommandTable;
class ContinuousPlay;
class DisplayOptions;
class SlideShow;
class SpeedControl;

/// The playback commands of the toolbar, the menus, the window's keys and the file list, as
/// handlers in the window's command table. Their failures end in the error box.
class PlaybackCommands final {
public:
    /// All references must outlive this object.
    PlaybackCommands(ContinuousPlay& play, SpeedControl& speed, DisplayOptions& display,
                     SlideShow& slideShow);

    /// Registers play and pause, stop, previous, next, repeat, order, speed, the display sizes
    /// and the options (the options dialog only when `optionsDialog`).
    void registerCommands(CommandTable& table, bool optionsDialog);

    /// Any toolbar click, before its own command: the slideshow timer stops, playback button
    /// or not.
    void OnAnyToolbarClick();

    /// A double click on a list row: a file row starts; false for a folder row (the window
    /// opens the folder) and for no row.
    bool OnListDoubleClick(const QModelIndex& index);

    /// The commands themselves, for the gestures and the other bindings.
    void PlayPauseCommand();
    void StopCommand();
    void PreviousCommand();
    void NextCommand();

private:
    /// Space, the play button: play or pause, only with rows listed.
    void playIfListed();

    ContinuousPlay& m_play;
    SpeedControl& m_speed;
    DisplayOptions& m_display;
    SlideShow& m_slideShow;
};

} // namespace tobimaru
