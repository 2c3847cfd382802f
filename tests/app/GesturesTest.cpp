// Gestures on the real window: pointer input goes through the window as the window system
// delivers it (QTest's QWindow functions), so the hook sees it as it sees a user's.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "input/MouseGestures.h"
#include "playback/MediaPlayer.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QTest>
#include <QTreeView>
#include <QWindow>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::PopupCloser;
using tobimaru::test::TempDir;
using tobimaru::test::WindowRig;

namespace {

const QByteArray kGesturesOn = "[Boot]\nMousePlay=1\n";

struct GestureRig {
    WindowRig w;
    TempDir media;
    QStringList ran;

    explicit GestureRig(const QByteArray& ini)
        : w(ini) {
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            media.write(name, "x");
        w.start();
        w.form->fileList().ListFolder(media.path(), false, MakeListOptions(w.form->settings(), false));
        QTreeView* list = w.form->ListView1();
        list->setCurrentIndex(list->model()->index(0, 0));
        w.form->commands().setObserver([this](CommandId id) { ran << id.toString(); });
    }
    QWindow* window() const { return w.form->windowHandle(); }
    /// A point of `widget` in the window's coordinates.
    QPoint at(QWidget* widget, QPoint local = {20, 20}) const { return widget->mapTo(w.form.get(), local); }
    /// Presses the right button at `start`, moves through each offset in turn, releases at the
    /// last point, then lets the replay of a plain click run.
    void drag(QPoint start, const QList<QPoint>& offsets) {
        QTest::mousePress(window(), Qt::RightButton, {}, start);
        QPoint p = start;
        for (const QPoint& o : offsets) {
            p = start + o;
            QTest::mouseMove(window(), p);
        }
        QTest::mouseRelease(window(), Qt::RightButton, {}, p);
        QApplication::processEvents();
    }
    int currentRow() const { return w.form->ListView1()->currentIndex().row(); }
};

} // namespace

TEST(Gestures, StrokesRunTheirCommandsAndAPlainClickStillReachesTheWidget) {
    struct Case {
        const char* what;
        const char* over; ///< objectName of the widget the gesture starts on
        QList<QPoint> path;
        QStringList commands;
        QStringList menus; ///< pop-up menus that opened
    };
    const Case cases[] = {
        {"a plain click on the list opens its menu", "ListView1", {}, {}, {"MnuPlayOpt"}},
        {"a wobble is still a click", "ListView1", {{6, 4}, {3, 8}}, {}, {"MnuPlayOpt"}},
        {"down: next", "ListView1", {{0, 40}}, {"playback.next"}, {}},
        {"down then right: next once, play or pause twice",
         "ListView1",
         {{0, 40}, {40, 40}},
         {"playback.next", "playback.playOrPauseIfListed", "playback.playOrPauseIfListed"},
         {}},
        {"a 45 degree drag adds nothing: it is a click",
         "ListView1",
         {{30, 30}, {60, 60}},
         {},
         {"MnuPlayOpt"}},
        {"up over the player pane: previous", "MediaPlayer1", {{0, -40}}, {"playback.previous"}, {}},
        {"left over the tree: stop", "TreeView1", {{-15, 0}}, {"playback.stop"}, {}},
        // The status bar opens its menu on the release: it must get one, and only with its press.
        {"a plain click on the status bar opens its menu once", "StatusBar1", {}, {}, {"DspOption"}},
        {"a gesture ending on the status bar opens no menu",
         "StatusBar1",
         {{40, 0}},
         {"playback.playOrPauseIfListed"},
         {}},
    };
    for (const Case& c : cases) {
        GestureRig rig(kGesturesOn);
        ASSERT_NE(rig.w.form->gestures(), nullptr);
        auto* over = rig.w.form->findChild<QWidget*>(QString::fromLatin1(c.over));
        ASSERT_NE(over, nullptr) << c.over;
        PopupCloser menus;
        rig.drag(rig.at(over, {60, over->height() / 2}), c.path);
        EXPECT_EQ(rig.ran, c.commands) << c.what;
        EXPECT_EQ(menus.closed, c.menus) << c.what;
    }
}

TEST(Gestures, DownStepsTheListAndSwitchesThePaneMenuOff) {
    GestureRig rig(kGesturesOn);
    MediaPlayer& player = rig.w.form->player();
    ASSERT_TRUE(player.DisplayFlag(PlayerFlag::ContextMenu));
    rig.drag(rig.at(rig.w.form->ListView1()), {{0, 40}});
    EXPECT_EQ(rig.currentRow(), 1);
    EXPECT_FALSE(player.DisplayFlag(PlayerFlag::ContextMenu));
}

TEST(Gestures, RightOverAnEmptyListRunsNothing) {
    GestureRig rig(kGesturesOn);
    TempDir empty;
    rig.w.form->fileList().ListFolder(empty.path(), false, MakeListOptions(rig.w.form->settings(), false));
    rig.drag(rig.at(rig.w.form->MediaPlayer1()), {{40, 0}});
    EXPECT_TRUE(rig.ran.isEmpty()) << rig.ran.join(",").toStdString();
    EXPECT_TRUE(rig.w.form->player().DisplayFlag(PlayerFlag::ContextMenu));
}

TEST(Gestures, OffLeavesTheRightButtonAlone) {
    GestureRig rig("");
    EXPECT_EQ(rig.w.form->gestures(), nullptr);
    PopupCloser menus;
    // The list's menu opens on the press itself, as Qt has it, and a drag is only a drag.
    rig.drag(rig.at(rig.w.form->ListView1()), {{0, 40}});
    EXPECT_TRUE(rig.ran.isEmpty()) << rig.ran.join(",").toStdString();
    EXPECT_EQ(menus.closed, QStringList{"MnuPlayOpt"});
}

TEST(Gestures, UnloadRemovesTheHook) {
    GestureRig rig(kGesturesOn);
    rig.w.selectTreeNode(rig.w.dir.path());
    rig.w.form->Unload();
    EXPECT_EQ(rig.w.form->gestures(), nullptr);
    PopupCloser menus;
    rig.drag(rig.at(rig.w.form->ListView1()), {{0, 40}});
    EXPECT_FALSE(rig.ran.contains("playback.next"));
}

TEST(Gestures, ReachThePlayerInFullScreen) {
    GestureRig rig(kGesturesOn);
    rig.w.form->setPlayerFullScreen(true);
    QApplication::processEvents();
    QWidget* player = rig.w.form->MediaPlayer1();
    rig.drag(rig.at(player, {player->width() / 2, player->height() / 2}), {{0, 40}, {-40, 40}});
    EXPECT_EQ(rig.ran, (QStringList{"playback.next", "playback.stop", "playback.stop"}));
    rig.w.form->setPlayerFullScreen(false);
}
