#pragma once

#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/TreeRig.h"
#include "fileops/FileOpsSubsystem.h"
#include "platform/FileManager.h"
#include "platform/SearchTool.h"
#include "platform/Trash.h"
#include "support/TrashHome.h"

#include <QStringList>
#include <QTimer>
#include <QTreeView>
#include <memory>

namespace tobimaru::test {

/// The file operations over the tree rig's drive: a real file list in file view (folders shown),
/// the real trash under a temporary data folder, the desktop's file manager over D-Bus and its
/// search tools. Playback stops and slideshow stops are counted; nothing plays.
struct FileOpsRig {
    FileOpsRig();
    ~FileOpsRig();

    /// Makes entries on the drive: "a/b.txt" a file (and its folders), "a/c/" a folder.
    void make(const QStringList& entries) const;
    /// Rebuilds the tree for the drive, opens it down to `relative` ("" the drive) and lists it.
    void open(const QString& relative = {});
    /// Lists the selected folder again, as the tree's node click does.
    void relist();
    /// Selects the rows with these names (nothing else).
    void select(const QStringList& names) const;

    QString at(const QString& relative) const { return tree.at(relative); }
    FileListModel& model() const { return *list->model(); }
    QStringList rowNames() const;
    QStringList selectedNames() const;
    /// The current row's name, "" when there is none.
    QString currentName() const;

    TrashHome home; ///< first: the data folder must be in place before anything asks for it
    TreeRig tree;
    FakePrompts& prompts = tree.prompts;
    QTreeView* view = nullptr;
    std::unique_ptr<FileListView> list;
    DesktopTrash trash;
    DBusFileManager fileManager{3000};
    DesktopSearchTool searchTool;
    QTimer timer2;
    int stops = 0;
    int slideStops = 0;
    bool fileView = true;
    QStringList listedByOps; ///< folders the file operations listed
    std::unique_ptr<FileOpsSubsystem> ops;
};

} // namespace tobimaru::test
