#include "base/PathQueries.h"
#include "playback/ContinuousRig.h"
#include "playback/PlayMarks.h"
#include "playback/PlayerTestSupport.h"
#include "ui/IconLibrary.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QItemSelectionModel>
#include <QSlider>
#include <QTreeView>
#include <atomic>
#include <chrono>
#include <thread>

namespace tobimaru::test {
namespace {

class ContinuousPlayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_media = std::make_unique<ContinuousMedia>(); }
    static void TearDownTestSuite() { s_media.reset(); }
    static ContinuousMedia& media() { return *s_media; }

    ContinuousRig rig;
    static inline std::unique_ptr<ContinuousMedia> s_media;
};

// How long "nothing more happens" is watched for; a 0.5 s clip would have ended well within it.
constexpr int kQuietMs = 1200;

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

struct Mark {
    QColor color;
    bool bold;
    QString icon;
    QString tip;
};

Mark MarkOf(const FileListModel& m, int row) {
    return {m.rowColor(row), m.rowBold(row), m.rowIconKey(row), m.rowToolTip(row)};
}

void ExpectEnded(const FileListModel& m, int row) {
    const Mark mark = MarkOf(m, row);
    EXPECT_EQ(mark.color, kRed) << row;
    EXPECT_TRUE(mark.bold) << row;
    EXPECT_EQ(mark.icon, QStringLiteral("PLAY_END_KEY")) << row;
    EXPECT_EQ(mark.tip, m.row(row).name + QStringLiteral("は、最後まで見ました。")) << row;
}

void ExpectStarted(const FileListModel& m, int row, const char* icon) {
    const Mark mark = MarkOf(m, row);
    EXPECT_EQ(mark.color, kBlack) << row;
    EXPECT_TRUE(mark.bold) << row;
    EXPECT_EQ(mark.icon, QString::fromLatin1(icon)) << row;
    EXPECT_EQ(mark.tip, m.row(row).name + QStringLiteral("は、再生しています。")) << row;
}

bool SameImage(const QIcon& a, const QIcon& b) {
    return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
}

TEST_F(ContinuousPlayTest, PlaysDownTheListAndStartsTheFirstAfterTheLast) {
    rig.checkQuickPathMode(1);
    rig.list(media().three());
    ASSERT_EQ(rig.model().rowCount(), 3);
    for (const QString& key : PlayMarkKeys())
        EXPECT_TRUE(rig.icons.contains(key)) << key.toStdString();

    rig.play->SetPlaybotton(PlayStep::Selected);
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(0));
    ExpectStarted(rig.model(), 0, "PlayDwn");
    EXPECT_TRUE(rig.folders.recorded.isEmpty()) << "a start by hand follows no end";

    ASSERT_TRUE(rig.waitNewStreams(4, 15000)) << "a, b, c and a again";
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(0));
    EXPECT_EQ(rig.ListView1->currentIndex().row(), 0);
    ExpectStarted(rig.model(), 0, "PlayDwn");
    ExpectEnded(rig.model(), 1);
    ExpectEnded(rig.model(), 2);
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());

    // Every automatic start followed an end: each recorded the folder once.
    EXPECT_EQ(rig.folders.recorded, QStringList(3, media().three()));
    EXPECT_FALSE(rig.folders.marked.isEmpty());
    EXPECT_EQ(rig.folders.marked.last(), media().three());
    const QString size = QString::number((QFileInfo(rig.key(0)).size() + 1023) / 1024);
    EXPECT_EQ(rig.window->windowTitle(), ContinuousRig::baseCaption() + QStringLiteral(" - a.avi(") + size +
                                             QStringLiteral("KB) - ") + media().three());

    rig.OnToolbarButton(QStringLiteral("停止"));
    EXPECT_FALSE(rig.play->AutoPlayArmed());
    EXPECT_EQ(rig.player->PlayState(), MediaPlayer::Closed);
}

