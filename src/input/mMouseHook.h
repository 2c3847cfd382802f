#pragma once

#include "input/cMouseHookEvent.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QWidget;

namespace tobimaru {

/// The program's pointer hook: an application-wide event filter that hands every mouse event
/// of the program's windows (the player pane and full screen included) to one gesture
/// recogniser before any widget sees it. It watches the events as the window system delivers
/// them to a window, so each reaches the recogniser once, whatever widget it ends in. Popup
/// menus are left alone. A plain right click, held back while it might start a gesture, is
/// given back to the widget under the press point as a press, a release and a context-menu
/// event.
class mMouseHook final : public QObject {
    Q_OBJECT
public:
    explicit mMouseHook(QObject* parent = nullptr);
    ~mMouseHook() override;

    /// Removes any hook first; for a null `window` installs nothing and returns null. Otherwise
    /// starts watching and returns the one recogniser it feeds, which lives until
    /// RemoveMouseHook.
    cMouseHookEvent* InstallMouseHook(QWidget* window);
    /// Stops watching and releases the recogniser; nothing when no hook is installed.
    void RemoveMouseHook();
    bool installed() const { return bool(m_event); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void replay(QPoint start, QPoint end);

    std::unique_ptr<cMouseHookEvent> m_event;
    /// The widget under the right press that was held back.
    QPointer<QWidget> m_pressTarget;
    Qt::KeyboardModifiers m_modifiers;
};

} // namespace tobimaru
