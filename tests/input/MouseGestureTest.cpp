#include "input/cMouseHookEvent.h"

#include <QList>
#include <QString>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

using namespace tobimaru;

namespace {

struct Msg {
    MouseMessage msg;
    int x;
    int y;
};

constexpr MouseMessage D = MouseMessage::RightDown;
constexpr MouseMessage M = MouseMessage::Move;
constexpr MouseMessage U = MouseMessage::RightUp;

/// Everything the recogniser told, in order, as short words: "start 4", "move 4 1", "end 2",
/// "replay 100,100 104,100".
struct Heard {
    explicit Heard(cMouseHookEvent& e) {
        QObject::connect(&e, &cMouseHookEvent::OnActionStart,
                         [this](MoveDir d) { events << QString("start %1").arg(int(d)); });
        QObject::connect(&e, &cMouseHookEvent::OnActionMove,
                         [this](MoveDir d, int n) { events << QString("move %1 %2").arg(int(d)).arg(n); });
        QObject::connect(&e, &cMouseHookEvent::OnActionEnd,
                         [this](int n) { events << QString("end %1").arg(n); });
        QObject::connect(&e, &cMouseHookEvent::ReplayRightClick, [this](QPoint a, QPoint b) {
            events << QString("replay %1,%2 %3,%4").arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y());
        });
    }
    QStringList events;
};

std::vector<MoveDir> Strokes(const cMouseHookEvent& e) {
    std::vector<MoveDir> out;
    for (int i = 0; i < e.ActionCount(); ++i)
        out.push_back(e.ActionMove(i));
    return out;
}

} // namespace

TEST(MouseGesture, StrokesOfAGesture) {
    struct Case {
        const char* what;
        std::vector<Msg> messages;
        std::vector<MoveDir> strokes;
        QStringList events;
    };
    const Case cases[] = {
        {"plain click", {{D, 100, 100}, {U, 100, 100}}, {}, {"replay 100,100 100,100"}},
        {"a wobble of 10 pixels is still a click",
         {{D, 100, 100}, {M, 110, 100}, {M, 106, 108}, {U, 104, 100}},
         {},
         {"replay 100,100 104,100"}},
        {"down",
         {{D, 100, 100}, {M, 100, 111}, {U, 100, 111}},
         {MoveDir::Down},
         {"start 4", "move 4 1", "end 1"}},
        {"up, right, left",
         {{D, 100, 100}, {M, 100, 80}, {M, 130, 80}, {M, 100, 80}, {U, 100, 80}},
         {MoveDir::Up, MoveDir::Right, MoveDir::Left},
         {"start 0", "move 0 1", "move 2 2", "move 6 3", "end 3"}},
        {"45 degrees adds nothing, however long",
         {{D, 100, 100}, {M, 150, 150}, {M, 300, 300}, {M, 900, 900}, {U, 900, 900}},
         {},
         {"replay 100,100 900,900"}},
        {"a third of the way off the axis still counts",
         {{D, 0, 0}, {M, 30, 10}, {U, 30, 10}},
         {MoveDir::Right},
         {"start 2", "move 2 1", "end 1"}},
        {"a little more than a third is diagonal",
         {{D, 0, 0}, {M, 30, 11}, {U, 30, 11}},
         {},
         {"replay 0,0 30,11"}},
        {"vertical with a third sideways",
         {{D, 0, 0}, {M, -10, -30}, {U, -10, -30}},
         {MoveDir::Up},
         {"start 0", "move 0 1", "end 1"}},
        {"down, a pause, down again: one stroke",
         {{D, 0, 0}, {M, 0, 20}, {M, 0, 20}, {M, 0, 40}, {U, 0, 40}},
         {MoveDir::Down},
         {"start 4", "move 4 1", "end 1"}},
        {"short moves that add up do not count: the point stays until a long one",
         {{D, 0, 0}, {M, 0, 6}, {M, 0, 10}, {M, 0, 11}, {U, 0, 11}},
         {MoveDir::Down},
         {"start 4", "move 4 1", "end 1"}},
        {"a diagonal move still moves the point: the next stroke starts from it",
         {{D, 0, 0}, {M, 20, 20}, {M, 20, 29}, {M, 20, 31}, {U, 20, 31}},
         {MoveDir::Down},
         {"start 4", "move 4 1", "end 1"}},
    };
    for (const Case& c : cases) {
        cMouseHookEvent e;
        Heard heard(e);
        for (const Msg& m : c.messages)
            e.FireGetMessage(m.msg, m.x, m.y);
        EXPECT_EQ(Strokes(e), c.strokes) << c.what;
        EXPECT_EQ(heard.events, c.events) << c.what;
    }
}

