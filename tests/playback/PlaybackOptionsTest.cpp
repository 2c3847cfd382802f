#include "playback/ContinuousRig.h"
#include "playback/PlayerTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QSlider>
#include <QTreeView>
#include <QWindow>

namespace tobimaru::test {
namespace {

class PlaybackOptionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_media = std::make_unique<ContinuousMedia>(); }
    static void TearDownTestSuite() { s_media.reset(); }
    static ContinuousMedia& media() { return *s_media; }

    QAction* item(const char* name) const { return rig.menus->item(QString::fromLatin1(name)); }
    QStringList checkedSizes() const {
        QStringList names;
        for (int i = 0; i < 5; ++i) {
            const QString name = QStringLiteral("Dspsize(%1)").arg(i);
            if (rig.menus->isChecked(name))
                names << name;
        }
        return names;
    }

    ContinuousRig rig;
    static inline std::unique_ptr<ContinuousMedia> s_media;
};

TEST_F(PlaybackOptionsTest, SliderPositionsGiveTheSpeedEverywhereOnce) {
    QSlider* slider = rig.toolbar->slider();
    const std::tuple<int, double, const char*> cases[] = {
        {1, 0.1, "0.1 x"}, {40, 4.0, "4.0 x"}, {15, 1.5, "1.5 x"}, {10, 1.0, "1.0 x"}};
    for (const auto& [position, rate, panel] : cases) {
        rig.slideShow->Disable();
        slider->setValue(position);
        EXPECT_DOUBLE_EQ(rig.speed->PlayRate(), rate) << position;
        EXPECT_DOUBLE_EQ(rig.player->Rate(), rate) << position;
        EXPECT_EQ(rig.status->text(7), QString::fromLatin1(panel)) << position;
        EXPECT_EQ(slider->toolTip(), QString::fromLatin1(panel).chopped(2)) << position;
        EXPECT_TRUE(rig.slideShow->isEnabled()) << "a speed change lets the slideshow run again";
    }
}

TEST_F(PlaybackOptionsTest, ADragMovesOnlyTheTipUntilTheThumbIsLetGo) {
    QSlider* slider = rig.toolbar->slider();
    slider->setSliderDown(true);
    slider->setSliderPosition(25);
    EXPECT_EQ(rig.speed->dragTipText(), QStringLiteral("2.5"));
    EXPECT_DOUBLE_EQ(rig.player->Rate(), 1.0);
    EXPECT_NE(rig.status->text(7), QStringLiteral("2.5 x"));
    slider->setSliderDown(false);
    EXPECT_DOUBLE_EQ(rig.player->Rate(), 2.5);
    EXPECT_EQ(rig.status->text(7), QStringLiteral("2.5 x"));
}

TEST_F(PlaybackOptionsTest, RateOneResetsEvenAtNormalSpeed) {
    rig.toolbar->slider()->setValue(33);
    rig.toolbar->button(QStringLiteral("RateOne"))->trigger();
    EXPECT_DOUBLE_EQ(rig.player->Rate(), 1.0);
    EXPECT_EQ(rig.toolbar->slider()->value(), 10);
    EXPECT_EQ(rig.status->text(7), QStringLiteral("1.0 x"));
    EXPECT_TRUE(rig.slideShow->isEnabled());

    // At 10 already nothing moves, yet the speed and the slideshow are set again.
    rig.player->setRate(1.7);
    rig.slideShow->Disable();
    EXPECT_TRUE(rig.OnToolbarButton(QStringLiteral("RateOne")));
    EXPECT_DOUBLE_EQ(rig.player->Rate(), 1.0);
    EXPECT_TRUE(rig.slideShow->isEnabled());
}

TEST_F(PlaybackOptionsTest, StartSpeedAndVolumeGoBackAtExit) {
    rig.player->setRate(1.5);
    EXPECT_DOUBLE_EQ(rig.speed->TakeStartRate(), 1.5);
    rig.speed->ResetRate();
    EXPECT_DOUBLE_EQ(rig.player->Rate(), 1.0);
    EXPECT_EQ(rig.toolbar->slider()->value(), 10);
    rig.toolbar->slider()->setValue(30);
    rig.speed->RestoreStartRate();
    EXPECT_DOUBLE_EQ(rig.player->Rate(), 1.5);

    struct Case {
        bool found;
        uint32_t volume;
        QList<uint32_t> written;
    };
    const Case cases[] = {{true, 0x80004000u, {0x80004000u}}, {true, 0, {0}}, {false, 0, {}}};
    for (const Case& c : cases) {
        QList<uint32_t> written;
        WaveVolumeAccess access;
        access.get = [&](bool* found) {
            *found = c.found;
            return c.volume;
        };
        access.set = [&](uint32_t v) {
            written << v;
            return true;
        };
        SpeedControl speed(new QSlider, *rig.player, *rig.state, *rig.slideShow, access);
        speed.ReadWaveVolume();
        EXPECT_EQ(speed.WaveVol(), c.volume);
        speed.RestoreWaveVolume();
        EXPECT_EQ(written, c.written) << c.found << " " << c.volume;
    }
}

