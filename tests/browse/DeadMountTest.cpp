// The tree, navigation and the chooser beside a mount that has stopped answering: a real FUSE
// file system whose calls wait. Whatever the command, the window's thread never calls into the
// mount, the command ends after one short limit, and the next command on it answers at once.
#include "TreeRig.h"

#include "browse/BrowseFolder.h"
#include "support/HangingFuse.h"
#include "support/ScriptedProbe.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace tobimaru;
using namespace std::chrono_literals;
using tobimaru::test::HangingFuse;
using tobimaru::test::TreeRig;

namespace {

// A plain FUSE mount and one the program takes for a network drive.
struct Kind {
    const char* subtype;
    const char* readyText;
};
const Kind kKinds[] = {{"", "ハード ディスク"}, {"sshfs", "ネットワーク ドライブ"}};

// The rig's drive with "a/b", "mnt" and a hanging mount at `mountAt` (relative to the drive), in
// the rig's mount table. Probes wait 300 ms.
class DeadMount {
public:
    DeadMount(const Kind& kind, const QString& mountAt, std::chrono::milliseconds limit = 300ms,
              std::chrono::seconds watchdog = HangingFuse::Options().watchdog) {
        rig.mkdirs({"a/b", "mnt", mountAt});
        rig.setReadyTimeout(limit);
        HangingFuse::Options options;
        options.subtype = QString::fromLatin1(kind.subtype);
        options.watchdog = watchdog;
        fuse = std::make_unique<HangingFuse>(rig.at(mountAt), options);
        if (fuse->mounted())
            rig.addMount(fuse->entry());
        rig.tree->FillAddressCombo();
    }

    QString mount() const { return fuse->mountPoint(); }
    bool uiThreadCalledIn() const { return fuse->callers().contains(::getpid()); }
    /// The calls the mount has had: a command that answers at once adds none.
    qsizetype calls() const { return fuse->callers().size(); }

    TreeRig rig;
    std::unique_ptr<HangingFuse> fuse; // goes before the rig's folders
};

#define SKIP_WITHOUT_FUSE(dead)                                                                              \
    if (!(dead).fuse->mounted())                                                                             \
    GTEST_SKIP() << (dead).fuse->whyNot().toStdString()

QString NotReadyText(const QString& drive, const Kind& kind) {
    return QStringLiteral("ドライブ ") + drive + QStringLiteral(" - ") + QString::fromUtf8(kind.readyText) +
           QStringLiteral("\r\nの準備ができていません。");
}

} // namespace

TEST(DeadMount, TheTreeOpensPastIt) {
    const struct {
        const char* mountAt;
        const char* start;
        bool hasNode; // its parent was read on the way
        const char* why;
    } cases[] = {
        {"mnt/nas", "a/b", false, "in a folder beside the way"},
        {"a/nas", "a/b", true, "beside the start folder"},
        {"mnt/nas", "mnt", true, "in the start folder"},
    };
    for (const Kind& kind : kKinds) {
        for (const auto& c : cases) {
            DeadMount dead(kind, QString::fromLatin1(c.mountAt));
            SKIP_WITHOUT_FUSE(dead);
            TreeRig& rig = dead.rig;
            const QString start = rig.at(QString::fromLatin1(c.start));
            const int threads = test::ProcessThreadCount();
            ASSERT_TRUE(rig.nav->GoToPath(start, true)) << c.why;
            EXPECT_EQ(rig.tree->GetTreeViewKey(), start) << c.why;
            EXPECT_EQ(rig.listed, QStringList{start}) << c.why;
            EXPECT_TRUE(rig.prompts.boxes.isEmpty()) << c.why;
            // Its node is there where its parent was read, as a folder that was not read into.
            const QTreeWidgetItem* node = rig.node(dead.mount());
            ASSERT_EQ(node != nullptr, c.hasNode) << c.why;
            if (node) {
                EXPECT_FALSE(FolderTree::HasExpandMark(node)) << c.why;
            }
            EXPECT_GT(dead.calls(), 0) << "a worker asked it: " << c.why;
            EXPECT_FALSE(dead.uiThreadCalledIn()) << c.why;

            // Going there again, and opening the tree along the path once more as start-up does,
            // asks nothing of the mount and leaves no thread behind.
            const qsizetype calls = dead.calls();
            const int afterFirst = test::SettledThreadCount(threads + 1);
            EXPECT_LE(afterFirst, threads + 1) << "one thread stays, stuck in the mount: " << c.why;
            for (int attempt = 0; attempt < 3; ++attempt) {
                ASSERT_TRUE(rig.nav->GoToPath(start, true)) << c.why;
                ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), start, true)) << c.why;
            }
            EXPECT_EQ(dead.calls(), calls) << c.why;
            EXPECT_LE(test::SettledThreadCount(afterFirst), afterFirst) << c.why;
            // Only a glance went to a mount the tree never opened a folder beside: not silent.
            EXPECT_EQ(rig.drives().IsSilent(dead.mount()), c.hasNode) << c.why;
        }
    }
}

