#include "TreeRig.h"
#include "base/FileNames.h"

#include <sys/stat.h>

#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "browse/SubfolderScan.h"
#include "browse/TreeNodeRoles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::TreeRig;

namespace {

QColor Colour(const QTreeWidgetItem* node) {
    return node->foreground(0).color();
}

QString ImageKey(const QTreeWidgetItem* node) {
    return node->data(0, NodeImageRole).toString();
}

bool Bold(const QTreeWidgetItem* node) {
    return node->font(0).bold();
}

} // namespace

TEST(SubfolderScan, AdmitsFoldersByAttributeInOrderSystemHiddenReadOnly) {
    TreeRig rig;
    rig.mkdirs({"plain", ".dot", "listed", "lost+found"});
    rig.mkReadOnly("ro");
    rig.dir.write("drive/file.avi");
    QFile::link(rig.at("plain"), rig.at("link"));
    QFile::link(rig.at("gone"), rig.at("dangling"));
    // Listed as hidden, lost+found stays a system folder: system decides first.
    rig.dir.write("drive/.hidden", "listed\r\nlost+found\n");

    const QHash<QString, EntryAttr> attrs{
        {"plain", EntryAttr::Plain},   {"link", EntryAttr::Plain},  {".dot", EntryAttr::Hidden},
        {"listed", EntryAttr::Hidden}, {"ro", EntryAttr::ReadOnly}, {"lost+found", EntryAttr::System},
    };
    struct Case {
        bool hidden, system, readOnly;
        QStringList names;
    };
    const Case cases[] = {
        {false, false, false, {"link", "plain"}},
        {true, false, false, {".dot", "link", "listed", "plain"}},
        {false, true, false, {"link", "lost+found", "plain"}},
        {false, false, true, {"link", "plain", "ro"}},
        {true, true, true, {".dot", "link", "listed", "lost+found", "plain", "ro"}},
    };
    for (const Case& c : cases) {
        ListOptions o;
        o.ShowHidden = c.hidden;
        o.ShowSystem = c.system;
        o.ShowReadOnly = c.readOnly;
        QStringList names;
        for (const SubfolderEntry& e : ScanSubfolders(rig.drive(), o)) {
            names.append(e.name);
            EXPECT_EQ(e.attr, attrs.value(e.name)) << e.name.toStdString();
        }
        names.sort();
        EXPECT_EQ(names, c.names) << c.hidden << c.system << c.readOnly;
    }
    EXPECT_TRUE(ScanSubfolders(rig.at("missing"), {}).empty());
    EXPECT_TRUE(ScanSubfolders(QString(), {}).empty());
}

TEST(FolderTree, RootIsTheDriveWithItsDisplayNameAndFoldersKeyedByPath) {
    TreeRig rig;
    rig.mkdirs({"Movies/2003", "Music"});
    rig.tree->BuildDriveTree(rig.at("Movies/2003"));

    ASSERT_EQ(rig.widget->topLevelItemCount(), 1);
    const QTreeWidgetItem* root = rig.tree->RootNode();
    EXPECT_EQ(FolderTree::NodeKey(root), rig.drive());
    EXPECT_EQ(root->text(0), QStringLiteral("ローカル ディスク (") + rig.drive() + QLatin1Char(')'));
    EXPECT_EQ(ImageKey(root), QStringLiteral("ICON:drive-harddisk"));
    EXPECT_TRUE(rig.icons.contains(ImageKey(root)));
    EXPECT_EQ(TreeRig::captions(root), (QStringList{"Movies", "Music"}));
    EXPECT_EQ(FolderTree::NodeKey(root->child(0)), rig.at("Movies"));
    EXPECT_EQ(ImageKey(root->child(0)), QStringLiteral("FolderClose98"));
    // Nothing is selected until a path is selected.
    EXPECT_EQ(rig.tree->GetTreeViewKey(), QString());
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());

    ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), rig.drive(), true));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.drive());
    EXPECT_TRUE(rig.tree->RootNode()->isExpanded());
}

TEST(FolderTree, ANetworkDriveShowsItsKind) {
    TreeRig rig;
    const QString nas = rig.dir.mkdir("nas");
    rig.addMount({nas, "nfs4", "srv:/export", "0:60", {}});
    rig.tree->BuildDriveTree(nas + "/x");
    EXPECT_EQ(rig.tree->RootNode()->text(0), QStringLiteral("ネットワーク ドライブ (") + nas + ")");
    EXPECT_EQ(ImageKey(rig.tree->RootNode()), QStringLiteral("ICON:folder-remote"));
    EXPECT_EQ(rig.widget->topLevelItemCount(), 1);
}

