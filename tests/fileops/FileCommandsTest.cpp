// The commands on list rows and tree folders over real folders and the real trash.
#include "FileOpsRig.h"

#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "browse/FolderTree.h"
#include "fileops/FileCommands.h"
#include "fileops/FolderCommands.h"
#include "fileops/ShellFileOps.h"
#include "support/ArchiveMaker.h"

#include <QDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tobimaru::test {
namespace {

using Snapshot = QMap<QString, QByteArray>;

TEST(FileCommands, ADeclinedDeleteKeepsEveryRowAndLeavesTheRowAtTheLastIndexSelected) {
    FileOpsRig r;
    r.make({"a.txt", "b.txt", "c.txt", "d.txt"});
    r.open();
    r.select({"b.txt", "c.txt"});
    r.prompts.answer(PromptAnswer::No);

    r.ops->files().DelFile_Click();

    EXPECT_EQ(r.stops, 1);
    EXPECT_EQ(r.rowNames(), QStringList({"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(r.selectedNames(), QStringList{"c.txt"});
    ASSERT_EQ(r.prompts.boxes.size(), 1);
    const ShownBox& box = r.prompts.boxes[0];
    EXPECT_EQ(box.text, "これらの 2 個の項目をごみ箱に移動しますか？");
    EXPECT_EQ(box.buttons, PromptButtons::YesNo);
    EXPECT_TRUE(box.hasDefault);
    EXPECT_EQ(box.defaultAnswer, PromptAnswer::No);
    EXPECT_TRUE(r.home.files().isEmpty());
}

TEST(FileCommands, AfterADeleteTheRowAtTheLastIndexOrTheNewLastRowIsSelected) {
    const struct {
        QStringList files;
        QStringList selected;
        QStringList left;
        QString selectedAfter;
    } rows[] = {
        {{"a", "b", "c", "d", "e"}, {"b"}, {"a", "c", "d", "e"}, "c"},
        {{"a", "b", "c", "d", "e"}, {"d", "e"}, {"a", "b", "c"}, "c"},
        {{"a", "b"}, {"a"}, {"b"}, "b"},
        {{"a", "b"}, {"a", "b"}, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.selected.join(",").toStdString());
        FileOpsRig r;
        r.make(row.files);
        r.open();
        r.select(row.selected);
        r.prompts.answer(PromptAnswer::Yes);
        r.ops->files().DelFile_Click();
        EXPECT_EQ(r.rowNames(), row.left);
        EXPECT_EQ(r.selectedNames(),
                  row.selectedAfter.isEmpty() ? QStringList() : QStringList{row.selectedAfter});
        EXPECT_EQ(r.home.files(), row.selected);
        EXPECT_EQ(r.home.originalPath(row.selected.first()), r.at(row.selected.first()));
        EXPECT_EQ(r.prompts.boxes.size(), 1) << "the confirmation alone";
    }
}

TEST(FileCommands, ASelectionWithAFolderRowDropsTheFolderRowsAndRefreshesTheList) {
    for (const PromptAnswer answer : {PromptAnswer::Yes, PromptAnswer::No}) {
        SCOPED_TRACE(answer == PromptAnswer::Yes ? "deleted" : "declined");
        FileOpsRig r;
        r.make({"a.txt", "b.txt", "sub/x.txt"});
        r.open();
        r.select({"a.txt", "sub"});
        r.prompts.answer(answer);
        r.ops->files().DelFile_Click();
        EXPECT_EQ(r.tree.rearms, 1) << "the full refresh ran";
        EXPECT_FALSE(r.rowNames().contains("sub"));
        EXPECT_EQ(r.rowNames().contains("a.txt"), answer == PromptAnswer::No);
        EXPECT_EQ(QDir(r.at("sub")).exists(), answer == PromptAnswer::No);
    }
}

TEST(FileCommands, EntriesThatCannotGoToTheTrashStayAndAreNamed) {
    FileOpsRig r;
    r.make({"a.txt", "b.txt", "c.txt"});
    r.open();
    // No home trash can be made: its place is taken by a file.
    r.tree.dir.write("trash-is-a-file", "");
    QDir().mkpath(r.home.dataHome());
    ASSERT_TRUE(QFile::rename(r.tree.dir.file("trash-is-a-file"), r.home.trash()));
    r.select({"a.txt", "b.txt"});
    r.prompts.answer(PromptAnswer::Yes);

    r.ops->files().DelFile_Click();

    EXPECT_EQ(r.rowNames(), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_TRUE(QFile::exists(r.at("a.txt")) && QFile::exists(r.at("b.txt")));
    ASSERT_EQ(r.prompts.boxes.size(), 2);
    const ShownBox& box = r.prompts.boxes[1];
    EXPECT_TRUE(box.text.startsWith("ファイル削除に失敗しました。\r\ra.txt: ")) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains("\rb.txt: ")) << box.text.toStdString();
    EXPECT_EQ(box.icon, PromptIcon::None);
    EXPECT_EQ(box.caption, AppTitle());
    EXPECT_FALSE(QDir("files").exists()) << "nothing was filed below the current folder";
}

TEST(FileCommands, NamesThatAreNotUtf8GoToTheTrashWithoutAFailure) {
    FileOpsRig r;
    r.make({"a.txt"});
    // A Latin-1 file and a CP932 folder, as copied from old disks.
    const QString latin1 = r.tree.dir.writeBytes("drive/caf\xe9.avi", "x");
    const QString cp932 = r.tree.dir.mkdirBytes("drive/\x83\x65\x83\x58\x83\x67");
    r.open();
    r.select({GetFileNamePart(latin1), GetFileNamePart(cp932)});
    r.prompts.answer(PromptAnswer::Yes);

    r.ops->files().DelFile_Click();

    EXPECT_EQ(r.rowNames(), QStringList{"a.txt"});
    EXPECT_EQ(r.prompts.boxes.size(), 1) << "the confirmation alone, no failure";
    for (const QString& gone : {latin1, cp932}) {
        struct stat st {};
        const QString inTrash = r.home.trash() + "/files/" + GetFileNamePart(gone);
        EXPECT_EQ(::lstat(EncodeFileName(inTrash).constData(), &st), 0)
            << DisplayFileName(inTrash).toStdString();
        EXPECT_NE(::lstat(EncodeFileName(gone).constData(), &st), 0);
    }
}

TEST(FileCommands, AMoveTakesTheRowsAwayAndSelectsTheFirstRow) {
    FileOpsRig r;
    r.make({"a.txt", "b.txt", "c.txt", "d.txt", "dest/"});
    r.open();
    r.select({"c.txt", "d.txt"});
    r.prompts.chooseFolder(r.at("dest"));

    r.ops->files().MoveFile_Click();

    EXPECT_EQ(r.stops, 1);
    ASSERT_EQ(r.prompts.browses.size(), 1);
    EXPECT_EQ(r.prompts.browses[0].prompt,
              "'" + r.at("d.txt") + "他' ファイルを移動するフォルダを選択してください｡");
    EXPECT_EQ(r.prompts.browses[0].initial, r.tree.drive() + "/");
    EXPECT_EQ(r.rowNames(), QStringList({"a.txt", "b.txt", "dest"}));
    EXPECT_EQ(r.selectedNames(), QStringList{"a.txt"});
    EXPECT_EQ(r.currentName(), "a.txt");
    EXPECT_EQ(FolderSnapshot(r.at("dest")), Snapshot({{"c.txt", "c.txt"}, {"d.txt", "d.txt"}}));
    EXPECT_TRUE(r.prompts.boxes.isEmpty());
}

TEST(FileCommands, AFileNamedInCp932MovesWithTheMKey) {
    FileOpsRig r;
    r.make({"dest/"});
    const QByteArray name = ArchiveMaker::cp932(QStringLiteral("動画.avi"));
    const QString path = r.tree.dir.writeBytes("drive/" + name, "clip");
    r.open();
    r.select({GetFileNamePart(path)});
    ASSERT_EQ(r.selectedNames(), QStringList{GetFileNamePart(path)});
    r.prompts.chooseFolder(r.at("dest"));

    r.ops->files().MoveFile_Click();

    EXPECT_TRUE(r.prompts.boxes.isEmpty()) << r.prompts.texts().join("|").toStdString();
    EXPECT_EQ(FolderSnapshot(r.at("dest")), Snapshot({{GetFileNamePart(path), "clip"}}));
    EXPECT_EQ(r.rowNames(), QStringList{"dest"});
}

TEST(FileCommands, ATakenNameIsAskedAboutAndSkipKeepsBothFiles) {
    FileOpsRig r;
    r.make({"a.txt", "dest/"});
    r.tree.dir.write("drive/dest/a.txt", "old");
    r.open();
    r.select({"a.txt"});
    r.prompts.chooseFolder(r.at("dest"));
    r.prompts.answer(PromptAnswer::No);

    r.ops->files().MoveFile_Click();

    ASSERT_EQ(r.prompts.boxes.size(), 1) << "the question, and no failure";
    EXPECT_EQ(r.prompts.boxes[0].text, ShellFileOps::ClashQuestion(r.at("dest/a.txt")));
    EXPECT_EQ(r.prompts.boxes[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(ArchiveMaker::read(r.at("a.txt")), "a.txt");
    EXPECT_EQ(ArchiveMaker::read(r.at("dest/a.txt")), "old");
    EXPECT_EQ(r.rowNames(), QStringList({"a.txt", "dest"}));
    EXPECT_EQ(r.selectedNames(), QStringList{"a.txt"});
}

TEST(FileCommands, AFailedMoveOrDeleteNamesEachEntryThatStayedAndWhyBelowItsFirstLine) {
    const struct {
        const char* what;
        bool move;
        QStringList selected;
        QStringList goneBefore; ///< removed behind the list's back before the command
        QString box;            ///< the failure box; for a delete the trash gives the reason
    } rows[] = {
        {"one file moved",
         true,
         {"a.txt"},
         {"a.txt"},
         "ファイル移動に失敗しました。\r\ra.txt: ファイルまたはフォルダが見つかりません"},
        {"two files moved, one gone",
         true,
         {"a.txt", "b.txt"},
         {"a.txt"},
         "ファイル移動に失敗しました。\r\ra.txt: ファイルまたはフォルダが見つかりません"},
        {"two files moved, both gone",
         true,
         {"a.txt", "b.txt"},
         {"a.txt", "b.txt"},
         "ファイル移動に失敗しました。\r\ra.txt: ファイルまたはフォルダが見つかりません\r"
         "b.txt: ファイルまたはフォルダが見つかりません"},
        {"one file deleted", false, {"a.txt"}, {"a.txt"}, "ファイル削除に失敗しました。\r\ra.txt: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FileOpsRig r;
        r.make({"a.txt", "b.txt", "dest/"});
        r.open();
        r.select(row.selected);
        for (const QString& name : row.goneBefore)
            ASSERT_TRUE(QFile::remove(r.at(name)));
        if (row.move) {
            r.prompts.chooseFolder(r.at("dest"));
            r.ops->files().MoveFile_Click();
        } else {
            r.prompts.answer(PromptAnswer::Yes);
            r.ops->files().DelFile_Click();
        }

        ASSERT_FALSE(r.prompts.boxes.isEmpty());
        const ShownBox& box = r.prompts.boxes.last();
        if (row.move)
            EXPECT_EQ(box.text, row.box);
        else
            EXPECT_TRUE(box.text.startsWith(row.box) && box.text.size() > row.box.size())
                << box.text.toStdString();
        EXPECT_EQ(box.caption, AppTitle());
        EXPECT_EQ(box.icon, PromptIcon::None);
        EXPECT_EQ(box.buttons, PromptButtons::Ok);
    }
}

TEST(FileCommands, TheFileCommandsStopPlaybackAndTheFolderCommandsLeaveItAlone) {
    FileOpsRig r;
    r.make({"a.txt", "sub/"});
    r.open("sub");
    const struct {
        const char* name;
        void (*run)(FileOpsSubsystem&);
        int stops;
    } rows[] = {
        {"DelFile", [](FileOpsSubsystem& o) { o.files().DelFile_Click(); }, 1},
        {"MoveFile", [](FileOpsSubsystem& o) { o.files().MoveFile_Click(); }, 1},
        {"ReNameFile", [](FileOpsSubsystem& o) { o.files().ReNameFile_Click(); }, 1},
        {"MakeFolder", [](FileOpsSubsystem& o) { o.folders().MakeFolder(); }, 0},
        {"MoveFolder", [](FileOpsSubsystem& o) { o.folders().MoveFolder(); }, 0},
        {"DeleteFolder", [](FileOpsSubsystem& o) { o.folders().DeleteFolder(); }, 0},
    };
    const Snapshot before = FolderSnapshot(r.tree.drive());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        r.stops = 0;
        // Every box declines, every chooser and input box is cancelled.
        row.run(*r.ops);
        EXPECT_EQ(r.stops, row.stops);
    }
    EXPECT_EQ(FolderSnapshot(r.tree.drive()), before);
}

TEST(FolderCommands, ANewFolderNameIsTrimmedAndAnUnsafeOneCreatesNothing) {
    const struct {
        QString typed;
        QString created; ///< "" for none
        QString box;     ///< "" for none
        PromptIcon icon;
    } rows[] = {
        {"  name  ", "name", "", PromptIcon::None},
        {"a/b", "", "フォルダ名に「/」は使えません。", PromptIcon::Warning},
        {"../escape", "", "フォルダ名に「/」は使えません。", PromptIcon::Warning},
        {"..", "", "「.」と「..」はフォルダ名にできません。", PromptIcon::Warning},
        {" . ", "", "「.」と「..」はフォルダ名にできません。", PromptIcon::Warning},
        {"there", "", "既にフォルダが存在しています。", PromptIcon::Information},
        {"   ", "", "", PromptIcon::None},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        FileOpsRig r;
        r.make({"top/there/"});
        r.open("top");
        const Snapshot before = FolderSnapshot(r.tree.dir.path());
        r.prompts.type(row.typed);

        r.ops->folders().MakeFolder();

        ASSERT_EQ(r.prompts.inputs.size(), 1);
        EXPECT_EQ(r.prompts.inputs[0].prompt,
                  "'" + r.at("top") + "'\rの下に作成するフォルダ名を入力してください。");
        EXPECT_EQ(r.prompts.inputs[0].title, "フォルダ作成");
        EXPECT_EQ(r.prompts.texts(), row.box.isEmpty() ? QStringList() : QStringList{row.box});
        if (!row.box.isEmpty()) {
            EXPECT_EQ(r.prompts.boxes[0].icon, row.icon);
        }
        Snapshot after = before;
        if (!row.created.isEmpty())
            after.insert("drive/top/" + row.created, "<dir>");
        EXPECT_EQ(FolderSnapshot(r.tree.dir.path()), after);
        const QStringList nodes = TreeRig::captions(r.tree.node(r.at("top")));
        EXPECT_EQ(nodes.contains(row.created), !row.created.isEmpty()) << nodes.join(",").toStdString();
        EXPECT_EQ(r.rowNames().contains(row.created), !row.created.isEmpty());
        EXPECT_EQ(r.stops, 0);
    }
}

TEST(FolderCommands, ATopLevelEntryCanBeNeitherDeletedNorMoved) {
    FileOpsRig r;
    r.make({"sub/"});
    r.open();
    ASSERT_TRUE(FolderTree::IsRoot(r.tree.tree->SelectedNode()));
    r.prompts.chooseFolder(r.at("sub"));
    r.prompts.answer(PromptAnswer::Yes);
    r.ops->folders().DeleteFolder();
    r.ops->folders().MoveFolder();
    EXPECT_TRUE(r.prompts.boxes.isEmpty());
    EXPECT_TRUE(r.prompts.browses.isEmpty());
    EXPECT_TRUE(QDir(r.tree.drive()).exists());
}

TEST(FolderCommands, ADeletedFolderLeavesTheTreeAndTheFolderSelectedThenIsListed) {
    FileOpsRig r;
    r.make({"sub/x.txt", "zz/"});
    r.open("sub");
    r.prompts.answer(PromptAnswer::Yes);

    r.ops->folders().DeleteFolder();

    EXPECT_EQ(r.prompts.texts(), QStringList{"'sub' をごみ箱に移動しますか？"});
    EXPECT_EQ(r.home.files(), QStringList{"sub"});
    EXPECT_EQ(r.tree.node(r.at("sub")), nullptr);
    ASSERT_FALSE(r.tree.tree->GetTreeViewKey().isEmpty());
    EXPECT_EQ(r.listedByOps, QStringList{r.tree.tree->GetTreeViewKey()});
}

TEST(FolderCommands, AMovedFolderMovesInTheTreeAndIntoItselfMovesNothing) {
    FileOpsRig r;
    r.make({"a/x.txt", "a/sub/", "b/a/", "c/"});
    r.open("a");
    // Into its own subfolder: refused, nothing copied, the tree as it was.
    const Snapshot before = FolderSnapshot(r.tree.drive());
    r.prompts.chooseFolder(r.at("a/sub"));
    r.ops->folders().MoveFolder();
    ASSERT_EQ(r.prompts.browses.size(), 1);
    EXPECT_EQ(r.prompts.browses[0].prompt, "'" + r.at("a") + "'　を移動するフォルダを選択してください。");
    EXPECT_EQ(r.prompts.browses[0].initial, r.at("a") + "/");
    EXPECT_EQ(r.prompts.texts(),
              QStringList{"ファイル移動に失敗しました。\r\ra: フォルダをその中へは移動できません。"});
    EXPECT_EQ(FolderSnapshot(r.tree.drive()), before);
    EXPECT_NE(r.tree.node(r.at("a")), nullptr);

    // Into a folder that holds one of its name: asked, replaced, and one node of that name.
    r.prompts.clear();
    r.prompts.chooseFolder(r.at("b"));
    r.prompts.answer(PromptAnswer::Yes);
    r.ops->folders().MoveFolder();
    EXPECT_EQ(r.prompts.boxes.size(), 1) << r.prompts.texts().join("|").toStdString();
    EXPECT_EQ(r.tree.node(r.at("a")), nullptr);
    EXPECT_EQ(TreeRig::captions(r.tree.node(r.at("b"))), QStringList{"a"});
    EXPECT_EQ(ArchiveMaker::read(r.at("b/a/x.txt")), "a/x.txt");
    EXPECT_EQ(r.home.files(), QStringList{"a"}) << "the old b/a went to the trash";
    EXPECT_EQ(r.tree.rearms, 1) << "a had subfolders in the tree: the folder is reloaded";
    EXPECT_EQ(r.stops, 0);
}

} // namespace
} // namespace tobimaru::test
