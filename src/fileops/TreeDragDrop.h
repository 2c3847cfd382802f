#pragma once

#include "fileops/FileOpsContext.h"

#include <QObject>
#include <QPoint>
#include <QString>

class QDropEvent;
class QMimeData;
class QTreeWidgetItem;

namespace tobimaru {

class FileCommands;

/// Drag and drop: the folder tree is the drop target. A folder node dropped on another node is
/// moved into it; rows of the file list dropped on a node are moved into its folder; one file or
/// folder dropped from another program takes the program to its folder, and several are refused.
/// While something of ours is dragged over the tree the node under the pointer is highlighted,
/// and a node with subfolders opens after the pointer has rested on it for a second (`Timer2`).
/// The list drags its selected rows as the files they stand for. A drop is carried out once the
/// drag itself has ended, so that its boxes and its progress dialog take input.
class TreeDragDrop final : public QObject {
    Q_OBJECT

public:
    /// Makes the tree and the list drop targets, lets the list drag its rows and takes `Timer2`.
    /// `files` must outlive this object.
    TreeDragDrop(const FileOpsContext& context, FileCommands& files, QObject* parent = nullptr);

    /// The format of a node drag (the process id is its value); nothing outside the program
    /// knows it, so a node is never moved by another program.
    static QString NodeMimeType();

    /// Starts dragging the node with that key (the tree's input asks for it).
    void StartNodeDrag(const QString& key);

    /// Something of ours is dragged over the tree at `pos` (viewport coordinates).
    void DragOver(const QPoint& pos);
    /// It was dropped on the tree; `FocusPane` tells a node from list rows.
    void DropOnTree();
    /// The hover timer's tick: the node under the pointer opens.
    void Timer2_Timer();
    /// Data from another program dropped on the tree or the list: one local entry goes to its
    /// folder (or to the folder it is). Returns false when the drop is refused.
    bool OutsideDrop(const QMimeData* data);

    /// The one local path of data from another program, or "" (no file list, or several).
    static QString OneLocalEntry(const QMimeData* data);

    QString dropTargetKey() const { return m_dropTargetKey; }

Q_SIGNALS:
    /// A drop has been carried out (or found to move nothing).
    void dropDone();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Origin { Outside, Node, Rows };
    Origin originOf(const QMimeData* data) const;
    bool treeDragEvent(QEvent* event);
    bool listDragEvent(QEvent* event);
    bool outsideDragEvent(QDropEvent* drop);
    void dropNode();
    void dropRows();
    /// Clears `TreeDragStarted`, stops `Timer2`, clears the highlight; `justClicked` sets
    /// `TreeJustClicked` too.
    void endDrag(bool justClicked = true);
    void stopHover();

    FileOpsContext m_ctx;
    FileCommands& m_files;
    QString m_dropTargetKey;  ///< the node under the pointer at the last drag-over
    QString m_dragSourcePath; ///< the tree's selected folder at the last drag-over
    QString m_dragSourceName; ///< its caption
    QPoint m_lastDragPos;
    QString m_hoverKey; ///< the node the hover timer runs for
    bool m_dropQueued = false;
};

} // namespace tobimaru
