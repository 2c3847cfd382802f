#pragma once

#include <QString>
#include <functional>

class QTimer;
class QWidget;

namespace tobimaru {

class FileListView;
class FileManager;
class FolderTree;
class KeyPreview;
class Navigation;
class Prompts;
class SearchTool;
class ShellOpener;
class ShellFileOps;
class Trash;

/// What the file operations work with. Pointers other than `keys`, `hoverTimer` and `opener` are required;
/// everything named must outlive the file operations.
struct FileOpsContext {
    QWidget* window = nullptr; ///< the main window: owner of dialogs, repainted after a change
    FolderTree* tree = nullptr;
    FileListView* list = nullptr;
    Navigation* nav = nullptr;
    Prompts* prompts = nullptr;
    Trash* trash = nullptr;
    FileManager* fileManager = nullptr;
    SearchTool* searchTool = nullptr;
    ShellOpener* opener = nullptr; ///< may be null: the desktop's own open action then
    KeyPreview* keys = nullptr;    ///< switched off around the Delete keys; may be null
    QTimer* hoverTimer = nullptr;  ///< `Timer2`, the drag-hover timer; may be null
    /// Clears `AutoPlayArmed` and stops the player: the file commands call it first.
    std::function<void()> stopPlayback;
    /// Disables the slideshow timer `Timer1`.
    std::function<void()> stopSlideTimer;
    /// `ListFolder`(folder, check state of `MnuIconSet`).
    std::function<void(const QString&)> listFolder;
    /// The pressed state of the toolbar's "ファイルビュー" button.
    std::function<bool()> fileView;
    /// The delete and move every command shares; set by the subsystem.
    ShellFileOps* shell = nullptr;
};

} // namespace tobimaru
