#include "browse/FolderTreeInput.h"

#include "base/ErrorBox.h"
#include "browse/FolderTree.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QWindow>

namespace tobimaru {

FolderTreeInput::FolderTreeInput(FolderTree& tree, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , m_tree(tree)
    , m_prompts(prompts) {
    QTreeWidget* w = m_tree.widget();
    connect(w, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node, int) { TreeView1_NodeClick(node); });
    connect(w, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { TreeView1_DblClick(); });
    w->installEventFilter(this);
    w->viewport()->installEventFilter(this);
}

bool FolderTreeInput::eventFilter(QObject* watched, QEvent* event) {
    QTreeWidget* w = m_tree.widget();
    if (watched == w) {
        if (event->type() == QEvent::FocusIn) {
            TreeView1_GotFocus();
        } else if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // A folder closed from the keyboard has no click of its own to swallow; left set,
            // the flag would eat the user's next real click.
            if (!m_pressed)
                m_tree.state().IgnoreNextTreeClick = false;
            if (!key->isAutoRepeat())
                TreeView1_KeyUp(key->key());
        }
        return false;
    }
    if (watched != w->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        return TreeView1_MouseDown(mouse->button(), mouse->position().toPoint(),
                                   mouse->globalPosition().toPoint());
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        TreeView1_MouseMove(mouse->buttons(), mouse->position().toPoint());
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_pressed = false;
            // The click of the whole control comes after the node's own click, which the tree
            // reports while it handles this release.
            QMetaObject::invokeMethod(this, &FolderTreeInput::TreeView1_Click, Qt::QueuedConnection);
        }
        return false;
    default:
        return false;
    }
}

bool FolderTreeInput::ClicksAnotherNode(const QObject* receiver, const QEvent& event) {
    const QEvent::Type type = event.type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    if (mouse.button() != Qt::LeftButton)
        return false;
    QTreeWidget* w = m_tree.widget();
    QWidget* top = w->window();
    // Input from the window system is held as it reaches a window (the main window's own, or
    // that of a native widget inside it); a widget's own is held at the widget. Either way what
    // counts is what lies under the pointer.
    const QWidget* widget = qobject_cast<const QWidget*>(receiver);
    if (const auto* window = qobject_cast<const QWindow*>(receiver))
        widget = window->handle() ? QWidget::find(window->winId()) : nullptr;
    const bool ours = widget && widget->window() == top;
    const QPoint global = mouse.globalPosition().toPoint();
    const QTreeWidgetItem* node = nullptr;
    if (ours && top->childAt(top->mapFromGlobal(global)) == w->viewport()) {
        const QPoint pos = w->viewport()->mapFromGlobal(global);
        node = w->itemAt(pos);
        // The node's own row: its expand mark opens it and lists nothing.
        if (node && !w->visualItemRect(node).contains(pos))
            node = nullptr;
    }
    const QString key = node ? FolderTree::NodeKey(node) : QString();
    if (type == QEvent::MouseButtonPress) {
        const QTreeWidgetItem* current = w->currentItem();
        m_heldPress = node && (!current || FolderTree::NodeKey(current) != key) ? key : QString();
        m_heldPressPos = global;
        return false;
    }
    // A press that moved as far as a drag starts one: no click, no listing.
    const bool click = !m_heldPress.isEmpty() && key == m_heldPress &&
                       (global - m_heldPressPos).manhattanLength() < QApplication::startDragDistance();
    m_heldPress.clear();
    return click;
}

void FolderTreeInput::TreeView1_NodeClick(QTreeWidgetItem* node) {
    if (!node)
        return;
    RunCommand(m_prompts, [&] {
        TreeState& s = m_tree.state();
        const QString key = FolderTree::NodeKey(node);
        if (s.TreeDragStarted) {
            // The button came up at the end of a node drag, not as a click.
            s.TreeDragStarted = false;
            s.IgnoreNextTreeClick = false;
            return;
        }
        if (key != s.CurrentFolder) {
            m_tree.ListFolder(key);
            s.CurrentFolder = key;
        }
        s.TreeJustClicked = true;
        if (m_tag != key) {
            m_tree.widget()->setCurrentItem(node);
            m_tag = key;
        }
    });
}

void FolderTreeInput::TreeView1_Click() {
    RunCommand(m_prompts, [&] {
        TreeState& s = m_tree.state();
        if (s.IgnoreNextTreeClick) {
            s.IgnoreNextTreeClick = false;
            s.TreeDragStarted = false;
            return;
        }
        s.TreeJustClicked = true;
        m_tree.StopHoverTimer();
        // Other nodes are listed by their node click; a click on the selected root lists it again.
        const QTreeWidgetItem* node = m_tree.SelectedNode();
        if (FolderTree::IsRoot(node) && !s.TreeDragStarted)
            m_tree.ListFolder(FolderTree::NodeKey(node));
        s.TreeDragStarted = false;
        m_tree.StopHoverTimer();
        s.TreeJustClicked = true;
        s.FocusPane = 2;
    });
}

void FolderTreeInput::TreeView1_DblClick() {
    TreeState& s = m_tree.state();
    if (s.IgnoreNextTreeClick) {
        s.IgnoreNextTreeClick = false;
        return;
    }
    s.TreeJustClicked = true;
    m_tree.StopHoverTimer();
}

void FolderTreeInput::TreeView1_GotFocus() {
    m_tree.state().FocusPane = 2;
    m_tree.state().TreeJustClicked = true;
}

bool FolderTreeInput::TreeView1_MouseDown(Qt::MouseButton button, const QPoint& pos,
                                          const QPoint& globalPos) {
    if (button == Qt::RightButton) {
        // Used up here: the right button must not move the selection away from the listed folder.
        Q_EMIT quickMenuRequested(globalPos);
        return true;
    }
    if (button == Qt::LeftButton) {
        const QTreeWidgetItem* under = m_tree.NodeAt(pos);
        m_tree.state().TreeDragSource = FolderTree::NodeKey(under ? under : m_tree.SelectedNode());
        m_tree.SetDropHighlight(nullptr);
        m_pressPos = pos;
        m_pressed = true;
    }
    return false;
}

void FolderTreeInput::TreeView1_MouseMove(Qt::MouseButtons buttons, const QPoint& pos) {
    if (!(buttons & Qt::LeftButton))
        return;
    TreeState& s = m_tree.state();
    if (s.TreeJustClicked) {
        s.TreeJustClicked = false;
        return;
    }
    // A hand that shakes while clicking is not a drag: only a move past the desktop's drag
    // distance starts one, once per press.
    if (!m_pressed || s.TreeDragStarted ||
        (pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!m_tree.NodeAt(pos) || s.TreeDragSource.isEmpty())
        return;
    s.TreeDragStarted = true;
    Q_EMIT nodeDragRequested(s.TreeDragSource);
}

void FolderTreeInput::TreeView1_KeyUp(int key) {
    // The folder commands' keys (Delete, M, K) reach the window's command table through its key
    // preview; the arrows are the tree's own.
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        m_tree.widget()->setFocus();
        // Moving the selection by keys is a click on the node it arrives at.
        if (QTreeWidgetItem* node = m_tree.SelectedNode())
            TreeView1_NodeClick(node);
        return;
    default:
        break;
    }
}

} // namespace tobimaru
