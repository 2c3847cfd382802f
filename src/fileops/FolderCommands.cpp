#include "fileops/FolderCommands.h"

#include "base/ErrorTable.h"
#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "browse/BrowseFolder.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/Navigation.h"
#include "fileops/FileJobRunner.h"
#include "fileops/ShellFileOps.h"

#include <QTreeWidgetItem>
#include <QWidget>
#include <cerrno>
#include <sys/stat.h>

namespace tobimaru {

namespace {

enum class Made { Created, AlreadyThere, Failed };

ErrorCode CodeOfErrno(int error) {
    switch (error) {
    case EEXIST:
        return ErrorCode::FileAlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorCode::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return ErrorCode::PathNotFound;
    case ENOSPC:
    case EDQUOT:
        return ErrorCode::DiskFull;
    case ENAMETOOLONG:
        return ErrorCode::BadFileName;
    default:
        return ErrorCode::PathFileAccess;
    }
}

} // namespace

FolderCommands::FolderCommands(const FileOpsContext& context)
    : m_ctx(context) {}

QString FolderCommands::TrimSpaces(const QString& typed) {
    qsizetype begin = 0, end = typed.size();
    while (begin < end && typed[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && typed[end - 1] == QLatin1Char(' '))
        --end;
    return typed.mid(begin, end - begin);
}

QString FolderCommands::NameProblem(const QString& name) {
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("フォルダ名に「/」は使えません。");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("「.」と「..」はフォルダ名にできません。");
    // A NUL would end the name early, and the folder would be made under another name.
    if (name.contains(QChar(0)))
        return QStringLiteral("フォルダ名に使えない文字が含まれています。");
    return {};
}

QString FolderCommands::MovableFolder() const {
    const QTreeWidgetItem* node = m_ctx.tree->SelectedNode();
    if (!node || FolderTree::IsRoot(node))
        return {};
    return FolderTree::NodeKey(node);
}

void FolderCommands::MakeFolder() {
    const QString parent = m_ctx.tree->GetTreeViewKey();
    if (parent.isEmpty())
        return;
    const QString prompt =
        QStringLiteral("'") + parent + QStringLiteral("'\rの下に作成するフォルダ名を入力してください。");
    const QString name = TrimSpaces(m_ctx.prompts->inputText(prompt, QStringLiteral("フォルダ作成")));
    if (name.isEmpty())
        return;
    if (const QString problem = NameProblem(name); !problem.isEmpty()) {
        m_ctx.prompts->message(problem, AppTitle(), PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    const QString path = JoinPath(parent, name);
    Made made = Made::Failed;
    int error = 0;
    FileJobUi ui;
    ui.parent = m_ctx.window;
    ui.title = QStringLiteral("フォルダ作成");
    RunFileJob(ui, [&](JobControl&) {
        if (ExistsFolder(path)) {
            made = Made::AlreadyThere;
            return;
        }
        if (::mkdir(EncodeFileName(path).constData(), 0777) != 0)
            error = errno;
        made = ExistsFolder(path) ? Made::Created : Made::Failed;
    });
    if (made == Made::AlreadyThere) {
        m_ctx.prompts->message(QStringLiteral("既にフォルダが存在しています。"), AppTitle(),
                               PromptIcon::Information, PromptButtons::Ok);
        return;
    }
    if (made == Made::Failed)
        throw Failure(error ? CodeOfErrno(error) : ErrorCode::PathFileAccess, "MakeFolder");
    if (!m_ctx.tree->AddFolderNode(parent, name))
        throw Failure(ErrorCode::ObjectNotSet, "MakeFolder");
    if (m_ctx.fileView && m_ctx.fileView()) {
        // The new folder's time column stays empty until the folder is listed again.
        ListRow row;
        row.name = name;
        row.extension = FolderRowExtension();
        row.folderImage = FolderImage::Closed;
        m_ctx.list->model()->addRow(std::move(row), m_ctx.tree->iconSet().closedFolder);
    }
}

void FolderCommands::DeleteFolder() {
    const QString path = MovableFolder();
    if (path.isEmpty())
        return;
    m_ctx.shell->ShellDeleteFiles({path});
    if (m_ctx.window)
        m_ctx.window->repaint();
    const SourceState& state = m_ctx.shell->lastState();
    if (state.folderThere.empty() || state.folderThere.front())
        return;
    if (!m_ctx.tree->RemoveNode(path))
        throw Failure(ErrorCode::ObjectNotSet, "DeleteFolder");
    const QString now = m_ctx.tree->GetTreeViewKey();
    if (!now.isEmpty() && m_ctx.listFolder)
        m_ctx.listFolder(now);
}

void FolderCommands::MoveFolder() {
    const QString source = MovableFolder();
    if (source.isEmpty())
        return;
    const QString prompt = QStringLiteral("'") + m_ctx.tree->GetTreeViewKey() +
                           QStringLiteral("'　を移動するフォルダを選択してください。");
    const QString answer =
        BrowseFolder(*m_ctx.prompts, prompt, source + QLatin1Char('/'), kBrowseRootDesktop);
    if (answer.isEmpty() || !ExistsFolder(answer))
        return;
    const QString name = GetFileNamePart(source);
    const bool hadFolders = FolderTree::HasExpandMark(m_ctx.tree->FindNode(source));
    if (m_ctx.shell->ShellMoveFiles({source}, answer) != ShellCode::Done)
        return;
    if (m_ctx.window)
        m_ctx.window->repaint();
    const SourceState& state = m_ctx.shell->lastState();
    if (state.folderThere.empty() || state.folderThere.front())
        return;
    m_ctx.tree->RemoveNode(source);
    // A destination outside the tree gets no node; the folder shows when the user goes there.
    if (!state.targetExisted.front())
        m_ctx.tree->AddFolderNode(answer, name, hadFolders);
    if (!hadFolders) {
        const QString now = m_ctx.tree->GetTreeViewKey();
        if (!now.isEmpty() && m_ctx.listFolder)
            m_ctx.listFolder(now);
    } else {
        m_ctx.nav->RefreshCurrentFolder();
    }
}

} // namespace tobimaru
