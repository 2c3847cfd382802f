#include "playback/MediaPlayer.h"
#include "base/ErrorTable.h"
#include "playback/PlayerControlBar.h"
#include "playback/PlayerTestSupport.h"
#include "playback/mpv/MpvHandle.h"
#include "playback/mpv/MpvVideoWindow.h"

#include <QAbstractButton>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QWindow>
#include <atomic>
#include <clocale>
#include <cmath>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <mpv/client.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tobimaru::test {
namespace {

class MediaPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_media = std::make_unique<PlayerMedia>(); }
    static void TearDownTestSuite() { s_media.reset(); }
    static PlayerMedia& media() { return *s_media; }

    static inline std::unique_ptr<PlayerMedia> s_media;
};

// How long "nothing more happens" is watched for; events of a 0.5 s clip come well within it.
constexpr int kQuietMs = 700;

TEST_F(MediaPlayerTest, PlaysToTheEndAndReportsEachStep) {
    MediaPlayer player(nullptr, QuietPlayer());
    ASSERT_TRUE(player.isReady());
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
    QSignalSpy warnings(&player, &MediaPlayer::Warning);

    player.setFileName(media().clip());
    EXPECT_EQ(player.PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(player.FileName(), media().clip());
    // The picture size is known while the file plays; once it has ended mpv may already have
    // dropped it, so it is caught on the way.
    QSize seen;
    ASSERT_TRUE(WaitUntil([&] {
        if (!player.videoSize().isEmpty())
            seen = player.videoSize();
        return ended.count() == 1;
    }));

    EXPECT_EQ(newStream.count(), 1);
    EXPECT_EQ(warnings.count(), 0);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Stopped);
    EXPECT_EQ(player.ErrorCode(), 0);
    ASSERT_EQ(states.count(), 2);
    auto change = [&](int i) { return std::pair(states[i][0].toLongLong(), states[i][1].toLongLong()); };
    EXPECT_EQ(change(0), std::pair(6LL, 2LL));
    EXPECT_EQ(change(1), std::pair(2LL, 0LL));
    EXPECT_EQ(seen, QSize(160, 120));

    // Play after the end opens the same file again from its start.
    player.Play();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Playing);
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 2; }));
    EXPECT_EQ(newStream.count(), 2);
}

TEST_F(MediaPlayerTest, EachFileOfTheSameLengthReportsItsLength) {
    // mpv tells a property's change only when it sees one: between two files of one length it
    // may see none at all, and the second file must still have its length.
    const QString twin = media().dir.file("twin.avi");
    ASSERT_TRUE(QFile::copy(media().longClip(), twin) || QFile::exists(twin));
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    QSignalSpy lengths(&player, &MediaPlayer::durationChanged);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        const int before = newStream.count();
        player.setFileName(round % 2 ? twin : media().longClip());
        ASSERT_TRUE(WaitUntil([&] { return newStream.count() > before; }));
        EXPECT_TRUE(WaitUntil([&] { return player.duration() > 1.9; }, 2000)) << player.duration();
        EXPECT_GT(lengths.count(), round) << "each file tells its length";
    }
}

TEST_F(MediaPlayerTest, StopKeepsTheFileAndPlayResumesIt) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);

    player.setFileName(media().clip());
    ASSERT_TRUE(WaitUntil([&] { return newStream.count() == 1; }));
    player.Pause();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Paused);
    player.Stop();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Stopped);
    EXPECT_EQ(player.FileName(), media().clip());

    QTest::qWait(kQuietMs); // longer than the clip: a stopped file must not run on
    EXPECT_EQ(ended.count(), 0);
    EXPECT_LT(player.position(), 0.2);

    player.Play();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Playing);
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }));
    EXPECT_EQ(newStream.count(), 1) << "resuming must not reload the file";
}

