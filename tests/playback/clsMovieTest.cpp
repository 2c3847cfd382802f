#include "playback/clsMovie.h"
#include "base/ErrorTable.h"
#include "platform/ShellOpen.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayerTestSupport.h"
#include "support/FakePrompts.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QSignalSpy>

namespace tobimaru::test {
namespace {

/// Records what would have been handed to the desktop.
class FakeOpener final : public ShellOpener {
public:
    int32_t ShellOpenFile(QWidget*, const QString& path, int) override {
        opened << path;
        if (failure)
            throw Failure(*failure, "opener");
        return succeed ? 0 : kNoApplication;
    }
    QStringList opened;
    bool succeed = true;
    std::optional<ErrorCode> failure;
};

class ClsMovieTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_media = std::make_unique<PlayerMedia>(); }
    static void TearDownTestSuite() { s_media.reset(); }
    static PlayerMedia& media() { return *s_media; }

    void TearDown() override { EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "hourglass left on"; }

    MediaPlayer player{nullptr, QuietPlayer()};
    FakePrompts prompts;
    FakeOpener opener;
    int timerStops = 0;
    clsMovie movie{player, prompts, opener, [this] { ++timerStops; }};

    static inline std::unique_ptr<PlayerMedia> s_media;
};

const QString kCaption = QStringLiteral("プレイヤーエラー");

TEST(ClsMovieLists, MediaExtensionsAreTheClassicOnesAndTodays) {
    const QStringList list = clsMovie::MediaExtensions();
    EXPECT_EQ(list.size(), 43);
    EXPECT_EQ(QSet<QString>(list.begin(), list.end()).size(), 43);
    const std::pair<const char*, bool> cases[] = {
        {"mp3", true},   {"MP3", true},  {"Jpeg", true}, {"vob", true},  {"m1v", true},  {"aifc", true},
        {"png", true},   {"PNG", true},  {"mp4", true},  {"MKV", true},  {"webp", true}, {"", false},
        {".mp3", false}, {"txt", false}, {"rm", false},  {"pdf", false},
    };
    for (const auto& [ext, media] : cases)
        EXPECT_EQ(clsMovie::IsMediaExtension(QString::fromLatin1(ext)), media) << ext;
}

TEST(ClsMovieLists, DisplaySizeForEachMenuIndex) {
    const std::pair<int, PlayerSize> cases[] = {{0, MediaPlayer::Fit},        {1, MediaPlayer::Half},
                                                {2, MediaPlayer::Normal},     {3, MediaPlayer::Double},
                                                {4, MediaPlayer::FullScreen}, {7, MediaPlayer::FullScreen},
                                                {-1, MediaPlayer::FullScreen}};
    for (const auto& [index, size] : cases)
        EXPECT_EQ(clsMovie::DisplaySizeFor(SizeMenuIndex{index}), size) << index;
}

TEST_F(ClsMovieTest, MissingFileIsReportedAndNothingStarts) {
    const QString folderNamedLikeAClip = media().dir.mkdir(QStringLiteral("folder.avi"));
    for (const QString& path : {media().dir.file(QStringLiteral("gone.avi")), folderNamedLikeAClip}) {
        prompts.clear();
        movie.PlayStart(path, QStringLiteral("avi"), SizeMenuIndex{0});
        ASSERT_EQ(prompts.boxes.size(), 1);
        EXPECT_EQ(prompts.boxes[0].text, path + QStringLiteral("は、存在しないため再生できません。"));
        EXPECT_EQ(prompts.boxes[0].caption, kCaption);
        EXPECT_EQ(prompts.boxes[0].icon, PromptIcon::Critical);
        EXPECT_EQ(prompts.boxes[0].buttons, PromptButtons::Ok);
        EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    }
    EXPECT_TRUE(opener.opened.isEmpty());
    EXPECT_EQ(timerStops, 2);
}

TEST_F(ClsMovieTest, NonMediaFilesGoToTheDesktopAndFilesWithoutExtensionNowhere) {
    const QString png = media().dir.write(QStringLiteral("notes.txt"), "text");
    const QString bare = media().dir.write(QStringLiteral("README"), "text");

    movie.PlayStart(png, QStringLiteral("txt"), SizeMenuIndex{0});
    EXPECT_EQ(opener.opened, QStringList{png});
    movie.PlayStart(bare, QString(), SizeMenuIndex{0});
    EXPECT_EQ(opener.opened, QStringList{png});
    EXPECT_TRUE(prompts.boxes.isEmpty());
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    EXPECT_EQ(player.FileName(), QString());

    // No application for the type: said plainly rather than nothing happening at all.
    opener.succeed = false;
    movie.PlayStart(png, QStringLiteral("TXT"), SizeMenuIndex{0});
    ASSERT_EQ(prompts.boxes.size(), 1);
    EXPECT_EQ(prompts.boxes[0].text, png + QStringLiteral("を開くアプリケーションがありません。"));
    EXPECT_EQ(prompts.boxes[0].caption, kCaption);
}

