#include "playback/ContinuousRules.h"
#include "base/RuntimeSettings.h"
#include "playback/PlaybackState.h"
#include "playback/SlideShow.h"
#include "support/QtPrint.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace tobimaru::test {
namespace {

TEST(StepPlaylist, StepsAndWrapsMarkingOnlyPlainSteps) {
    struct Case {
        int flag, current, count, row;
        const char* left;
    };
    const Case cases[] = {
        {0, 0, 3, 1, "NextDwn"}, {0, 1, 3, 2, "NextDwn"}, {0, 2, 3, 0, ""},  // wraps to the top
        {1, 2, 3, 1, "NextUp"},  {1, 1, 3, 0, "NextUp"},  {1, 0, 3, 2, ""},  // wraps to the bottom
        {0, 0, 1, 0, ""},        {1, 0, 1, 0, ""},                           // one row: itself
        {2, 1, 3, 1, ""},        {3, 2, 3, 2, ""},        {-1, 0, 3, 0, ""}, // stay
    };
    for (const Case& c : cases) {
        const PlaylistStep s = StepPlaylist(PlayStep{c.flag}, c.current, c.count);
        EXPECT_EQ(s.row, c.row) << c.flag << " from " << c.current << " of " << c.count;
        EXPECT_EQ(s.leftIconKey, QString::fromLatin1(c.left)) << c.flag << " from " << c.current;
    }
}

TEST(SlideInterval, ThirtyTwoBitsForEverySetting) {
    // Seconds above 31 once overflowed 16 bits and failed every start.
    const std::pair<int16_t, int> cases[] = {{1, 2000},   {30, 31000}, {31, 32000},
                                             {32, 33000}, {40, 41000}, {32767, 32768000},
                                             {0, 1000},   {-1, 0},     {-32768, 0}};
    for (const auto& [seconds, ms] : cases)
        EXPECT_EQ(SlideInterval(seconds), ms) << seconds;
}

TEST(QuickPathRule, WatchedToEndIsConsumedOnlyByMode1) {
    struct Case {
        int mode;
        bool watched, records, watchedAfter;
    };
    const Case cases[] = {
        {0, false, true, false}, {0, true, true, true},  {1, false, false, false},
        {1, true, true, false},  {2, true, false, true}, {-1, true, false, true},
    };
    for (const Case& c : cases) {
        bool watched = c.watched;
        EXPECT_EQ(TakeQuickPathDecision(c.mode, watched), c.records) << c.mode << c.watched;
        EXPECT_EQ(watched, c.watchedAfter) << c.mode << c.watched;
    }
}

TEST(SlideShowTimer, ArmsOnlyWhenOnAndTheKindTakesTheFile) {
    struct Case {
        bool on;
        int16_t kind;
        const char* ext;
        bool armed;
    };
    const Case cases[] = {{true, 0, "JPG", true},  {true, 0, "png", true},  {true, 0, "avi", false},
                          {true, 1, "avi", true},  {true, 2, "jpg", false}, {false, 0, "jpg", false},
                          {false, 1, "avi", false}};
    for (const Case& c : cases) {
        QTimer timer;
        RuntimeSettings settings;
        PlaybackState state;
        state.setSlideShow(c.on);
        settings.SlideKind = c.kind;
        settings.SlideSeconds = 3;
        SlideShow show(timer, settings, state);
        show.ArmSlideTimer(QString::fromLatin1(c.ext));
        EXPECT_EQ(timer.isActive(), c.armed) << c.on << " " << c.kind << " " << c.ext;
        EXPECT_EQ(show.interval(), c.armed ? 4000 : 0) << c.on << " " << c.kind << " " << c.ext;
    }
}

TEST(SlideShowTimer, FortySecondsArmsFortyOneAndEnablingBeforeArmingNeverTicks) {
    QTimer timer;
    RuntimeSettings settings;
    PlaybackState state;
    SlideShow show(timer, settings, state);
    // Enabled before any interval: a bare QTimer would fire on every pass of the event loop.
    show.Enable();
    EXPECT_TRUE(show.isEnabled());
    EXPECT_FALSE(timer.isActive());

    settings.SlideSeconds = 40;
    show.SetSlideShowOn(true);
    EXPECT_TRUE(state.slideShow());
    show.ArmSlideTimer(QStringLiteral("jpg"));
    EXPECT_EQ(show.interval(), 41000);
    EXPECT_EQ(timer.interval(), 41000);
    EXPECT_TRUE(timer.isActive());

    show.Disable();
    EXPECT_FALSE(timer.isActive());
    show.Enable(); // the interval last set stays
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 41000);
    show.SetSlideShowOn(false);
    EXPECT_FALSE(timer.isActive());
    EXPECT_FALSE(state.slideShow());
}

} // namespace
} // namespace tobimaru::test
