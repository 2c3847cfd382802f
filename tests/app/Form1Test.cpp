#include "app/Form1.h"
#include "app/Startup.h"
#include "app/WindowRig.h"
#include "browse/TreeNodeRoles.h"
#include "platform/ScreenSaver.h"
#include "platform/SingleInstance.h"
#include "playback/MediaPlayer.h"
#include "playback/clsMovie.h"
#include "settings/PrivateProfile.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"
#include "ui/Twips.h"
#include "ui/frmSplash.h"

#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "browse/FolderTree.h"
#include "browse/Navigation.h"
#include "ui/Toolbar.h"
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QSysInfo>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tobimaru;
using tobimaru::test::FakePrompts;
using tobimaru::test::TempDir;

namespace {

using Window = tobimaru::test::WindowRig;

} // namespace

TEST(Form1, FirstStartOpensAtTheFixedRectangleWithDefaultStatusTexts) {
    Window w;
    w.form->Load(nullptr);
    w.form->show();
    // 1260, 1695, 12180 and 9165 twips at 96 DPI.
    EXPECT_EQ(w.form->frameGeometry().topLeft(), QPoint(84, 113));
    EXPECT_EQ(w.form->frameGeometry().size(), QSize(812, 611));
    EXPECT_EQ(w.form->status().text(4), QStringLiteral("ウィンドウに合わせる"));
    EXPECT_EQ(w.form->status().text(5), QStringLiteral("ミュートOFF"));
    EXPECT_EQ(w.form->status().text(6), QStringLiteral("常に最前面OFF"));
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("TobimaruMe Ver1.0.1"));
    EXPECT_TRUE(w.prompts.boxes.isEmpty()) << w.prompts.texts().join("|").toStdString();
    EXPECT_FALSE(QFile::exists(w.iniPath())) << "nothing is written at start-up";
    for (const char* name :
         {"TreeView1", "ListView1", "MediaPlayer1", "ImageCombo1", "picSlider", "picSlider2", "picShadow",
          "picShadow2", "ProgressBar1", "StatusBar1", "Toolbar1", "Slider1"})
        EXPECT_NE(w.form->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST(Form1, ClosingWritesEveryWindowSectionAndTheyComeBack) {
    QString path;
    TempDir keep;
    {
        Window w;
        w.form->Load(nullptr);
        w.form->show();
        w.form->move(200, 150);
        w.form->setOuterSize(QSize(900, 640));
        w.form->menus().setChecked("Opt(1)", true);
        w.form->menus().setChecked("MnuGrid", true);
        w.form->menus().setChecked("Dspsize(0)", false);
        w.form->menus().setChecked("Dspsize(3)", true);
        w.selectTreeNode(keep.path());
        w.form->close();
        EXPECT_TRUE(w.form->unloaded());
        EXPECT_TRUE(w.prompts.boxes.isEmpty()) << w.prompts.texts().join("|").toStdString();
        for (auto [section, key] :
             std::initializer_list<std::pair<const char*, const char*>>{{"FormPos", "XPosition"},
                                                                        {"FormPos", "Width"},
                                                                        {"FilePath", "Path"},
                                                                        {"QuickPath", "Path1"},
                                                                        {"MediaSize", "MediaSizeWidth"},
                                                                        {"SpPos", "SpLeft"},
                                                                        {"ListView", "GridLine"},
                                                                        {"MoviePlay", "ScreenSize"},
                                                                        {"TreeView", "TreeViewLine"}})
            EXPECT_NE(w.read(section, key), "<none>") << section << "/" << key;
        EXPECT_EQ(w.read("FormPos", "XPosition"), "3000");
        EXPECT_EQ(w.read("FormPos", "Width"), "13500");
        EXPECT_EQ(w.read("FilePath", "Path"), keep.path());
        EXPECT_EQ(w.read("MoviePlay", "MuteState"), "True");
        QFile f(w.iniPath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        keep.write("TobimaruMe.ini", f.readAll());
        path = keep.file("TobimaruMe.ini");
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    Window again(f.readAll());
    again.form->Load(nullptr);
    again.form->show();
    EXPECT_EQ(again.form->frameGeometry(), QRect(200, 150, 900, 640));
    EXPECT_TRUE(again.form->menus().isChecked("Opt(1)"));
    EXPECT_TRUE(again.form->menus().isChecked("MnuGrid"));
    EXPECT_TRUE(again.form->menus().isChecked("Dspsize(3)"));
    EXPECT_FALSE(again.form->menus().isChecked("Dspsize(0)"));
    EXPECT_EQ(again.form->status().text(4), QStringLiteral("200%"));
    EXPECT_EQ(again.form->status().text(5), QStringLiteral("ミュートON"));
}

TEST(Form1, StoredPlaceAndSizeThatFitThePixelsComeBackAsTheyWereStored) {
    // None of these is a whole number of pixels at 96 DPI (15 twips each).
    Window w("[FormPos]\nXPosition=1507\nYPosition=1696\nWidth=12010\nHeight=7000\n");
    w.form->Load(nullptr);
    w.form->show();
    w.selectTreeNode(w.dir.path());
    w.form->close();
    EXPECT_EQ(w.read("FormPos", "XPosition"), "1507");
    EXPECT_EQ(w.read("FormPos", "YPosition"), "1696");
    EXPECT_EQ(w.read("FormPos", "Width"), "12010");
    EXPECT_EQ(w.read("FormPos", "Height"), "7000");
}

TEST(Twips, AStoredValueIsKeptOnlyWhileItStillComesToThePixels) {
    const struct {
        int pixels;
        std::optional<double> stored;
        double expected;
    } cases[] = {{467, 7000.0, 7000.0}, {468, 7000.0, 7020.0}, {467, std::nullopt, 7005.0}, {0, 0.0, 0.0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(TwipsToStore(c.pixels, c.stored), c.expected) << c.pixels;
}

TEST(Form1, UnloadRunsOnceAndGivesTheScreenSaverBack) {
    Window w("[Boot]\nScreenSaver=1\n");
    w.form->Load(nullptr);
    EXPECT_EQ(w.saver.calls, std::vector<bool>{false});
    w.selectTreeNode(w.dir.path());
    w.form->Unload();
    w.form->close();
    w.form->Unload();
    EXPECT_EQ(w.saver.calls, (std::vector<bool>{false, true}));
}

TEST(Form1, MissingScreenSaverServiceIsReportedAndStartGoesOn) {
    Window w("[Boot]\nScreenSaver=1\n");
    w.saver.works = false;
    w.form->Load(nullptr);
    ASSERT_EQ(w.prompts.boxes.size(), 1);
    EXPECT_EQ(w.prompts.boxes[0].text, QStringLiteral("スクリーンセーバーON/OFF設定でエラー"));
    EXPECT_EQ(w.prompts.boxes[0].icon, PromptIcon::None);
    EXPECT_EQ(w.prompts.boxes[0].caption, QStringLiteral("TobimaruMe"));
    EXPECT_EQ(w.form->status().text(5), QStringLiteral("ミュートOFF"));
}

TEST(Form1, StoredAlwaysOnTopIsOnFromTheFirstMoment) {
    Window w("[MoviePlay]\nScreenState=True\n");
    w.form->Load(nullptr);
    EXPECT_TRUE(w.form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.form->status().text(6), QStringLiteral("常に最前面ON"));
}

TEST(SingleInstance, SecondCopyIsRefusedWithTheWarningBox) {
    TempDir dir;
    const QString lock = dir.file("TobimaruMe.lock");
    SingleInstance first(lock);
    ASSERT_TRUE(first.acquire());
    FakePrompts prompts;
    SingleInstance second(lock);
    EXPECT_FALSE(RefuseSecondInstance(second, prompts));
    ASSERT_EQ(prompts.boxes.size(), 1);
    EXPECT_EQ(prompts.boxes[0].text, QStringLiteral("既に起動しています。"));
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("TobimaruMe"));
    EXPECT_EQ(prompts.boxes[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompts.boxes[0].buttons, PromptButtons::Ok);
}

TEST(SingleInstance, LockOfACrashedRunDoesNotBlock) {
    TempDir dir;
    // What a run killed mid-way leaves: a lock naming a process that is gone.
    dir.write("TobimaruMe.lock", "2147483000\nTobimaruMe\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    FakePrompts prompts;
    SingleInstance instance(dir.file("TobimaruMe.lock"));
    EXPECT_TRUE(RefuseSecondInstance(instance, prompts));
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST(Form1, TypedLettersAndCtrlArrowsLeaveTheListSelectionAlone) {
    Window w;
    TempDir media;
    for (const char* name : {"a.avi", "b.avi", "c.avi", "d.wmv"})
        media.write(name, "x");
    w.form->Load(nullptr);
    w.form->show();
    QApplication::setActiveWindow(w.form.get());
    w.form->fileList().ListFolder(media.path(), false, MakeListOptions(w.form->settings(), false));
    QTreeView* list = w.form->ListView1();
    ASSERT_EQ(list->model()->rowCount(), 4);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_D);
    EXPECT_EQ(list->currentIndex().row(), 1) << "no type-ahead jump to d.wmv";
    // Ctrl+Down starts the next row, which continuous play selects; the list's own step is not
    // added on top.
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(list->currentIndex().row(), 2);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex().row(), 3) << "plain arrows still move";
}

TEST(Form1, DoubleClickOnAFolderRowOpensIt) {
    Window w("[FileView]\nFolderDsp=1\n");
    TempDir media;
    media.write("sub/inner.avi", "x");
    w.form->Load(nullptr);
    w.form->toolbar().button("ファイルビュー")->setChecked(true);
    w.form->fileList().ListFolder(media.path(), false, MakeListOptions(w.form->settings(), true));
    QTreeView* list = w.form->ListView1();
    ASSERT_EQ(list->model()->rowCount(), 1);
    list->setCurrentIndex(list->model()->index(0, 0));
    Q_EMIT list->doubleClicked(list->currentIndex());
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), QStringLiteral("inner.avi"));
}

TEST(Form1, FullScreenShowsThePlayerAloneAndComesBack) {
    Window w;
    w.form->Load(nullptr);
    w.form->show();
    QWidget* player = w.form->MediaPlayer1();
    QWidget* const parentBefore = player->parentWidget();
    w.form->setPlayerFullScreen(true);
    EXPECT_TRUE(w.form->isFullScreen());
    EXPECT_FALSE(w.form->TreeView1()->isVisible());
    EXPECT_FALSE(w.form->ListView1()->isVisible());
    EXPECT_FALSE(w.form->menuBar()->isVisible());
    EXPECT_EQ(player->parentWidget(), parentBefore);
    EXPECT_EQ(player->size(), w.form->centralWidget()->size());
    w.form->setPlayerFullScreen(false);
    EXPECT_FALSE(w.form->isFullScreen());
    EXPECT_TRUE(w.form->TreeView1()->isVisible());
    EXPECT_TRUE(w.form->menuBar()->isVisible());
    EXPECT_LT(player->width(), w.form->centralWidget()->width());
}

TEST(Form1, ClosingInFullScreenSavesTheWindowAsItStoodBefore) {
    Window w;
    w.form->Load(nullptr);
    w.form->show();
    w.form->setOuterPosition(QPoint(120, 90));
    w.selectTreeNode(w.dir.path());
    w.form->setPlayerFullScreen(true);
    w.form->close();
    EXPECT_EQ(w.read("FormPos", "XPosition"), "1800");
    EXPECT_EQ(w.read("FormPos", "YPosition"), "1350");
    EXPECT_EQ(w.read("FormPos", "Width"), "12180");
}

TEST(Form1, ToolbarButtonsReachTheirCommands) {
    Window w;
    TempDir media;
    media.write("sub/inner.avi", "x");
    w.form->Load(nullptr);
    w.form->show();
    ASSERT_TRUE(w.form->navigation().GoToPath(media.file("sub"), true));
    Toolbar& tb = w.form->toolbar();
    tb.button("1つ上に")->trigger();
    EXPECT_EQ(w.form->folderTree().GetTreeViewKey(), media.path());
    tb.button("ファイルビュー")->trigger();
    EXPECT_TRUE(tb.button("解凍")->isVisible());
    EXPECT_TRUE(tb.button("選択解凍")->isVisible());
    tb.button("ファイルビュー")->trigger();
    EXPECT_FALSE(tb.button("解凍")->isVisible());
}

TEST(Form1, LoadShowsThePlayersStartRateOnTheSplash) {
    Window w;
    frmSplash splash;
    w.form->Load(&splash);
    EXPECT_EQ(splash.speedText(), QStringLiteral("MediaPlayer Play Speed:1"));
}

// libmpv and its picture output are made after the window is first on screen; the player the
// load set up meanwhile is the one the core then gets.
TEST(Form1, ThePlayersCoreIsMadeOnlyOnceTheWindowIsOnScreen) {
    Window w;
    w.form->Load(nullptr);
    MediaPlayer& player = w.form->player();
    EXPECT_TRUE(player.isCorePending());
    EXPECT_FALSE(player.isReady());

    struct ExposeWatch final : QObject {
        MediaPlayer* player = nullptr;
        int exposed = 0;
        bool readyAtFirstExpose = true;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed() && !exposed++)
                readyAtFirstExpose = player->isReady();
            return false;
        }
    } watch;
    watch.player = &player;
    w.form->winId(); // the native window, to watch it before it is shown
    w.form->windowHandle()->installEventFilter(&watch);
    w.form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.isReady(); }, 10000));
    EXPECT_GE(watch.exposed, 1);
    EXPECT_FALSE(watch.readyAtFirstExpose) << "the core was made before the window's first paint";
    EXPECT_FALSE(player.isCorePending());

    EXPECT_EQ(player.Rate(), 1.0);
    EXPECT_EQ(player.DisplaySize(), MediaPlayer::Fit);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    EXPECT_FALSE(player.DisplayFlag(PlayerFlag::StatusLine));
    for (PlayerFlag flag : {PlayerFlag::Tracker, PlayerFlag::AudioControls, PlayerFlag::ControlBar,
                            PlayerFlag::Transport, PlayerFlag::KeyEvents})
        EXPECT_TRUE(player.DisplayFlag(flag)) << static_cast<int>(flag);
}
