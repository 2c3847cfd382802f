#pragma once

#include "base/IconSet.h"
#include "browse/Drives.h"
#include "browse/FolderListing.h"
#include "browse/SubfolderScan.h"
#include "platform/Worker.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QStyle;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace tobimaru {

class FileIcons;
class Prompts;
struct RuntimeSettings;

/// What the folder tree works with. Everything named must outlive the tree.
struct FolderTreeContext {
    QTreeWidget* tree = nullptr;  ///< `TreeView1`
    QComboBox* address = nullptr; ///< `ImageCombo1`
    FileIcons* icons = nullptr;   ///< `imlFile`, shared with the file list
    IconSet iconSet;              ///< the folder pictures chosen at start-up
    Prompts* prompts = nullptr;
    const RuntimeSettings* settings =
        nullptr;                        ///< ShowHidden/ShowSystem/ShowReadOnly, read at every enumeration
    std::function<DriveModel()> drives; ///< a fresh mount-table snapshot; DriveModel::FromSystem when empty
    std::function<void(const QString&)> listFolder; ///< `ListFolder`(folder, check state of `MnuIconSet`)
    QTimer* hoverTimer = nullptr; ///< `Timer2`, stopped by clicks and expansions; may be null
    /// Reads what a node shows when it opens, on a worker thread; ReadTreeLevel when empty.
    std::function<std::vector<TreeLevelEntry>(const QString& folder, const ListOptions& admission,
                                              const DriveModel& drives)>
        levelReader;
};

/// The `IconSet` key of a folder picture: the closed-folder key, or the special key of a
/// read-only folder with a known name. The file list's folder rows use it too, so that a folder
/// looks the same in both panes.
QString FolderImageKey(const IconSet& iconSet, FolderImage image);

/// The tree's run-time flags, shared with its input handlers and with drag and drop.
struct TreeState {
    QString CurrentFolder;        ///< the folder last listed from a node click or by GoToPath
    bool TreeDragStarted = false; ///< a drag of a node has begun
    bool TreeJustClicked =
        true;               ///< the next mouse move with the left button ends a drag instead of starting one
    QString TreeDragSource; ///< key of the node the left button went down on
    bool IgnoreNextTreeClick =
        false; ///< set by a collapse: the next click, double click, drag-over or drop only clears it
    bool TreeExpanding = false; ///< an expansion is being filled
    int FocusPane = 0;          ///< 2 when the tree had the focus last, 1 when the list had it
};

/// `TreeView1`: one drive at a time, keyed by paths, known one level ahead of what is open.
/// A root is keyed by its mount point and captioned with the drive's display name; a folder node
/// by its full path (no trailing "/"), captioned with its name. Keys are compared exactly: Linux
/// names are case-sensitive. Children are kept in caption order without regard to case.
///
/// A node whose children have not been read yet carries its expand mark by itself (the folder
/// was read up to its first subfolder); opening it reads its children, each up to its first
/// subfolder, on a worker thread while the window keeps painting, and adds them in one step.
class FolderTree final : public QObject {
    Q_OBJECT

public:
    /// Sets the tree up (one column, no header, single selection, no sorting of its own) and
    /// connects its expand and collapse to Expand/Collapse.
    explicit FolderTree(FolderTreeContext context, QObject* parent = nullptr);
    ~FolderTree() override;

    QTreeWidget* widget() const { return m_tree; }
    TreeState& state() { return m_state; }
    const TreeState& state() const { return m_state; }
    const IconSet& iconSet() const { return m_ctx.iconSet; }

    // ---- keys -------------------------------------------------------------------------------

    /// The key of a node (its path); "" for null.
    static QString NodeKey(const QTreeWidgetItem* node);
    /// The key of the selected node, the program's current folder; "" when none is selected.
    QString GetTreeViewKey() const;
    /// The key of the drop-highlighted node. With none: the error box, and "".
    QString GetActiveTreeViewKey() const;
    /// The node with that key, or null. Follows the path down from the root, so it stays right
    /// whoever adds or removes nodes.
    QTreeWidgetItem* FindNode(const QString& key) const;
    /// The root node, or null when the tree is empty.
    QTreeWidgetItem* RootNode() const;
    /// The selected node, or null.
    QTreeWidgetItem* SelectedNode() const;
    /// True for the root node.
    static bool IsRoot(const QTreeWidgetItem* node);
    /// Whether the node shows the mark that opens it: it has children, or its folder has
    /// subfolders not read yet.
    static bool HasExpandMark(const QTreeWidgetItem* node);

    // ---- building ---------------------------------------------------------------------------

    /// Rebuilds the tree for the drive of `path`: its root (display name, drive picture) and the
    /// root's folders, each knowing whether it has folders of its own. Failures go to the error
    /// box; the tree keeps what was built.
    void BuildDriveTree(const QString& path);
    /// The same with a mount-table snapshot the caller has already taken.
    void BuildDriveTree(const QString& path, const DriveModel& drives);
    /// True when the tree shows that very mount of `drive`, read with today's admission
    /// switches: navigation may then keep its nodes (and their marks) instead of a rebuild.
    bool ShowsDrive(const QString& drive, const DriveModel& drives) const;
    /// Takes a fresh mount-table snapshot for a tree that is kept.
    void UseDrives(const DriveModel& drives);

