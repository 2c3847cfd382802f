#include "TreeRig.h"

#include "browse/AddressBox.h"
#include "browse/BrowseFolder.h"
#include "support/HangingFuse.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::TreeRig;

namespace {

const QString kMissing = QStringLiteral("パスは、存在しません。");

QString RootCaptionOf(const QString& drive) {
    return QStringLiteral("ローカル ディスク (") + drive + QLatin1Char(')');
}

// The drive and a network mount beside it, with the address box filled.
class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        nas = rig.dir.mkdir("nas");
        rig.dir.mkdir("nas/share/inner");
        rig.addMount({nas, "nfs4", "srv:/export", "0:60", {}});
        rig.mkdirs({"Movies/2003/clips", "Music"});
        rig.tree->FillAddressCombo();
    }

    QString boxKey() const { return AddressEntryKey(rig.box, rig.box->currentIndex()); }

    TreeRig rig;
    QString nas;
};

} // namespace

TEST_F(NavigationTest, AddressBoxHoldsTheDesktopTheDocumentsAndTheDrives) {
    ASSERT_EQ(rig.box->count(), 6);
    const QStringList keys{"DeskTop", "MyDocments", "/", rig.drive(), rig.home(), nas};
    const QStringList captions{"デスクトップ",
                               "マイドキュメント",
                               RootCaptionOf("/"),
                               RootCaptionOf(rig.drive()),
                               RootCaptionOf(rig.home()),
                               QStringLiteral("ネットワーク ドライブ (") + nas + ")"};
    const QStringList images{"DeskTop98",           "MyDoc98",
                             "ICON:drive-harddisk", "ICON:drive-harddisk",
                             "ICON:drive-harddisk", "ICON:folder-remote"};
    for (int i = 0; i < rig.box->count(); ++i) {
        EXPECT_EQ(AddressEntryKey(rig.box, i), keys[i]);
        EXPECT_EQ(rig.box->itemText(i), captions[i]);
        EXPECT_EQ(rig.box->itemData(i, AddressImageRole).toString(), images[i]);
        EXPECT_FALSE(rig.box->itemIcon(i).isNull()) << i;
    }
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());
}

TEST_F(NavigationTest, GoToPathStopsPlaybackOpensTheTreeListsAndFollowsTheDrive) {
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("Movies/2003/"), true));
    EXPECT_EQ(rig.stops, 1);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("Movies/2003"));
    EXPECT_EQ(rig.tree->state().CurrentFolder, rig.at("Movies/2003"));
    EXPECT_TRUE(rig.node(rig.at("Movies/2003"))->isExpanded());
    EXPECT_EQ(TreeRig::captions(rig.node(rig.at("Movies/2003/clips"))), QStringList());
    EXPECT_EQ(rig.listed, QStringList{rig.at("Movies/2003")});
    EXPECT_EQ(boxKey(), rig.drive());
    EXPECT_EQ(rig.settings.NetworkShareRoot, QString());
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());

    // Without the list flag only the tree and the box change.
    rig.listed.clear();
    ASSERT_TRUE(rig.nav->GoToPath(nas + "/share", false));
    EXPECT_EQ(FolderTree::NodeKey(rig.tree->RootNode()), nas);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), QString());
    EXPECT_TRUE(rig.listed.isEmpty());
    EXPECT_EQ(boxKey(), nas);
    EXPECT_EQ(rig.settings.NetworkShareRoot, nas);
}

TEST_F(NavigationTest, FailuresTellTheUserAndLeaveTheTree) {
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("Music"), true));
    rig.listed.clear();
    rig.stops = 0;

    struct Case {
        QString path;
        QString text;
        PromptIcon icon;
        int stops;
    };
    const Case cases[] = {
        {QString(), "選択されたパスに移動できません。", PromptIcon::Warning, 0},
        {rig.at("Movies/1999"), kMissing, PromptIcon::Information, 1},
        {QStringLiteral("relative/path"), kMissing, PromptIcon::Information, 1},
    };
    for (const Case& c : cases) {
        rig.prompts.clear();
        rig.stops = 0;
        EXPECT_FALSE(rig.nav->GoToPath(c.path, true));
        ASSERT_EQ(rig.prompts.boxes.size(), 1) << c.path.toStdString();
        EXPECT_EQ(rig.prompts.boxes[0].text, c.text);
        EXPECT_EQ(rig.prompts.boxes[0].caption, QStringLiteral("TobimaruMe"));
        EXPECT_EQ(rig.prompts.boxes[0].icon, c.icon);
        EXPECT_EQ(rig.stops, c.stops);
        EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("Music"));
        EXPECT_TRUE(rig.listed.isEmpty());
    }
}

