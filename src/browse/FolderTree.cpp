#include "browse/FolderTree.h"

#include "base/FileNames.h"
#include "platform/WaitCursor.h"

#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "base/RuntimeSettings.h"
#include "browse/AddressBox.h"
#include "browse/FileIcons.h"
#include "browse/FolderTreeNodes.h"
#include "browse/SubfolderScan.h"
#include "browse/TreeNodeRoles.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

namespace tobimaru {

using namespace treenode;

namespace {

const QColor kSelectedColour(0, 0, 255);
const QColor kPlayedColour(255, 0, 0);

// The tree's own pointer turns to the hourglass while it is rebuilt.
class TreeBusyCursor final {
public:
    explicit TreeBusyCursor(QWidget* w)
        : m_widget(w) {
        m_widget->setCursor(Qt::WaitCursor);
    }
    ~TreeBusyCursor() { m_widget->unsetCursor(); }
    Q_DISABLE_COPY(TreeBusyCursor)

private:
    QWidget* m_widget = nullptr;
};

} // namespace

QString FolderImageKey(const IconSet& s, FolderImage image) {
    switch (image) {
    case FolderImage::MyPictures:
        return s.myPictures;
    case FolderImage::MyMusic:
        return s.myMusic;
    case FolderImage::MyVideos:
        return s.myVideos;
    case FolderImage::Favorites:
        return s.favorites;
    case FolderImage::None:
    case FolderImage::Closed:
        break;
    }
    return s.closedFolder;
}

FolderTree::FolderTree(FolderTreeContext context, QObject* parent)
    : QObject(parent)
    , m_ctx(std::move(context))
    , m_tree(m_ctx.tree) {
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSortingEnabled(false); // caption order is kept on insertion, without regard to case
    m_tree->setUniformRowHeights(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setIconSize(QSize(16, 16));
    // The current folder stays marked while the user works in the list.
    QPalette palette = m_tree->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_tree->setPalette(palette);

    connect(m_tree, &QTreeWidget::itemExpanded, this, &FolderTree::Expand);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &FolderTree::Collapse);
}

FolderTree::~FolderTree() = default;

QString FolderTree::NodeKey(const QTreeWidgetItem* node) {
    return node ? node->data(0, NodeKeyRole).toString() : QString();
}

QTreeWidgetItem* FolderTree::RootNode() const {
    return m_tree->topLevelItemCount() > 0 ? m_tree->topLevelItem(0) : nullptr;
}

QTreeWidgetItem* FolderTree::SelectedNode() const {
    return m_tree->currentItem();
}

bool FolderTree::IsRoot(const QTreeWidgetItem* node) {
    return node && !node->parent();
}

bool FolderTree::HasExpandMark(const QTreeWidgetItem* node) {
    return node && (node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator);
}

QString FolderTree::GetTreeViewKey() const {
    return NodeKey(SelectedNode());
}

QString FolderTree::GetActiveTreeViewKey() const {
    const QTreeWidgetItem* node = DropHighlight();
    if (!node) {
        ShowErrorBox(*m_ctx.prompts, ErrorCode::ObjectNotSet);
        return {};
    }
    return NodeKey(node);
}

QTreeWidgetItem* FolderTree::FindNode(const QString& key) const {
    QTreeWidgetItem* node = RootNode();
    if (!node || key.isEmpty())
        return nullptr;
    const QString rootKey = NodeKey(node);
    if (key == rootKey)
        return node;
    if (!IsUnder(key, rootKey))
        return nullptr;
    // Down the path one component at a time.
    qsizetype pos = rootKey == QLatin1String("/") ? 1 : rootKey.size() + 1;
    while (node) {
        const qsizetype slash = key.indexOf(QLatin1Char('/'), pos);
        const QString prefix = slash < 0 ? key : key.left(slash);
        node = ChildWithKey(node, prefix, QStringView(key).mid(pos, slash < 0 ? -1 : slash - pos));
        if (slash < 0)
            return node;
        pos = slash + 1;
    }
    return nullptr;
}

ListOptions FolderTree::Admission() const {
    ListOptions o;
    if (m_ctx.settings) {
        o.ShowHidden = m_ctx.settings->ShowHidden;
        o.ShowSystem = m_ctx.settings->ShowSystem;
        o.ShowReadOnly = m_ctx.settings->ShowReadOnly;
    }
    return o;
}

DriveModel FolderTree::TakeDrives() const {
    return m_ctx.drives ? m_ctx.drives() : DriveModel::FromSystem();
}

QTreeWidgetItem* FolderTree::MakeNode(const QString& key, const QString& caption,
                                      const QString& imageKey) const {
    auto* node = new QTreeWidgetItem();
    // A folder name that is not UTF-8 keeps its bytes in the key; the caption shows U+FFFD.
    node->setText(0, DisplayFileName(caption));
    node->setData(0, NodeKeyRole, key);
    node->setData(0, NodeImageRole, imageKey);
    if (m_ctx.icons)
        node->setIcon(0, m_ctx.icons->icon(imageKey));
    return node;
}

void FolderTree::InsertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* child) const {
    int lo = 0, hi = parent->childCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (NodeLess(parent->child(mid), child))
            lo = mid + 1;
        else
            hi = mid;
    }
    parent->insertChild(lo, child);
}