TEST_F(PlaybackOptionsTest, DisplaySizeWithAnEmptyListOnlyChecksAndShows) {
    item("Dspsize(4)")->trigger();
    EXPECT_EQ(checkedSizes(), QStringList{QStringLiteral("Dspsize(4)")});
    EXPECT_EQ(rig.status->text(4), QStringLiteral("フルスクリーン"));
    EXPECT_EQ(rig.state->displaySize(), 4);
    EXPECT_EQ(rig.player->DisplaySize(), MediaPlayer::Fit);
    EXPECT_TRUE(rig.fullScreenCalls.isEmpty());
    EXPECT_FALSE(rig.slideShow->isEnabled());
}

TEST_F(PlaybackOptionsTest, DisplaySizeReachesTheSelectedFileAndFullScreenTheWindow) {
    rig.list(media().three());
    const struct {
        const char* item;
        MediaPlayer::Size size;
        const char* panel;
    } cases[] = {{"Dspsize(1)", MediaPlayer::Half, "50%"},
                 {"Dspsize(2)", MediaPlayer::Normal, "100%"},
                 {"Dspsize(2)", MediaPlayer::Normal, "100%"}, // the checked one again
                 {"Dspsize(3)", MediaPlayer::Double, "200%"},
                 {"Dspsize(4)", MediaPlayer::FullScreen, "フルスクリーン"}};
    for (const auto& c : cases) {
        item(c.item)->trigger();
        EXPECT_EQ(checkedSizes(), QStringList{QString::fromLatin1(c.item)});
        EXPECT_EQ(rig.player->DisplaySize(), c.size) << c.item;
        EXPECT_EQ(rig.status->text(4), QString::fromUtf8(c.panel));
        EXPECT_EQ(rig.window->windowTitle(),
                  ContinuousRig::baseCaption() + QStringLiteral(" - ") + rig.key(0));
    }
    EXPECT_EQ(rig.fullScreenCalls, QList<bool>{true});
    EXPECT_TRUE(rig.OnWindowKeyRelease(Qt::Key_F11, Qt::NoModifier));
    EXPECT_EQ(rig.player->DisplaySize(), MediaPlayer::Fit);
    EXPECT_EQ(rig.status->text(4), QStringLiteral("ウィンドウに合わせる"));
    EXPECT_EQ(rig.fullScreenCalls, (QList<bool>{true, false}));
    EXPECT_TRUE(rig.OnWindowKeyRelease(Qt::Key_F12, Qt::ControlModifier));
    EXPECT_EQ(rig.state->displaySize(), 4);
}

