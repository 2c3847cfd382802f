#include "browse/QuickPaths.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "ui/Menus.h"
#include "ui/ViewBindings.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::FakePrompts;

namespace {

struct Fixture {
    Fixture() { BindQuickPathMenu(paths, menus); }
    QMainWindow window;
    Menus menus{window.menuBar(), &window};
    FakePrompts prompts;
    QStringList wentTo;
    int slideStops = 0;
    QuickPaths paths{prompts,
                     QuickPaths::Hooks{[this](const QString& f) { wentTo << f; },
                                       [] { return QStringLiteral("/cur"); }, [this] { ++slideStops; }}};

    QStringList shown() const {
        QStringList out;
        for (int i = 0; i < 7; ++i) {
            const QAction* a = menus.item(QStringLiteral("pass(%1)").arg(i));
            if (a->isVisible())
                out << a->text();
        }
        return out;
    }
};

} // namespace

TEST(QuickPaths, NewestFirstSevenAtMostNoDuplicatesCaseCounts) {
    Fixture f;
    for (int i = 1; i <= 8; ++i)
        f.paths.UpdateFileMenu(QStringLiteral("/d%1").arg(i));
    EXPECT_EQ(f.shown(), (QStringList{"/d8", "/d7", "/d6", "/d5", "/d4", "/d3", "/d2"}));
    f.paths.UpdateFileMenu("/d5");
    EXPECT_EQ(f.shown().first(), "/d8") << "a listed folder keeps its place";
    f.paths.UpdateFileMenu("/D8");
    EXPECT_EQ(f.shown().first(), "/D8");
    EXPECT_EQ(f.shown().size(), 7);
    f.paths.QuickPathAdd_Click();
    EXPECT_EQ(f.shown().first(), "/cur");
}

TEST(QuickPaths, ModeChecksOneItemAndNamesTheMenu) {
    Fixture f;
    const struct {
        int index;
        const char* title;
        int mode;
    } cases[] = {{0, "クイックパスアクセス-毎回(&Q)", 0},
                 {1, "クイックパスアクセス-完了のみ(&Q)", 1},
                 {2, "クイックパスアクセス-記録なし(&Q)", 2},
                 {9, "クイックパスアクセス-記録なし(&Q)", 2}};
    for (const auto& c : cases) {
        f.paths.QuickPathSet_Click(c.index);
        EXPECT_EQ(f.menus.menu("quickAccess")->title(), QString::fromUtf8(c.title));
        EXPECT_EQ(f.paths.mode(), c.mode);
    }
}

TEST(QuickPaths, ClearAsksAndCancelKeepsTheList) {
    Fixture f;
    f.paths.UpdateFileMenu("/a");
    f.prompts.answer(PromptAnswer::Cancel);
    f.paths.QuickPathClear_Click();
    EXPECT_EQ(f.shown(), QStringList{"/a"});
    ASSERT_EQ(f.prompts.boxes.size(), 1);
    EXPECT_EQ(f.prompts.boxes[0].text, QStringLiteral("クイックパスをクリアします。よろしいですか?"));
    EXPECT_EQ(f.prompts.boxes[0].icon, PromptIcon::Question);
    EXPECT_EQ(f.prompts.boxes[0].buttons, PromptButtons::OkCancel);
    f.paths.QuickPathClear_Click();
    EXPECT_TRUE(f.shown().isEmpty());
    EXPECT_EQ(f.slideStops, 2);
}

TEST(QuickPaths, ChoosingGoesOnlyToAFolderThatExists) {
    Fixture f;
    test::TempDir dir;
    f.paths.UpdateFileMenu(dir.file("gone"));
    f.paths.UpdateFileMenu(dir.path());
    f.paths.pass_Click(1);
    f.paths.pass_Click(6);
    f.paths.pass_Click(0);
    EXPECT_EQ(f.wentTo, QStringList{dir.path()});
    EXPECT_EQ(f.shown().size(), 2) << "a vanished folder stays listed";
}
