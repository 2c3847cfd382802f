#pragma once

#include "fileops/FileOpsContext.h"

#include <QString>

namespace tobimaru {

/// The commands on the folder selected in the tree: create a subfolder, move it, delete it to
/// the trash. They leave playback alone (but for the complete reload after moving a folder that
/// had subfolders in the tree). A top-level entry can be neither moved nor deleted. Failures reach
/// the caller (the command table's trap).
class FolderCommands final {
public:
    explicit FolderCommands(const FileOpsContext& context);

    /// Asks for a name ("フォルダ作成") and creates that subfolder of the selected folder, with its
    /// tree node (and its list row in file view). Spaces around the name are dropped; a name with
    /// "/" or "." or ".." is refused with a message, and nothing is created.
    void MakeFolder();
    /// Moves the selected folder into a folder the user picks; the tree follows.
    void MoveFolder();
    /// Deletes the selected folder to the trash; its node goes and the folder the tree selects
    /// then is listed.
    void DeleteFolder();

    /// Why a typed folder name cannot be used, or "" when it can. The name is already trimmed.
    static QString NameProblem(const QString& name);
    /// The name as typed without the spaces at either end (only spaces: a tab is part of it).
    static QString TrimSpaces(const QString& typed);

private:
    /// The selected node's key, or "" when none is selected or it is a top-level entry.
    QString MovableFolder() const;

    FileOpsContext m_ctx;
};

} // namespace tobimaru