TEST_F(MediaPlayerTest, EmptyFileNameClosesAndSilencesTheOldFile) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
    QSignalSpy warnings(&player, &MediaPlayer::Warning);

    player.setFileName(media().clip());
    ASSERT_TRUE(WaitUntil([&] { return newStream.count() == 1; }));
    player.setFileName(QString());
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    EXPECT_EQ(player.FileName(), QString());

    QTest::qWait(kQuietMs);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(warnings.count(), 0);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    player.Play(); // nothing to play: stays closed
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
}

TEST_F(MediaPlayerTest, BrokenFileWarnsInsteadOfEnding) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
    QSignalSpy warnings(&player, &MediaPlayer::Warning);

    player.setFileName(media().broken());
    ASSERT_TRUE(WaitUntil([&] { return warnings.count() == 1; }));
    QTest::qWait(300);

    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(newStream.count(), 0);
    EXPECT_LT(player.ErrorCode(), 0);
    EXPECT_FALSE(player.ErrorDescription().isEmpty());
    EXPECT_EQ(warnings[0][1].toLongLong(), player.ErrorCode());
    EXPECT_EQ(warnings[0][2].toString(), player.ErrorDescription());
    EXPECT_EQ(player.ErrorDescription(), PlayerErrorText(int(player.ErrorCode())))
        << "a Japanese reason, mpv's text after it";
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    EXPECT_EQ(player.FileName(), media().broken());

    // The next good file clears the error.
    player.setFileName(media().clip());
    EXPECT_EQ(player.ErrorCode(), 0);
    EXPECT_TRUE(player.ErrorDescription().isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }));
}

TEST_F(MediaPlayerTest, ReplacedFileIsNotReportedOnBehalfOfItsSuccessor) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
    QSignalSpy warnings(&player, &MediaPlayer::Warning);
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);

    player.setFileName(media().broken());
    player.setFileName(media().clip());
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }));
    QTest::qWait(300);
    EXPECT_EQ(warnings.count(), 0);
    EXPECT_EQ(newStream.count(), 1);
    EXPECT_EQ(ended.count(), 1);
}

// A sound output that never opens holds mpv's core, as a dead network mount or a wedged sound
// server would; the pane's own calls must not wait for it. The output here is a pipe nobody
// reads, so mpv hangs opening it until the watcher below reads it.
TEST_F(MediaPlayerTest, AHeldCoreNeverHoldsTheCaller) {
    const QString sink = media().dir.file(QStringLiteral("held.pcm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(sink).constData(), 0600), 0);
    PlayerOptions o = QuietPlayer();
    o.audioOutput = "pcm";
    o.mpvOptions = {{"ao-pcm-file", QFile::encodeName(sink)}};
    MediaPlayer player(nullptr, o);
    player.setFileName(media().clip());
    QTest::qWait(500); // the core is now stuck opening the output

    std::atomic<bool> callerDone{false};
    std::atomic<bool> released{false};
    std::thread watcher([&] {
        for (int i = 0; i < 50 && !callerDone; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        released = !callerDone;
        const int fd = ::open(QFile::encodeName(sink).constData(), O_RDONLY);
        char buf[4096];
        while (fd >= 0 && ::read(fd, buf, sizeof buf) > 0) {
        }
        if (fd >= 0)
            ::close(fd);
    });
    player.setMute(true);
    player.setRate(1.5);
    player.Pause();
    player.Stop();
    player.Play();
    player.setFileName(media().clip());
    player.setFileName(QString());
    callerDone = true;
    EXPECT_FALSE(released) << "the GUI thread waited for mpv's core";
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    watcher.join();
}

TEST_F(MediaPlayerTest, PictureStaysUntilTheNextFile) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);

    player.setFileName(media().picture());
    ASSERT_TRUE(WaitUntil([&] { return newStream.count() == 1; }));
    QTest::qWait(1500);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Playing);
    EXPECT_EQ(player.videoSize(), QSize(64, 48));
}