bool FolderTree::MayLookInto(const QString& folder) const {
    // Any file system can stop answering (a server gone, a FUSE daemon stuck), and a read of it
    // would never come back: its drive is asked first. Within one command the answer is asked
    // once, and a drive known to be silent answers at once.
    if (!m_drives)
        return true;
    const QString drive = m_drives->GetDriveName(CleanKey(folder));
    if (drive.isEmpty())
        return true;
    const std::optional<MountStatus> answer = m_drives->ProbeDrives({drive}).front();
    return answer && answer->ready;
}

std::optional<MountProber::Command> FolderTree::BeginCommand() const {
    std::optional<MountProber::Command> command;
    if (m_drives)
        command.emplace(m_drives->prober());
    return command;
}

void FolderTree::BuildDriveTree(const QString& path) {
    std::optional<DriveModel> drives;
    if (!RunCommand(*m_ctx.prompts, [&] { drives.emplace(TakeDrives()); }))
        return;
    BuildDriveTree(path, *drives);
}

void FolderTree::BuildDriveTree(const QString& path, const DriveModel& drives) {
    RunCommand(*m_ctx.prompts, [&] {
        if (QWidget* window = m_tree->window())
            window->update();
        const TreeBusyCursor busy(m_tree);
        m_nodesTaken.advance();
        m_tree->clear();
        m_dropHighlight.clear();
        m_drives = drives;
        m_builtWith = Admission();
        const auto command = BeginCommand();
        const QString drive = drives.GetDriveName(CleanKey(path));
        if (drive.isEmpty())
            throw Failure(ErrorCode::PathNotFound, "BuildDriveTree");
        const QString imageKey = DriveIconKey(drive, drives, *m_ctx.icons, *m_ctx.prompts);
        m_tree->addTopLevelItem(MakeNode(drive, drives.RootCaption(drive), imageKey));
        RunQuietly([&] { ReadChildren(RootNode(), false); });
    });
}

bool FolderTree::ShowsDrive(const QString& drive, const DriveModel& drives) const {
    const QTreeWidgetItem* root = RootNode();
    if (!root || !m_drives || NodeKey(root) != drive)
        return false;
    const ListOptions now = Admission();
    return m_builtWith.ShowHidden == now.ShowHidden && m_builtWith.ShowSystem == now.ShowSystem &&
           m_builtWith.ShowReadOnly == now.ShowReadOnly &&
           m_drives->KeyOf(drive).identity == drives.KeyOf(drive).identity &&
           root->text(0) == DisplayFileName(drives.RootCaption(drive));
}

void FolderTree::UseDrives(const DriveModel& drives) {
    m_drives = drives;
}

void FolderTree::ForgetHighlightUnder(const QTreeWidgetItem* node) {
    if (m_dropHighlight == NodeKey(node) || IsUnder(m_dropHighlight, NodeKey(node)))
        m_dropHighlight.clear();
}

void FolderTree::Expand(QTreeWidgetItem* node) {
    if (!node)
        return;
    if (m_state.TreeDragStarted) {
        m_state.TreeDragStarted = false;
        m_state.IgnoreNextTreeClick = false;
        return;
    }
    m_state.TreeExpanding = true;
    const auto command = BeginCommand();
    RunCommand(*m_ctx.prompts, [&] {
        // A read-only folder keeps its own picture; plain folders show the open one.
        if (!IsRoot(node) && node->data(0, NodeImageRole).toString() == m_ctx.iconSet.closedFolder) {
            node->setData(0, NodeImageRole, m_ctx.iconSet.openFolder);
            node->setIcon(0, m_ctx.icons->icon(m_ctx.iconSet.openFolder));
        }
        if (!IsFilled(node))
            ReadChildren(node, false);
        m_state.TreeJustClicked = true;
        StopHoverTimer();
    });
    m_state.TreeExpanding = false;
}

void FolderTree::Collapse(QTreeWidgetItem* node) {
    if (!node || IsRoot(node))
        return;
    if (node->data(0, NodeImageRole).toString() == m_ctx.iconSet.openFolder) {
        node->setData(0, NodeImageRole, m_ctx.iconSet.closedFolder);
        node->setIcon(0, m_ctx.icons->icon(m_ctx.iconSet.closedFolder));
    }
    m_state.IgnoreNextTreeClick = true;
}

void FolderTree::SelectNode(QTreeWidgetItem* node, bool expand) {
    m_tree->scrollToItem(node);
    m_tree->setCurrentItem(node);
    if (expand)
        node->setExpanded(true);
}

