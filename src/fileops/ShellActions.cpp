#include "fileops/ShellActions.h"

#include "base/Prompts.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "fileops/FileJobRunner.h"
#include "platform/FileManager.h"
#include "platform/SearchTool.h"
#include "platform/ShellOpen.h"
#include "platform/Trash.h"

#include <QItemSelectionModel>
#include <QPointer>
#include <QTreeView>
#include <QUrl>

namespace tobimaru {

ShellActions::ShellActions(const FileOpsContext& context, QObject* parent)
    : QObject(parent)
    , m_ctx(context) {}

int ShellActions::selectedRow() const {
    const QTreeView* view = m_ctx.list->view();
    const QItemSelectionModel* selection = view->selectionModel();
    if (!selection)
        return -1;
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ShellActions::MunOpen() {
    FileListModel& model = *m_ctx.list->model();
    if (model.rowCount() == 0)
        return;
    const int row = selectedRow();
    if (row < 0)
        return;
    // The mark comes first: it stays even when no application can open the file.
    model.setRowColor(row, QColor(0, 0, 0));
    model.setRowBold(row, true);
    openOrSay(model.key(row));
}

void ShellActions::openOrSay(const QString& target) const {
    DesktopShellOpener desktop;
    OpenOrSayWhyNot(m_ctx.opener ? *m_ctx.opener : desktop, *m_ctx.prompts, m_ctx.window, target);
}

void ShellActions::FilePopa() {
    const FileListModel& model = *m_ctx.list->model();
    if (model.rowCount() == 0)
        return;
    const int row = selectedRow();
    if (row < 0)
        return;
    QPointer<ShellActions> self(this);
    m_ctx.fileManager->showItemProperties(
        {QUrl::fromLocalFile(model.key(row)).toString()}, this, [self](bool shown) {
            if (!self)
                return;
            if (!shown)
                self->m_ctx.prompts->message(QStringLiteral("プロパティの表示に失敗しました。"), AppTitle(),
                                             PromptIcon::Critical, PromptButtons::Ok);
            Q_EMIT self->shellAnswered();
        });
}

void ShellActions::showFolder(const QString& uri, const QString& target) {
    QPointer<ShellActions> self(this);
    m_ctx.fileManager->showFolders({uri}, this, [self, target](bool shown) {
        if (!self)
            return;
        if (!shown)
            self->openOrSay(target);
        Q_EMIT self->shellAnswered();
    });
}

QString ShellActions::stopSlidesAtTreeFolder() const {
    if (m_ctx.stopSlideTimer)
        m_ctx.stopSlideTimer();
    return m_ctx.tree->GetTreeViewKey();
}

void ShellActions::GoExp() {
    const QString folder = stopSlidesAtTreeFolder();
    if (folder.isEmpty())
        return;
    showFolder(QUrl::fromLocalFile(folder).toString(), folder);
}

void ShellActions::GoSearch() {
    const QString folder = stopSlidesAtTreeFolder();
    if (folder.isEmpty())
        return;
    if (m_ctx.searchTool->startSearch(folder))
        return;
    showFolder(QUrl::fromLocalFile(folder).toString(), folder);
}

void ShellActions::OpenRecycle() {
    showFolder(QStringLiteral("trash:///"), QStringLiteral("trash:///"));
}

void ShellActions::ClsRecycle() {
    if (m_ctx.prompts->ask(
            QStringLiteral("ごみ箱の中身をすべて完全に削除しますか？\r削除したものは元に戻せません。"),
            QStringLiteral("ごみ箱を空にする"), PromptIcon::Question, PromptButtons::YesNo,
            PromptAnswer::No) != PromptAnswer::Yes)
        return;
    bool emptied = false;
    FileJobUi ui;
    ui.parent = m_ctx.window;
    ui.title = QStringLiteral("ごみ箱を空にする");
    RunFileJob(ui, [&](JobControl& job) {
        const QStringList folders = m_ctx.trash->trashFolders();
        job.setTotals(0, int(folders.size()));
        emptied = EmptyTrashFolders(folders, job.cancelFlag(), nullptr);
    });
    if (!emptied)
        m_ctx.prompts->message(QStringLiteral("ごみ箱削除に失敗しました。"), AppTitle(), PromptIcon::None,
                               PromptButtons::Ok);
}

} // namespace tobimaru