TEST_F(MediaPlayerTest, DoubleRateEndsSooner) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
    auto timeToEnd = [&](double rate) {
        player.setRate(rate);
        const int before = ended.count();
        QElapsedTimer t;
        t.start();
        player.setFileName(media().longClip());
        EXPECT_TRUE(WaitUntil([&] { return ended.count() > before; }));
        return t.elapsed();
    };
    const qint64 fast = timeToEnd(2.0);
    const qint64 normal = timeToEnd(1.0);
    // 2 s of media: about 1 s against about 2 s. A loaded machine stretches both, so only a
    // clear gap is asked for: a rate that was not applied gives two equal times.
    EXPECT_LT(fast + 250, normal) << "fast " << fast << " ms, normal " << normal << " ms";
    EXPECT_EQ(player.Rate(), 1.0);
}

TEST_F(MediaPlayerTest, RateOutsideTheRangeIsRefused) {
    MediaPlayer player(nullptr, QuietPlayer());
    for (double bad : {0.0, -1.0, 100.5, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW(player.setRate(bad), Failure) << bad;
    }
    EXPECT_EQ(player.Rate(), 1.0);
    for (double good : {0.1, 0.25, 4.0}) {
        player.setRate(good);
        EXPECT_EQ(player.Rate(), good);
    }
}

// mpv's pitch-keeping tempo filter falls silent below 0.25x unless told otherwise; the speed
// slider goes down to 0.1x. The samples mpv writes out show whether anything is heard.
TEST_F(MediaPlayerTest, TenthSpeedStillSounds) {
    const QString pcm = media().dir.file(QStringLiteral("slow.raw"));
    PlayerOptions o = QuietPlayer();
    o.audioOutput = "pcm";
    o.mpvOptions = {
        {"ao-pcm-file", QFile::encodeName(pcm)}, {"ao-pcm-waveheader", "no"}, {"audio-format", "s16"}};
    MediaPlayer player(nullptr, o);
    player.setRate(0.1);
    player.setFileName(media().clip());
    // About a third of a second of output (16-bit mono at 44.1 kHz) is plenty to judge.
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(pcm).size() > 30000; }, 8000));
    player.setFileName(QString()); // closes the output file
    QTest::qWait(100);

    QFile f(pcm);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray raw = f.readAll();
    int loudest = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        const auto sample = qint16(quint8(raw[i]) | (quint8(raw[i + 1]) << 8));
        loudest = std::max(loudest, std::abs(int(sample)));
    }
    EXPECT_GT(loudest, 1000) << "silence at 0.1x";
}

// What mpv wrote to a raw PCM output (16-bit): how much, and how loud at its loudest.
struct Sound {
    qint64 bytes = 0;
    int loudest = 0;
};

Sound ReadPcm(const QString& path) {
    QFile f(path);
    Sound sound;
    if (!f.open(QIODevice::ReadOnly))
        return sound;
    const QByteArray raw = f.readAll();
    sound.bytes = raw.size();
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        const auto sample = qint16(quint8(raw[i]) | (quint8(raw[i + 1]) << 8));
        sound.loudest = std::max(sound.loudest, std::abs(int(sample)));
    }
    return sound;
}

