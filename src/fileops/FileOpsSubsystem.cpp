#include "fileops/FileOpsSubsystem.h"

#include "base/CommandTable.h"
#include "base/ErrorTable.h"
#include "browse/FolderTreeInput.h"
#include "fileops/FileCommands.h"
#include "fileops/FolderCommands.h"
#include "fileops/ShellActions.h"
#include "fileops/ShellFileOps.h"
#include "fileops/TreeDragDrop.h"
#include "input/KeyPreview.h"

namespace tobimaru {

namespace {

// Turns the key preview back on however the command ends.
class PreviewOff final {
public:
    explicit PreviewOff(KeyPreview* keys)
        : m_keys(keys) {
        if (m_keys)
            m_keys->setEnabled(false);
    }
    ~PreviewOff() {
        if (m_keys)
            m_keys->setEnabled(true);
    }
    Q_DISABLE_COPY(PreviewOff)

private:
    KeyPreview* m_keys = nullptr;
};

} // namespace

FileOpsSubsystem::FileOpsSubsystem(const FileOpsContext& context, FolderTreeInput* input)
    : m_ctx(context) {
    if (!m_ctx.window || !m_ctx.tree || !m_ctx.list || !m_ctx.nav || !m_ctx.prompts || !m_ctx.trash ||
        !m_ctx.fileManager || !m_ctx.searchTool)
        throw Failure(ErrorCode::ObjectNotSet, "FileOpsSubsystem");
    m_shell = std::make_unique<ShellFileOps>(*m_ctx.prompts, *m_ctx.trash, m_ctx.window);
    m_ctx.shell = m_shell.get();
    m_files = std::make_unique<FileCommands>(m_ctx);
    m_folders = std::make_unique<FolderCommands>(m_ctx);
    m_actions = std::make_unique<ShellActions>(m_ctx);
    m_dragDrop = std::make_unique<TreeDragDrop>(m_ctx, *m_files);
    if (input) {
        TreeDragDrop* dnd = m_dragDrop.get();
        QObject::connect(input, &FolderTreeInput::nodeDragRequested, dnd, &TreeDragDrop::StartNodeDrag,
                         Qt::QueuedConnection);
    }
}

FileOpsSubsystem::~FileOpsSubsystem() = default;

void FileOpsSubsystem::setExtensionDialog(std::function<void()> show) {
    m_files->setExtensionDialog(std::move(show));
}

void FileOpsSubsystem::withoutKeyPreview(const std::function<void()>& body) const {
    const PreviewOff off(m_ctx.keys);
    body();
}

void FileOpsSubsystem::registerCommands(CommandTable& table) {
    FileCommands* files = m_files.get();
    FolderCommands* folders = m_folders.get();
    ShellActions* actions = m_actions.get();

    table.add(cmd::FileDelete, [files] { files->DelFile_Click(); });
    table.add(cmd::FileDeleteByKey,
              [this, files] { withoutKeyPreview([files] { files->DelFile_Click(); }); });
    table.add(cmd::FileMove, [files] { files->MoveFile_Click(); });
    // Until the extension dialog exists the item does nothing a user could see: it stays off.
    if (files->hasExtensionDialog())
        table.add(cmd::FileChangeExtension, [files] { files->ReNameFile_Click(); });
    table.add(cmd::FileSelectAll, [files] { files->SetAllListSelection(true); });

    table.add(cmd::FolderMake, [folders] { folders->MakeFolder(); });
    table.add(cmd::FolderMove, [folders] { folders->MoveFolder(); });
    table.add(cmd::FolderDelete,
              [this, folders] { withoutKeyPreview([folders] { folders->DeleteFolder(); }); });

    table.add(cmd::FileOpen, [actions] { actions->MunOpen(); });
    table.add(cmd::FileProperties, [actions] { actions->FilePopa(); });
    table.add(cmd::ShellFileManager, [actions] { actions->GoExp(); });
    table.add(cmd::ShellSearch, [actions] { actions->GoSearch(); });
    table.add(cmd::TrashOpen, [actions] { actions->OpenRecycle(); });
    table.add(cmd::TrashEmpty, [actions] { actions->ClsRecycle(); });
}

} // namespace tobimaru
