// The tree reads a folder's children only when the folder opens, each child up to its first
// subfolder, on a worker; what it shows must be what reading every folder one level ahead showed.

#include "TreeRig.h"

#include "base/FileNames.h"
#include "browse/FileListModel.h"
#include "browse/SubfolderScan.h"
#include "browse/TreeNodeRoles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace tobimaru;
using tobimaru::test::TreeRig;

namespace {

// One line per shown node: depth, caption, key, image, colour, and "+" for an expand mark.
void Describe(QStringList& out, int depth, const QString& caption, const QString& key, const QString& image,
              const QColor& colour, bool mark) {
    out.append(QStringLiteral("%1%2 <%3> %4 %5%6")
                   .arg(QString(depth * 2, QLatin1Char(' ')), caption, key, image,
                        colour.isValid() ? colour.name() : QStringLiteral("-"),
                        mark ? QStringLiteral(" +") : QString()));
}

// What the tree shows under an open node.
void Shown(QStringList& out, const QTreeWidgetItem* node, int depth) {
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem* c = node->child(i);
        const QVariant fg = c->data(0, Qt::ForegroundRole);
        Describe(out, depth, c->text(0), FolderTree::NodeKey(c), c->data(0, NodeImageRole).toString(),
                 fg.isValid() ? c->foreground(0).color() : QColor(), FolderTree::HasExpandMark(c));
        if (c->isExpanded())
            Shown(out, c, depth + 1);
    }
}

// The same by the rule of reading every child of an open folder in full: the child's mark is
// whether its own scan finds anything.
void ByFullScans(QStringList& out, const QString& folder, const QStringList& open,
                 const ListOptions& admission, const DriveModel& drives, const IconSet& icons, int depth) {
    std::vector<SubfolderEntry> entries = ScanSubfolders(folder, admission, drives);
    std::stable_sort(entries.begin(), entries.end(), [](const SubfolderEntry& a, const SubfolderEntry& b) {
        return TreeCaptionLess(DisplayFileName(a.name), DisplayFileName(b.name));
    });
    for (const SubfolderEntry& e : entries) {
        const QString key = folder + QLatin1Char('/') + e.name;
        const bool isOpen = open.contains(key);
        QString image = FolderImageKey(icons, e.image);
        if (isOpen && image == icons.closedFolder)
            image = icons.openFolder;
        Describe(out, depth, DisplayFileName(e.name), key, image, FileListModel::AttrColor(e.attr),
                 !ScanSubfolders(key, admission, drives).empty());
        if (isOpen)
            ByFullScans(out, key, open, admission, drives, icons, depth + 1);
    }
}

} // namespace