TEST(FolderTree, ExpansionKeepsExactlyOneLevelAhead) {
    TreeRig rig;
    rig.mkdirs({"a/b/c/d", "e"});
    rig.tree->BuildDriveTree(rig.drive());
    QTreeWidgetItem* a = rig.node(rig.at("a"));
    ASSERT_NE(a, nullptr);
    // Whether a folder has folders is known before it opens; what they are is read when it does.
    EXPECT_TRUE(FolderTree::HasExpandMark(a));
    EXPECT_FALSE(FolderTree::HasExpandMark(rig.node(rig.at("e"))));
    EXPECT_EQ(a->childCount(), 0);

    rig.tree->RootNode()->setExpanded(true);
    a->setExpanded(true);
    EXPECT_EQ(ImageKey(a), QStringLiteral("FolderOpen98"));
    ASSERT_EQ(TreeRig::captions(a), QStringList{"b"});
    EXPECT_TRUE(FolderTree::HasExpandMark(rig.node(rig.at("a/b"))));
    EXPECT_EQ(rig.node(rig.at("a/b"))->childCount(), 0);
    EXPECT_FALSE(rig.tree->state().TreeExpanding);

    // Closing and opening again adds nothing twice and reads nothing again.
    a->setExpanded(false);
    EXPECT_EQ(ImageKey(a), QStringLiteral("FolderClose98"));
    EXPECT_TRUE(rig.tree->state().IgnoreNextTreeClick);
    rig.mkdirs({"a/x"});
    a->setExpanded(true);
    EXPECT_EQ(TreeRig::captions(a), QStringList{"b"});
    EXPECT_EQ(rig.levelReads().count(rig.at("a")), 1);
    rig.node(rig.at("a/b"))->setExpanded(true);
    EXPECT_EQ(TreeRig::captions(rig.node(rig.at("a/b"))), QStringList{"c"});
}

TEST(FolderTree, AdmissionDecidesNodesColoursAndImages) {
    struct Case {
        int16_t hidden, system, readOnly;
        QStringList captions;
    };
    // Each switch on its own is the scanner's business; here: nodes, colours and pictures.
    const Case cases[] = {
        {0, 0, 0, {"plain"}},
        {1,
         1,
         1,
         {".cache", "Favorites", "lost+found", "My Music", "My Pictures", "My Videos", "plain", "ro",
          "veiled"}},
    };
    for (const Case& c : cases) {
        TreeRig rig;
        rig.mkdirs({"plain", ".cache", "veiled", "lost+found"});
        for (const char* ro : {"My Music", "My Pictures", "My Videos", "Favorites", "ro"})
            rig.mkReadOnly(ro);
        rig.dir.write("drive/.hidden", "veiled\nlost+found\n");
        rig.settings.ShowHidden = c.hidden;
        rig.settings.ShowSystem = c.system;
        rig.settings.ShowReadOnly = c.readOnly;
        rig.tree->BuildDriveTree(rig.drive());
        const QTreeWidgetItem* root = rig.tree->RootNode();
        EXPECT_EQ(TreeRig::captions(root), c.captions) << c.hidden << c.system << c.readOnly;

        for (int i = 0; i < root->childCount(); ++i) {
            const QTreeWidgetItem* n = root->child(i);
            const QString name = n->text(0);
            if (name == QLatin1String("lost+found"))
                EXPECT_EQ(Colour(n), QColor(0, 0, 192)); // listed as hidden too: system decides
            else if (name == QLatin1String(".cache") || name == QLatin1String("veiled"))
                EXPECT_EQ(Colour(n), QColor(128, 0, 128));
            else if (name != QLatin1String("plain"))
                EXPECT_EQ(Colour(n), QColor(0, 128, 0)) << name.toStdString();
            else
                EXPECT_EQ(n->data(0, Qt::ForegroundRole), QVariant()); // the theme's text colour
        }
        if (c.readOnly) {
            // The set without pictures of its own shows music and videos as plain folders.
            EXPECT_EQ(ImageKey(rig.node(rig.at("My Music"))), QStringLiteral("FolderClose98"));
            EXPECT_EQ(ImageKey(rig.node(rig.at("My Pictures"))), QStringLiteral("MyPicture98"));
            EXPECT_EQ(ImageKey(rig.node(rig.at("Favorites"))), QStringLiteral("Favorites98"));
            EXPECT_EQ(ImageKey(rig.node(rig.at("ro"))), QStringLiteral("FolderClose98"));
        }
    }
}