// The main window makes the player's core only after its first paint, so what its load tells
// the pane (volume, mute, rate, a file, a pause or stop of it) reaches a pane without a core.
// Each row runs on a pane whose core exists from the start and on one whose core is made
// after the row's calls: both must come out as the row says, from the sound mpv wrote out.
TEST_F(MediaPlayerTest, CallsBeforeTheCoreExistsTakeEffectOnceItDoes) {
    enum class Heard { Full, Silent, Quieter, Shorter, Nothing };
    const struct Row {
        const char* name;
        std::function<void(MediaPlayer&, const QString& clip)> calls;
        PlayerState state; // once it has settled
        int ends;
        int newStreams;
        Heard heard;
    } rows[] = {
        {"a file", [](MediaPlayer& p, const QString& clip) { p.setFileName(clip); }, MediaPlayer::Stopped, 1,
         1, Heard::Full},
        {"muted, then a file",
         [](MediaPlayer& p, const QString& clip) {
             p.setMute(true);
             p.setFileName(clip);
         },
         MediaPlayer::Stopped, 1, 1, Heard::Silent},
        {"half volume, then a file",
         [](MediaPlayer& p, const QString& clip) {
             p.setVolume(50);
             p.setFileName(clip);
         },
         MediaPlayer::Stopped, 1, 1, Heard::Quieter},
        {"double speed, then a file",
         [](MediaPlayer& p, const QString& clip) {
             p.setRate(2.0);
             p.setFileName(clip);
         },
         MediaPlayer::Stopped, 1, 1, Heard::Shorter},
        {"a file, paused",
         [](MediaPlayer& p, const QString& clip) {
             p.setFileName(clip);
             p.Pause();
         },
         MediaPlayer::Paused, 0, 1, Heard::Nothing},
        {"a file, stopped",
         [](MediaPlayer& p, const QString& clip) {
             p.setFileName(clip);
             p.Stop();
         },
         MediaPlayer::Stopped, 0, 1, Heard::Nothing},
        {"a file, closed again",
         [](MediaPlayer& p, const QString& clip) {
             p.setFileName(clip);
             p.setFileName(QString());
         },
         MediaPlayer::Closed, 0, 0, Heard::Nothing},
    };
    for (const bool deferred : {false, true}) {
        std::optional<Sound> full;
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (deferred ? ", core made afterwards" : ", core at once"));
            const QString pcm =
                media().dir.file(QStringLiteral("%1-%2.raw").arg(deferred).arg(int(&row - rows)));
            PlayerOptions o = QuietPlayer();
            o.audioOutput = "pcm";
            o.mpvOptions = {{"ao-pcm-file", QFile::encodeName(pcm)},
                            {"ao-pcm-waveheader", "no"},
                            {"audio-format", "s16"}};
            o.deferCore = deferred;
            MediaPlayer player(nullptr, o);
            QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
            QSignalSpy newStream(&player, &MediaPlayer::NewStream);
            QSignalSpy warnings(&player, &MediaPlayer::Warning);
            row.calls(player, media().clip());
            EXPECT_EQ(player.isReady(), !deferred);
            if (deferred) {
                EXPECT_EQ(newStream.count(), 0);
                player.StartCore();
                EXPECT_TRUE(player.isReady());
            }
            if (row.ends > 0) {
                ASSERT_TRUE(WaitUntil([&] { return ended.count() >= row.ends; }));
            }
            QTest::qWait(kQuietMs);
            EXPECT_EQ(player.PlayState(), row.state);
            EXPECT_EQ(ended.count(), row.ends);
            EXPECT_EQ(newStream.count(), row.newStreams);
            EXPECT_EQ(warnings.count(), 0);
            player.setFileName(QString()); // closes the output file
            QTest::qWait(100);

            const Sound sound = ReadPcm(pcm);
            switch (row.heard) {
            case Heard::Full:
                EXPECT_GT(sound.loudest, 1000);
                full = sound;
                break;
            case Heard::Silent:
                EXPECT_GT(sound.bytes, 0) << "played, but not heard";
                EXPECT_EQ(sound.loudest, 0);
                break;
            case Heard::Quieter:
                ASSERT_TRUE(full);
                EXPECT_GT(sound.loudest, 0);
                EXPECT_LT(sound.loudest, full->loudest / 2);
                break;
            case Heard::Shorter:
                ASSERT_TRUE(full);
                EXPECT_GT(sound.loudest, 1000);
                EXPECT_LT(sound.bytes, full->bytes * 7 / 10) << sound.bytes << " of " << full->bytes;
                break;
            case Heard::Nothing:
                EXPECT_LT(sound.bytes, 4410) << "a tenth of a second at most";
                break;
            }
        }
    }
}

