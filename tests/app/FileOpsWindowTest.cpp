// The file operations in the real window: what they do to the player, and the key preview
// around the Delete keys.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "input/KeyPreview.h"
#include "playback/ContinuousPlay.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/clsMovie.h"
#include "support/CommandRun.h"
#include "support/MediaMaker.h"
#include "support/TrashHome.h"
#include "ui/StatusPanels.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace tobimaru::test {
namespace {

QByteArray StartIn(const QString& folder) {
    return "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + QFile::encodeName(folder) + "\n";
}

TEST(FileOpsWindow, TheFolderCommandsLeaveThePlayerPlayingAndTheFileCommandsStopIt) {
    if (!MediaMaker::available())
        GTEST_SKIP() << "ffmpeg makes the clip (scripts/packages.txt installs it)";
    TrashHome home;
    TempDir media;
    MediaMaker::clip(media.file("a.avi"), 6.0);
    media.mkdir("sub");
    WindowRig w(StartIn(media.path()));
    w.start();
    ASSERT_EQ(w.form->fileList().model()->rowCount(), 1);
    ContinuousPlay& play = w.form->playback().play();
    const struct {
        const char* command;
        bool playsOn;
    } rows[] = {
        {"MnuMakeFolder", true}, {"MnuMovFolder", true}, {"MnuDelFolder4", true},
        {"DelFile", false},      {"MoveFile", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        if (w.form->playback().movie().GetPlayState() != MovieState::Playing) {
            w.form->ListView1()->setCurrentIndex(w.form->fileList().model()->index(0, 0));
            play.SetPlaybotton(PlayStep::Selected);
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return w.form->playback().movie().GetPlayState() == MovieState::Playing; }, 15000));
        // Every box declines and every chooser and input box is cancelled: nothing changes on disk.
        EXPECT_TRUE(ExecuteMenuItem(w.form->commands(), QString::fromLatin1(row.command)));
        EXPECT_EQ(w.form->playback().movie().GetPlayState() == MovieState::Playing, row.playsOn);
        EXPECT_EQ(play.AutoPlayArmed(), row.playsOn);
    }
    EXPECT_TRUE(QFile::exists(media.file("a.avi")));
    EXPECT_TRUE(home.files().isEmpty());
}

TEST(FileOpsWindow, TheDeleteKeysAskWithTheKeyPreviewOff) {
    TrashHome home;
    TempDir folder;
    folder.write("a.avi", "not played");
    folder.mkdir("sub");
    WindowRig w(StartIn(folder.path()));
    w.start();
    bool previewDuringBox = true;
    w.prompts.onBox = [&](const ShownBox&) { previewDuringBox = w.form->keyPreview().enabled(); };
    const struct {
        const char* what;
        std::function<void()> press;
        bool previewOn;
    } rows[] = {
        {"Delete in the list",
         [&] {
             w.form->ListView1()->setFocus();
             QTest::keyClick(w.form->ListView1(), Qt::Key_Delete);
         },
         false},
        {"Delete in the tree",
         [&] {
             w.form->TreeView1()->setFocus();
             QTest::keyClick(w.form->TreeView1(), Qt::Key_Delete);
         },
         false},
        {"DelFile", [&] { ExecuteMenuItem(w.form->commands(), QStringLiteral("DelFile")); }, true},
        {"MnuDelFolder4", [&] { ExecuteMenuItem(w.form->commands(), QStringLiteral("MnuDelFolder4")); },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        w.prompts.clear();
        row.press();
        ASSERT_EQ(w.prompts.boxes.size(), 1);
        EXPECT_EQ(previewDuringBox, row.previewOn);
        EXPECT_TRUE(w.form->keyPreview().enabled()) << "on again afterwards";
    }
    EXPECT_TRUE(QFile::exists(folder.file("a.avi")));
    EXPECT_TRUE(QFile::exists(folder.file("sub")));
}

// After trashing 16,000 rows the empty list still said "16000個のﾌｧｲﾙ".
TEST(FileOpsWindow, PanelOneCountsTheRowsLeftAfterDeleteAndMove) {
    TrashHome home;
    TempDir folder;
    TempDir elsewhere;
    for (const char* name : {"a.avi", "b.avi", "c.avi"})
        folder.write(QString::fromLatin1(name), "x");
    WindowRig w(StartIn(folder.path()));
    w.start();
    FileListModel* model = w.form->fileList().model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(w.form->status().text(1), QStringLiteral("3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));
    const auto selectRows = [&](std::initializer_list<const char*> names) {
        QItemSelectionModel* selection = w.form->ListView1()->selectionModel();
        selection->clearSelection();
        for (const char* name : names)
            selection->select(model->index(model->rowOfKey(folder.file(QString::fromLatin1(name))), 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    selectRows({"a.avi", "b.avi"});
    w.prompts.answer(PromptAnswer::Yes);
    EXPECT_TRUE(ExecuteMenuItem(w.form->commands(), QStringLiteral("DelFile")));
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(w.form->status().text(1), QStringLiteral("1個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));

    selectRows({"c.avi"});
    w.prompts.chooseFolder(elsewhere.path());
    EXPECT_TRUE(ExecuteMenuItem(w.form->commands(), QStringLiteral("MoveFile")));
    ASSERT_TRUE(QFile::exists(elsewhere.file("c.avi")));
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(w.form->status().text(1), QStringLiteral("0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));
}

} // namespace
} // namespace tobimaru::test