TEST(FolderTree, ASpecialPictureSurvivesOpeningAndClosing) {
    TreeRig rig;
    rig.mkdirs({"My Pictures/2004/summer"});
    rig.mkReadOnly("My Pictures");
    rig.settings.ShowReadOnly = 1;
    rig.tree->BuildDriveTree(rig.drive());
    rig.tree->RootNode()->setExpanded(true);
    QTreeWidgetItem* pictures = rig.node(rig.at("My Pictures"));
    ASSERT_NE(pictures, nullptr);
    pictures->setExpanded(true);
    EXPECT_EQ(ImageKey(pictures), QStringLiteral("MyPicture98"));
    EXPECT_EQ(TreeRig::captions(pictures), QStringList{"2004"});
    EXPECT_TRUE(FolderTree::HasExpandMark(rig.node(rig.at("My Pictures/2004"))));
    pictures->setExpanded(false);
    EXPECT_EQ(ImageKey(pictures), QStringLiteral("MyPicture98"));
}

TEST(FolderTree, ChildrenInCaptionOrderWithoutRegardToCase) {
    TreeRig rig;
    rig.mkdirs({"beta", "Alpha", "alpha2", "Gamma", "_x", "delta", "b", "B"});
    rig.tree->BuildDriveTree(rig.drive());
    const QStringList expected{"_x", "Alpha", "alpha2", "B", "b", "beta", "delta", "Gamma"};
    EXPECT_EQ(TreeRig::captions(rig.tree->RootNode()), expected);

    // Nodes added later, one by one, keep the order.
    ASSERT_NE(rig.tree->AddFolderNode(rig.drive(), "Charlie"), nullptr);
    ASSERT_NE(rig.tree->AddFolderNode(rig.drive(), "zeta"), nullptr);
    EXPECT_EQ(rig.tree->AddFolderNode(rig.drive(), "Charlie"), rig.node(rig.at("Charlie")));
    EXPECT_EQ(TreeRig::captions(rig.tree->RootNode()),
              (QStringList{"_x", "Alpha", "alpha2", "B", "b", "beta", "Charlie", "delta", "Gamma", "zeta"}));
    EXPECT_EQ(rig.tree->AddFolderNode(rig.at("nowhere"), "x"), nullptr);

    // Keys are case-sensitive: "B" and "b" are two folders.
    EXPECT_NE(rig.node(rig.at("B")), rig.node(rig.at("b")));
    EXPECT_TRUE(rig.tree->RemoveNode(rig.at("B")));
    EXPECT_EQ(rig.node(rig.at("B")), nullptr);
    EXPECT_NE(rig.node(rig.at("b")), nullptr);
    EXPECT_FALSE(rig.tree->RemoveNode(rig.at("B")));
}

TEST(FolderTree, SelectTreePathOpensTheWayAndMarksTheFolderBoldBlue) {
    TreeRig rig;
    rig.mkdirs({"movies/a/inner/deep", "movies/other", "z"});
    rig.tree->BuildDriveTree(rig.drive());

    ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), rig.at("movies/a"), false));
    QTreeWidgetItem* a = rig.node(rig.at("movies/a"));
    EXPECT_TRUE(rig.tree->RootNode()->isExpanded());
    EXPECT_TRUE(rig.node(rig.at("movies"))->isExpanded());
    EXPECT_FALSE(a->isExpanded()); // the last part is left closed without the flag
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.at("movies/a"));
    EXPECT_TRUE(FolderTree::HasExpandMark(a)); // it is known to have folders
    EXPECT_EQ(TreeRig::captions(rig.node(rig.at("movies"))), (QStringList{"a", "other"}));
    EXPECT_TRUE(Bold(a));
    EXPECT_EQ(Colour(a), QColor(0, 0, 255));

    ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), rig.at("movies/a/inner"), true));
    QTreeWidgetItem* inner = rig.node(rig.at("movies/a/inner"));
    EXPECT_TRUE(inner->isExpanded());
    EXPECT_EQ(TreeRig::captions(inner), QStringList{"deep"});
    EXPECT_FALSE(FolderTree::HasExpandMark(rig.node(rig.at("movies/a/inner/deep"))));
    EXPECT_TRUE(Bold(a)); // the mark stays

    // The root written as a folder opens whatever the flag says.
    rig.tree->BuildDriveTree(rig.drive());
    ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), rig.drive() + "/", false));
    EXPECT_EQ(rig.tree->GetTreeViewKey(), rig.drive());
    EXPECT_TRUE(rig.tree->RootNode()->isExpanded());
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());
}