TEST_F(ClsMovieTest, UpperCaseExtensionPlaysInThePane) {
    QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
    player.hide();
    movie.PlayStart(media().clip(), QStringLiteral("AVI"), SizeMenuIndex{2});
    EXPECT_FALSE(player.isHidden()) << "the pane is made visible";
    EXPECT_EQ(player.FileName(), media().clip());
    EXPECT_EQ(movie.GetPlayState(), MovieState::Playing);
    EXPECT_TRUE(opener.opened.isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }));
    EXPECT_EQ(movie.GetPlayState(), MovieState::Idle);
}

// Each format added to the pane plays there from a real file, not through the desktop. A png in
// a slideshow once opened a viewer window at every turn.
TEST_F(ClsMovieTest, TodaysFormatsPlayInThePane) {
    const struct {
        const char* name;
        QString (*make)(const QString&);
    } files[] = {
        {"a.mp4", [](const QString& p) { return MediaMaker::clip(p, 0.3); }},
        {"a.m4v", [](const QString& p) { return MediaMaker::clip(p, 0.3); }},
        {"a.mkv", [](const QString& p) { return MediaMaker::clip(p, 0.3); }},
        {"a.webm", [](const QString& p) { return MediaMaker::clip(p, 0.3); }},
        {"a.mov", [](const QString& p) { return MediaMaker::clip(p, 0.3); }},
        {"a.ogv", [](const QString& p) { return MediaMaker::clip(p, 0.3); }},
        {"a.ts", [](const QString& p) { return MediaMaker::clip(p, 0.3); }},
        {"a.flac", [](const QString& p) { return MediaMaker::sound(p, 0.3); }},
        {"a.ogg", [](const QString& p) { return MediaMaker::sound(p, 0.3); }},
        {"a.opus", [](const QString& p) { return MediaMaker::sound(p, 0.3); }},
        {"a.m4a", [](const QString& p) { return MediaMaker::sound(p, 0.3); }},
        {"a.aac", [](const QString& p) { return MediaMaker::sound(p, 0.3); }},
        {"a.webp", [](const QString& p) { return MediaMaker::picture(p); }},
        {"a.png", [](const QString& p) { return MediaMaker::picture(p); }},
    };
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const QString path = f.make(media().dir.file(QString::fromLatin1(f.name)));
        const int before = newStream.count();
        movie.PlayStart(path, QFileInfo(path).suffix().toUpper(), SizeMenuIndex{0});
        EXPECT_TRUE(WaitUntil([&] { return newStream.count() == before + 1; })) << "mpv opened it";
        EXPECT_EQ(player.FileName(), path);
        EXPECT_TRUE(prompts.boxes.isEmpty()) << prompts.texts().join("|").toStdString();
    }
    EXPECT_TRUE(opener.opened.isEmpty()) << "nothing went to another program";
}

TEST_F(ClsMovieTest, PausedFileResumesAndStoppedFileStartsOver) {
    QSignalSpy newStream(&player, &MediaPlayer::NewStream);
    movie.PlayStart(media().longClip(), QStringLiteral("avi"), SizeMenuIndex{0});
    ASSERT_TRUE(WaitUntil([&] { return newStream.count() == 1; }));

    movie.PlayPause();
    EXPECT_EQ(movie.GetPlayState(), MovieState::Paused);
    movie.PlayPause(); // only a playing file pauses
    EXPECT_EQ(movie.GetPlayState(), MovieState::Paused);
    movie.PlayStart(media().longClip(), QStringLiteral("avi"), SizeMenuIndex{0});
    EXPECT_EQ(movie.GetPlayState(), MovieState::Playing);
    QTest::qWait(300);
    EXPECT_EQ(newStream.count(), 1) << "a paused file resumes, it is not opened again";

    player.Stop();
    movie.PlayStart(media().longClip(), QStringLiteral("avi"), SizeMenuIndex{0});
    ASSERT_TRUE(WaitUntil([&] { return newStream.count() == 2; }));
    EXPECT_EQ(movie.GetPlayState(), MovieState::Playing);
}

