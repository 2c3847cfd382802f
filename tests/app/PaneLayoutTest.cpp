// The splitters and the window's resize rules on the real window. At the test platform's 96 DPI
// one pixel is 15 twips.
#include "ui/PaneLayout.h"
#include "app/WindowRig.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::WindowRig;

namespace {

QWidget* Part(const WindowRig& w, const char* name) {
    return w.form->findChild<QWidget*>(QString::fromLatin1(name));
}

/// Drags a bar with the left button from (2, 2) to `to`, both in the bar's pixels; `check` runs
/// before the release.
void Drag(QWidget* bar, QPoint to, const std::function<void()>& check = {}) {
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(bar, to);
    if (check)
        check();
    QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
}

} // namespace

TEST(PaneLayout, VerticalDragMovesTheShadowAndLaysOutOnRelease) {
    WindowRig w;
    w.start();
    QWidget* slider = Part(w, "picSlider");
    QWidget* shadow = Part(w, "picShadow");
    QWidget* tree = w.form->TreeView1();
    QWidget* player = w.form->MediaPlayer1();
    const int sliderX = slider->x();
    const int treeWidth = tree->width();
    const int playerLeft = player->x();
    ASSERT_EQ(sliderX, 260) << "designed at 3900 twips";
    Drag(slider, {80, 2}, [&] {
        EXPECT_TRUE(shadow->isVisible());
        EXPECT_EQ(shadow->x(), sliderX + 80);
        EXPECT_EQ(tree->width(), treeWidth) << "the panes wait for the release";
        EXPECT_EQ(slider->x(), sliderX);
    });
    EXPECT_FALSE(shadow->isVisible());
    EXPECT_EQ(slider->x(), sliderX + 80);
    EXPECT_EQ(tree->width(), treeWidth + 80);
    EXPECT_EQ(w.form->ImageCombo1()->width(), treeWidth + 80);
    EXPECT_EQ(w.form->ListView1()->width(), treeWidth + 80);
    EXPECT_EQ(player->x(), playerLeft + 80);
    EXPECT_EQ(player->geometry().right(), w.form->width() - 1 - 10) << "10 pixels short of the right edge";
}

TEST(PaneLayout, DropsAreClampedInsideTheClient) {
    struct Case {
        const char* what;
        const char* bar;
        int to; ///< pixels from the client's left or top
        int expected;
    };
    const Case cases[] = {
        {"vertical, 100 twips from the left", "picSlider", 7, 20},
        {"vertical, past the right edge", "picSlider", 5000, -20}, // client width - 300 twips
        {"horizontal, above 1000 twips", "picSlider2", 10, 67},
        {"horizontal, past the bottom", "picSlider2", 5000, -33}, // client height - 500 twips
    };
    for (const Case& c : cases) {
        WindowRig w;
        w.start();
        QWidget* bar = Part(w, c.bar);
        const bool vertical = QByteArray(c.bar) == "picSlider";
        // Positions of the rules count from the top of the client area, the toolbar included.
        const int toolbar = w.form->centralWidget()->y() - w.form->menuWidget()->height();
        const int clientW = w.form->width();
        const int clientH = w.form->height() - w.form->menuWidget()->height();
        const int now = vertical ? bar->x() : bar->y() + toolbar;
        Drag(bar, vertical ? QPoint(c.to - now, 2) : QPoint(2, c.to - now));
        const int at = vertical ? bar->x() : bar->y() + toolbar;
        const int expected = c.expected >= 0 ? c.expected : (vertical ? clientW : clientH) + c.expected;
        EXPECT_EQ(at, expected) << c.what;
    }
}

TEST(PaneLayout, StoredSplittersAndPlayerSizeComeBackAndAreSaved) {
    struct Case {
        const char* ini;
        int sliderX;
        const char* savedLeft;
    };
    const Case cases[] = {
        {"[SpPos]\nSpLeft=0\nSpTop=0\n", 260, "3900"},
        {"[SpPos]\nSpLeft=4500\n", 300, "4500"},
    };
    for (const Case& c : cases) {
        WindowRig w(c.ini);
        w.start();
        EXPECT_EQ(Part(w, "picSlider")->x(), c.sliderX) << c.ini;
        w.selectTreeNode(w.dir.path());
        w.form->close();
        EXPECT_EQ(w.read("SpPos", "SpLeft"), c.savedLeft) << c.ini;
        // Twips as laid out, so within a pixel of what shows.
        QWidget* player = w.form->MediaPlayer1();
        EXPECT_NEAR(w.read("MediaSize", "MediaSizeWidth").toDouble(), player->width() * 15, 15) << c.ini;
        EXPECT_NEAR(w.read("MediaSize", "MediaSizeHeight").toDouble(), player->height() * 15, 15) << c.ini;
    }
}

TEST(PaneLayout, WindowLowerThanTheLeastHeightSnapsBack) {
    WindowRig w;
    w.start();
    w.form->resize(w.form->width(), 100);
    QApplication::processEvents();
    EXPECT_EQ(w.form->frameGeometry().height(), 396) << "5940 twips";
}

TEST(PaneLayout, ResizeFitsListAndPlayerToTheWindow) {
    WindowRig w;
    w.start();
    w.form->resize(w.form->width() + 150, w.form->height() + 90);
    QApplication::processEvents();
    QWidget* list = w.form->ListView1();
    QWidget* player = w.form->MediaPlayer1();
    QWidget* central = w.form->centralWidget();
    // The list ends 100 twips above the status bar, the player 40.
    EXPECT_NEAR(list->geometry().bottom() + 1, central->height() - 7, 1);
    EXPECT_NEAR(player->geometry().bottom() + 1, central->height() - 3, 1);
    EXPECT_EQ(player->geometry().right(), w.form->width() - 1 - 10);
}

TEST(PaneLayout, MaximisedWindowKeepsTheNormalSize) {
    WindowRig w;
    w.start();
    w.form->setOuterSize(QSize(900, 640));
    QApplication::processEvents();
    ASSERT_EQ(w.form->normalSize(), QSize(900, 640));
    w.form->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(w.form->isMaximized());
    EXPECT_EQ(w.form->normalSize(), QSize(900, 640));
    w.selectTreeNode(w.dir.path());
    w.form->close();
    EXPECT_EQ(w.read("FormPos", "Width"), "13500");
    EXPECT_EQ(w.read("FormPos", "WindowState"), "2");
}

TEST(PaneLayout, SpeedSliderMakesRoomForTheExtractionButtons) {
    WindowRig w;
    w.start();
    QWidget* slider = Part(w, "Slider1");
    QAction* fileView = w.form->toolbar().button("ファイルビュー");
    const struct {
        bool pressed;
        int left;
    } steps[] = {{false, 368}, {true, 424}, {false, 368}}; // 5520 and 6360 twips
    for (const auto& step : steps) {
        if (fileView->isChecked() != step.pressed)
            fileView->trigger();
        // The button re-lists the folder, on a worker: the toolbar may be laid out a moment later.
        const bool moved = QTest::qWaitFor([&] { return slider->x() == step.left; }, 2000);
        Q_UNUSED(moved); // the comparison below says what went wrong
        EXPECT_EQ(slider->x(), step.left) << step.pressed;
        EXPECT_TRUE(slider->isVisible());
    }
}
