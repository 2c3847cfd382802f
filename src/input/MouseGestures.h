#pragma once

#include "base/CommandIds.h"
#include "input/mMouseHook.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QWidget;

namespace tobimaru {

class CommandTable;
class MediaPlayer;

/// The command a stroke runs: up the previous row, down the next, right play or pause (rows
/// listed), left stop. None for any other direction.
std::optional<CommandId> StrokeCommand(MoveDir moveDir);

/// The main window's gestures: the hook while they are on, and the window's answer to each
/// stroke. The table, the player and the window must outlive this object.
class MouseGestures final : public QObject {
    Q_OBJECT
public:
    /// `listHasRows` tells whether the file list has rows (the right stroke needs one).
    MouseGestures(const CommandTable& commands, std::function<bool()> listHasRows, MediaPlayer& player,
                  QObject* parent = nullptr);

    /// InstallMouseHook with the window; the recogniser it returns is kept as mMouseEvent.
    void Install(QWidget* window);
    /// RemoveMouseHook; mMouseEvent is released with it.
    void Remove();
    cMouseHookEvent* mMouseEvent() const { return m_mouseEvent; }

    /// The k-th stroke of a gesture runs its command k times. A right stroke over an empty list
    /// ends there. After each run the pane's own right-button menu is switched off again.
    void OnActionMove(MoveDir moveDir, int moveCount);

private:
    const CommandTable& m_commands;
    std::function<bool()> m_listHasRows;
    MediaPlayer& m_player;
    mMouseHook m_hook;
    QPointer<cMouseHookEvent> m_mouseEvent;
};

} // namespace tobimaru