// Esc and the double click leave full screen in the pane itself. The check, panel 4 and the
// stored size once stayed on "フルスクリーン", and the next file went full screen again.
TEST_F(PlaybackOptionsTest, LeavingFullScreenInThePaneChecksTheSizeItWentBackTo) {
    rig.list(media().three());
    rig.select(0);
    const struct {
        const char* before;
        const char* panel;
        std::function<void(MediaPlayer&)> leave;
    } cases[] = {
        {"Dspsize(3)", "200%", [](MediaPlayer& p) { QTest::keyClick(&p, Qt::Key_Escape); }},
        {"Dspsize(1)", "50%", [](MediaPlayer& p) { QTest::mouseDClick(p.videoWidget(), Qt::LeftButton); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        item(c.before)->trigger();
        rig.player->show();
        item("Dspsize(4)")->trigger();
        ASSERT_EQ(rig.player->DisplaySize(), MediaPlayer::FullScreen);
        rig.fullScreenCalls.clear();
        c.leave(*rig.player);
        EXPECT_EQ(rig.fullScreenCalls, QList<bool>{false});
        EXPECT_EQ(checkedSizes(), QStringList{QString::fromLatin1(c.before)});
        EXPECT_EQ(rig.status->text(4), QString::fromUtf8(c.panel));
        EXPECT_NE(rig.state->displaySize(), 4);
        ASSERT_TRUE(rig.OnListKeyRelease(Qt::Key_Down, Qt::ControlModifier));
        EXPECT_TRUE(rig.waitNewStreams(rig.newStreams->count() + 1));
        EXPECT_NE(rig.player->DisplaySize(), MediaPlayer::FullScreen) << "the next file keeps the window";
        EXPECT_EQ(rig.fullScreenCalls, QList<bool>{false});
    }
}

TEST_F(PlaybackOptionsTest, OptionsWithAnEmptyListChangeOnlyTheirCheckAndPanel) {
    const QRect geometry = rig.window->geometry();
    item("Opt(1)")->trigger();
    item("Opt(2)")->trigger();
    EXPECT_EQ(rig.status->text(5), QStringLiteral("ミュートON"));
    EXPECT_EQ(rig.status->text(6), QStringLiteral("常に最前面ON"));
    EXPECT_FALSE(rig.player->Mute());
    EXPECT_FALSE(rig.window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(rig.state->slideShow()) << "mute and topmost leave the slideshow alone";
    EXPECT_EQ(rig.window->geometry(), geometry);

    // The mute check still reaches the next file.
    rig.list(media().three());
    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_TRUE(rig.waitNewStreams(1));
    EXPECT_TRUE(rig.player->Mute());

    item("Opt(1)")->trigger();
    EXPECT_EQ(rig.status->text(5), QStringLiteral("ミュートOFF"));
    EXPECT_FALSE(rig.player->Mute());
}

TEST_F(PlaybackOptionsTest, TopmostWithRowsKeepsTheWindowWhereItIs) {
    rig.list(media().three());
    rig.window->show();
    rig.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window.get()));
    rig.ListView1->setFocus();
    const QRect geometry = rig.window->geometry();
    item("Opt(2)")->trigger();
    EXPECT_TRUE(rig.window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(rig.window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    // The window keeps the keyboard across the change of band, so F2 and Space go on working.
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeWindow(), rig.window.get());
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(rig.ListView1));
    EXPECT_EQ(rig.window->geometry(), geometry);
    EXPECT_TRUE(rig.window->isVisible());
    EXPECT_EQ(rig.window->windowTitle(), ContinuousRig::baseCaption() + QStringLiteral(" - ") + rig.key(0));
    item("Opt(2)")->trigger();
    EXPECT_FALSE(rig.window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(rig.status->text(6), QStringLiteral("常に最前面OFF"));
    EXPECT_EQ(rig.window->geometry(), geometry);
}

TEST_F(PlaybackOptionsTest, SlideshowOptionSwitchesTheTimerAndTheSettingsDialogChecksNothing) {
    item("Opt(3)")->trigger();
    EXPECT_TRUE(rig.state->slideShow());
    EXPECT_TRUE(rig.slideShow->isEnabled());
    item("Opt(3)")->trigger();
    EXPECT_FALSE(rig.state->slideShow());
    EXPECT_FALSE(rig.slideShow->isEnabled());

    QStringList before;
    for (const QString& name : rig.menus->itemNames())
        if (rig.menus->find(name)->isChecked())
            before << name;
    item("Opt(6)")->trigger();
    EXPECT_EQ(rig.optionsDialogs, 1);
    QStringList after;
    for (const QString& name : rig.menus->itemNames())
        if (rig.menus->find(name)->isChecked())
            after << name;
    EXPECT_EQ(after, before);
}

TEST_F(PlaybackOptionsTest, EveryToolbarClickStopsTheSlideshowTimerFirst) {
    const std::pair<const char*, bool> cases[] = {
        {"デスクトップ", false}, {"最新更新", false}, {"停止", true}, {"1つ次へ", true}, {"昇順", true}};
    for (const auto& [key, playback] : cases) {
        rig.slideShow->Enable();
        const bool handled = rig.OnToolbarButton(QString::fromUtf8(key));
        EXPECT_EQ(handled, playback) << key;
        if (QString::fromUtf8(key) != QStringLiteral("昇順")) {
            EXPECT_FALSE(rig.slideShow->isEnabled()) << key;
        }
    }
    EXPECT_TRUE(rig.slideShow->isEnabled()) << "昇順 lets it run again";
}

} // namespace
} // namespace tobimaru::test