TEST_F(MediaPlayerTest, StartsUnderAJapaneseLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "ja_JP.UTF-8"))
        GTEST_SKIP() << "ja_JP.UTF-8 is not installed";
    // Without the fix mpv refuses to start, which is what makes the check below mean something.
    mpv_handle* bare = mpv_create();
    EXPECT_EQ(bare, nullptr);
    if (bare)
        mpv_terminate_destroy(bare);

    std::setlocale(LC_ALL, "ja_JP.UTF-8");
    {
        MediaPlayer player(nullptr, QuietPlayer());
        EXPECT_TRUE(player.isReady());
    }
    std::setlocale(LC_ALL, saved.c_str());
    std::setlocale(LC_NUMERIC, "C");
}

TEST(MediaPlayerLayout, VideoRectForEachDisplaySize) {
    struct Case {
        QSize pane;
        QSize video;
        MediaPlayer::Size size;
        QRect expected;
    };
    const QSize pane(400, 300);
    const Case cases[] = {
        {pane, {160, 120}, MediaPlayer::Normal, {120, 90, 160, 120}},
        {pane, {160, 120}, MediaPlayer::Half, {160, 120, 80, 60}},
        {pane, {160, 120}, MediaPlayer::Double, {40, 30, 320, 240}},
        {pane, {160, 120}, MediaPlayer::Fit, {0, 0, 400, 300}},
        {pane, {160, 120}, MediaPlayer::FullScreen, {0, 0, 400, 300}},
        {pane, {320, 120}, MediaPlayer::Fit, {0, 75, 400, 150}},   // wide: bars above and below
        {pane, {100, 300}, MediaPlayer::Fit, {150, 0, 100, 300}},  // tall: bars at the sides
        {pane, {800, 600}, MediaPlayer::Normal, {0, 0, 400, 300}}, // too big: shrunk, not cut
        {pane, {300, 200}, MediaPlayer::Double, {0, 16, 400, 267}},
        {pane, {}, MediaPlayer::Normal, {0, 0, 400, 300}}, // no picture (yet): the whole pane
        {{}, {160, 120}, MediaPlayer::Fit, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MediaPlayer::VideoRect(c.pane, c.video, c.size), c.expected)
            << "video " << c.video.width() << "x" << c.video.height() << " size " << static_cast<int>(c.size);
    }
}

TEST_F(MediaPlayerTest, PictureIsPlacedByDisplaySize) {
    MediaPlayer player(nullptr, QuietPlayer());
    player.resize(400, 340);
    player.show();
    player.setDisplaySize(MediaPlayer::Normal);
    player.setFileName(media().picture());
    ASSERT_TRUE(WaitUntil([&] { return player.videoSize() == QSize(64, 48); }));
    // The pane places the picture once it has learnt its size.
    WaitUntil([&] { return player.videoWidget()->size() == QSize(64, 48); });
    const QSize stage = player.videoWidget()->parentWidget()->size();
    EXPECT_EQ(player.videoWidget()->geometry(), MediaPlayer::VideoRect(stage, {64, 48}, MediaPlayer::Normal));
    EXPECT_EQ(player.videoWidget()->size(), QSize(64, 48));
    player.setDisplaySize(MediaPlayer::Fit);
    EXPECT_EQ(player.videoWidget()->geometry(), MediaPlayer::VideoRect(stage, {64, 48}, MediaPlayer::Fit));
    EXPECT_GT(player.videoWidget()->width(), 64);
}