TEST(TreeGrowth, ShowsWhatReadingEveryFolderAheadShowed) {
    struct Case {
        const char* why;
        QStringList folders;
        QStringList readOnly;
        QStringList files;
        int hidden, system, readOnlyAtr;
        QStringList open; // opened in this order, relative to the drive
    };
    const Case cases[] = {
        {"plain nesting", {"a/b/c/d", "a/e", "f", "G/h"}, {}, {"f/clip.avi"}, 0, 0, 0, {"a", "a/b"}},
        {"a folder of files only has no mark",
         {"files", "x/y"},
         {},
         {"files/1.avi", "files/2.mpg"},
         0,
         0,
         0,
         {"x"}},
        {"hidden first subfolders do not count",
         {"h/.dot/in", "h/veiled", "h/seen/in", "k/.only"},
         {},
         {"h/.hidden"},
         0,
         0,
         0,
         {"h"}},
        {"hidden ones shown when asked",
         {"h/.dot/in", "h/veiled/x", "k/.only"},
         {},
         {"h/.hidden"},
         1,
         0,
         0,
         {"h"}},
        {"read-only folders", {"r/sub", "q"}, {"r/ro", "q/My Pictures", "q/ro2"}, {}, 0, 0, 0, {"r", "q"}},
        {"read-only admitted", {"r/sub", "q"}, {"r/ro", "q/My Pictures", "q/ro2"}, {}, 0, 0, 1, {"r", "q"}},
        {"system folder", {"s/lost+found/x", "t/lost+found"}, {}, {}, 0, 0, 0, {"s"}},
        {"system admitted", {"s/lost+found/x", "t/lost+found"}, {}, {}, 0, 1, 0, {"s", "s/lost+found"}},
        {"caption order without case",
         {"m/beta/x", "m/Alpha", "m/alpha2/y", "m/B", "m/b"},
         {},
         {},
         0,
         0,
         0,
         {"m"}},
    };
    for (const Case& c : cases) {
        TreeRig rig;
        rig.mkdirs(c.folders);
        for (const QString& ro : c.readOnly)
            rig.mkReadOnly(ro);
        for (const QString& f : c.files)
            rig.dir.write(QStringLiteral("drive/") + f,
                          f.endsWith(QLatin1String(".hidden")) ? "veiled\n" : "");
        rig.settings.ShowHidden = int16_t(c.hidden);
        rig.settings.ShowSystem = int16_t(c.system);
        rig.settings.ShowReadOnly = int16_t(c.readOnlyAtr);
        rig.tree->BuildDriveTree(rig.drive());
        ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), rig.drive(), true)) << c.why;
        QStringList open;
        for (const QString& o : c.open) {
            open.append(rig.at(o));
            rig.node(rig.at(o))->setExpanded(true);
        }
        QStringList shown, expected;
        Shown(shown, rig.tree->RootNode(), 0);
        ListOptions admission;
        admission.ShowHidden = c.hidden != 0;
        admission.ShowSystem = c.system != 0;
        admission.ShowReadOnly = c.readOnlyAtr != 0;
        ByFullScans(expected, rig.drive(), open, admission, rig.drives(), rig.tree->iconSet(), 0);
        EXPECT_EQ(shown, expected) << c.why;
        EXPECT_TRUE(rig.prompts.boxes.isEmpty()) << c.why;
    }
}

TEST(TreeGrowth, NamesThatAreNotUtf8AndLinksShowAsBefore) {
    TreeRig rig;
    rig.mkdirs({"n", "real/inner"});
    const QByteArray drive = EncodeFileName(rig.drive());
    ASSERT_EQ(::mkdir(drive + "/n/\xE9t\xE9", 0755), 0);
    ASSERT_EQ(::mkdir(drive + "/n/\xE9t\xE9/in", 0755), 0);
    ASSERT_EQ(::mkdir(drive + "/n/\xE8t\xE8", 0755), 0);
    QFile::link(rig.at("real"), rig.at("n/link"));
    QFile::link(rig.at("gone"), rig.at("n/dangling"));
    rig.tree->BuildDriveTree(rig.drive());
    rig.tree->RootNode()->setExpanded(true);
    rig.node(rig.at("n"))->setExpanded(true);
    QStringList shown, expected;
    Shown(shown, rig.tree->RootNode(), 0);
    ByFullScans(expected, rig.drive(), {rig.at("n")}, ListOptions{}, rig.drives(), rig.tree->iconSet(), 0);
    EXPECT_EQ(shown, expected);
}

TEST(TreeGrowth, GoingBesideTheCurrentFolderKeepsTheNodesAndReadsOnlyWhatIsMissing) {
    TreeRig rig;
    rig.mkdirs({"movies/a/x", "movies/b/y", "other"});
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("movies/a"), true));
    QTreeWidgetItem* movies = rig.node(rig.at("movies"));
    QTreeWidgetItem* a = rig.node(rig.at("movies/a"));
    ASSERT_NE(a, nullptr);
    rig.tree->MarkPlayedFolder();
    const QStringList before = rig.levelReads();

    ASSERT_TRUE(rig.nav->GoToPath(rig.at("movies/b"), true));
    EXPECT_EQ(rig.node(rig.at("movies")), movies);
    EXPECT_EQ(rig.node(rig.at("movies/a")), a);
    EXPECT_TRUE(a->font(0).bold()) << "the mark stays with the node";
    EXPECT_TRUE(movies->isExpanded());
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("movies/b"));
    // Only the folder that opened was read: not the drive, not its way down.
    EXPECT_EQ(rig.levelReads().mid(before.size()), QStringList{rig.at("movies/b")});

    // A folder made since its parent was read is still found.
    rig.mkdirs({"movies/new/z"});
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("movies/new/z"), true));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("movies/new/z"));
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());

    // Another drive is another tree.
    ASSERT_TRUE(rig.nav->GoToPath(rig.desktop, true));
    EXPECT_EQ(FolderTree::NodeKey(rig.tree->RootNode()), rig.home());
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("movies"), true));
    EXPECT_NE(rig.node(rig.at("movies/a")), nullptr);
}