TEST_F(NavigationTest, ADriveThatIsNotReadyLeavesTheShownDriveInTheTreeAndTheBox) {
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("Music"), true));
    rig.setDead(nas);
    rig.box->setCurrentIndex(FindAddressEntry(rig.box, nas)); // the user picked the network drive
    EXPECT_FALSE(rig.nav->GoToPath(nas + "/share", true));
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text,
              QStringLiteral("ドライブ ") + nas +
                  QStringLiteral(" - ネットワーク ドライブ\r\nの準備ができていません。"));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("Music"));
    EXPECT_EQ(boxKey(), rig.drive());
}

TEST_F(NavigationTest, UpOneLevelGoesToTheParentAndSelectsTheRoot) {
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("Movies"), true));
    rig.listed.clear();
    rig.nav->GoUpOneLevel();
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.drive());
    EXPECT_TRUE(rig.tree->RootNode()->isExpanded());
    EXPECT_EQ(rig.listed, QStringList{rig.drive()});
    EXPECT_EQ(rig.stops, 2);
}

TEST_F(NavigationTest, AddressBoxEntriesGoToTheirPlaces) {
    rig.mkdirs({"x"});
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("x"), true));
    rig.listed.clear();
    // A drive's entry opens its root, also when it is the drive shown; the entry takes the
    // root's caption.
    const int driveEntry = FindAddressEntry(rig.box, rig.drive());
    rig.box->setItemText(driveEntry, QStringLiteral("stale"));
    rig.box->setCurrentIndex(driveEntry);
    Q_EMIT rig.box->activated(driveEntry);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.drive());
    EXPECT_EQ(rig.listed, QStringList{rig.drive()});
    EXPECT_EQ(rig.box->itemText(driveEntry), RootCaptionOf(rig.drive()));

    rig.nav->ImageCombo1_Click(FindAddressEntry(rig.box, DesktopEntryKey()));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.desktop);
    rig.nav->ImageCombo1_Click(FindAddressEntry(rig.box, DocumentsEntryKey()));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.documents);
    EXPECT_EQ(boxKey(), rig.home());
}

TEST_F(NavigationTest, ACaptionIsOnlyTakenFromARootNode) {
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("Music"), true));
    rig.setDead(nas);
    const int nasEntry = FindAddressEntry(rig.box, nas);
    rig.box->setCurrentIndex(nasEntry);
    rig.nav->ImageCombo1_Click(nasEntry);
    // The box is back on the shown drive, whose entry keeps its name (not "Music").
    EXPECT_EQ(boxKey(), rig.drive());
    EXPECT_EQ(rig.box->currentText(), RootCaptionOf(rig.drive()));
    EXPECT_EQ(rig.box->itemText(FindAddressEntry(rig.box, rig.drive())), RootCaptionOf(rig.drive()));
}

TEST_F(NavigationTest, TypedPathsAndCaptions) {
    rig.box->lineEdit()->setText(rig.at("Movies/2003"));
    QTest::keyClick(rig.box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("Movies/2003"));
    EXPECT_EQ(rig.listed, QStringList{rig.at("Movies/2003")});

    rig.listed.clear();
    rig.nav->AddressTyped(QStringLiteral("デスクトップ"));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.desktop);
    EXPECT_EQ(rig.listed, QStringList{rig.desktop});

    rig.nav->AddressTyped(QStringLiteral("Movies"));
    EXPECT_EQ(rig.prompts.texts(), QStringList{kMissing});
}

TEST_F(NavigationTest, RefreshReloadsAndReportsAFolderDeletedMeanwhile) {
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("Movies/2003"), true));
    rig.mkdirs({"Movies/2003/new"});
    rig.listed.clear();
    rig.nav->Listkousin_Click();
    EXPECT_EQ(rig.listed, QStringList{rig.at("Movies/2003")});
    EXPECT_NE(rig.node(rig.at("Movies/2003/new")), nullptr); // the tree was read again
    EXPECT_EQ(rig.rearms, 1);

    ASSERT_TRUE(QDir(rig.at("Movies/2003")).removeRecursively());
    rig.stops = 0;
    rig.nav->RefreshCurrentFolder();
    EXPECT_EQ(rig.prompts.texts(), QStringList{kMissing});
    EXPECT_EQ(rig.stops, 2); // the refresh and GoToPath both stop
    EXPECT_EQ(rig.rearms, 2);
}