TEST(MediaPlayerScreen, FullScreenIsAskedForAndLeftByEscOrDoubleClick) {
    MediaPlayer player(nullptr, QuietPlayer());
    player.resize(320, 240);
    player.show();
    QSignalSpy requests(&player, &MediaPlayer::fullScreenRequested);

    player.setDisplaySize(MediaPlayer::Half);
    player.setDisplaySize(MediaPlayer::FullScreen);
    player.setDisplaySize(MediaPlayer::FullScreen); // already there: asked once
    ASSERT_EQ(requests.count(), 1);
    EXPECT_TRUE(requests[0][0].toBool());

    QTest::keyClick(&player, Qt::Key_Escape);
    ASSERT_EQ(requests.count(), 2);
    EXPECT_FALSE(requests[1][0].toBool());
    EXPECT_EQ(player.DisplaySize(), MediaPlayer::Half);

    player.setDisplaySize(MediaPlayer::FullScreen);
    QTest::mouseDClick(player.videoWidget(), Qt::LeftButton);
    ASSERT_EQ(requests.count(), 4);
    EXPECT_FALSE(requests[3][0].toBool());
    EXPECT_EQ(player.DisplaySize(), MediaPlayer::Half);

    // Outside full screen neither does anything.
    QTest::keyClick(&player, Qt::Key_Escape);
    QTest::mouseDClick(player.videoWidget(), Qt::LeftButton);
    EXPECT_EQ(requests.count(), 4);

    EXPECT_THROW(player.setDisplaySize(PlayerSize{5}), Failure);
    EXPECT_THROW(player.setDisplaySize(PlayerSize{-1}), Failure);
    EXPECT_EQ(player.DisplaySize(), MediaPlayer::Half);
}

TEST(MediaPlayerFlags, EachFlagSwitchesItsPartOfThePane) {
    struct Case {
        PlayerFlag id;
        QStringList parts;
    };
    const Case cases[] = {
        {PlayerFlag::ControlBar, {"PlayerControlBar"}},
        {PlayerFlag::AudioControls, {"volumeSlider", "muteButton"}},
        {PlayerFlag::StatusLine, {"statusLine"}},
        {PlayerFlag::Tracker, {"seekSlider", "timeLabel"}},
        {PlayerFlag::Transport, {"playPauseButton", "stopButton"}},
    };
    MediaPlayer player(nullptr, QuietPlayer());
    for (const Case& c : cases) {
        for (bool on : {false, true}) {
            ASSERT_TRUE(player.setDisplayFlag(c.id, on));
            EXPECT_EQ(player.DisplayFlag(c.id), on);
            for (const QString& name : c.parts) {
                auto* part = player.findChild<QWidget*>(name);
                ASSERT_NE(part, nullptr) << name.toStdString();
                EXPECT_EQ(part->isVisibleTo(&player), on)
                    << static_cast<int>(c.id) << " " << name.toStdString();
            }
        }
    }
    EXPECT_FALSE(player.setDisplayFlag(PlayerFlag{1234}, true));
    EXPECT_FALSE(player.DisplayFlag(PlayerFlag{1234}));
}

TEST(MediaPlayerFlags, KeyDownFollowsItsFlag) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy keys(&player, &MediaPlayer::KeyDown);
    // The modifier keys come first, as key presses of their own.
    QTest::keyClick(&player, Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier);
    ASSERT_GE(keys.count(), 1);
    EXPECT_EQ(keys.last()[0].toInt(), int(Qt::Key_A));
    EXPECT_EQ(keys.last()[1].toInt(), 3);
    QTest::keyClick(&player, Qt::Key_F5, Qt::AltModifier);
    EXPECT_EQ(keys.last()[0].toInt(), int(Qt::Key_F5));
    EXPECT_EQ(keys.last()[1].toInt(), 4);

    const qsizetype before = keys.count();
    player.setDisplayFlag(PlayerFlag::KeyEvents, false);
    QTest::keyClick(&player, Qt::Key_B);
    EXPECT_EQ(keys.count(), before);
}

