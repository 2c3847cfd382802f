#pragma once

#include "base/CommandTable.h"
#include "base/RuntimeSettings.h"
#include "base/WindowCaption.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "input/KeyBindings.h"
#include "playback/ContinuousPlay.h"
#include "playback/DisplayOptions.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackCommands.h"
#include "playback/PlaybackState.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SlideShow.h"
#include "playback/SpeedControl.h"
#include "playback/clsMovie.h"
#include "support/DesktopFakes.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"

#include <QSignalSpy>
#include <QTimer>
#include <QWidget>
#include <memory>

class QTreeView;

namespace tobimaru::test {

/// Folders and quick paths as the tree and the quick-path list would receive them.
struct FolderLog final : PlayedFolderMarker, QuickPathRecorder {
    void MarkPlayedFolder(const QString& folder) override { marked << folder; }
    void RecordQuickPath(const QString& folder) override { recorded << folder; }
    int QuickPathMode() const override { return mode; }
    QStringList marked;
    QStringList recorded;
    int mode = 2; ///< the recording rule: never, until a test chooses another
};

using OpenLog = RecordingShell;

/// Media shared by a test suite: folders laid out as playlists, each made with ffmpeg the first
/// time a test asks for it (ctest runs every test in a process of its own).
class ContinuousMedia {
public:
    TempDir dir;
    const QString& clip();       ///< 0.5 s video
    const QString& three();      ///< a.avi, b.avi, c.avi
    const QString& single();     ///< only.avi
    const QString& slides();     ///< a.jpg, b.avi
    const QString& pictures();   ///< p1.jpg, p2.png, p3.gif
    const QString& broken();     ///< a.avi (not a video), b.avi
    const QString& slow();       ///< long.avi, 3 s
    const QString& withFolder(); ///< a.avi and the folder sub

private:
    QString m_clip, m_picture, m_three, m_single, m_slides, m_pictures, m_broken, m_slow, m_withFolder;
};

/// A main window's worth of playback parts around a real player (no picture, no sound): the
/// list, menus, toolbar, status bar, Timer1 and the playback subsystem, built and bound as the
/// window builds and binds them.
class ContinuousRig {
public:
    ContinuousRig();
    ~ContinuousRig();

    /// Lists a folder; `fileView` lists every file and subfolders as file view mode does.
    void list(const QString& folder, bool fileView = false);
    /// Makes a row the list's current and only selected row.
    void select(int row);
    QString key(int row) const { return model().key(row); }
    FileListModel& model() const { return *listView->model(); }
    /// Waits until the player has reported `count` files in all.
    bool waitNewStreams(int count, int timeoutMs = 10000);
    /// Waits until the playing row's key is `key`.
    bool waitPlaying(const QString& key, int timeoutMs = 10000);
    void checkQuickPathMode(int mode);

    /// The window's ways into the command table: a toolbar click, a menu command, a key the
    /// window previews, a key in the list (true for one the list must not see), a double click.
    bool OnToolbarButton(const QString& key);
    bool OnMenuCommand(const QString& name);
    bool OnWindowKeyRelease(int key, Qt::KeyboardModifiers modifiers);
    bool OnListKeyPress(int key, Qt::KeyboardModifiers modifiers) const;
    bool OnListKeyRelease(int key, Qt::KeyboardModifiers modifiers);
    bool OnListDoubleClick(const QModelIndex& index);

    std::unique_ptr<QWidget> window;
    Menus* menus = nullptr;
    Toolbar* toolbar = nullptr;
    StatusPanels* status = nullptr;
    QTreeView* ListView1 = nullptr;
    MediaPlayer* player = nullptr;
    FileIcons icons;
    FakePrompts prompts;
    OpenLog opener;
    FolderLog folders;
    QTimer timer1;
    RuntimeSettings settings;
    QList<bool> fullScreenCalls;
    int optionsDialogs = 0;

    WindowCaption caption;
    CommandTable table{prompts};
    std::unique_ptr<FileListView> listView;
    std::unique_ptr<PlaybackSubsystem> playback;
    PlaybackState* state = nullptr;
    SlideShow* slideShow = nullptr;
    clsMovie* movie = nullptr;
    ContinuousPlay* play = nullptr;
    SpeedControl* speed = nullptr;
    DisplayOptions* display = nullptr;
    std::unique_ptr<QSignalSpy> newStreams;

    static QString baseCaption() { return QStringLiteral("TobimaruMe Ver1.0.1"); }
};

} // namespace tobimaru::test