TEST(DeadMount, GoingToItSaysItIsNotReadyAndTheTreeStays) {
    for (const Kind& kind : kKinds) {
        DeadMount dead(kind, "mnt/nas");
        SKIP_WITHOUT_FUSE(dead);
        TreeRig& rig = dead.rig;
        ASSERT_TRUE(rig.nav->GoToPath(rig.at("a"), true));
        rig.prompts.clear();
        rig.listed.clear();
        for (const QString& target : {dead.mount(), dead.mount() + "/inner"}) {
            EXPECT_FALSE(rig.nav->GoToPath(target, true)) << target.toStdString();
            EXPECT_EQ(rig.prompts.texts(), QStringList{NotReadyText(dead.mount(), kind)});
            EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("a"));
            EXPECT_TRUE(rig.listed.isEmpty());
            rig.prompts.clear();
        }
        EXPECT_FALSE(dead.uiThreadCalledIn());
    }
}

TEST(DeadMount, ExpandingTheParentTypingItAndClickingTheMountDoNotTouchIt) {
    for (const Kind& kind : kKinds) {
        DeadMount dead(kind, "mnt/nas");
        SKIP_WITHOUT_FUSE(dead);
        TreeRig& rig = dead.rig;
        rig.tree->BuildDriveTree(rig.drive());
        rig.tree->RootNode()->setExpanded(true); // looks into "mnt", which holds the mount
        QTreeWidgetItem* mnt = rig.node(rig.at("mnt"));
        ASSERT_NE(mnt, nullptr);
        EXPECT_TRUE(FolderTree::HasExpandMark(mnt));

        mnt->setExpanded(true);
        EXPECT_EQ(TreeRig::captions(mnt), QStringList{"nas"});
        EXPECT_FALSE(FolderTree::HasExpandMark(rig.node(dead.mount())));
        const qsizetype calls = dead.calls();

        rig.nav->AddressTyped(rig.at("mnt"));
        EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("mnt"));
        EXPECT_TRUE(rig.prompts.boxes.isEmpty());

        // A click on the mount's node lists nothing and says why.
        rig.listed.clear();
        rig.input->TreeView1_NodeClick(rig.node(dead.mount()));
        EXPECT_TRUE(rig.listed.isEmpty());
        EXPECT_EQ(rig.prompts.texts(), QStringList{NotReadyText(dead.mount(), kind)});
        EXPECT_EQ(dead.calls(), calls) << "each command after the first answered at once";
        EXPECT_FALSE(dead.uiThreadCalledIn());

        // Once the mount answers again, a later command finds it ready and reads it.
        dead.fuse->release();
        for (int i = 0; i < 500 && rig.drives().IsSilent(dead.mount()); ++i)
            QTest::qWait(10);
        rig.prompts.clear();
        rig.listed.clear();
        EXPECT_TRUE(rig.nav->GoToPath(dead.mount(), true));
        EXPECT_EQ(rig.listed, QStringList{dead.mount()});
        EXPECT_TRUE(rig.prompts.boxes.isEmpty());
    }
}

TEST(DeadMount, ReadingAheadOnlyGlancesTheFullWaitComesWhenTheUserGoesIn) {
    // A limit far beyond the watchdog: a command that waited its limit would see the mount
    // released (and its probe's further calls) before it ended.
    DeadMount dead(kKinds[1], "mnt/nas", 60s, 3s);
    SKIP_WITHOUT_FUSE(dead);
    TreeRig& rig = dead.rig;
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("mnt"), true));
    EXPECT_EQ(dead.fuse->operations(), QStringList{"statfs"}) << "still the probe's first call";
    EXPECT_FALSE(rig.drives().IsSilent(dead.mount())) << "a glance remembers nothing";
    EXPECT_FALSE(dead.uiThreadCalledIn());

    // Going into it waits for its answer: here the watchdog's release.
    EXPECT_TRUE(rig.nav->GoToPath(dead.mount(), true));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), dead.mount());
}