TEST_F(NavigationTest, FolderChoosersAskWithTheirPromptsAndRoots) {
    ASSERT_TRUE(rig.nav->GoToPath(rig.at("Music"), true));
    rig.listed.clear();
    rig.stops = 0;

    // Cancelled: nothing happens beyond the stopped playback.
    rig.nav->GoFolder_Click();
    ASSERT_EQ(rig.prompts.browses.size(), 1);
    EXPECT_EQ(rig.prompts.browses[0].prompt, QStringLiteral("フォルダーを選択してください"));
    EXPECT_EQ(rig.prompts.browses[0].root, 0);
    EXPECT_EQ(rig.prompts.browses[0].initial, rig.at("Music"));
    EXPECT_EQ(rig.stops, 1);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("Music"));
    EXPECT_TRUE(rig.listed.isEmpty());
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());

    rig.prompts.chooseFolder(rig.at("Movies/2003/"));
    rig.nav->GoFolder_Click();
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("Movies/2003"));

    // An answer that is no folder: nothing.
    rig.prompts.chooseFolder(rig.at("nowhere"));
    rig.nav->GoFolder_Click();
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("Movies/2003"));
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());

    // The network chooser starts on a network drive and goes where it is told.
    rig.prompts.clear();
    rig.prompts.chooseFolder(nas + "/share");
    rig.nav->GoNetWtok_Click();
    ASSERT_EQ(rig.prompts.browses.size(), 1);
    EXPECT_EQ(rig.prompts.browses[0].prompt, QStringLiteral("ネットワークを指定してください。"));
    EXPECT_EQ(rig.prompts.browses[0].root, 18);
    EXPECT_EQ(rig.prompts.browses[0].initial, nas);
    EXPECT_EQ(rig.tree->GetTreeViewKey(), nas + "/share");
    EXPECT_EQ(boxKey(), nas);
}

TEST(BrowseFolder, AnswersAreLocalPathsWithoutTrailingSlash) {
    TreeRig rig;
    const DriveModel drives = rig.drives();
    struct Case {
        QString answer;
        QString result;
    };
    const Case cases[] = {
        {QString(), QString()},
        {rig.at("a/"), rig.at("a")},
        {QStringLiteral("/"), QStringLiteral("/")},
        {QStringLiteral("smb://srv/share"), QString()},
    };
    for (const Case& c : cases) {
        rig.prompts.chooseFolder(c.answer);
        EXPECT_EQ(BrowseFolder(rig.prompts, "p", rig.drive(), kBrowseRootDesktop, drives), c.result);
    }
    // The initial folder goes to the chooser as given; "" opens it at its root.
    EXPECT_EQ(rig.prompts.browses[0].initial, rig.drive());
    BrowseFolder(rig.prompts, "p", QString(), kBrowseRootDesktop, drives);
    EXPECT_EQ(rig.prompts.browses.last().initial, QString());
    // Without a network drive the network chooser opens at its root.
    BrowseFolder(rig.prompts, "p", rig.drive(), kBrowseRootNetwork, drives);
    EXPECT_EQ(rig.prompts.browses.last().initial, QString());
}

TEST(BrowseFolder, PlacesOfTheTwoRoots) {
    TreeRig rig;
    const QString nas = rig.dir.mkdir("nas");
    const QString sshfs = rig.dir.mkdir("sshfs");
    rig.addMount({nas, "nfs4", "srv:/export", "0:60", {}});
    rig.addMount({"/proc", "proc", "proc", "0:5", {}});
    rig.addMount({sshfs, "fuse.sshfs", "me@host:", "0:62", {}});
    const DriveModel drives = rig.drives();

    EXPECT_EQ(BrowsePlaces(kBrowseRootNetwork, drives), (QStringList{nas, sshfs}));
    const QStringList places = BrowsePlaces(kBrowseRootDesktop, drives);
    EXPECT_TRUE(places.contains(QDir::homePath()));
    const QStringList tail = places.mid(places.size() - 5);
    EXPECT_EQ(tail, (QStringList{"/", rig.drive(), rig.home(), nas, sshfs}));
    QStringList unique = places;
    EXPECT_EQ(unique.removeDuplicates(), 0);
}

TEST(NavigationOnAShare, RefreshAsksTheShareAfresh) {
    // A share whose entries carry no type: the tree learns that an entry is a folder by a stat,
    // which the reads of one command share. A refresh is a new command.
    TreeRig rig;
    rig.mkdirs({"nas"});
    test::TempDir source;
    source.write(QStringLiteral("clips/later"), "a file, for now");
    test::HangingFuse::Options options;
    options.subtype = QStringLiteral("sshfs");
    options.source = source.path();
    options.typeless = true;
    options.startOpen = true;
    test::HangingFuse share(rig.at("nas"), options);
    if (!share.mounted())
        GTEST_SKIP() << share.whyNot().toStdString();
    rig.addMount(share.entry());

    ASSERT_TRUE(rig.nav->GoToPath(rig.at("nas/clips"), true));
    EXPECT_EQ(rig.node(rig.at("nas/clips/later")), nullptr);
    ASSERT_TRUE(QFile::remove(source.file(QStringLiteral("clips/later"))));
    source.mkdir(QStringLiteral("clips/later"));
    rig.nav->Listkousin_Click();
    EXPECT_NE(rig.node(rig.at("nas/clips/later")), nullptr) << "the refresh trusted the stat before it";
}