TEST_F(ClsMovieTest, GetPlayStateSwapsAndIsZeroWhileHidden) {
    EXPECT_EQ(movie.GetPlayState(), MovieState::Idle); // closed
    movie.PlayStart(media().picture(), QStringLiteral("jpg"), SizeMenuIndex{0});
    EXPECT_EQ(movie.GetPlayState(), MovieState::Playing);
    player.hide();
    EXPECT_EQ(movie.GetPlayState(), MovieState::Idle);
    player.setVisible(true);
    movie.PlayPause();
    EXPECT_EQ(player.PlayState(), MediaPlayer::Paused);
    EXPECT_EQ(movie.GetPlayState(), MovieState::Paused);
    player.Stop();
    EXPECT_EQ(movie.GetPlayState(), MovieState::Idle);
}

TEST_F(ClsMovieTest, PlayStopClosesTheFile) {
    movie.PlayStart(media().picture(), QStringLiteral("jpg"), SizeMenuIndex{0});
    player.setDisplayFlag(PlayerFlag::Transport, false);
    timerStops = 0;
    movie.PlayStop();
    EXPECT_EQ(timerStops, 1);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
    EXPECT_EQ(player.FileName(), QString());
    EXPECT_TRUE(player.DisplayFlag(PlayerFlag::Transport));
    movie.PlayStop(); // already closed: harmless
    EXPECT_EQ(timerStops, 2);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Closed);
}

TEST_F(ClsMovieTest, ScreenAndMuteChangesOnlyForMediaFiles) {
    QSignalSpy fullScreen(&player, &MediaPlayer::fullScreenRequested);
    const QString file = media().clip();
    movie.PlayScreenChange(SizeMenuIndex{2}, file, QStringLiteral("txt"));
    EXPECT_EQ(player.DisplaySize(), MediaPlayer::Fit);
    movie.PlayScreenChange(SizeMenuIndex{2}, file, QStringLiteral("AVI"));
    EXPECT_EQ(player.DisplaySize(), MediaPlayer::Normal);
    EXPECT_FALSE(player.isHidden());
    movie.PlayScreenChange(SizeMenuIndex{4}, file, QStringLiteral("avi"));
    EXPECT_EQ(player.DisplaySize(), MediaPlayer::FullScreen);
    EXPECT_EQ(fullScreen.count(), 1);

    movie.SetPlayMute(true, file, QStringLiteral("txt"));
    EXPECT_FALSE(player.Mute());
    movie.SetPlayMute(true, file, QStringLiteral("Mp3"));
    EXPECT_TRUE(player.Mute());
    movie.SetPlayMute(false, file, QStringLiteral("mp3"));
    EXPECT_FALSE(player.Mute());
}

TEST_F(ClsMovieTest, StartFailuresEndInThePlayerErrorBox) {
    PlayerOptions broken = QuietPlayer();
    broken.startCore = false;
    MediaPlayer dead(nullptr, broken);
    clsMovie deadMovie(dead, prompts, opener);

    deadMovie.PlayStart(media().clip(), QStringLiteral("avi"), SizeMenuIndex{0});
    ASSERT_EQ(prompts.boxes.size(), 1);
    const QString expected =
        QStringLiteral("(MediaPlayerエラー番号):  ") + QString::number(dead.ErrorCode()) +
        QStringLiteral("\r(エラー内容):  ") + dead.ErrorDescription() +
        QStringLiteral("\r(VBエラー番号):  68\r(エラー内容):  ") + ErrorText(ErrorCode::DeviceUnavailable);
    EXPECT_EQ(prompts.boxes[0].text, expected);
    EXPECT_EQ(prompts.boxes[0].caption, kCaption);
    EXPECT_EQ(prompts.boxes[0].icon, PromptIcon::Critical);
    EXPECT_EQ(prompts.beeps, 1);

    // A failure outside the media list gets the same box, empty.
    opener.failure = ErrorCode::PermissionDenied;
    const QString png = media().dir.write(QStringLiteral("x.txt"), "text");
    deadMovie.PlayStart(png, QStringLiteral("txt"), SizeMenuIndex{0});
    ASSERT_EQ(prompts.boxes.size(), 2);
    EXPECT_EQ(prompts.boxes[1].text, QString());
    EXPECT_EQ(prompts.boxes[1].caption, kCaption);
    EXPECT_EQ(prompts.beeps, 2);
}

} // namespace
} // namespace tobimaru::test
