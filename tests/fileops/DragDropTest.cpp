// Drops onto the tree and the list, made as the window system delivers them: drag events with
// the data of the tree's node drags, the list's row drags and other programs.
#include "FileOpsRig.h"

#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "browse/FolderTree.h"
#include "fileops/TreeDragDrop.h"
#include "support/ArchiveMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace tobimaru::test {
namespace {

using Snapshot = QMap<QString, QByteArray>;
constexpr Qt::DropActions kAll = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

struct DropRig : FileOpsRig {
    DropRig() {
        tree.window.resize(400, 700);
        tree.window.show();
    }
    QWidget* treePort() const { return tree.widget->viewport(); }
    QWidget* listPort() const { return view->viewport(); }
    QPoint posOf(const QString& key) const {
        QTreeWidgetItem* node = tree.node(key);
        return node ? tree.widget->visualItemRect(node).center() : QPoint(10, treePort()->height() - 3);
    }
    static std::unique_ptr<QMimeData> nodeData() {
        auto d = std::make_unique<QMimeData>();
        d->setData(TreeDragDrop::NodeMimeType(), QByteArray::number(QCoreApplication::applicationPid()));
        return d;
    }
    std::unique_ptr<QMimeData> rowData() const {
        return std::unique_ptr<QMimeData>(model().mimeData(view->selectionModel()->selectedRows()));
    }
    static std::unique_ptr<QMimeData> outside(const QList<QUrl>& urls) {
        auto d = std::make_unique<QMimeData>();
        d->setUrls(urls);
        return d;
    }
    /// Enters, moves over `pos` and drops there; true when the drop was taken. Waits for the drop
    /// to be carried out.
    bool dragAndDrop(QWidget* port, const QPoint& pos, const QMimeData* data) {
        QDragEnterEvent enter(pos, kAll, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(port, &enter);
        QDragMoveEvent move(pos, kAll, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(port, &move);
        QDropEvent drop(pos, kAll, data, Qt::LeftButton, Qt::NoModifier);
        QSignalSpy done(&ops->dragDrop(), &TreeDragDrop::dropDone);
        QCoreApplication::sendEvent(port, &drop);
        lastAction = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        if (drop.isAccepted()) {
            EXPECT_TRUE(done.wait(10000));
        }
        return drop.isAccepted();
    }
    void expectDragOver() const {
        const TreeState& s = tree.tree->state();
        EXPECT_FALSE(s.TreeDragStarted);
        EXPECT_TRUE(s.TreeJustClicked);
        EXPECT_EQ(tree.tree->DropHighlight(), nullptr);
        EXPECT_FALSE(timer2.isActive());
    }
    Qt::DropAction lastAction = Qt::IgnoreAction;
};

TEST(DragDrop, ANodeDroppedOnItselfOnItsParentOrOnEmptySpaceMovesNothing) {
    DropRig r;
    r.make({"a/x.txt", "b/"});
    r.open("a");
    r.tree.tree->state().TreeDragSource = r.at("a");
    const Snapshot before = FolderSnapshot(r.tree.drive());
    for (const QString& onto : {r.at("a"), r.tree.drive(), QString()}) {
        SCOPED_TRACE(onto.toStdString());
        EXPECT_TRUE(r.dragAndDrop(r.treePort(), r.posOf(onto), DropRig::nodeData().get()));
        EXPECT_EQ(FolderSnapshot(r.tree.drive()), before);
        EXPECT_NE(r.tree.node(r.at("a")), nullptr);
        r.expectDragOver();
    }
    EXPECT_TRUE(r.prompts.boxes.isEmpty());
}

TEST(DragDrop, ANodeDroppedOnAnotherMovesIntoItAndTheTreeFollows) {
    DropRig r;
    r.make({"a/x.txt", "b/"});
    r.open("a");
    r.tree.tree->state().TreeDragSource = r.at("a");

    EXPECT_TRUE(r.dragAndDrop(r.treePort(), r.posOf(r.at("b")), DropRig::nodeData().get()));

    EXPECT_EQ(ArchiveMaker::read(r.at("b/a/x.txt")), "a/x.txt");
    EXPECT_FALSE(QDir(r.at("a")).exists());
    EXPECT_EQ(r.tree.node(r.at("a")), nullptr);
    EXPECT_EQ(TreeRig::captions(r.tree.node(r.at("b"))), QStringList{"a"});
    EXPECT_FALSE(r.listedByOps.isEmpty());
    EXPECT_EQ(r.stops, 0);
    r.expectDragOver();
}

TEST(DragDrop, RowsDroppedOnANodeMoveIntoItsFolderAndRowsOnTheirOwnFolderStay) {
    DropRig r;
    r.make({"x.txt", "y.txt", "dest/"});
    r.open();
    r.select({"x.txt", "y.txt"});
    // What another program gets when the rows are dragged to it: the files themselves.
    EXPECT_TRUE(r.view->dragEnabled());
    EXPECT_EQ(r.rowData()->urls(),
              QList<QUrl>({QUrl::fromLocalFile(r.at("x.txt")), QUrl::fromLocalFile(r.at("y.txt"))}));
    const Snapshot before = FolderSnapshot(r.tree.drive());
    EXPECT_TRUE(r.dragAndDrop(r.treePort(), r.posOf(r.tree.drive()), r.rowData().get()));
    EXPECT_EQ(FolderSnapshot(r.tree.drive()), before) << "their own folder";

    EXPECT_TRUE(r.dragAndDrop(r.treePort(), r.posOf(r.at("dest")), r.rowData().get()));
    EXPECT_EQ(FolderSnapshot(r.at("dest")), Snapshot({{"x.txt", "x.txt"}, {"y.txt", "y.txt"}}));
    EXPECT_EQ(r.rowNames(), QStringList{"dest"});
    EXPECT_EQ(r.selectedNames(), QStringList{"dest"});
    EXPECT_EQ(r.stops, 0) << "no drop stops playback";
    r.expectDragOver();
}

TEST(DragDrop, RowsNamedInLatin1AndCp932DroppedOnANodeMove) {
    DropRig r;
    r.make({"dest/"});
    const QString latin1 = r.tree.dir.writeBytes("drive/\xE9t\xE9.mp3", "latin-1");
    const QString cp932 =
        r.tree.dir.writeBytes("drive/" + ArchiveMaker::cp932(QStringLiteral("歌.mp3")), "cp932");
    r.open();
    const QString a = GetFileNamePart(latin1);
    const QString b = GetFileNamePart(cp932);
    r.select({a, b});

    EXPECT_TRUE(r.dragAndDrop(r.treePort(), r.posOf(r.at("dest")), r.rowData().get()));

    EXPECT_TRUE(r.prompts.boxes.isEmpty()) << r.prompts.texts().join("|").toStdString();
    EXPECT_EQ(FolderSnapshot(r.at("dest")), Snapshot({{a, "latin-1"}, {b, "cp932"}}));
    EXPECT_EQ(r.rowNames(), QStringList{"dest"});
}

TEST(DragDrop, OneEntryFromAnotherProgramGoesToItsFolderAndSeveralAreRefused) {
    const struct {
        QStringList entries; ///< relative to the drive; "http:" for a web address
        QString goesTo;      ///< "" when refused
    } rows[] = {
        {{"music/one.mp3"}, "music"},
        {{"music"}, "music"},
        {{"music/one.mp3", "music/two.mp3", "music/three.mp3"}, ""},
        {{"http:"}, ""},
        {{"cp932"}, "cp932"},
    };
    // A folder named in CP932, its address carrying the name's own bytes.
    const QByteArray album = ArchiveMaker::cp932(QStringLiteral("アルバム"));
    const QString albumText = DecodeFileName(album);
    for (const bool onTree : {true, false}) {
        for (const auto& row : rows) {
            SCOPED_TRACE((row.entries.join(",") + (onTree ? " on the tree" : " on the list")).toStdString());
            DropRig r;
            r.make({"music/one.mp3", "music/two.mp3", "music/three.mp3"});
            r.tree.dir.mkdirBytes("drive/" + album);
            r.open();
            const auto relative = [&](const QString& e) { return e == "cp932" ? albumText : e; };
            QList<QUrl> urls;
            for (const QString& e : row.entries)
                urls << (e == "http:"
                             ? QUrl("https://example.com/a.mp3")
                             : QUrl::fromEncoded("file://" +
                                                 EncodeFileName(r.at(relative(e))).toPercentEncoding("/")));
            const Snapshot before = FolderSnapshot(r.tree.drive());
            const bool taken = r.dragAndDrop(onTree ? r.treePort() : r.listPort(), QPoint(20, 20),
                                             DropRig::outside(urls).get());
            EXPECT_EQ(taken, !row.goesTo.isEmpty());
            EXPECT_NE(r.lastAction, Qt::MoveAction) << "another program is never told its files moved";
            EXPECT_EQ(r.tree.tree->GetTreeViewKey(),
                      row.goesTo.isEmpty() ? r.tree.drive() : r.at(relative(row.goesTo)));
            EXPECT_EQ(FolderSnapshot(r.tree.drive()), before) << "nothing is copied or moved";
            EXPECT_TRUE(r.prompts.boxes.isEmpty()) << r.prompts.texts().join("|").toStdString();
        }
    }
}

TEST(DragDrop, ANodeWithSubfoldersOpensAfterTheHoverAndOneWithoutDoesNot) {
    DropRig r;
    r.make({"a/b/c/", "d/"});
    r.open();
    auto data = DropRig::nodeData();
    QDragEnterEvent enter(r.posOf(r.at("d")), kAll, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(r.treePort(), &enter);
    EXPECT_FALSE(r.timer2.isActive()) << "d has no subfolders";

    QDragMoveEvent over(r.posOf(r.at("a")), kAll, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(r.treePort(), &over);
    EXPECT_TRUE(r.timer2.isActive());
    EXPECT_EQ(r.timer2.interval(), 1000);
    EXPECT_EQ(r.tree.tree->DropHighlight(), r.tree.node(r.at("a")));
    ASSERT_FALSE(r.tree.node(r.at("a"))->isExpanded());

    r.ops->dragDrop().Timer2_Timer();
    EXPECT_TRUE(r.tree.node(r.at("a"))->isExpanded());
    EXPECT_EQ(TreeRig::captions(r.tree.node(r.at("a"))), QStringList{"b"}) << "opened and filled";
    EXPECT_TRUE(FolderTree::HasExpandMark(r.tree.node(r.at("a/b"))));
    EXPECT_TRUE(r.tree.tree->state().TreeDragStarted) << "the drag goes on";
}

} // namespace
} // namespace tobimaru::test
