#include "browse/FolderTree.h"

#include "base/FileNames.h"
#include "platform/OffThread.h"
#include "platform/WaitCursor.h"

#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "base/RuntimeSettings.h"
#include "browse/AddressBox.h"
#include "browse/FileIcons.h"
#include "browse/SubfolderScan.h"
#include "browse/TreeNodeRoles.h"

#include <QApplication>
#include <QDir>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

namespace tobimaru {

namespace {

const QColor kSystemColour(0, 0, 192);
const QColor kHiddenColour(128, 0, 128);
const QColor kReadOnlyColour(0, 128, 0);
const QColor kSelectedColour(0, 0, 255);
const QColor kPlayedColour(255, 0, 0);

bool NodeLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    return TreeCaptionLess(a->text(0), b->text(0));
}

bool IsFilled(const QTreeWidgetItem* node) {
    return node->data(0, NodeFilledRole).toBool();
}

void SetMark(QTreeWidgetItem* node, bool hasSubfolders) {
    node->setChildIndicatorPolicy(hasSubfolders ? QTreeWidgetItem::ShowIndicator
                                                : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

// Puts `fresh` (in caption order, none of them there yet) among the parent's children (in
// caption order too) with one insertion per run between two old children, so that filling a
// folder of thousands costs one pass however many nodes it had already.
void MergeChildren(QTreeWidgetItem* parent, const std::vector<QTreeWidgetItem*>& fresh) {
    int pos = 0;
    size_t next = 0;
    while (next < fresh.size()) {
        while (pos < parent->childCount() && NodeLess(parent->child(pos), fresh[next]))
            ++pos;
        size_t end = next + 1;
        if (pos >= parent->childCount()) {
            end = fresh.size();
        } else {
            while (end < fresh.size() && NodeLess(fresh[end], parent->child(pos)))
                ++end;
        }
        const QList<QTreeWidgetItem*> run(fresh.begin() + qsizetype(next), fresh.begin() + qsizetype(end));
        parent->insertChildren(pos, run);
        pos += int(run.size());
        next = end;
    }
}

// The child keyed `key`, whose caption is `name`. Children are in caption order, so a binary
// search finds it at once (an expansion looks up every child of a folder that may hold
// thousands); a child put in out of order is still found by the scan behind it.
QTreeWidgetItem* ChildWithKey(const QTreeWidgetItem* parent, const QString& key, QStringView name) {
    const QString caption = DisplayFileName(name.toString()); // as MakeNode shows it
    int lo = 0, hi = parent->childCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (TreeCaptionLess(parent->child(mid)->text(0), caption))
            lo = mid + 1;
        else
            hi = mid;
    }
    for (int i = lo; i < parent->childCount() && parent->child(i)->text(0) == caption; ++i) {
        if (parent->child(i)->data(0, NodeKeyRole).toString() == key)
            return parent->child(i);
    }
    for (int i = 0, n = parent->childCount(); i < n; ++i) {
        if (parent->child(i)->data(0, NodeKeyRole).toString() == key)
            return parent->child(i);
    }
    return nullptr;
}

// Keys carry no trailing "/" (except "/" itself) and no "." or ".." parts.
QString CleanKey(const QString& path) {
    if (!path.startsWith(QLatin1Char('/')))
        return path;
    return QDir::cleanPath(path);
}

bool IsUnder(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/"))
        return path.size() > 1 && path.startsWith(QLatin1Char('/'));
    return path.size() > folder.size() + 1 && path.startsWith(folder) &&
           path[folder.size()] == QLatin1Char('/');
}

void SetColour(QTreeWidgetItem* node, EntryAttr attr) {
    switch (attr) {
    case EntryAttr::System:
        node->setForeground(0, kSystemColour);
        break;
    case EntryAttr::Hidden:
        node->setForeground(0, kHiddenColour);
        break;
    case EntryAttr::ReadOnly:
        node->setForeground(0, kReadOnlyColour);
        break;
    case EntryAttr::Plain:
        // The theme's text colour: black on the usual light palette, readable on a dark one.
        break;
    }
}

// Bold and coloured, once: a node that is bold already keeps its colour.
void MarkBold(QTreeWidgetItem* node, const QColor& colour) {
    QFont font = node->font(0);
    if (font.bold())
        return;
    font.setBold(true);
    node->setFont(0, font);
    node->setForeground(0, colour);
}

// The tree's own pointer turns to the hourglass while it is rebuilt.
class TreeBusyCursor final {
public:
    explicit TreeBusyCursor(QWidget* w)
        : m_widget(w) {
        m_widget->setCursor(Qt::WaitCursor);
    }
    ~TreeBusyCursor() { m_widget->unsetCursor(); }
    TreeBusyCursor(const TreeBusyCursor&) = delete;
    TreeBusyCursor& operator=(const TreeBusyCursor&) = delete;

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
        o.ShowHidden = m_ctx.settings->ShowHidden != 0;
        o.ShowSystem = m_ctx.settings->ShowSystem != 0;
        o.ShowReadOnly = m_ctx.settings->ShowReadOnly != 0;
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
        ++m_epoch;
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

struct FolderTree::PendingRead {
    QString folder;
    quint64 epoch = 0;
    std::optional<Worker<std::vector<TreeLevelEntry>>> worker; ///< none: the drive did not answer
};

std::shared_ptr<FolderTree::PendingRead> FolderTree::StartRead(const QString& folder) {
    auto pending = std::make_shared<PendingRead>();
    pending->folder = folder;
    pending->epoch = m_epoch;
    const auto command = BeginCommand();
    if (!MayLookInto(folder))
        return pending;
    const ListOptions admission = Admission();
    const DriveModel drives = m_drives ? *m_drives : TakeDrives();
    auto reader = m_ctx.levelReader ? m_ctx.levelReader : &ReadTreeLevel;
    pending->worker.emplace(
        [reader, folder, admission, drives] { return reader(folder, admission, drives); });
    return pending;
}

QTreeWidgetItem* FolderTree::FinishRead(QTreeWidgetItem* node, PendingRead& pending, bool dropGone) {
    if (!pending.worker)
        return node;
    std::optional<WaitCursor> busy;
    std::optional<std::vector<TreeLevelEntry>> level = pending.worker->wait([&busy] { busy.emplace(); });
    // A rebuild or a removal while the folder was read may have taken the node away.
    if (pending.epoch != m_epoch || !node)
        node = FindNode(pending.folder);
    if (!node || !level)
        return node;
    ApplyLevel(node, std::move(*level), dropGone);
    return node;
}

QTreeWidgetItem* FolderTree::ReadChildren(QTreeWidgetItem* node, bool dropGone) {
    const std::shared_ptr<PendingRead> pending = StartRead(NodeKey(node));
    return FinishRead(node, *pending, dropGone);
}

std::shared_ptr<FolderTree::PendingRead> FolderTree::BeginRescan(const QString& key) {
    std::shared_ptr<PendingRead> pending;
    if (!FindNode(CleanKey(key)))
        return pending;
    RunCommand(*m_ctx.prompts, [&] { pending = StartRead(CleanKey(key)); });
    return pending;
}

bool FolderTree::FinishRescan(const std::shared_ptr<PendingRead>& pending) {
    if (!pending || !pending->worker)
        return false;
    bool read = false;
    RunCommand(*m_ctx.prompts, [&] { read = FinishRead(nullptr, *pending, true) != nullptr; });
    return read;
}

void FolderTree::ApplyLevel(QTreeWidgetItem* node, std::vector<TreeLevelEntry> level, bool dropGone) {
    const QString base = JoinPath(NodeKey(node), QString()); // "/" stays "/"
    QHash<QString, QTreeWidgetItem*> present;
    present.reserve(node->childCount());
    for (int i = 0, n = node->childCount(); i < n; ++i)
        present.insert(NodeKey(node->child(i)), node->child(i));

    std::vector<QTreeWidgetItem*> fresh;
    fresh.reserve(level.size());
    QSet<QString> found;
    if (dropGone)
        found.reserve(qsizetype(level.size()));
    for (TreeLevelEntry& e : level) {
        const QString key = base + e.entry.name;
        if (dropGone)
            found.insert(key);
        if (QTreeWidgetItem* old = present.value(key)) {
            // A node already there keeps what it has; one not opened learns its mark afresh.
            if (!IsFilled(old))
                SetMark(old, e.hasSubfolders);
            continue;
        }
        QTreeWidgetItem* child = MakeNode(key, e.entry.name, FolderImageKey(m_ctx.iconSet, e.entry.image));
        SetColour(child, e.entry.attr);
        SetMark(child, e.hasSubfolders);
        fresh.push_back(child);
    }
    if (dropGone) {
        for (int i = node->childCount() - 1; i >= 0; --i) {
            QTreeWidgetItem* child = node->child(i);
            if (!found.contains(NodeKey(child))) {
                ForgetHighlightUnder(child);
                ++m_epoch;
                delete child;
            }
        }
    }
    MergeChildren(node, fresh);
    node->setData(0, NodeFilledRole, true);
    SetMark(node, false);
}

void FolderTree::ForgetHighlightUnder(const QTreeWidgetItem* node) {
    if (m_dropHighlight == NodeKey(node) || IsUnder(m_dropHighlight, NodeKey(node)))
        m_dropHighlight.clear();
}

bool FolderTree::RescanNode(const QString& key) {
    return FinishRescan(BeginRescan(key));
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
    ++m_epoch;
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
