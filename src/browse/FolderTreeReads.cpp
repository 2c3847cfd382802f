#include "browse/FolderTree.h"

#include "base/ErrorBox.h"
#include "base/PathQueries.h"
#include "browse/FolderTreeNodes.h"
#include "browse/SubfolderScan.h"
#include "browse/TreeNodeRoles.h"
#include "platform/WaitCursor.h"
#include "platform/Worker.h"

#include <QHash>
#include <QSet>
#include <QTreeWidget>

// Reading a folder's subfolders into its node: on a worker, the window painting meanwhile, and
// merged in among the children already there.

namespace tobimaru {

using namespace treenode;

struct FolderTree::PendingRead {
    QString folder;
    Generation::Ticket ticket = 0;
    std::optional<Worker<std::vector<TreeLevelEntry>>> worker; ///< none: the drive did not answer
};

std::shared_ptr<FolderTree::PendingRead> FolderTree::StartRead(const QString& folder) {
    auto pending = std::make_shared<PendingRead>();
    pending->folder = folder;
    pending->ticket = m_nodesTaken.current();
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
    if (!m_nodesTaken.isCurrent(pending.ticket) || !node)
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
                m_nodesTaken.advance();
                delete child;
            }
        }
    }
    MergeChildren(node, fresh);
    node->setData(0, NodeFilledRole, true);
    SetMark(node, false);
}

bool FolderTree::RescanNode(const QString& key) {
    return FinishRescan(BeginRescan(key));
}

} // namespace tobimaru
