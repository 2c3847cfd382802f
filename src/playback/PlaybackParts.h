#pragma once

class QTreeView;
class QWidget;

namespace tobimaru {

class FileListModel;
class MediaPlayer;
class PlaybackState;
class SlideShow;
class WindowCaption;
class clsMovie;
struct RuntimeSettings;

/// What every part of playback works with: the list that is the playlist, the pane and its
/// driver, the shared state and the window. All are required and must outlive the parts.
struct PlaybackParts {
    QTreeView* ListView1 = nullptr;
    FileListModel* model = nullptr; ///< the rows of ListView1
    clsMovie* movie = nullptr;
    MediaPlayer* player = nullptr;    ///< the pane `movie` drives
    PlaybackState* state = nullptr;   ///< repeat, order, display size, mute, always on top, slideshow
    QWidget* window = nullptr;        ///< the main window
    WindowCaption* caption = nullptr; ///< the window's caption, which shows the file in the pane
    RuntimeSettings* settings = nullptr;
    SlideShow* slideShow = nullptr; ///< over the window's Timer1

    /// True when every part is there.
    bool complete() const {
        return ListView1 && model && movie && player && state && window && caption && settings && slideShow;
    }
};

} // namespace tobimaru
