#include "browse/FolderTreeNodes.h"

#include "base/FileNames.h"
#include "browse/FileListModel.h"
#include "browse/TreeNodeRoles.h"

#include <QDir>
#include <QList>
#include <QTreeWidgetItem>

namespace tobimaru::treenode {

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
    // A plain folder keeps the theme's text colour: black on the usual light palette, readable
    // on a dark one. The others take the list's colours, so a folder looks alike in both.
    if (attr != EntryAttr::Plain)
        node->setForeground(0, FileListModel::AttrColor(attr));
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

} // namespace tobimaru::treenode