TEST_F(ContinuousPlayTest, ReverseOrderWrapsFromTheFirstToTheLast) {
    rig.list(media().three());
    rig.OnToolbarButton(QStringLiteral("降順"));
    EXPECT_TRUE(rig.play->ReverseOrder());
    EXPECT_TRUE(rig.slideShow->isEnabled()) << "the order buttons let the slideshow run";

    rig.play->SetPlaybotton(PlayStep::Selected);
    ExpectStarted(rig.model(), 0, "PlayUp");
    ASSERT_TRUE(rig.waitPlaying(rig.key(2)));
    ExpectEnded(rig.model(), 0);
    ExpectStarted(rig.model(), 2, "PlayUp");
    EXPECT_EQ(rig.model().rowIconKey(1), QString()) << "the row in between was not touched";
}

TEST_F(ContinuousPlayTest, RepeatRestartsTheSameRowAndMarksIt) {
    rig.list(media().three());
    rig.select(1);
    EXPECT_TRUE(rig.OnWindowKeyRelease(Qt::Key_F9, Qt::NoModifier));
    EXPECT_TRUE(rig.play->LoopOn());
    EXPECT_TRUE(rig.menus->isChecked(QStringLiteral("MnuLoop")));
    EXPECT_TRUE(rig.toolbar->button(QStringLiteral("リピート再生"))->isChecked()) << "F9 moves the button";
    EXPECT_FALSE(rig.slideShow->isEnabled());

    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_TRUE(rig.waitNewStreams(3, 10000));
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(1));
    const Mark mark = MarkOf(rig.model(), 1);
    EXPECT_EQ(mark.icon, QStringLiteral("LOOP_KEY"));
    EXPECT_EQ(mark.color, kBlack);
    EXPECT_EQ(mark.tip, QStringLiteral("b.aviは、再生しています。"))
        << "the restart wrote over the repeat tip";
    EXPECT_EQ(rig.model().rowIconKey(0), QString());
    EXPECT_EQ(rig.model().rowIconKey(2), QString());

    // The menu item flips repeat but leaves the toolbar button as it is.
    rig.menus->item(QStringLiteral("MnuLoop"))->trigger();
    EXPECT_FALSE(rig.play->LoopOn());
    EXPECT_FALSE(rig.menus->isChecked(QStringLiteral("MnuLoop")));
    EXPECT_TRUE(rig.toolbar->button(QStringLiteral("リピート再生"))->isChecked());
    EXPECT_TRUE(rig.slideShow->isEnabled());
    ASSERT_TRUE(rig.waitPlaying(rig.key(2)));
    ExpectEnded(rig.model(), 1);
}

TEST_F(ContinuousPlayTest, ARowSelectedWhilePlayingDecidesTheNextFile) {
    rig.list(media().three());
    rig.play->SetPlaybotton(PlayStep::Selected);
    rig.select(1);
    ASSERT_TRUE(rig.waitPlaying(rig.key(2)));
    ExpectEnded(rig.model(), 0);
    EXPECT_EQ(rig.model().rowIconKey(1), QStringLiteral("NextDwn"));
    EXPECT_NE(rig.model().rowColor(1), kRed);
    ExpectStarted(rig.model(), 2, "PlayDwn");
}

TEST_F(ContinuousPlayTest, AListOfOneReplaysItsFileAndKeepsTheEndMark) {
    rig.list(media().single());
    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_TRUE(rig.waitNewStreams(2));
    const Mark mark = MarkOf(rig.model(), 0);
    EXPECT_EQ(mark.color, kBlack);
    EXPECT_TRUE(mark.bold);
    EXPECT_EQ(mark.icon, QStringLiteral("PLAY_END_KEY"));
    EXPECT_EQ(mark.tip, QStringLiteral("only.aviは、再生しています。"));
}

