#pragma once

#include "fileops/FileOpsContext.h"

#include <functional>
#include <memory>

namespace tobimaru {

class CommandTable;
class FileCommands;
class FolderCommands;
class FolderTreeInput;
class ShellActions;
class ShellFileOps;
class TreeDragDrop;

/// The file operations: the commands on list rows and tree folders, drag and drop, the desktop's
/// shell actions, and the delete and move they share. The window builds it once every part named
/// in the context exists; the tests build it the same way.
class FileOpsSubsystem final {
public:
    /// Throws Failure(ObjectNotSet) when a required part is missing. `input` (may be null)
    /// asks for node drags.
    FileOpsSubsystem(const FileOpsContext& context, FolderTreeInput* input);
    ~FileOpsSubsystem();

    ShellFileOps& shell() const { return *m_shell; }
    FileCommands& files() const { return *m_files; }
    FolderCommands& folders() const { return *m_folders; }
    ShellActions& actions() const { return *m_actions; }
    TreeDragDrop& dragDrop() const { return *m_dragDrop; }

    /// The extension dialog behind "拡張子の変更"; registerCommands offers that command only once
    /// it is set, so the window sets it first.
    void setExtensionDialog(std::function<void()> show);

    /// Registers the file and folder commands, the shell actions and the trash. Deleting by key
    /// and deleting a folder run with the window's key preview off.
    void registerCommands(CommandTable& table);

private:
    /// Runs `body` with the key preview off, so that keys pressed in its boxes stay in them.
    void withoutKeyPreview(const std::function<void()>& body) const;

    FileOpsContext m_ctx;
    std::unique_ptr<ShellFileOps> m_shell;
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<FolderCommands> m_folders;
    std::unique_ptr<ShellActions> m_actions;
    std::unique_ptr<TreeDragDrop> m_dragDrop;
};

} // namespace tobimaru
