#include "input/cMouseHookEvent.h"

#include <cstdlib>

namespace tobimaru {

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

MoveDir DirectionOf(int h, int v) {
    if (h == 0 && v == -1)
        return MoveDir::Up;
    if (h == 1 && v == 0)
        return MoveDir::Right;
    if (h == 0 && v == 1)
        return MoveDir::Down;
    if (h == -1 && v == 0)
        return MoveDir::Left;
    return MoveDir::None;
}

} // namespace

cMouseHookEvent::cMouseHookEvent(QObject* parent)
    : QObject(parent) {
    m_moves.fill(MoveDir::None);
}

MoveDir cMouseHookEvent::ActionMove(int index) const {
    if (index < 0 || index >= m_actionCount)
        return MoveDir::None;
    return m_moves[size_t(index)];
}

bool cMouseHookEvent::FireGetMessage(MouseMessage msg, int x, int y) {
    bool cancel = false;
    Q_EMIT OnGetMessage(msg, x, y, &cancel);
    if (cancel)
        return true;

    switch (msg) {
    case MouseMessage::Move: {
        if (!m_tracking)
            return false;
        const int dx = x - m_last.x();
        const int dy = y - m_last.y();
        if (dx * dx + dy * dy > kThreshold * kThreshold) {
            // A stroke is mostly along one axis: the other may be at most a third of it. Compared
            // multiplied out, so small moves are not rounded into strokes.
            const int h = 3 * std::abs(dy) <= std::abs(dx) ? Sign(dx) : 0;
            const int v = std::abs(dy) >= 3 * std::abs(dx) ? Sign(dy) : 0;
            addStroke(h, v);
            // Also after a diagonal move: the next stroke is measured from here.
            m_last = QPoint(x, y);
        }
        return true;
    }
    case MouseMessage::RightDown:
        if (m_replaying)
            return false;
        m_tracking = true;
        m_start = m_last = QPoint(x, y);
        m_actionCount = 0;
        return true;
    case MouseMessage::RightUp:
        if (m_replaying) {
            m_replaying = false;
            return false;
        }
        m_end = QPoint(x, y);
        m_tracking = false;
        if (m_actionCount > 0) {
            Q_EMIT OnActionEnd(m_actionCount);
        } else {
            m_replaying = true;
            Q_EMIT ReplayRightClick(m_start, m_end);
        }
        return false;
    case MouseMessage::Other:
        return false;
    }
    return false;
}

void cMouseHookEvent::addStroke(int h, int v) {
    if (m_actionCount >= kMaxAction)
        return;
    const MoveDir dir = DirectionOf(h, v);
    if (dir == MoveDir::None)
        return;
    if (m_actionCount == 0)
        Q_EMIT OnActionStart(dir);
    else if (m_moves[size_t(m_actionCount - 1)] == dir)
        return; // the stroke goes on
    m_moves[size_t(m_actionCount)] = dir;
    ++m_actionCount;
    Q_EMIT OnActionMove(dir, m_actionCount);
}

} // namespace tobimaru