TEST_F(ContinuousPlayTest, AMissingFileIsReportedAndContinuousPlayRests) {
    TempDir dir;
    QFile::copy(media().clip(), dir.file(QStringLiteral("x.avi")));
    QFile::copy(media().clip(), dir.file(QStringLiteral("y.avi")));
    rig.list(dir.path());
    ASSERT_EQ(rig.model().rowCount(), 2);
    QFile::remove(rig.key(0));

    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text, rig.key(0) + QStringLiteral("は、存在しないため再生できません。"));
    EXPECT_EQ(rig.prompts.boxes[0].caption, QStringLiteral("プレイヤーエラー"));
    EXPECT_EQ(rig.prompts.boxes[0].icon, PromptIcon::Critical);
    QTest::qWait(kQuietMs);
    EXPECT_EQ(rig.newStreams->count(), 0);
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(0));
}

TEST_F(ContinuousPlayTest, ABrokenFileRaisesAWarningAndNothingFollows) {
    rig.list(media().broken());
    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_TRUE(WaitUntil([&] { return !rig.prompts.boxes.isEmpty(); }));
    QTest::qWait(kQuietMs);
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_FALSE(rig.prompts.boxes[0].text.isEmpty());
    EXPECT_EQ(rig.prompts.boxes[0].text, rig.player->ErrorDescription());
    EXPECT_EQ(rig.prompts.boxes[0].caption, QStringLiteral("TobimaruMe"));
    EXPECT_EQ(rig.prompts.boxes[0].icon, PromptIcon::Information);
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(0));
    EXPECT_EQ(rig.newStreams->count(), 0);
}

TEST_F(ContinuousPlayTest, SlideshowAdvancesAPictureAndAVideoEndsByItself) {
    rig.settings.SlideSeconds = 1;
    rig.settings.SlideKind = 0;
    rig.menus->item(QStringLiteral("Opt(3)"))->trigger();
    ASSERT_TRUE(rig.state->slideShow());
    rig.list(media().slides());
    ASSERT_EQ(rig.model().row(0).name, QStringLiteral("a.jpg"));

    QElapsedTimer clock;
    clock.start();
    rig.play->SetPlaybotton(PlayStep::Selected);
    EXPECT_TRUE(rig.timer1.isActive());
    EXPECT_EQ(rig.timer1.interval(), 2000);
    ASSERT_TRUE(rig.waitPlaying(rig.key(1), 8000));
    const qint64 shown = clock.elapsed();
    EXPECT_GE(shown, 1900) << "the picture stays SlideSeconds + 1 seconds";
    EXPECT_LE(shown, 6000);
    ExpectEnded(rig.model(), 0);
    EXPECT_FALSE(rig.timer1.isActive()) << "a video under the pictures-only kind ends by itself";

    ASSERT_TRUE(rig.waitPlaying(rig.key(0), 8000));
    ExpectEnded(rig.model(), 1);
    EXPECT_TRUE(rig.timer1.isActive());

    // Shift+Space stops the show: nothing advances any more.
    rig.OnWindowKeyRelease(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_FALSE(rig.timer1.isActive());
    rig.play->SlideTimerTick();
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(0));
    EXPECT_EQ(rig.player->PlayState(), MediaPlayer::Closed);
}

TEST_F(ContinuousPlayTest, SlideTickActsOnlyWithTheShowOnRepeatOffAndPlayArmed) {
    struct Case {
        bool showOn, loop, armed, advances;
    };
    const Case cases[] = {{true, false, true, true},
                          {true, true, true, false},
                          {false, false, true, false},
                          {true, false, false, false}};
    for (const Case& c : cases) {
        ContinuousRig local;
        local.list(media().pictures());
        local.play->SetPlaybotton(PlayStep::Selected);
        ASSERT_EQ(local.play->PlayingPath(), local.key(0));
        local.state->setSlideShow(c.showOn);
        if (c.loop)
            local.play->ToggleRepeat(RepeatFrom::Click);
        local.play->setAutoPlayArmed(c.armed);
        local.play->SlideTimerTick();
        EXPECT_EQ(local.play->PlayingPath(), c.advances ? local.key(1) : local.key(0))
            << c.showOn << c.loop << c.armed;
    }
    // png is a picture to the slideshow, shown in the pane: handed to the desktop, it opened a
    // viewer window at every turn.
    ContinuousRig local;
    local.state->setSlideShow(true);
    local.settings.SlideSeconds = 5;
    local.list(media().pictures());
    local.select(1);
    local.play->SetPlaybotton(PlayStep::Selected);
    EXPECT_TRUE(local.opener.opened.isEmpty());
    EXPECT_EQ(local.player->FileName(), local.key(1));
    EXPECT_TRUE(local.timer1.isActive());
    EXPECT_EQ(local.timer1.interval(), 6000);
}

