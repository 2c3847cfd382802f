#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <Qt>

class QEvent;
class QTreeWidgetItem;

namespace tobimaru {

class FolderTree;
class Prompts;

/// The user's clicks, keys and mouse on `TreeView1`. It watches the tree itself (its click
/// signals and an event filter on the tree and its viewport) and turns them into listings and
/// into intents that the main window carries out.
class FolderTreeInput final : public QObject {
    Q_OBJECT

public:
    /// Connects to the tree widget of `tree`. `tree` and `prompts` must outlive this object.
    FolderTreeInput(FolderTree& tree, Prompts& prompts, QObject* parent = nullptr);

    /// A click on a node: lists it unless it is the folder listed last, or a node drag has just
    /// ended. Reselects the node when the tree's remembered key differs.
    void TreeView1_NodeClick(QTreeWidgetItem* node);
    /// Any left click in the tree (after the node click): swallowed after a collapse; otherwise
    /// stops the hover timer and re-lists the selected node when it is the root.
    void TreeView1_Click();
    /// A double click: swallowed after a collapse; the control itself opens or closes the node.
    void TreeView1_DblClick();
    /// The tree got the focus.
    void TreeView1_GotFocus();
    /// A mouse button went down on the tree at `pos` (viewport coordinates, global `globalPos`).
    /// Returns true when the press is used up (the right button: the quick-path menu).
    bool TreeView1_MouseDown(Qt::MouseButton button, const QPoint& pos, const QPoint& globalPos);
    /// The mouse moved with `buttons` held.
    void TreeView1_MouseMove(Qt::MouseButtons buttons, const QPoint& pos);
    /// A key went up: arrows keep the focus in the tree and list the node they arrived at.
    void TreeView1_KeyUp(int key);

    /// Whether `event`, held while a listing is read and delivered to `receiver` afterwards,
    /// completes a left click on a node other than the selected one: a click that will ask for
    /// a listing of its own. Looks at presses and releases in order; the release decides, so a
    /// press that starts a drag, or one on a node's expand mark, abandons nothing.
    bool ClicksAnotherNode(const QObject* receiver, const QEvent& event);

Q_SIGNALS:
    /// The right button went down on the tree: the window stops the slideshow timer (`Timer1`)
    /// and pops up `quickAccess` at `globalPos`.
    void quickMenuRequested(const QPoint& globalPos);
    /// The left button dragged a node far enough: drag and drop starts moving the folder `key`.
    void nodeDragRequested(const QString& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FolderTree& m_tree;
    Prompts& m_prompts;
    QString m_tag;     ///< the key last clicked, the tree's remembered node
    QPoint m_pressPos; ///< where the left button went down
    bool m_pressed = false;
    QString m_heldPress;   ///< the node under a held left press, when it is another node
    QPoint m_heldPressPos; ///< where that press went down, in screen coordinates
};

} // namespace tobimaru