TEST(PlayerControlBarTest, SeekSliderSendsOnlyTheUsersMoves) {
    PlayerControlBar bar;
    QSignalSpy seeks(&bar, &PlayerControlBar::seekRequested);
    auto* slider = bar.findChild<QSlider*>(QStringLiteral("seekSlider"));
    ASSERT_NE(slider, nullptr);

    bar.setPlayState(PlayerState::Playing);
    bar.setDuration(10.0);
    bar.setPosition(3.0); // the player moving it is not a request
    EXPECT_EQ(seeks.count(), 0);
    EXPECT_TRUE(slider->isEnabled());

    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_NEAR(seeks[0][0].toDouble(), 3.0 + slider->pageStep() / 10.0, 1e-9);
    EXPECT_TRUE(seeks[0][1].toBool());

    bar.setTrackerEnabled(false);
    EXPECT_FALSE(slider->isEnabled());
    bar.setTrackerEnabled(true);
    bar.setPlayState(PlayerState::Closed); // closed: nothing to seek in
    EXPECT_FALSE(slider->isEnabled());
}

TEST(PlayerControlBarTest, TimesAreShownAsClockText) {
    const std::pair<double, const char*> cases[] = {
        {0, "0:00"},         {0.6, "0:00"},   {59.9, "0:59"},
        {61, "1:01"},        {3599, "59:59"}, {3600, "1:00:00"},
        {3725.2, "1:02:05"}, {-5, "0:00"},    {std::numeric_limits<double>::quiet_NaN(), "0:00"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(PlayerControlBar::FormatTime(seconds), QString::fromLatin1(text)) << seconds;
}

TEST_F(MediaPlayerTest, ControlBarButtonsDriveThePane) {
    MediaPlayer player(nullptr, QuietPlayer());
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    player.setFileName(media().longClip());
    ASSERT_TRUE(WaitUntil([&] { return newStream.count() == 1; }));
    auto* playPause = player.findChild<QAbstractButton*>(QStringLiteral("playPauseButton"));
    auto* stop = player.findChild<QAbstractButton*>(QStringLiteral("stopButton"));
    auto* mute = player.findChild<QAbstractButton*>(QStringLiteral("muteButton"));
    ASSERT_TRUE(playPause && stop && mute);

    playPause->click();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Paused);
    playPause->click();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Playing);
    stop->click();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Stopped);
    EXPECT_EQ(player.FileName(), media().longClip());
    mute->click();
    EXPECT_TRUE(player.Mute());
    player.setMute(false);
    EXPECT_FALSE(mute->isChecked());
}

TEST(MediaPlayerCore, WithoutACoreEveryStartFails) {
    PlayerOptions o = QuietPlayer();
    o.startCore = false;
    MediaPlayer player(nullptr, o);
    EXPECT_FALSE(player.isReady());
    EXPECT_THROW(player.setFileName(QStringLiteral("/tmp/x.avi")), Failure);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    EXPECT_NE(player.ErrorCode(), 0);
    EXPECT_FALSE(player.ErrorDescription().isEmpty());
    // The pane's own play button reports instead of throwing through the event loop.
    QSignalSpy warnings(&player, &MediaPlayer::Warning);
    player.findChild<QAbstractButton*>(QStringLiteral("playPauseButton"))->click();
    EXPECT_EQ(warnings.count(), 1);
}

TEST(MpvVideoWindow, SoftwareRasterizersAreToldFromGraphicsProcessors) {
    const std::pair<const char*, bool> cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa DRI swrast", true},
        {"Mesa X11", true},
        {"Microsoft Basic Render Driver", true},
        {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", false},
        {"virgl (LLVM 15.0.6)", false},
        {"", false},
    };
    for (const auto& [renderer, software] : cases)
        EXPECT_EQ(MpvVideoWindow::IsSoftwareRenderer(QByteArray(renderer)), software) << renderer;
}