TEST_F(ContinuousPlayTest, DoubleSpeedHalvesTheTimeToTheEnd) {
    rig.toolbar->slider()->setValue(20);
    EXPECT_EQ(rig.player->Rate(), 2.0);
    rig.list(media().slow());
    QSignalSpy ended(rig.player, &MediaPlayer::EndOfStream);
    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_TRUE(rig.waitNewStreams(1));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }));
    // 3 s of media: about 1.5 s at double speed, never the 3 s of normal speed.
    EXPECT_LT(clock.elapsed(), 2600);
    EXPECT_GT(clock.elapsed(), 900);
}

TEST_F(ContinuousPlayTest, PlayButtonPausesAndSpaceResumesWithoutReopening) {
    rig.list(media().slow());
    rig.OnToolbarButton(QStringLiteral("再生"));
    ASSERT_TRUE(rig.waitNewStreams(1));
    EXPECT_TRUE(
        SameImage(rig.toolbar->button(QStringLiteral("再生"))->icon(), IconForKey(QStringLiteral("Play"))));

    rig.OnToolbarButton(QStringLiteral("再生"));
    EXPECT_EQ(rig.movie->GetPlayState(), MovieState::Paused);
    EXPECT_TRUE(
        SameImage(rig.toolbar->button(QStringLiteral("再生"))->icon(), IconForKey(QStringLiteral("Pause"))));

    EXPECT_TRUE(rig.OnWindowKeyRelease(Qt::Key_Space, Qt::NoModifier));
    EXPECT_EQ(rig.movie->GetPlayState(), MovieState::Playing);
    QTest::qWait(300);
    EXPECT_EQ(rig.newStreams->count(), 1) << "a paused file resumes where it stood";
}

TEST_F(ContinuousPlayTest, ListKeysAndDoubleClickStartRows) {
    rig.list(media().withFolder(), true);
    ASSERT_EQ(rig.model().rowCount(), 2);
    const int folderRow = rig.model().row(0).isFolder() ? 0 : 1;
    const int fileRow = 1 - folderRow;

    // A folder row: play, next and previous do nothing; its double click is the window's.
    rig.select(folderRow);
    for (PlayStep flag : {PlayStep::Down, PlayStep::Up, PlayStep::Selected})
        rig.play->SetPlaybotton(flag);
    EXPECT_EQ(rig.play->PlayingPath(), QString());
    EXPECT_FALSE(rig.OnListDoubleClick(rig.model().index(folderRow, 0)));

    rig.select(fileRow);
    EXPECT_TRUE(rig.OnListDoubleClick(rig.model().index(fileRow, 0)));
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(fileRow));

    rig.select(fileRow);
    EXPECT_TRUE(rig.OnListKeyPress(Qt::Key_Down, Qt::ControlModifier)) << "the list must not move";
    EXPECT_FALSE(rig.OnListKeyPress(Qt::Key_Down, Qt::NoModifier));
    EXPECT_TRUE(rig.OnListKeyRelease(Qt::Key_Down, Qt::ControlModifier));
    EXPECT_EQ(rig.ListView1->currentIndex().row(), folderRow);
    // A folder reached by a step is not looked at again: the player finds no file there.
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text,
              rig.key(folderRow) + QStringLiteral("は、存在しないため再生できません。"));
}

