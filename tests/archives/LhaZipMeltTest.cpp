#include "archives/LhaZipMelt.h"
#include "support/ArchiveMaker.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::FakePrompts;
using test::FolderSnapshot;
using test::TempDir;
using test::WindowsZipFile;
using test::ZipEntry;
using test::ZipFile;
using test::ZipLink;

// The archive went between the list and its turn: each format says so in its own words.
TEST(LhaZipMelt, AnArchiveThatIsGoneIsReportedByItsFormat) {
    TempDir dir;
    const QString gone = dir.file("gone.lzh");
    struct Row {
        const char* what;
        std::function<int(Prompts&)> melt;
        test::ShownBox box;
    };
    const Row rows[] = {
        {"LZH",
         [&](Prompts& p) { return LzhMelt(p, gone, dir.path(), "e", "-x1m1"); },
         {"ファイルが見つかりません。No.4", "LzhMeltエラー", PromptIcon::None, PromptButtons::Ok}},
        {"ZIP",
         [&](Prompts& p) { return ZipMelt(p, gone, dir.path(), "-x -s -V -i -C"); },
         {"ファイルが存在しません。No.9", "ZipMeltエラー", PromptIcon::None, PromptButtons::Ok}},
        // A file that is there but no archive: the library's code, as a warning.
        {"LZH, no archive",
         [&](Prompts& p) { return LzhMelt(p, dir.write("text.lzh", "plain"), dir.path(), "e", "-x1m1"); },
         {"指定されたﾌｧｲﾙはLzhﾌｧｲﾙではありません。\n書庫: text.lzh", "TobimaruMe", PromptIcon::Warning,
          PromptButtons::Ok}},
    };
    for (const Row& r : rows) {
        FakePrompts prompts;
        EXPECT_EQ(r.melt(prompts), 1) << r.what;
        ASSERT_EQ(prompts.boxes.size(), 1) << r.what;
        EXPECT_EQ(prompts.boxes[0].text, r.box.text) << r.what;
        EXPECT_EQ(prompts.boxes[0].caption, r.box.caption) << r.what;
        EXPECT_EQ(prompts.boxes[0].icon, r.box.icon) << r.what;
    }
}

// The box keeps the code's own text as its first line and says below it which archive, which
// entry and why, so that a refused archive can be put right.
TEST(LhaZipMelt, AFailureSaysWhichArchiveWhichEntryAndWhy) {
    if (!ArchiveMaker::pythonAvailable())
        GTEST_SKIP() << "python3 makes the test archives (scripts/packages.txt installs it)";
    struct Row {
        const char* archive;
        std::vector<ZipEntry> entries;
        QString box;
    };
    const Row rows[] = {
        {"climb.zip",
         {ZipFile("ok.txt"), ZipFile("../x.txt")},
         "Zipﾌｧｲﾙのﾍｯﾀﾞが壊れています。\n書庫: climb.zip\n項目: ../x.txt\n"
         "理由: 「..」を含む名前で、展開先のフォルダの外を指しています"},
        {"windows climb.zip",
         {WindowsZipFile("..\\x.txt", "w")},
         "Zipﾌｧｲﾙのﾍｯﾀﾞが壊れています。\n書庫: windows climb.zip\n項目: ../x.txt\n"
         "理由: 「..」を含む名前で、展開先のフォルダの外を指しています"},
        {"absolute.zip",
         {ZipFile("/tobimaru-absolute-test.txt")},
         "Zipﾌｧｲﾙのﾍｯﾀﾞが壊れています。\n書庫: absolute.zip\n項目: /tobimaru-absolute-test.txt\n"
         "理由: 絶対パスの名前で、展開先のフォルダの外を指しています"},
        {"link out.zip",
         {ZipLink("lnk", "/tmp")},
         "Zipﾌｧｲﾙのﾍｯﾀﾞが壊れています。\n書庫: link out.zip\n項目: lnk\n"
         "理由: リンクが展開先のフォルダの外を指しています"},
        {"through a link.zip",
         {ZipLink("lnk", "/tmp"), ZipFile("lnk/evil.txt")},
         "ﾃﾞｨﾚｸﾄﾘが作成できません。\n書庫: through a link.zip\n項目: lnk/evil.txt\n"
         "理由: 書庫の中のリンク「lnk」を通って書き込もうとしています"},
        {"clash.zip",
         {ZipFile("new.txt"), ZipFile("keep.txt", "theirs")},
         "ﾌｧｲﾙが展開先に既に存在しています。\n書庫: clash.zip\n項目: keep.txt\n"
         "理由: 展開先に同じ名前のファイルかフォルダが既にあります"},
        {"予定.zip",
         {WindowsZipFile(ArchiveMaker::cp932("予定表.txt"), "new")},
         "ﾌｧｲﾙが展開先に既に存在しています。\n書庫: 予定.zip\n項目: 予定表.txt\n"
         "理由: 展開先に同じ名前のファイルかフォルダが既にあります"},
        {"twice.zip",
         {ZipFile("d.txt", "1"), ZipFile("d.txt", "2")},
         "ﾌｧｲﾙが展開先に既に存在しています。\n書庫: twice.zip\n項目: d.txt\n"
         "理由: 書庫の中に同じ名前の項目が二つあります"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.archive);
        TempDir dir;
        const QString dest = dir.mkdir("out");
        dir.write("out/keep.txt", "mine");
        dir.write("out/予定表.txt", "mine");
        const auto before = FolderSnapshot(dest);
        const QString archive = ArchiveMaker::zip(dir.file(r.archive), r.entries);
        FakePrompts prompts;
        EXPECT_EQ(ZipMelt(prompts, archive, dest, "-x -s -V -i -C"), 1);
        ASSERT_EQ(prompts.boxes.size(), 1);
        EXPECT_EQ(prompts.boxes[0].text, r.box);
        EXPECT_EQ(prompts.boxes[0].icon, PromptIcon::Warning);
        EXPECT_EQ(FolderSnapshot(dest), before);
    }
}

} // namespace
} // namespace tobimaru