TEST(FolderTree, APathThroughAHiddenFolderEndsInTheErrorBox) {
    TreeRig rig;
    rig.mkdirs({".secret/inside", "open"});
    rig.tree->BuildDriveTree(rig.drive());
    EXPECT_FALSE(rig.tree->SelectTreePath(rig.drive(), rig.at(".secret/inside"), true));
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text, ComposeErrorMessage(ErrorCode::PathNotFound));
    EXPECT_EQ(rig.prompts.boxes[0].caption, QStringLiteral("TobimaruMeエラー"));
    EXPECT_EQ(rig.prompts.boxes[0].icon, PromptIcon::Critical);
    // Opened as far as it got.
    EXPECT_TRUE(rig.tree->RootNode()->isExpanded());
    EXPECT_EQ(rig.tree->GetTreeViewKey(), QString());

    rig.prompts.clear();
    EXPECT_FALSE(rig.tree->SelectTreePath(rig.drive(), rig.dir.path() + "/elsewhere", true));
    EXPECT_EQ(rig.prompts.boxes.size(), 1);
}

TEST(FolderTree, PlayedFolderTurnsBoldRedUnlessAlreadyMarked) {
    TreeRig rig;
    rig.mkdirs({"a", "b"});
    rig.tree->BuildDriveTree(rig.drive());
    rig.widget->setCurrentItem(rig.node(rig.at("a")));
    rig.tree->MarkPlayedFolder();
    EXPECT_TRUE(Bold(rig.node(rig.at("a"))));
    EXPECT_EQ(Colour(rig.node(rig.at("a"))), QColor(255, 0, 0));

    ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), rig.at("b"), true));
    rig.tree->MarkPlayedFolder();
    EXPECT_EQ(Colour(rig.node(rig.at("b"))), QColor(0, 0, 255));
    ASSERT_TRUE(rig.tree->SelectTreePath(rig.drive(), rig.at("a"), true));
    EXPECT_EQ(Colour(rig.node(rig.at("a"))), QColor(255, 0, 0));
}

TEST(FolderTree, DropHighlightAndItsKey) {
    TreeRig rig;
    rig.mkdirs({"a"});
    rig.tree->BuildDriveTree(rig.drive());
    EXPECT_EQ(rig.tree->GetActiveTreeViewKey(), QString());
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text, ComposeErrorMessage(ErrorCode::ObjectNotSet));

    rig.tree->SetDropHighlight(rig.node(rig.at("a")));
    EXPECT_EQ(rig.tree->GetActiveTreeViewKey(), rig.at("a"));
    rig.tree->RemoveNode(rig.at("a"));
    EXPECT_EQ(rig.tree->DropHighlight(), nullptr);
}

TEST(FolderTree, NetworkMountInsideTheTreeIsAskedBeforeItIsReadAhead) {
    for (const bool alive : {true, false}) {
        TreeRig rig;
        rig.mkdirs({"nas/share/inner", "local/sub"});
        rig.addMount({rig.at("nas"), "cifs", "//srv/share", "0:61", {}});
        if (!alive)
            rig.setDead(rig.at("nas"));
        rig.tree->BuildDriveTree(rig.drive());
        rig.tree->RootNode()->setExpanded(true);
        EXPECT_TRUE(FolderTree::HasExpandMark(rig.node(rig.at("local"))));
        // A mount that does not answer at a glance is not looked into: it shows no mark.
        EXPECT_EQ(FolderTree::HasExpandMark(rig.node(rig.at("nas"))), alive) << alive;
    }
}

TEST(FolderTree, FoldersWhoseNamesAreNotUtf8GetNodesOfTheirOwnAndOpen) {
    TreeRig rig;
    rig.mkdirs({"a"});
    // Latin-1 "été" and "ete" with è: two folders Qt alone would show and key the same way.
    const QByteArray drive = EncodeFileName(rig.drive());
    for (const QByteArray& name :
         {QByteArray("a/\xE9t\xE9"), QByteArray("a/\xE8t\xE8"), QByteArray("a/\xE9t\xE9/in")})
        ASSERT_EQ(::mkdir(drive + '/' + name, 0755), 0);
    const QString first = DecodeFileName(drive + "/a/\xE9t\xE9");
    const QString second = DecodeFileName(drive + "/a/\xE8t\xE8");
    rig.tree->BuildDriveTree(rig.drive());
    rig.tree->RootNode()->setExpanded(true);
    rig.node(rig.at("a"))->setExpanded(true);
    QTreeWidgetItem* one = rig.node(first);
    QTreeWidgetItem* two = rig.node(second);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    EXPECT_EQ(one->text(0), QStringLiteral("\uFFFDt\uFFFD"));
    one->setExpanded(true);
    EXPECT_EQ(TreeRig::captions(one), QStringList{"in"});
    EXPECT_NE(rig.node(first + QStringLiteral("/in")), nullptr);
}
