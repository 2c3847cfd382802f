#include "input/mMouseHook.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace tobimaru {

namespace {

QWidget* WidgetOf(QWindow* window) {
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget* top : tops) {
        if (top->windowHandle() == window)
            return top;
    }
    return nullptr;
}

QWidget* WidgetAt(QWindow* window, const QPoint& global) {
    QWidget* top = WidgetOf(window);
    if (!top)
        return QApplication::widgetAt(global);
    QWidget* child = top->childAt(top->mapFromGlobal(global));
    return child ? child : top;
}

bool IsMouseEvent(QEvent::Type t) {
    return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
           t == QEvent::MouseButtonDblClick || t == QEvent::MouseMove;
}

} // namespace

mMouseHook::mMouseHook(QObject* parent)
    : QObject(parent) {}

mMouseHook::~mMouseHook() {
    RemoveMouseHook();
}

cMouseHookEvent* mMouseHook::InstallMouseHook(QWidget* window) {
    RemoveMouseHook();
    if (!window)
        return nullptr;
    m_event = std::make_unique<cMouseHookEvent>();
    // Queued, as the click the window system gives back comes after the release in hand.
    connect(m_event.get(), &cMouseHookEvent::ReplayRightClick, this, &mMouseHook::replay,
            Qt::QueuedConnection);
    qApp->installEventFilter(this);
    return m_event.get();
}

void mMouseHook::RemoveMouseHook() {
    if (!m_event)
        return;
    qApp->removeEventFilter(this);
    m_event.reset();
    m_pressTarget = nullptr;
}

bool mMouseHook::eventFilter(QObject* watched, QEvent* event) {
    if (!m_event || !watched->isWindowType() || !IsMouseEvent(event->type()))
        return false;
    auto* window = static_cast<QWindow*>(watched);
    // A menu's own clicks choose its items; a right press there is no gesture.
    if (window->type() == Qt::Popup || window->type() == Qt::ToolTip)
        return false;
    const auto* me = static_cast<const QMouseEvent*>(event);
    const QPoint global = me->globalPosition().toPoint();
    const bool right = me->button() == Qt::RightButton;

    MouseMessage msg = MouseMessage::Other;
    switch (event->type()) {
    case QEvent::MouseMove:
        msg = MouseMessage::Move;
        break;
    case QEvent::MouseButtonPress:
        if (right)
            msg = MouseMessage::RightDown;
        break;
    case QEvent::MouseButtonRelease:
        // A release whose press nobody watched (the hook came while the button was down) is
        // no click of ours to give back.
        if (right && (m_event->tracking() || m_event->replaying()))
            msg = MouseMessage::RightUp;
        break;
    case QEvent::MouseButtonDblClick:
        // The second press of a quick double right click is held back like the first; the
        // double click that follows it would reach the list as a start of the row.
        if (right && m_event->tracking())
            return true;
        break;
    default:
        break;
    }

    const bool discard = m_event->FireGetMessage(msg, global.x(), global.y());
    if (msg == MouseMessage::RightDown && discard) {
        m_pressTarget = WidgetAt(window, global);
        m_modifiers = me->modifiers();
    }
    // The release passes; Qt gives no widget a release whose press it never had.
    return discard;
}

void mMouseHook::replay(QPoint start, QPoint end) {
    if (!m_event)
        return;
    QPointer<QWidget> target = m_pressTarget;
    m_pressTarget = nullptr;
    // The replayed press and release pass the recogniser, which ends its replaying with them.
    m_event->FireGetMessage(MouseMessage::RightDown, start.x(), start.y());
    if (target) {
        QMouseEvent press(QEvent::MouseButtonPress, target->mapFromGlobal(start), start, Qt::RightButton,
                          Qt::RightButton, m_modifiers);
        QApplication::sendEvent(target, &press);
    }
    if (m_event)
        m_event->FireGetMessage(MouseMessage::RightUp, end.x(), end.y());
    if (target) {
        QMouseEvent release(QEvent::MouseButtonRelease, target->mapFromGlobal(end), end, Qt::RightButton,
                            Qt::NoButton, m_modifiers);
        QApplication::sendEvent(target, &release);
    }
    if (target) {
        QContextMenuEvent menu(QContextMenuEvent::Mouse, target->mapFromGlobal(start), start, m_modifiers);
        QApplication::sendEvent(target, &menu);
    }
}

} // namespace tobimaru