TEST_F(ContinuousPlayTest, FileViewRestartsTheSelectedRowWithoutStepping) {
    rig.list(media().three());
    rig.toolbar->button(QStringLiteral("ファイルビュー"))->setChecked(true);
    rig.select(1);
    rig.play->SetPlaybotton(PlayStep::Down);
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(1));
    EXPECT_EQ(rig.ListView1->currentIndex().row(), 1);
    EXPECT_EQ(rig.window->windowTitle(), ContinuousRig::baseCaption() + QStringLiteral(" - ") + rig.key(1));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(rig.model().rowIconKey(row), QString()) << row;
}

TEST_F(ContinuousPlayTest, NoSelectedRowAtTheFirstStartIsAnErrorBox) {
    rig.list(media().three());
    rig.ListView1->selectionModel()->clearSelection();
    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].caption, QStringLiteral("TobimaruMeエラー"));
    EXPECT_EQ(rig.play->PlayingPath(), QString());
    EXPECT_EQ(rig.ListView1->selectionMode(), QAbstractItemView::SingleSelection);

    rig.select(0);
    rig.play->SetPlaybotton(PlayStep::Selected);
    EXPECT_EQ(rig.play->PlayingPath(), rig.key(0));
    EXPECT_EQ(rig.ListView1->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(ContinuousPlayTest, SpaceAndPlayWithAnEmptyListDoNothing) {
    rig.OnWindowKeyRelease(Qt::Key_Space, Qt::NoModifier);
    rig.OnToolbarButton(QStringLiteral("再生"));
    rig.OnMenuCommand(QStringLiteral("MnuMoviePlay"));
    EXPECT_EQ(rig.play->PlayingPath(), QString());
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());
}

TEST_F(ContinuousPlayTest, FilesWhoseNamesAreNotUtf8PlayOnThroughTheList) {
    QFile clip(media().clip());
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    const QByteArray bytes = clip.readAll();
    TempDir dir;
    // Latin-1 and CP932 names, as old archives unpack them.
    dir.writeBytes("a_caf\xE9.avi", bytes);
    dir.writeBytes("b_\x83\x65\x83\x58\x83\x67.avi", bytes);
    rig.list(dir.path());
    ASSERT_EQ(rig.model().rowCount(), 2);
    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_TRUE(rig.waitPlaying(rig.key(1), 15000));
    ASSERT_TRUE(rig.waitNewStreams(2, 15000));
    EXPECT_TRUE(rig.prompts.boxes.isEmpty()) << rig.prompts.texts().join("|").toStdString();
    EXPECT_TRUE(rig.window->windowTitle().contains(QStringLiteral("a_caf\uFFFD.avi")) ||
                rig.window->windowTitle().contains(QStringLiteral("b_\uFFFD")))
        << rig.window->windowTitle().toStdString();
}

TEST_F(ContinuousPlayTest, AnEndOfFileDuringAListingPlaysTheNextRowOfTheListAsItStands) {
    rig.list(media().three());
    const QString second = rig.key(1);
    rig.play->SetPlaybotton(PlayStep::Selected);
    ASSERT_TRUE(rig.waitNewStreams(1));
    // The next folder is slow to read: the clip ends meanwhile.
    std::atomic<bool> nextStarted{false};
    QObject::connect(rig.player, &MediaPlayer::NewStream, rig.player, [&] {
        if (rig.newStreams->count() >= 2)
            nextStarted = true;
    });
    rig.listView->setReader([&](const QString& folder, const ListOptions& o) {
        for (int i = 0; i < 2000 && !nextStarted; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return ListFolderRows(folder, o);
    });
    rig.list(media().single());
    EXPECT_TRUE(nextStarted) << "the player's end of file waited for the listing";
    EXPECT_EQ(rig.play->PlayingPath(), second);
    EXPECT_EQ(rig.model().rowCount(), 1) << "then the new rows came in one step";
}

} // namespace
} // namespace tobimaru::test
