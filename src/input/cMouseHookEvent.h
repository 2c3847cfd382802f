#pragma once

#include <QObject>
#include <QPoint>
#include <array>

namespace tobimaru {

/// The pointer messages the gesture recogniser tells apart; everything else is `Other`.
enum class MouseMessage { Move, RightDown, RightUp, Other };

/// Stroke directions, numbered clockwise from Up as the hook's callers knew them; screen y grows
/// downwards. The recogniser only makes Up, Right, Down and Left.
enum class MoveDir : int { None = -1, Up, UpRight, Right, DownRight, Down, DownLeft, Left, UpLeft };

/// Turns drags with the right button held into at most eight straight strokes. It is fed plain
/// pointer messages in screen pixels, knows nothing of widgets, and answers for each message
/// whether it must be kept from the program's windows.
class cMouseHookEvent final : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxAction = 8;
    /// A move shorter than this (in pixels) neither adds a stroke nor moves the measuring point.
    static constexpr int kThreshold = 10;

    explicit cMouseHookEvent(QObject* parent = nullptr);

    /// One pointer message at screen point (x, y). True: discard it (the right press that starts
    /// a gesture and every move while the button is held). A plain right click, released without
    /// a stroke, asks for its replay through ReplayRightClick and sets the replaying flag, which
    /// lets the replayed press and release pass.
    bool FireGetMessage(MouseMessage msg, int x, int y);

    /// Strokes recognised in the current gesture, 0 to 8.
    int ActionCount() const { return m_actionCount; }
    /// Direction of stroke `index`; MoveDir::None outside 0 .. ActionCount() − 1.
    MoveDir ActionMove(int index) const;
    /// Always 8.
    int MaxAction() const { return kMaxAction; }

    bool tracking() const { return m_tracking; }
    bool replaying() const { return m_replaying; }
    QPoint startPoint() const { return m_start; }
    QPoint endPoint() const { return m_end; }

Q_SIGNALS:
    /// First for every message; a listener that sets *cancel discards the message unrecognised.
    void OnGetMessage(tobimaru::MouseMessage msg, int x, int y, bool* cancel);
    /// The first stroke of a gesture.
    void OnActionStart(tobimaru::MoveDir moveDir);
    /// A stroke was added; `moveCount` is the new ActionCount.
    void OnActionMove(tobimaru::MoveDir moveDir, int moveCount);
    /// The right button came up after at least one stroke.
    void OnActionEnd(int moveCount);
    /// A plain right click was held back: its press (at `start`) and release (at `end`) are to be
    /// delivered again, and will pass.
    void ReplayRightClick(QPoint start, QPoint end);

private:
    void addStroke(int h, int v);

    bool m_tracking = false;
    bool m_replaying = false;
    QPoint m_start;
    QPoint m_end;
    QPoint m_last;
    int m_actionCount = 0;
    std::array<MoveDir, kMaxAction> m_moves{};
};

} // namespace tobimaru
