#include "input/KeyPreview.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>

namespace tobimaru {

namespace {

bool IsTextInput(QWidget* w) {
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           (qobject_cast<QComboBox*>(w) && static_cast<QComboBox*>(w)->isEditable());
}

bool IsInside(QWidget* w, QWidget* ancestor) {
    for (; w; w = w->parentWidget()) {
        if (w == ancestor)
            return true;
    }
    return false;
}

} // namespace

KeyPreview::KeyPreview(QWidget* window, QWidget* list, QWidget* tree)
    : m_window(window)
    , m_list(list)
    , m_tree(tree) {
    qApp->installEventFilter(this);
}

KeyPlace KeyPreview::placeOf(QWidget* w) const {
    if (IsInside(w, m_list))
        return KeyPlace::List;
    if (IsInside(w, m_tree))
        return KeyPlace::Tree;
    return KeyPlace::Window;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    // Each key comes through the filter once per widget it is offered to; act on the first.
    if (!m_enabled || !target || target != QApplication::focusWidget() || target->window() != m_window)
        return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->isAutoRepeat() && type == QEvent::KeyRelease)
        return false;
    const KeyPhase phase = type == QEvent::KeyPress ? KeyPhase::Press : KeyPhase::Release;
    const int key = ke->key();
    const Qt::KeyboardModifiers mods = ke->modifiers();
    if (IsTextInput(target)) {
        // Typing a path must not start playback; the function keys still act.
        if (key < 0x01000000)
            return false;
        const KeyCommand c = WindowKeyCommand(key, mods, phase);
        if (c != KeyCommand::None)
            Q_EMIT command(c);
        return false;
    }
    const KeyPlace place = placeOf(target);
    const KeyCommand own = ControlKeyCommand(place, key, mods, phase);
    if (own == KeyCommand::Discard)
        return true;
    if (own != KeyCommand::None) {
        Q_EMIT command(own);
        return phase == KeyPhase::Press;
    }
    const KeyCommand windowCommand = WindowKeyCommand(key, mods, phase);
    if (windowCommand != KeyCommand::None)
        Q_EMIT command(windowCommand);
    if (phase == KeyPhase::Press && IsCharacterKey(key, mods))
        return true;
    return false;
}

} // namespace tobimaru
