#pragma once

#include "browse/SubfolderScan.h"

#include <QColor>
#include <QString>
#include <QStringView>
#include <vector>

class QTreeWidgetItem;

namespace tobimaru::treenode {

// What the folder tree's halves (building and walking it, reading folders into it) share about
// its nodes.

bool NodeLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b);
/// True once the node's children have been read.
bool IsFilled(const QTreeWidgetItem* node);
/// The expand mark of a node whose children have not been read.
void SetMark(QTreeWidgetItem* node, bool hasSubfolders);
/// Puts `fresh` (in caption order, none of them there yet) among the parent's children.
void MergeChildren(QTreeWidgetItem* parent, const std::vector<QTreeWidgetItem*>& fresh);
/// The child keyed `key`, whose caption is `name`, or null.
QTreeWidgetItem* ChildWithKey(const QTreeWidgetItem* parent, const QString& key, QStringView name);
QString CleanKey(const QString& path);
bool IsUnder(const QString& path, const QString& folder);
void SetColour(QTreeWidgetItem* node, EntryAttr attr);
void MarkBold(QTreeWidgetItem* node, const QColor& colour);

} // namespace tobimaru::treenode
