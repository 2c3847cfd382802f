#include "fileops/TreeDragDrop.h"

#include "base/ErrorBox.h"
#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/Navigation.h"
#include "fileops/FileCommands.h"
#include "fileops/ListSelection.h"
#include "fileops/ShellFileOps.h"

#include <QCoreApplication>
#include <QDir>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

namespace tobimaru {

namespace {

constexpr int kHoverMs = 1000;

QByteArray OurPid() {
    return QByteArray::number(QCoreApplication::applicationPid());
}

// Another program is never told that we moved its files: the best it hears is a link or a copy,
// after which it leaves them alone.
bool AcceptOutside(QDropEvent* event) {
    for (const Qt::DropAction action : {Qt::LinkAction, Qt::CopyAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

void AcceptMove(QDropEvent* event) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

} // namespace

TreeDragDrop::TreeDragDrop(const FileOpsContext& context, FileCommands& files, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_files(files) {
    QTreeWidget* tree = m_ctx.tree->widget();
    tree->setAcceptDrops(true);
    tree->viewport()->setAcceptDrops(true);
    tree->viewport()->installEventFilter(this);
    QTreeView* list = m_ctx.list->view();
    list->setDragEnabled(true);
    list->setDragDropMode(QAbstractItemView::DragOnly);
    // Offered as a copy: a file manager that takes the rows takes them without a move.
    list->setDefaultDropAction(Qt::CopyAction);
    list->setAcceptDrops(true);
    list->viewport()->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
    if (m_ctx.hoverTimer) {
        m_ctx.hoverTimer->setInterval(kHoverMs);
        connect(m_ctx.hoverTimer, &QTimer::timeout, this, [this] { RunQuietly([this] { Timer2_Timer(); }); });
    }
}

QString TreeDragDrop::NodeMimeType() {
    return QStringLiteral("application/x-tobimaru-tree-node");
}

TreeDragDrop::Origin TreeDragDrop::originOf(const QMimeData* data) const {
    if (data->data(NodeMimeType()) == OurPid())
        return Origin::Node;
    if (data->data(FileListModel::RowsMimeType()) == OurPid())
        return Origin::Rows;
    return Origin::Outside;
}

QString TreeDragDrop::OneLocalEntry(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    // The address carries the name's bytes percent-encoded; toLocalFile would turn a byte that
    // is not UTF-8 into U+FFFD and so name another path.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(urls.first().path(QUrl::FullyEncoded).toLatin1());
    return QDir::cleanPath(DecodeFileName(bytes));
}

void TreeDragDrop::StartNodeDrag(const QString& key) {
    QTreeWidgetItem* node = m_ctx.tree->FindNode(key);
    if (!node)
        return;
    auto* data = new QMimeData;
    data->setData(NodeMimeType(), OurPid());
    auto* drag = new QDrag(m_ctx.tree->widget());
    drag->setMimeData(data);
    drag->setPixmap(node->icon(0).pixmap(16, 16));
    m_ctx.tree->state().FocusPane = 2;
    // Qt deletes the drag object once the drag is over.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    // Dropped anywhere but on the tree: the drag is over all the same.
    if (!m_dropQueued)
        endDrag();
}

void TreeDragDrop::DragOver(const QPoint& pos) {
    TreeState& s = m_ctx.tree->state();
    if (s.IgnoreNextTreeClick) {
        s.IgnoreNextTreeClick = false;
        return;
    }
    if (s.TreeExpanding)
        return;
    QTreeWidgetItem* node = m_ctx.tree->NodeAt(pos);
    m_ctx.tree->SetDropHighlight(node);
    if (node)
        m_dropTargetKey = FolderTree::NodeKey(node);
    m_dragSourcePath = m_ctx.tree->GetTreeViewKey();
    const QTreeWidgetItem* selected = m_ctx.tree->SelectedNode();
    m_dragSourceName = selected ? selected->text(0) : QString();
    s.TreeDragStarted = true;
    m_lastDragPos = pos;
    if (!m_ctx.hoverTimer)
        return;
    if (FolderTree::HasExpandMark(node)) {
        // The second counts from when the pointer came to this node, not from its last move.
        const QString key = FolderTree::NodeKey(node);
        if (key != m_hoverKey || !m_ctx.hoverTimer->isActive())
            m_ctx.hoverTimer->start();
        m_hoverKey = key;
    } else {
        m_ctx.hoverTimer->stop();
        m_hoverKey.clear();
    }
}

void TreeDragDrop::Timer2_Timer() {
    TreeState& s = m_ctx.tree->state();
    if (!s.TreeDragStarted) {
        if (m_ctx.hoverTimer)
            m_ctx.hoverTimer->stop();
        return;
    }
    QTreeWidgetItem* node = m_ctx.tree->NodeAt(m_lastDragPos);
    if (!node)
        return;
    if (!node->isExpanded()) {
        // An expansion during a drag fills nothing; this one is meant to, so that the folders
        // below show their own subfolders as any opened node does.
        s.TreeDragStarted = false;
        node->setExpanded(true);
        s.TreeDragStarted = true;
    }
    m_ctx.tree->widget()->scrollToItem(node);
}

void TreeDragDrop::stopHover() {
    if (m_ctx.hoverTimer)
        m_ctx.hoverTimer->stop();
    m_hoverKey.clear();
}

void TreeDragDrop::endDrag(bool justClicked) {
    TreeState& s = m_ctx.tree->state();
    s.TreeDragStarted = false;
    if (justClicked)
        s.TreeJustClicked = true;
    stopHover();
    m_ctx.tree->SetDropHighlight(nullptr);
}

void TreeDragDrop::DropOnTree() {
    TreeState& s = m_ctx.tree->state();
    if (s.IgnoreNextTreeClick) {
        s.IgnoreNextTreeClick = false;
        return;
    }
    if (!m_ctx.tree->DropHighlight()) {
        endDrag();
        return;
    }
    if (s.FocusPane == 2) {
        dropNode();
        return;
    }
    if (s.FocusPane == 1) {
        if (m_ctx.list->model()->rowCount() == 0)
            return;
        dropRows();
    }
    endDrag();
}

void TreeDragDrop::dropNode() {
    TreeState& s = m_ctx.tree->state();
    const QTreeWidgetItem* highlighted = m_ctx.tree->DropHighlight();
    const QString target = FolderTree::NodeKey(highlighted);
    // Onto itself, into the folder it is in already, or onto a node that has gone: nothing moves.
    if (target == s.TreeDragSource || target == GetParentPath(m_dragSourcePath) ||
        m_dropTargetKey == m_dragSourcePath || !m_ctx.tree->FindNode(m_dropTargetKey)) {
        endDrag();
        return;
    }
    s.TreeDragStarted = false;
    stopHover();
    if (m_ctx.shell->ShellMoveFiles({m_dragSourcePath}, m_dropTargetKey) != ShellCode::Done)
        return; // the highlight stays on the node that refused, and the click state as it was
    RunQuietly([&] {
        if (m_ctx.window)
            m_ctx.window->repaint();
        const SourceState& state = m_ctx.shell->lastState();
        if (!state.folderThere.empty() && !state.folderThere.front()) {
            const bool hadFolders = FolderTree::HasExpandMark(m_ctx.tree->FindNode(m_dragSourcePath));
            m_ctx.tree->RemoveNode(m_dragSourcePath);
            const QTreeWidgetItem* moved =
                m_ctx.tree->AddFolderNode(m_dropTargetKey, m_dragSourceName, hadFolders);
            if (moved && FolderTree::HasExpandMark(moved))
                m_ctx.nav->RefreshCurrentFolder();
            else if (m_ctx.listFolder && !m_ctx.tree->GetTreeViewKey().isEmpty())
                m_ctx.listFolder(m_ctx.tree->GetTreeViewKey());
        }
    });
    endDrag();
}

void TreeDragDrop::dropRows() {
    TreeState& s = m_ctx.tree->state();
    QTreeView* view = m_ctx.list->view();
    const SelectionRecord record = CollectSelectedRows(view, *m_ctx.list->model());
    const QString target = FolderTree::NodeKey(m_ctx.tree->DropHighlight());
    if (record.count > 0 && GetParentPath(record.lastKey) == target) {
        s.TreeJustClicked = true;
        m_ctx.tree->SetDropHighlight(nullptr);
        return;
    }
    m_ctx.shell->ShellMoveFiles(record.keys, target);
    m_files.BringListInLine(record, m_ctx.shell->lastState(), [this] {
        TreeState& st = m_ctx.tree->state();
        st.TreeDragStarted = false;
        stopHover();
        st.TreeJustClicked = true;
    });
    if (m_ctx.list->model()->rowCount() > 0)
        SelectListRow(view, 1);
}

bool TreeDragDrop::OutsideDrop(const QMimeData* data) {
    const QString path = OneLocalEntry(data);
    if (path.isEmpty())
        return false;
    // Nothing is copied or moved: the program goes where the entry is.
    const QString folder = ExistsFolder(path) ? path : GetParentPath(path);
    m_ctx.nav->GoToPath(folder, true);
    return true;
}

bool TreeDragDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        break;
    default:
        return false;
    }
    if (watched == m_ctx.tree->widget()->viewport())
        return treeDragEvent(event);
    if (watched == m_ctx.list->view()->viewport())
        return listDragEvent(event);
    return false;
}

bool TreeDragDrop::treeDragEvent(QEvent* event) {
    if (event->type() == QEvent::DragLeave) {
        // The drag may end anywhere now; a drag-over on coming back starts it again.
        m_ctx.tree->state().TreeDragStarted = false;
        stopHover();
        m_ctx.tree->SetDropHighlight(nullptr);
        return true;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const Origin origin = originOf(drop->mimeData());
    if (origin == Origin::Outside)
        return outsideDragEvent(drop);
    if (event->type() == QEvent::DragEnter)
        m_ctx.tree->state().FocusPane = origin == Origin::Node ? 2 : 1;
    if (event->type() == QEvent::Drop) {
        AcceptMove(drop);
        m_dropQueued = true;
        // After the drag has ended: its boxes and progress dialog must take input.
        QTimer::singleShot(0, this, [this] {
            m_dropQueued = false;
            RunCommand(*m_ctx.prompts, [this] { DropOnTree(); });
            Q_EMIT dropDone();
        });
        return true;
    }
    RunQuietly([&] { DragOver(drop->position().toPoint()); });
    AcceptMove(drop);
    return true;
}

bool TreeDragDrop::listDragEvent(QEvent* event) {
    if (event->type() == QEvent::DragLeave)
        return true;
    auto* drop = static_cast<QDropEvent*>(event);
    // Inside the program only the tree takes drops.
    if (originOf(drop->mimeData()) != Origin::Outside) {
        drop->ignore();
        return true;
    }
    return outsideDragEvent(drop);
}

bool TreeDragDrop::outsideDragEvent(QDropEvent* drop) {
    const QString path = OneLocalEntry(drop->mimeData());
    if (path.isEmpty()) {
        drop->ignore();
        return true;
    }
    if (!AcceptOutside(drop) || drop->type() != QEvent::Drop)
        return true;
    // The data belongs to the drag, which is over by the time the drop is carried out. The
    // address is kept as it came: one made again from the path text would lose a name's bytes.
    QTimer::singleShot(0, this, [this, url = drop->mimeData()->urls().first()] {
        QMimeData one;
        one.setUrls({url});
        RunCommand(*m_ctx.prompts, [&] { OutsideDrop(&one); });
        Q_EMIT dropDone();
    });
    return true;
}

} // namespace tobimaru