bool FolderTree::SelectTreePath(const QString& rootKey, const QString& path, bool expand) {
    bool selected = false;
    const auto command = BeginCommand();
    RunCommand(*m_ctx.prompts, [&] {
        const QString root = CleanKey(rootKey);
        const QString target = CleanKey(path);
        QTreeWidgetItem* node = RootNode();
        if (!node || NodeKey(node) != root)
            throw Failure(ErrorCode::PathNotFound, "SelectTreePath");
        if (target == root) {
            // The root written as a folder ("/media/usb/") always opens, as a drive root did.
            SelectNode(node, expand || path != rootKey);
        } else {
            if (!IsUnder(target, root))
                throw Failure(ErrorCode::PathNotFound, "SelectTreePath");
            // Root first, then every folder on the way; each expansion fills the next level. The
            // way goes from node to child: nothing is looked up from the root again.
            qsizetype pos = root == QLatin1String("/") ? 1 : root.size() + 1;
            while (true) {
                const qsizetype slash = target.indexOf(QLatin1Char('/'), pos);
                const QString key = slash < 0 ? target : target.left(slash);
                const QStringView name = QStringView(target).mid(pos, slash < 0 ? -1 : slash - pos);
                if (HasExpandMark(node))
                    node->setExpanded(true);
                if (!IsFilled(node))
                    node = ReadChildren(node, false);
                QTreeWidgetItem* child = node ? ChildWithKey(node, key, name) : nullptr;
                if (!child && node && !name.isEmpty()) {
                    // Made since its parent was read (the tree outlives navigation): read again.
                    node = ReadChildren(node, true);
                    child = node ? ChildWithKey(node, key, name) : nullptr;
                    if (child && HasExpandMark(node))
                        node->setExpanded(true);
                }
                if (!child)
                    throw Failure(ErrorCode::PathNotFound, "SelectTreePath");
                node = child;
                if (slash < 0)
                    break;
                pos = slash + 1;
            }
            SelectNode(node, expand);
        }
        if (QTreeWidgetItem* chosen = SelectedNode())
            MarkBold(chosen, kSelectedColour);
        selected = true;
    });
    return selected;
}

QTreeWidgetItem* FolderTree::AddFolderNode(const QString& parentKey, const QString& name,
                                           bool hasSubfolders) {
    QTreeWidgetItem* parent = FindNode(CleanKey(parentKey));
    if (!parent || name.isEmpty())
        return nullptr;
    const QString key = JoinPath(NodeKey(parent), name);
    if (QTreeWidgetItem* existing = ChildWithKey(parent, key, name))
        return existing;
    QTreeWidgetItem* node = MakeNode(key, name, m_ctx.iconSet.closedFolder);
    SetMark(node, hasSubfolders);
    InsertSorted(parent, node);
    return node;
}

bool FolderTree::RemoveNode(const QString& key) {
    QTreeWidgetItem* node = FindNode(CleanKey(key));
    if (!node)
        return false;
    ForgetHighlightUnder(node);
    m_nodesTaken.advance();
    delete node;
    return true;
}

QTreeWidgetItem* FolderTree::NodeAt(const QPoint& viewportPos) const {
    return m_tree->itemAt(viewportPos);
}

void FolderTree::SetDropHighlight(QTreeWidgetItem* node) {
    if (QTreeWidgetItem* old = DropHighlight())
        old->setData(0, Qt::BackgroundRole, QVariant());
    m_dropHighlight = NodeKey(node);
    if (node) {
        QColor colour = m_tree->palette().color(QPalette::Highlight);
        colour.setAlpha(96);
        node->setBackground(0, colour);
    }
}

QTreeWidgetItem* FolderTree::DropHighlight() const {
    return m_dropHighlight.isEmpty() ? nullptr : FindNode(m_dropHighlight);
}

void FolderTree::MarkPlayedFolder() {
    if (QTreeWidgetItem* node = SelectedNode())
        MarkBold(node, kPlayedColour);
}

void FolderTree::ApplyTreeLines(bool lines) {
    // The classic style draws the dotted branch lines; the desktop's style has none.
    if (lines && !m_lineStyle) {
        m_lineStyle = QStyleFactory::create(QStringLiteral("Windows"));
        if (m_lineStyle)
            m_lineStyle->setParent(m_tree);
    }
    m_tree->setStyle(lines && m_lineStyle ? m_lineStyle : QApplication::style());
    m_tree->setRootIsDecorated(true);
}

void FolderTree::FillAddressCombo() {
    std::optional<DriveModel> drives;
    if (!RunCommand(*m_ctx.prompts, [&] { drives.emplace(TakeDrives()); }))
        return;
    FillAddressCombo(*drives);
}

void FolderTree::FillAddressCombo(const DriveModel& drives) {
    RunCommand(*m_ctx.prompts,
               [&] { FillAddressBox(m_ctx.address, drives, m_ctx.iconSet, *m_ctx.icons, *m_ctx.prompts); });
}

void FolderTree::ListFolder(const QString& folder) {
    const WaitCursor busy;
    // A folder on a drive that does not answer is not read (the read would hang the window); the
    // user hears why, and the list keeps what it shows.
    if (m_drives && folder.startsWith(QLatin1Char('/'))) {
        const auto command = BeginCommand();
        if (!CheckDriveReady(folder, *m_drives, *m_ctx.prompts))
            return;
    }
    if (m_ctx.listFolder)
        m_ctx.listFolder(folder);
}

void FolderTree::StopHoverTimer() {
    if (m_ctx.hoverTimer)
        m_ctx.hoverTimer->stop();
}

} // namespace tobimaru
