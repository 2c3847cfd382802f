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

class CommandTable;
class FileIcons;
class FileListView;
class FileManager;
class FileOpsSubsystem;
class FolderTree;
class FolderTreeInput;
class KeyPreview;
class LhaZip;
class MediaPlayer;
class Menus;
class MouseGestures;
class MprisService;
class Navigation;
class PaneLayout;
class PlaybackSubsystem;
class PlayedFolderMarker;
class Prompts;
class QuickPathRecorder;
class QuickPaths;
class ScreenSaver;
class ShellOpener;
class SearchTool;
class StatusPanels;
class Toolbar;
class Trash;
class WindowCaption;
class frmSplash;

/// What the main window is given from outside: the prompts, the settings file, the services.
struct Form1Context {
    Prompts* prompts = nullptr;
    QString iniPath;
    ScreenSaver* screenSaver = nullptr;
    /// The desktop's open action: files the pane does not play, the version page's home page.
    ShellOpener* shell = nullptr;
    /// The folder and place pictures chosen from the system at start-up.
    IconSet iconSet;
    /// mpv's audio output for the player ("null" in tests; empty for mpv's choice).
    QByteArray audioOutput;
    /// The desktop's trash, file manager and search window, for the file operations.
    Trash* trash = nullptr;
    FileManager* fileManager = nullptr;
    SearchTool* searchTool = nullptr;
    /// Offers the player to the desktop's media controls on the session bus (MPRIS) from the
    /// load to the unload.
    bool mediaControls = false;
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
    KeyPreview& keyPreview() const { return *m_keys; }
    FileListView& fileList() const { return *m_fileList; }
    QuickPaths& quickPaths() const { return *m_quick; }
    FolderTree& folderTree() const { return *m_folderTree; }
    Navigation& navigation() const { return *m_nav; }
    PlaybackSubsystem& playback() const { return *m_playback; }
    LhaZip& archives() const { return *m_lhaZip; }
    FileOpsSubsystem& fileOps() const { return *m_fileOps; }
    const CommandTable& commands() const { return *m_commands; }
    CommandTable& commands() { return *m_commands; }
    /// The gestures while they are on (from the load to the unload), else null.
    MouseGestures* gestures() const { return m_gestures.get(); }
    FileIcons& imlFile() const { return *m_icons; }
    MediaPlayer& player() const { return *m_player; }
    QTreeWidget* TreeView1() const { return m_tree; }
    QTreeView* ListView1() const { return m_list; }
    QWidget* MediaPlayer1() const;
    QComboBox* ImageCombo1() const { return m_address; }
    QTimer* Timer1() const { return m_timer1; }
    const RuntimeSettings& settings() const { return m_settings; }
    QString BaseCaption() const;

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
    /// The extension change dialog for the list's selected rows, modal, owned by the window.
    void OpenExtensionDialog();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildPlayback();
    void buildBrowsing();
    void buildArchives();
    QString meltDestination();
    void buildFileOps();
    void connectCommands();
    void registerWindowCommands();
    void onListDoubleClick();
    void showListMenu(const QPoint& globalPos);
    void applyChecksToControls();
    void listFolder(const QString& folder);
    void listCurrentFolder();
    /// `Opt(6)`: the options dialog, modal over the window.
    void showOptionsDialog();
    void goToPath(const QString& folder);
    QString currentFolder() const;
    /// The desktop's media controls (Form1Mpris.cpp).
    void startMediaControls();
    void stopMediaControls();

    Form1Context m_ctx;
    RuntimeSettings m_settings;
    bool m_unloaded = false;
    QSize m_normalSize;
    QSize m_wantedOuterSize;
    std::optional<QPoint> m_wantedPosition;
    bool m_shownOnce = false;
    bool m_playerFullScreen = false;
    bool m_wasMaximized = false;
    QPoint m_positionBeforeFullScreen;
    QMetaObject::Connection m_focusWatch;
    /// The window's place and size as the settings file gave them, in twips.
    struct StoredTwips {
        std::optional<double> left, top, width, height;
    } m_storedTwips;

    // The controls, owned by their Qt parents.
    Menus* m_menus = nullptr;
    Toolbar* m_toolbar = nullptr;
    StatusPanels* m_status = nullptr;
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

    // The subsystems, declared after the controls they use: they go first, in the reverse
    // order, so no late signal reaches a part that is gone.
    std::unique_ptr<WindowCaption> m_caption;
    std::unique_ptr<CommandTable> m_commands;
    std::unique_ptr<FileIcons> m_icons;
    std::unique_ptr<FileListView> m_fileList;
    std::unique_ptr<PaneLayout> m_layout;
    std::unique_ptr<KeyPreview> m_keys;
    std::unique_ptr<QuickPaths> m_quick;
    std::unique_ptr<FolderTree> m_folderTree;
    std::unique_ptr<FolderTreeInput> m_treeInput;
    std::unique_ptr<Navigation> m_nav;
    std::unique_ptr<QuickPathRecorder> m_quickRecorder;
    std::unique_ptr<PlayedFolderMarker> m_folderMarker;
    std::unique_ptr<PlaybackSubsystem> m_playback;
    std::unique_ptr<MouseGestures> m_gestures;
    std::unique_ptr<LhaZip> m_lhaZip;
    std::unique_ptr<FileOpsSubsystem> m_fileOps;
    std::unique_ptr<MprisService> m_mpris;

    friend class Form1Settings;
};

} // namespace tobimaru
