#pragma once

#include <QString>
#include <Qt>

class QModelIndex;

namespace tobimaru {

class ContinuousPlay;
class DisplayOptions;
class Prompts;
class SlideShow;
class SpeedControl;

/// The playback bindings of the toolbar, the menus, the window's keys and the file list. The
/// window forwards its events here; each method says whether the event was a playback one, so
/// the window handles the rest. Failures of a command end in the error box.
class PlaybackCommands final {
public:
    /// All references must outlive this object.
    PlaybackCommands(ContinuousPlay& play, SpeedControl& speed, DisplayOptions& display, SlideShow& slideShow,
                     Prompts& prompts);

    /// Any toolbar click by key. Every click stops the slideshow timer first, playback key or
    /// not; true for "再生", "停止", "1つ戻る", "1つ次へ", "リピート再生", "昇順", "降順", "RateOne".
    bool OnToolbarButton(const QString& key);

    /// A menu command by group and index (Menus::command): "MnuMoviePlay", "MnuMovieStop",
    /// "MnuPrevios", "MunNext", "MnuLoop", "Dspsize"(0..4), "Opt"(1..6). False for others.
    bool OnMenuCommand(const QString& group, int index);

    /// A key released anywhere in the window (the window previews keys): Space, Shift+Space,
    /// F9, F11, F12. Other modifiers than the one a binding names are ignored.
    bool OnWindowKeyRelease(int key, Qt::KeyboardModifiers modifiers);

    /// A key pressed in the file list: true for Ctrl+Up and Ctrl+Down, which the list must not
    /// see (its selection stays).
    bool OnListKeyPress(int key, Qt::KeyboardModifiers modifiers) const;
    /// A key released in the file list: Ctrl+Up starts the row above, Ctrl+Down the one below.
    bool OnListKeyRelease(int key, Qt::KeyboardModifiers modifiers);

    /// A double click on a list row: a file row starts; false for a folder row (the window
    /// opens the folder) and for no row.
    bool OnListDoubleClick(const QModelIndex& index);

    /// The commands themselves, for the gestures and the other bindings.
    void PlayPauseCommand();
    void StopCommand();
    void PreviousCommand();
    void NextCommand();

private:
    ContinuousPlay& m_play;
    SpeedControl& m_speed;
    DisplayOptions& m_display;
    SlideShow& m_slideShow;
    Prompts& m_prompts;
};

} // namespace tobimaru