// Red above blue, 64x48: a picture must come out the right way up and fill its rectangle.
QString TwoTonePicture(PlayerMedia& media) {
    const QString path = media.dir.file(QStringLiteral("twotone.png"));
    if (QFile::exists(path))
        return path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                  "color=c=red:s=64x48,drawbox=x=0:y=24:w=64:h=24:color=blue:t=fill", "-frames:v", "1",
                  path});
    return ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0 ? path : QString();
}

// What the screen shows where the picture's window stands, not what was asked to be drawn.
QImage ScreenAt(const QWindow& window) {
    const QPoint at = window.mapToGlobal(QPoint(0, 0));
    return window.screen()->grabWindow(0, at.x(), at.y(), window.width(), window.height()).toImage();
}

// Both ways of showing the picture need a display: run with QT_QPA_PLATFORM=xcb under Xvfb.
TEST_F(MediaPlayerTest, GlOutputPlaysAFileGivenBeforeTheFirstShow) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a display (run under Xvfb with QT_QPA_PLATFORM=xcb)";
    const QString twoTone = TwoTonePicture(media());
    ASSERT_FALSE(twoTone.isEmpty());
    const struct {
        const char* name;
        PlayerOutput output;
        const char* decoding; ///< mpv's hwdec choice: GL on X11 takes decoded frames directly
    } outputs[] = {{"drawn with GL", PlayerOutput::OpenGLVideo, "auto-safe"},
                   {"converted on the processor", PlayerOutput::SoftwareVideo, "auto-copy-safe"}};
    for (const auto& row : outputs) {
        SCOPED_TRACE(row.name);
        PlayerOptions o = QuietPlayer();
        o.output = row.output;
        auto player = std::make_unique<MediaPlayer>(nullptr, o);
        QSignalSpy ended(player.get(), &MediaPlayer::EndOfStream);
        QSignalSpy warnings(player.get(), &MediaPlayer::Warning);
        QSignalSpy frames(player.get(), &MediaPlayer::playbackRestarted);

        player->setFileName(media().clip()); // may wait for the picture output to exist
        player->resize(320, 280);
        player->show();
        ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1 || warnings.count() > 0; }));
        EXPECT_EQ(warnings.count(), 0) << (warnings.isEmpty() ? "" : warnings[0][2].toString().toStdString());
        EXPECT_EQ(ended.count(), 1);
        EXPECT_GE(frames.count(), 1);
        EXPECT_EQ(player->hardwareDecoding(), QLatin1String(row.decoding));

        player->setFileName(twoTone);
        ASSERT_TRUE(WaitUntil([&] { return player->videoSize() == QSize(64, 48); }));
        QWindow* view = player->videoWindow();
        ASSERT_NE(view, nullptr);
        const auto redOnTop = [&] {
            const QImage shot = ScreenAt(*view);
            const QColor top = shot.pixelColor(shot.width() / 2, shot.height() / 8);
            const QColor bottom = shot.pixelColor(shot.width() / 2, shot.height() * 7 / 8);
            return top.red() > 200 && top.blue() < 60 && bottom.blue() > 200 && bottom.red() < 60;
        };
        EXPECT_TRUE(WaitUntil(redOnTop, 5000));

        // Unloaded, the pane is black: the last picture does not stay behind.
        player->setFileName(QString());
        const auto black = [&] {
            const QImage closed = ScreenAt(*view);
            for (const QPoint p : {QPoint(closed.width() / 2, closed.height() / 8),
                                   QPoint(closed.width() / 2, closed.height() * 7 / 8)})
                if (closed.pixelColor(p) != QColor(Qt::black))
                    return false;
            return true;
        };
        EXPECT_TRUE(WaitUntil(black, 5000));

        // The next file shows again.
        player->setFileName(twoTone);
        EXPECT_TRUE(WaitUntil(redOnTop, 5000));
        player.reset(); // frees the picture output before the core, with a picture on screen
    }
}

} // namespace
} // namespace tobimaru::test