TEST(MouseGesture, NineAlternatingStrokesCountEight) {
    cMouseHookEvent e;
    Heard heard(e);
    e.FireGetMessage(D, 0, 0);
    int x = 0;
    for (int i = 0; i < 9; ++i) {
        x += (i % 2 == 0) ? 20 : -20;
        e.FireGetMessage(M, x, 0);
    }
    e.FireGetMessage(U, x, 0);
    EXPECT_EQ(e.ActionCount(), 8);
    EXPECT_EQ(e.MaxAction(), 8);
    EXPECT_EQ(e.ActionMove(7), MoveDir::Left);
    EXPECT_EQ(e.ActionMove(8), MoveDir::None);
    EXPECT_EQ(e.ActionMove(-1), MoveDir::None);
    EXPECT_EQ(heard.events.last(), "end 8");
    EXPECT_EQ(heard.events.count(), 1 + 8 + 1);
}

TEST(MouseGesture, WhatIsKeptFromTheWindows) {
    struct Case {
        const char* what;
        std::vector<Msg> before;
        Msg msg;
        bool discarded;
    };
    const Case cases[] = {
        {"a move without the button", {}, {M, 5, 5}, false},
        {"the press that starts a gesture", {}, {D, 5, 5}, true},
        {"a short move while held", {{D, 0, 0}}, {M, 3, 0}, true},
        {"a stroke while held", {{D, 0, 0}}, {M, 30, 0}, true},
        {"a diagonal move while held", {{D, 0, 0}}, {M, 30, 30}, true},
        {"the release of a gesture", {{D, 0, 0}, {M, 30, 0}}, {U, 30, 0}, false},
        {"the release of a plain click", {{D, 0, 0}}, {U, 0, 0}, false},
        {"the replayed press", {{D, 0, 0}, {U, 0, 0}}, {D, 0, 0}, false},
        {"the replayed release", {{D, 0, 0}, {U, 0, 0}, {D, 0, 0}}, {U, 0, 0}, false},
        {"a press after the replay starts a gesture again",
         {{D, 0, 0}, {U, 0, 0}, {D, 0, 0}, {U, 0, 0}},
         {D, 1, 1},
         true},
        {"a move after the release", {{D, 0, 0}, {M, 30, 0}, {U, 30, 0}}, {M, 60, 0}, false},
        {"anything else", {{D, 0, 0}}, {MouseMessage::Other, 0, 0}, false},
    };
    for (const Case& c : cases) {
        cMouseHookEvent e;
        for (const Msg& m : c.before)
            e.FireGetMessage(m.msg, m.x, m.y);
        EXPECT_EQ(e.FireGetMessage(c.msg.msg, c.msg.x, c.msg.y), c.discarded) << c.what;
    }
}

TEST(MouseGesture, ReplayedClickRecognisesNothingAndANewGestureStartsAfresh) {
    cMouseHookEvent e;
    Heard heard(e);
    e.FireGetMessage(D, 0, 0);
    e.FireGetMessage(M, 0, 30);
    e.FireGetMessage(U, 0, 30);
    ASSERT_EQ(e.ActionCount(), 1);
    e.FireGetMessage(D, 50, 50);
    EXPECT_EQ(e.ActionCount(), 0) << "a new press clears the strokes";
    EXPECT_EQ(e.startPoint(), QPoint(50, 50));
    e.FireGetMessage(U, 52, 50);
    EXPECT_TRUE(e.replaying());
    EXPECT_EQ(e.endPoint(), QPoint(52, 50));
    // The replay passes and moves in between are no gesture.
    EXPECT_FALSE(e.FireGetMessage(D, 50, 50));
    EXPECT_FALSE(e.tracking());
    EXPECT_FALSE(e.FireGetMessage(M, 90, 50));
    EXPECT_FALSE(e.FireGetMessage(U, 52, 50));
    EXPECT_FALSE(e.replaying());
    EXPECT_EQ(heard.events, (QStringList{"start 4", "move 4 1", "end 1", "replay 50,50 52,50"}));
}

TEST(MouseGesture, ListenerCanCancelAMessageBeforeRecognition) {
    cMouseHookEvent e;
    bool cancelMoves = true;
    QObject::connect(&e, &cMouseHookEvent::OnGetMessage, [&](MouseMessage msg, int, int, bool* cancel) {
        if (msg == MouseMessage::Move && cancelMoves)
            *cancel = true;
    });
    EXPECT_TRUE(e.FireGetMessage(M, 1, 1)) << "cancelled means discarded, even without a gesture";
    e.FireGetMessage(D, 0, 0);
    EXPECT_TRUE(e.FireGetMessage(M, 0, 40));
    EXPECT_EQ(e.ActionCount(), 0) << "a cancelled move is not recognised";
    cancelMoves = false;
    e.FireGetMessage(M, 0, 40);
    EXPECT_EQ(e.ActionCount(), 1);
}
