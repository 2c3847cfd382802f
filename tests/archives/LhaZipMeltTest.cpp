#include "archives/LhaZipMelt.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tobimaru {
namespace {

using test::FakePrompts;
using test::TempDir;

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
         {LzhErrorText(ArchiverCode::NotArchive), "TobimaruMe", PromptIcon::Warning, PromptButtons::Ok}},
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

} // namespace
} // namespace tobimaru
