#include "input/MouseGestures.h"

#include "base/CommandTable.h"
#include "playback/MediaPlayer.h"

namespace tobimaru {

std::optional<CommandId> StrokeCommand(MoveDir moveDir) {
    switch (moveDir) {
    case MoveDir::Up:
        return cmd::Previous;
    case MoveDir::Right:
        // The toolbar's play button: play or pause, with rows listed only.
        return cmd::PlayOrPauseIfListed;
    case MoveDir::Down:
        return cmd::Next;
    case MoveDir::Left:
        return cmd::Stop;
    default:
        return std::nullopt;
    }
}

MouseGestures::MouseGestures(const CommandTable& commands, std::function<bool()> listHasRows,
                             MediaPlayer& player, QObject* parent)
    : QObject(parent)
    , m_commands(commands)
    , m_listHasRows(std::move(listHasRows))
    , m_player(player) {}

void MouseGestures::Install(QWidget* window) {
    m_mouseEvent = m_hook.InstallMouseHook(window);
    if (m_mouseEvent)
        connect(m_mouseEvent, &cMouseHookEvent::OnActionMove, this, &MouseGestures::OnActionMove);
}

void MouseGestures::Remove() {
    m_hook.RemoveMouseHook();
    m_mouseEvent = nullptr;
}

void MouseGestures::OnActionMove(MoveDir moveDir, int moveCount) {
    const std::optional<CommandId> command = StrokeCommand(moveDir);
    if (!command)
        return;
    for (int i = 0; i < cMouseHookEvent::kMaxAction && i < moveCount; ++i) {
        if (moveDir == MoveDir::Right && m_listHasRows && !m_listHasRows())
            return;
        m_commands.execute(*command);
        m_player.setDisplayFlag(PlayerFlag::ContextMenu, false);
    }
}

} // namespace tobimaru
