#pragma once

#include "base/IconSet.h"
#include "base/RuntimeSettings.h"

#include <QMainWindow>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

class QComboBox;
class QFrame;
class QProgressBar;
class QTimer;
class QTreeView;
class QTreeWidget;

namespace tobimaru {

enum class KeyCommand;
class DesktopOpener;
class FileIcons;
class FileListView;
class KeyPreview;
class MediaPlayer;
class Menus;
class PaneLayout;
class QuickPaths;
class FolderTree;
class FolderTreeInput;
class Navigation;
class ContinuousPlay;
class DisplayOptions;
class PlaybackCommands;
class SlideShow;
class SpeedControl;
class QuickPathRecorder;
class PlayedFolderMarker;
class Prompts;
class ScreenSaver;
class StatusPanels;
class Toolbar;
class clsMovie;
class frmSplash;

/// What the main window is given from outside: the prompts, the settings file, the services.
struct Form1Context {
    Prompts* prompts = nullptr;
    QString iniPath;
    ScreenSaver* screenSaver = nullptr;
    /// Opens files that are not media with the desktop's default application.
    DesktopOpener* opener = nullptr;
    /// The folder and place pictures chosen from the system at start-up.
    IconSet iconSet;
    /// mpv's audio output for the player ("null" in tests; empty for mpv's choice).
    QByteArray audioOutput;
};

/// The main window: it owns the controls and one object per subsystem, connects them, and runs
/// the load and unload sequences. The rules live in the subsystems.
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(const Form1Context& context, QWidget* parent = nullptr);
    ~Form1() override;

    /// The load step: controls to their starting state, settings read and applied, the start
    /// folder opened. `splash` (may be null) shows the player's start rate.
    void Load(frmSplash* splash);
    /// The unload step; runs once, whether from the close box or the exit command.
    void Unload();
    bool unloaded() const { return m_unloaded; }
    /// The last start-up step: the tree opens down to the start folder.
    void StartupSelectTree();

    Menus& menus() const { return *m_menus; }
    Toolbar& toolbar() const { return *m_toolbar; }
    StatusPanels& status() const { return *m_status; }
    PaneLayout& layoutPanes() const { return *m_layout; }
    FileListView& fileList() const { return *m_fileList; }
    QuickPaths& quickPaths() const { return *m_quick; }
    FolderTree& folderTree() const { return *m_folderTree; }
    Navigation& navigation() const { return *m_nav; }
    ContinuousPlay& continuousPlay() const { return *m_play; }
    PlaybackCommands& playbackCommands() const { return *m_commands; }
    FileIcons& imlFile() const { return *m_icons; }
    MediaPlayer& player() const { return *m_player; }
    QTreeWidget* TreeView1() const { return m_tree; }
    QTreeView* ListView1() const { return m_list; }
    QWidget* MediaPlayer1() const;
    QComboBox* ImageCombo1() const { return m_address; }
    QTimer* Timer1() const { return m_timer1; }
    const RuntimeSettings& settings() const { return m_settings; }
    QString BaseCaption() const { return m_baseCaption; }

    /// Outer size the last time the window was resized in the normal state, in pixels.
    QSize normalSize() const { return m_normalSize; }
    /// The window's state as the settings file stores it: 0 normal, 1 minimised, 2 maximised.
    int storedWindowState() const;
    /// The outer top-left corner to save: where the window stood before the player went full
    /// screen, else where it stands.
    QPoint storedPosition() const;
    /// Sets the outer size (frame included); kept until the first show, when the window
    /// system's frame is known.
    void setOuterSize(const QSize& size);
    /// Moves the window's outer top-left corner there (kept until the first show as well).
    void setOuterPosition(const QPoint& topLeft);
    /// Full screen shows the player pane alone on the screen; off brings every pane back.
    /// The pane itself is never reparented (its GL context would die with it).
    void setPlayerFullScreen(bool on);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildPlayback();
    void buildBrowsing();
    void connectCommands();
    void onMenuCommand(const QString& group, int index);
    void onToolbarButton(const QString& key);
    void onKeyCommand(KeyCommand command);
    void onListDoubleClick();
    void showListMenu(const QPoint& globalPos);
    void applyChecksToControls();
    void listFolder(const QString& folder);
    void listCurrentFolder();
    void goToPath(const QString& folder);
    QString currentFolder() const;

    Form1Context m_ctx;
    RuntimeSettings m_settings;
    QString m_baseCaption;
    bool m_unloaded = false;
    QSize m_normalSize;
    QSize m_wantedOuterSize;
    std::optional<QPoint> m_wantedPosition;
    bool m_shownOnce = false;
    bool m_playerFullScreen = false;
    bool m_wasMaximized = false;
    QPoint m_positionBeforeFullScreen;
    QMetaObject::Connection m_focusWatch;

    std::unique_ptr<FileIcons> m_icons;
    std::unique_ptr<clsMovie> m_movie;
    std::unique_ptr<QuickPaths> m_quick;
    std::unique_ptr<QuickPathRecorder> m_quickRecorder;
    std::unique_ptr<PlayedFolderMarker> m_folderMarker;
    std::unique_ptr<SlideShow> m_slideShow;
    FolderTree* m_folderTree = nullptr;
    FolderTreeInput* m_treeInput = nullptr;
    Navigation* m_nav = nullptr;
    ContinuousPlay* m_play = nullptr;
    SpeedControl* m_speed = nullptr;
    DisplayOptions* m_display = nullptr;
    std::unique_ptr<PlaybackCommands> m_commands;
    Menus* m_menus = nullptr;
    Toolbar* m_toolbar = nullptr;
    StatusPanels* m_status = nullptr;
    PaneLayout* m_layout = nullptr;
    KeyPreview* m_keys = nullptr;
    FileListView* m_fileList = nullptr;
    MediaPlayer* m_player = nullptr;
    QComboBox* m_address = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeView* m_list = nullptr;
    QFrame* m_picSlider = nullptr;
    QFrame* m_picSlider2 = nullptr;
    QFrame* m_picShadow = nullptr;
    QFrame* m_picShadow2 = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;

    friend class Form1Settings;
};

} // namespace tobimaru
