#include "TreeRig.h"
#include "input/KeyBindings.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::TreeRig;

namespace {

// A tree on screen (offscreen platform) opened at the drive root, "a" open below it.
class TreeInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.mkdirs({"a/b/c", "d"});
        rig.window.show();
        ASSERT_TRUE(rig.nav->GoToPath(rig.drive(), true));
        rig.node(rig.at("a"))->setExpanded(true);
        rig.listed.clear();
        rig.tree->state().IgnoreNextTreeClick = false;
        QApplication::processEvents();
    }

    QPoint labelOf(const QString& key) const { return rig.widget->visualItemRect(rig.node(key)).center(); }
    // The expand mark sits in the indentation left of the item.
    QPoint expanderOf(const QString& key) const {
        const QRect r = rig.widget->visualItemRect(rig.node(key));
        return QPoint(r.left() - rig.widget->indentation() / 2, r.center().y());
    }
    void click(const QPoint& p, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(rig.widget->viewport(), button, {}, p);
        QApplication::processEvents();
    }
    void keyUp(int key) {
        QTest::keyPress(rig.widget, Qt::Key(key));
        QTest::keyRelease(rig.widget, Qt::Key(key));
        QApplication::processEvents();
    }

    TreeRig rig;
};

} // namespace

TEST_F(TreeInputTest, ANodeClickListsAFolderOnceAndAClickOnTheRootListsItAgain) {
    click(labelOf(rig.at("d")));
    EXPECT_EQ(rig.listed, QStringList{rig.at("d")});
    EXPECT_EQ(rig.tree->state().CurrentFolder, rig.at("d"));
    EXPECT_EQ(rig.tree->state().FocusPane, 2);
    click(labelOf(rig.at("d")));
    EXPECT_EQ(rig.listed, QStringList{rig.at("d")});

    rig.listed.clear();
    click(labelOf(rig.drive()));
    EXPECT_EQ(rig.listed, (QStringList{rig.drive(), rig.drive()})); // node click, then the click
    rig.listed.clear();
    click(labelOf(rig.drive()));
    EXPECT_EQ(rig.listed, QStringList{rig.drive()});
}

TEST_F(TreeInputTest, ACollapseSwallowsTheClickOfTheSameMouseAction) {
    QTreeWidgetItem* a = rig.node(rig.at("a"));
    ASSERT_TRUE(a->isExpanded());
    ASSERT_EQ(rig.tree->GetTreeViewKey(), rig.drive());
    click(expanderOf(rig.at("a")));
    EXPECT_FALSE(a->isExpanded());
    // Without the swallowing, the click would have listed the selected root again.
    EXPECT_TRUE(rig.listed.isEmpty());
    EXPECT_FALSE(rig.tree->state().IgnoreNextTreeClick);

    click(expanderOf(rig.at("a")));
    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(rig.listed, QStringList{rig.drive()}); // an expansion swallows nothing

    // A collapse swallows a double click too, but only one.
    rig.tree->Collapse(a);
    rig.input->TreeView1_DblClick();
    EXPECT_FALSE(rig.tree->state().IgnoreNextTreeClick);
    rig.listed.clear();
    rig.input->TreeView1_Click();
    EXPECT_EQ(rig.listed, QStringList{rig.drive()});
}

TEST_F(TreeInputTest, RightButtonAsksForTheQuickMenuAndLeavesTheSelection) {
    QSignalSpy menu(rig.input.get(), &FolderTreeInput::quickMenuRequested);
    click(labelOf(rig.at("d")), Qt::RightButton);
    EXPECT_EQ(menu.count(), 1);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.drive());
    EXPECT_TRUE(rig.listed.isEmpty());
}

TEST_F(TreeInputTest, KeysAskForFolderCommandsAndArrowsFollowTheSelection) {
    const auto treeKey = [](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return ControlKeyCommand(KeyPlace::Tree, key, modifiers, KeyPhase::Release);
    };
    EXPECT_EQ(treeKey(Qt::Key_Delete), KeyCommand::DeleteFolder);
    EXPECT_EQ(treeKey(Qt::Key_M), KeyCommand::MoveFolder);
    EXPECT_EQ(treeKey(Qt::Key_K), KeyCommand::MakeFolder);
    EXPECT_EQ(treeKey(Qt::Key_M, Qt::ControlModifier), KeyCommand::None);
    rig.widget->setFocus();

    keyUp(Qt::Key_Down);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("a"));
    EXPECT_EQ(rig.listed, QStringList{rig.at("a")});

    // Closing "a" from the keyboard leaves the next click alone.
    keyUp(Qt::Key_Left);
    EXPECT_FALSE(rig.node(rig.at("a"))->isExpanded());
    EXPECT_FALSE(rig.tree->state().IgnoreNextTreeClick);
    rig.listed.clear();
    click(labelOf(rig.drive()));
    EXPECT_EQ(rig.listed, (QStringList{rig.drive(), rig.drive()}));
}

TEST_F(TreeInputTest, ADragStartsOnlyPastTheDragDistanceAndEatsTheNodeClick) {
    QSignalSpy drag(rig.input.get(), &FolderTreeInput::nodeDragRequested);
    TreeState& s = rig.tree->state();
    const QPoint from = labelOf(rig.at("d"));
    s.TreeJustClicked = false;
    rig.input->TreeView1_MouseDown(Qt::LeftButton, from, rig.widget->viewport()->mapToGlobal(from));
    EXPECT_EQ(s.TreeDragSource, rig.at("d"));
    rig.input->TreeView1_MouseMove(Qt::LeftButton, from + QPoint(1, 0));
    EXPECT_EQ(drag.count(), 0);
    rig.input->TreeView1_MouseMove(Qt::LeftButton, from + QPoint(QApplication::startDragDistance() + 2, 0));
    ASSERT_EQ(drag.count(), 1);
    EXPECT_EQ(drag.at(0).at(0).toString(), rig.at("d"));
    EXPECT_TRUE(s.TreeDragStarted);

    rig.input->TreeView1_NodeClick(rig.node(rig.at("d")));
    EXPECT_TRUE(rig.listed.isEmpty());
    EXPECT_FALSE(s.TreeDragStarted);

    // Just after a click, the first move ends a drag instead of starting one.
    s.TreeJustClicked = true;
    rig.input->TreeView1_MouseDown(Qt::LeftButton, from, from);
    rig.input->TreeView1_MouseMove(Qt::LeftButton, from + QPoint(40, 0));
    EXPECT_EQ(drag.count(), 1);
    EXPECT_FALSE(s.TreeJustClicked);
}
