#pragma once

#include "playback/PlaybackParts.h"
#include "playback/SpeedControl.h"

#include <QString>
#include <functional>
#include <memory>

class QSlider;
class QTimer;

namespace tobimaru {

class CommandTable;
class ContinuousPlay;
class ShellOpener;
class DisplayOptions;
class FileIcons;
class PlaybackCommands;
class PlayedFolderMarker;
class Prompts;
class QuickPathRecorder;

/// What the playback subsystem is given. The callbacks, `folderMarker` and `quickPaths` may be
/// empty; everything else is required and must outlive the subsystem.
struct PlaybackWiring {
    QTreeView* ListView1 = nullptr;
    FileListModel* model = nullptr; ///< the rows of ListView1
    MediaPlayer* player = nullptr;
    QWidget* window = nullptr; ///< the main window
    WindowCaption* caption = nullptr;
    QTimer* timer1 = nullptr; ///< the slideshow timer
    QSlider* speedSlider = nullptr;
    FileIcons* icons = nullptr;
    Prompts* prompts = nullptr;
    ShellOpener* opener = nullptr;
    RuntimeSettings* settings = nullptr;
    PlayedFolderMarker* folderMarker = nullptr;
    QuickPathRecorder* quickPaths = nullptr;
    WaveVolumeAccess volume; ///< empty: the platform's
    /// The window full screen with the player pane alone (true), or back (false).
    std::function<void(bool)> setFullScreen;
    /// Shows the options dialog; while empty "Opt(6)" has no command.
    std::function<void()> showOptionsDialog;
};

/// The playback subsystem: the state, the slideshow, the player wrapper `clsMovie`, continuous
/// play, speed, display options and their commands, built in that order and taken down in the
/// reverse one. The window, the tests and the benchmarks all build it this way.
class PlaybackSubsystem final {
public:
    /// Throws Failure(ObjectNotSet) when a required part is missing.
    explicit PlaybackSubsystem(const PlaybackWiring& wiring);
    ~PlaybackSubsystem();

    PlaybackState& state() const { return *m_state; }
    SlideShow& slideShow() const { return *m_slideShow; }
    clsMovie& movie() const { return *m_movie; }
    ContinuousPlay& play() const { return *m_play; }
    SpeedControl& speed() const { return *m_speed; }
    DisplayOptions& display() const { return *m_display; }
    PlaybackCommands& commands() const { return *m_commands; }

    /// Registers every playback command of the menus, the toolbar and the keys.
    void registerCommands(CommandTable& table);

private:
    MediaPlayer* m_player = nullptr;
    std::unique_ptr<PlaybackState> m_state;
    std::unique_ptr<SlideShow> m_slideShow;
    std::unique_ptr<clsMovie> m_movie;
    std::unique_ptr<ContinuousPlay> m_play;
    std::unique_ptr<SpeedControl> m_speed;
    std::unique_ptr<DisplayOptions> m_display;
    std::unique_ptr<PlaybackCommands> m_commands;
    bool m_optionsDialog = false;
};

} // namespace tobimaru