TEST(TreeGrowth, RefreshReadsTheCurrentNodeAlone) {
    TreeRig rig;
    rig.mkdirs({"top/keep/deep", "top/gone", "side/s"});
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("top"), true));
    rig.node(rig.at("top/keep"))->setExpanded(true);
    QTreeWidgetItem* keep = rig.node(rig.at("top/keep"));
    QTreeWidgetItem* side = rig.node(rig.at("side"));
    ASSERT_TRUE(QDir(rig.at("top/gone")).removeRecursively());
    rig.mkdirs({"top/fresh/f", "side/t"});
    const QStringList before = rig.levelReads();

    rig.listed.clear();
    rig.nav->Listkousin_Click();
    EXPECT_EQ(rig.levelReads().mid(before.size()), QStringList{rig.at("top")});
    EXPECT_EQ(rig.listed, QStringList{rig.at("top")});
    EXPECT_EQ(TreeRig::captions(rig.node(rig.at("top"))), (QStringList{"fresh", "keep"}));
    EXPECT_TRUE(FolderTree::HasExpandMark(rig.node(rig.at("top/fresh"))));
    EXPECT_EQ(rig.node(rig.at("top/keep")), keep);
    EXPECT_TRUE(keep->isExpanded());
    EXPECT_EQ(TreeRig::captions(keep), QStringList{"deep"});
    EXPECT_EQ(rig.node(rig.at("side")), side);
    EXPECT_EQ(side->childCount(), 0) << "a folder beside it is not read";
}

TEST(TreeGrowth, TheWindowGoesOnWhileAFolderOpens) {
    TreeRig rig;
    rig.mkdirs({"slow/a/b", "slow/c"});
    rig.tree->BuildDriveTree(rig.drive());
    rig.window.show();
    std::atomic<bool> release{false};
    rig.setBeforeRead([&release] {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    // A timer of the window's thread runs while the worker reads, and lets the read end.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 5)
            release = true;
    });
    timer.start(5);
    QElapsedTimer clock;
    clock.start();
    rig.node(rig.at("slow"))->setExpanded(true);
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(TreeRig::captions(rig.node(rig.at("slow"))), (QStringList{"a", "c"}));
    EXPECT_TRUE(FolderTree::HasExpandMark(rig.node(rig.at("slow/a"))));
    EXPECT_FALSE(FolderTree::HasExpandMark(rig.node(rig.at("slow/c"))));
    EXPECT_FALSE(rig.tree->state().TreeExpanding);
}

TEST(TreeGrowth, ARebuildDuringARead) {
    // A node that went while its folder was read gets nothing; the new tree stays whole.
    TreeRig rig;
    rig.mkdirs({"one/x", "two/y"});
    rig.tree->BuildDriveTree(rig.drive());
    std::atomic<bool> rebuilt{false};
    std::atomic<int> reads{0};
    rig.setBeforeRead([&] {
        // The first read has the window rebuild the tree meanwhile; the rebuild's reads go on.
        if (reads++ != 0)
            return;
        QMetaObject::invokeMethod(
            &rig.window,
            [&] {
                rig.tree->BuildDriveTree(rig.drive());
                rebuilt = true;
            },
            Qt::QueuedConnection);
        for (int i = 0; i < 400 && !rebuilt; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    rig.node(rig.at("one"))->setExpanded(true);
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(TreeRig::captions(rig.tree->RootNode()), (QStringList{"one", "two"}));
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());
}
