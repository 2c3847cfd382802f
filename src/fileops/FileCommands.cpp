#include "fileops/FileCommands.h"

#include "base/PathQueries.h"
#include "browse/BrowseFolder.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/Navigation.h"
#include "fileops/ListSelection.h"
#include "fileops/ShellFileOps.h"

#include <QTreeView>
#include <QWidget>

namespace tobimaru {

FileCommands::FileCommands(const FileOpsContext& context)
    : m_ctx(context) {}

void FileCommands::BringListInLine(const SelectionRecord& record, const SourceState& state,
                                   const std::function<void()>& beforeRefresh) {
    // The last row stands for them all: while its file is there, nothing went.
    if (record.count == 0 || state.fileGone.empty() || !state.fileGone.back())
        return;
    RemoveGoneRows(*m_ctx.list->model(), record, state.fileGone);
    if (record.folderFlag) {
        if (beforeRefresh)
            beforeRefresh();
        m_ctx.nav->Listkousin_Click();
    } else if (m_ctx.window) {
        m_ctx.window->repaint();
    }
}

QTreeView* FileCommands::stopAndTakeRows() const {
    if (m_ctx.stopPlayback)
        m_ctx.stopPlayback();
    return m_ctx.list->model()->rowCount() == 0 ? nullptr : m_ctx.list->view();
}

void FileCommands::DelFile_Click() {
    QTreeView* view = stopAndTakeRows();
    if (!view)
        return;
    const SelectionRecord record = CollectSelectedRows(view, *m_ctx.list->model());
    // Nothing selected: nothing to delete, and no row to select again either.
    if (record.count == 0)
        return;
    m_ctx.shell->ShellDeleteFiles(record.keys);
    BringListInLine(record, m_ctx.shell->lastState());
    SelectAfterDelete(view, record.lastIndex);
}

void FileCommands::MoveFile_Click() {
    QTreeView* view = stopAndTakeRows();
    if (!view)
        return;
    const QString folder = m_ctx.tree->GetTreeViewKey();
    if (folder.isEmpty())
        return;
    const SelectionRecord record = CollectSelectedRows(view, *m_ctx.list->model());
    const QString prompt = QStringLiteral("'") + record.lastKey +
                           QStringLiteral("他' ファイルを移動するフォルダを選択してください｡");
    const QString initial = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const QString answer = BrowseFolder(*m_ctx.prompts, prompt, initial, kBrowseRootDesktop);
    if (answer.isEmpty() || !ExistsFolder(answer))
        return;
    // The chooser asked, but with nothing selected there is nothing to move.
    if (record.count == 0)
        return;
    m_ctx.shell->ShellMoveFiles(record.keys, answer);
    BringListInLine(record, m_ctx.shell->lastState());
    if (m_ctx.list->model()->rowCount() > 0)
        SelectListRow(view, 1);
}

void FileCommands::ReNameFile_Click() {
    if (m_ctx.stopPlayback)
        m_ctx.stopPlayback();
    if (m_extensionDialog)
        m_extensionDialog();
}

void FileCommands::SetAllListSelection(bool selected) {
    tobimaru::SetAllListSelection(m_ctx.list->view(), selected);
}

} // namespace tobimaru