TEST(DeadMount, TheWindowKeepsPaintingWhileAProbeWaits) {
    DeadMount dead(kKinds[1], "mnt/nas");
    SKIP_WITHOUT_FUSE(dead);
    TreeRig& rig = dead.rig;
    rig.window.show();
    QApplication::processEvents();
    int paintsDuringCommand = 0;
    bool inCommand = false;
    struct PaintCounter final : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                onPaint();
            return false;
        }
    } counter;
    counter.onPaint = [&] { paintsDuringCommand += inCommand ? 1 : 0; };
    rig.widget->viewport()->installEventFilter(&counter);
    QTimer::singleShot(0, rig.widget->viewport(), [&] { rig.widget->viewport()->update(); });
    inCommand = true;
    ASSERT_FALSE(rig.nav->GoToPath(dead.mount(), true)); // waits the limit, then "not ready"
    inCommand = false;
    EXPECT_GT(paintsDuringCommand, 0);
    EXPECT_FALSE(dead.uiThreadCalledIn());
}

TEST(DeadMount, TheChooserIsHandedNothingOnIt) {
    for (const Kind& kind : kKinds) {
        DeadMount dead(kind, "mnt/nas");
        SKIP_WITHOUT_FUSE(dead);
        TreeRig& rig = dead.rig;
        const DriveModel drives = rig.drives();
        ASSERT_EQ(drives.GetDriveType(dead.mount()) == DriveType::Remote,
                  QString::fromLatin1(kind.subtype) == QLatin1String("sshfs"));
        EXPECT_FALSE(BrowsePlaces(kBrowseRootDesktop, drives).contains(dead.mount()));
        EXPECT_EQ(BrowsePlaces(kBrowseRootNetwork, drives), QStringList());
        EXPECT_EQ(ReachableFolders({dead.mount() + "/x", rig.at("a"), "relative"}, drives),
                  QStringList{rig.at("a")});

        // An initial folder on it is not handed on; the network root falls back to a live drive.
        for (const int root : {kBrowseRootDesktop, kBrowseRootNetwork}) {
            BrowseFolder(rig.prompts, "p", dead.mount() + "/x", root, drives);
            EXPECT_EQ(rig.prompts.browses.last().initial, QString()) << root;
        }
        const QString live = rig.dir.mkdir("live");
        rig.addMount({live, "nfs4", "srv:/live", "0:70", {}});
        const DriveModel withLive = rig.drives();
        BrowseFolder(rig.prompts, "p", dead.mount() + "/x", kBrowseRootNetwork, withLive);
        EXPECT_EQ(rig.prompts.browses.last().initial, live);
        EXPECT_EQ(BrowsePlaces(kBrowseRootNetwork, withLive), QStringList{live});

        // The network command does not test a chosen folder on it for existence.
        rig.prompts.chooseFolder(dead.mount() + "/x");
        rig.nav->GoNetWtok_Click();
        EXPECT_TRUE(rig.listed.isEmpty());
        EXPECT_FALSE(dead.uiThreadCalledIn());
    }
}

TEST(DeadMount, AMountInAFolderTakesItsAttributesFromItsProbe) {
    test::TempDir dir;
    const QString cd = dir.mkdir("cd");
    dir.mkdir("plain");
    const struct {
        std::optional<MountStatus> answer; ///< nullopt: the probe hangs
        bool showReadOnly;
        bool listed;
        EntryAttr attr;
    } cases[] = {
        {test::ReadyFolder(0555), false, false, EntryAttr::ReadOnly},
        {test::ReadyFolder(0555), true, true, EntryAttr::ReadOnly},
        {test::ReadyFolder(0755), false, true, EntryAttr::Plain},
        {MountStatus{false, 0}, false, true, EntryAttr::Plain},
        {MountStatus{true, S_IFREG | 0644}, true, false, EntryAttr::Plain},
        {std::nullopt, false, true, EntryAttr::Plain},
    };
    for (const auto& c : cases) {
        test::ScriptedProbe script;
        if (c.answer)
            script.answer(cd, *c.answer);
        else
            script.hang(cd);
        DriveEnvironment env;
        env.prober = std::make_shared<MountProber>(script.probe());
        env.readyTimeout = 100ms;
        // The folder on disk is writable: only the probe can make it read-only.
        const DriveModel drives({{"/", "ext4", "/dev/x0", {}, {}}, {cd, "iso9660", "/dev/sr0", "11:0", {}}},
                                env);
        ListOptions admission;
        admission.ShowReadOnly = c.showReadOnly;
        const std::vector<SubfolderEntry> found = ScanSubfolders(dir.path(), admission, drives);
        QStringList names;
        for (const SubfolderEntry& e : found) {
            names.append(e.name);
            if (e.name == "cd") {
                EXPECT_EQ(e.attr, c.attr);
            }
        }
        EXPECT_EQ(names.contains("cd"), c.listed) << names.join(',').toStdString();
        EXPECT_TRUE(names.contains("plain"));
        EXPECT_EQ(script.calls(cd), 1);
    }
}