    /// Reads the folder of the node `key` again: children gone from the disk leave the tree,
    /// new ones join in caption order, the marks of unopened children are renewed; nodes that
    /// stay keep their own children, marks and state. Returns false when there is no such node
    /// or its drive does not answer.
    bool RescanNode(const QString& key);
    /// RescanNode in two halves, so that the read runs beside other work (the listing of F5):
    /// BeginRescan starts the read (null when there is no such node), FinishRescan waits for it
    /// and puts the children in.
    struct PendingRead;
    std::shared_ptr<PendingRead> BeginRescan(const QString& key);
    bool FinishRescan(const std::shared_ptr<PendingRead>& pending);

    /// Fills a node that opens: open-folder picture, and the first time its children (each
    /// knowing whether it has folders of its own). While a drag has begun nothing is filled.
    /// Failures go to the error box. Every drive is asked before anything on it is read; one
    /// that does not answer adds nothing.
    void Expand(QTreeWidgetItem* node);
    /// A folder node that closes gets its closed picture back and swallows the next click.
    /// Children stay.
    void Collapse(QTreeWidgetItem* node);

    /// Opens the tree along `path` below `rootKey` (each folder on the way that has children is
    /// expanded, which fills the next level; a folder on the way that the tree does not know yet
    /// has its parent read again once), scrolls to and selects the node of `path`,
    /// expands it when `expand` is set (a root always), and marks it bold blue the first time.
    /// A folder of the path without a node (hidden by the admission rule) ends in the error
    /// box, the tree staying as opened so far. Returns true when the node was selected.
    bool SelectTreePath(const QString& rootKey, const QString& path, bool expand);

    // ---- nodes for the folder commands and drag and drop ------------------------------------

    /// Adds a plain folder node `name` under the node `parentKey`, in caption order, with an
    /// expand mark when `hasSubfolders` (a folder moved in with its own); returns it, or the node
    /// already there, or null when the parent has no node.
    QTreeWidgetItem* AddFolderNode(const QString& parentKey, const QString& name, bool hasSubfolders = false);
    /// Removes the node with that key and everything below it. Returns false when there is none.
    bool RemoveNode(const QString& key);
    /// The node under a point of the tree's viewport, or null.
    QTreeWidgetItem* NodeAt(const QPoint& viewportPos) const;
    /// Marks the node as the drop target (null clears the mark).
    void SetDropHighlight(QTreeWidgetItem* node);
    /// The drop-highlighted node, or null.
    QTreeWidgetItem* DropHighlight() const;

    // ---- marks and looks --------------------------------------------------------------------

    /// The folder played from: the selected node turns bold red unless it is bold already.
    void MarkPlayedFolder();
    /// `TreeViewLine`: branch lines on or off (plus/minus marks, pictures and text either way).
    void ApplyTreeLines(bool lines);

    // ---- the address box --------------------------------------------------------------------

    /// `FillAddressCombo`: the desktop, documents and drive entries of `ImageCombo1`.
    void FillAddressCombo();
    /// The same with a mount-table snapshot the caller has already taken.
    void FillAddressCombo(const DriveModel& drives);

    /// Lists a folder through the list's callback (under the hourglass), once its drive has
    /// answered; for a drive that does not, CheckDriveReady tells the user and nothing is listed.
    void ListFolder(const QString& folder);
    /// Stops `Timer2` when there is one.
    void StopHoverTimer();
    /// The admission switches of the settings (file-view state plays no part in the tree).
    ListOptions Admission() const;

private:
    DriveModel TakeDrives() const;
    QTreeWidgetItem* MakeNode(const QString& key, const QString& caption, const QString& imageKey) const;
    void InsertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* child) const;
    void SelectNode(QTreeWidgetItem* node, bool expand);
    bool MayLookInto(const QString& folder) const;
    std::optional<MountProber::Command> BeginCommand() const;
    /// Reads the node's children on a worker and puts them in; `dropGone` also takes out the
    /// children the folder no longer holds. Returns the node (null when it went meanwhile).
    QTreeWidgetItem* ReadChildren(QTreeWidgetItem* node, bool dropGone);
    std::shared_ptr<PendingRead> StartRead(const QString& folder);
    /// Waits for the read; `node` may be null (found by the folder's key then).
    QTreeWidgetItem* FinishRead(QTreeWidgetItem* node, PendingRead& pending, bool dropGone);
    void ApplyLevel(QTreeWidgetItem* node, std::vector<TreeLevelEntry> level, bool dropGone);
    void ForgetHighlightUnder(const QTreeWidgetItem* node);

    FolderTreeContext m_ctx;
    QTreeWidget* m_tree = nullptr;
    TreeState m_state;
    std::optional<DriveModel> m_drives; ///< the snapshot the tree was built from
    ListOptions m_builtWith;            ///< the admission switches the nodes were read with
    Generation m_nodesTaken;            ///< moves on at rebuilds and removals, which may take nodes in hand
    QString m_dropHighlight;            ///< key of the drop-highlighted node
    QStyle* m_lineStyle = nullptr;      ///< the style that draws branch lines, owned by the tree widget
};

} // namespace tobimaru
