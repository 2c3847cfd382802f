// The archive commands in the real window: the toolbar's extraction and the list's extension
// change, wired to the tree, the list, playback and the settings file.
#include "app/WindowRig.h"
#include "archives/Form3.h"
#include "base/CommandTable.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/Navigation.h"
#include "playback/ContinuousPlay.h"
#include "playback/PlaybackSubsystem.h"
#include "support/ArchiveMaker.h"
#include "support/TrashSandbox.h"
#include "support/WhenModal.h"
#include "ui/Menus.h"
#include "ui/Toolbar.h"

#include <QAction>
#include <QFile>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::ArchiveMaker;
using tobimaru::test::TempDir;
using tobimaru::test::WindowRig;

namespace {

void SelectOnly(WindowRig& w, const QString& key) {
    FileListModel* model = w.form->fileList().model();
    const int r = model->rowOfKey(key);
    ASSERT_GE(r, 0) << key.toStdString();
    w.form->ListView1()->selectionModel()->select(model->index(r, 0), QItemSelectionModel::ClearAndSelect |
                                                                          QItemSelectionModel::Rows);
}

} // namespace

TEST(ArchivesWindow, TheExtractButtonExtractsAndListsTheTreeFolderAgain) {
    if (!ArchiveMaker::pythonAvailable())
        GTEST_SKIP() << "python3 makes the test archive (scripts/packages.txt installs it)";
    struct Row {
        const char* what;
        QByteArray ini;
        bool chosen;  ///< the destination comes from the folder chooser
        bool trashed; ///< the user says yes to the trash
    };
    const Row rows[] = {
        {"into the tree's folder", {}, false, true},
        {"into a folder the user chooses", "[Melt]\nSelectFolder=True\n", true, true},
        {"the trash refused", {}, false, false},
    };
    for (const Row& row : rows) {
        const test::TrashSandbox trash;
        WindowRig w(row.ini);
        TempDir media;
        TempDir chosen;
        ArchiveMaker::zip(media.file("pack.zip"), {test::ZipFile("inside.avi", "movie")});
        w.start();
        ASSERT_TRUE(w.form->navigation().GoToPath(media.path(), true));
        w.form->toolbar().button("ファイルビュー")->trigger();
        SelectOnly(w, media.file("pack.zip"));
        if (row.chosen)
            w.prompts.chooseFolder(chosen.path());
        w.prompts.answer(row.trashed ? PromptAnswer::Yes : PromptAnswer::No);
        w.form->toolbar().button("解凍")->trigger();

        const QString destination = row.chosen ? chosen.path() : media.path();
        EXPECT_EQ(ArchiveMaker::read(destination + "/inside.avi"), "movie") << row.what;
        EXPECT_EQ(w.prompts.browses.size(), row.chosen ? 1 : 0) << row.what;
        EXPECT_EQ(trash.names(), row.trashed ? QStringList{"pack.zip"} : QStringList()) << row.what;
        EXPECT_EQ(QFile::exists(media.file("pack.zip")), !row.trashed) << row.what;
        FileListModel* model = w.form->fileList().model();
        EXPECT_EQ(model->rowOfKey(media.file("pack.zip")) >= 0, !row.trashed) << row.what;
        if (!row.chosen) {
            EXPECT_GE(model->rowOfKey(media.file("inside.avi")), 0)
                << row.what << ": the list was read again";
        }
        EXPECT_FALSE(w.form->playback().play().AutoPlayArmed()) << row.what;
        // The archive leaves only after the same question the Delete key asks.
        EXPECT_EQ(w.prompts.texts(), QStringList{"'pack.zip' をごみ箱に移動しますか？"}) << row.what;
    }
}

TEST(ArchivesWindow, TheExtensionChangeOpensForTheSelectedRows) {
    WindowRig w("[KakuchoushiConv]\nSelectOpton=0\n");
    TempDir media;
    media.write("movie.AVI", "m");
    media.write("other.AVI", "o");
    w.start();
    ASSERT_TRUE(w.form->navigation().GoToPath(media.path(), true));
    SelectOnly(w, media.file("movie.AVI"));
    QString title;
    test::WhenModal([&](QWidget* modal) {
        auto* form = qobject_cast<Form3*>(modal);
        if (!form)
            return false;
        title = form->windowTitle();
        form->Option1(1)->setChecked(true);
        form->Command2(0)->click();
        return true;
    });
    w.form->menus().item("ReNameFile")->trigger();

    EXPECT_EQ(title, "選択された拡張子の変更");
    EXPECT_TRUE(QFile::exists(media.file("movie.avi")));
    EXPECT_TRUE(QFile::exists(media.file("other.AVI")));
    EXPECT_GE(w.form->fileList().model()->rowOfKey(media.file("movie.avi")), 0);
    EXPECT_EQ(w.read("KakuchoushiConv", "SelectOpton"), "1");
    EXPECT_FALSE(w.form->playback().play().AutoPlayArmed());
}
