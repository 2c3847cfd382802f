// The user's input while a folder on a slow share is listed, over the whole window: a click on
// another folder of the tree ends the wait for the listing at once; everything else waits for it
// and comes afterwards, in order. Once with Qt's own test input (offscreen), once with input from
// an X server (Xvfb), which Qt leaves with the window system while a wait keeps input out.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "browse/DirectoryRead.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "browse/TreeNodeRoles.h"
#include "support/HangingFuse.h"
#include "support/LateRelease.h"
#include "support/TempDir.h"
#include "support/XTestInput.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWindow>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace tobimaru;
using namespace tobimaru::test;

namespace {

/// How the test's hand reaches the window. `click` is handled before it returns; the rest is
/// made inside the program's wait (from its timer) and left for that wait's loop.
struct Hand {
    std::function<void(QPoint global)> click;
    std::function<void(QPoint global)> clickNow;
    std::function<void(Qt::Key key, const char* keysym)> keyNow;
};

/// The window over a share whose calls take a millisecond each: its folder "big" holds 300
/// clips. Beside it a local folder of three clips. Both hang under a root node of the tree,
/// which is the folder listed at first. Every listing the list shows and every command run is
/// noted, in order.
struct SlowShareRig {
    WindowRig w;
    TempDir source;
    TempDir place;
    TempDir start;
    TempDir here;
    std::unique_ptr<HangingFuse> fuse;
    QTreeWidgetItem* big = nullptr;
    QTreeWidgetItem* local = nullptr;
    QStringList log;

    SlowShareRig() {
        source.mkdir(QStringLiteral("big"));
        for (int i = 0; i < 300; ++i)
            source.write(QStringLiteral("big/clip%1.avi").arg(i, 3, 10, QLatin1Char('0')), "c");
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            here.write(QString::fromLatin1(name), "h");
        start.write(QStringLiteral("first.avi"), "f");
        HangingFuse::Options options;
        options.subtype = QStringLiteral("sshfs");
        options.source = source.path();
        options.delayMs = 1;
        options.startOpen = true;
        fuse = std::make_unique<HangingFuse>(place.mkdir(QStringLiteral("nas")), options);
        FolderMemo::ForgetAll();
    }

    void open() {
        w.start();
        QTreeWidget* tree = w.form->TreeView1();
        w.selectTreeNode(start.path());
        QTreeWidgetItem* root = tree->currentItem();
        big = child(root, fuse->mountPoint() + QStringLiteral("/big"));
        local = child(root, here.path());
        root->setExpanded(true);
        tree->scrollToItem(local);
        w.form->fileList().ListFolder(start.path(), false, MakeListOptions(w.form->settings(), false));
        QObject::connect(w.form->fileList().model(), &QAbstractItemModel::modelReset, w.form.get(),
                         [this] { log << QStringLiteral("list ") + w.form->fileList().model()->folder(); });
        w.form->commands().setObserver([this](CommandId id) { log << id.toString(); });
    }

    static QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& key) {
        auto* item = new QTreeWidgetItem(parent, {key.section(QLatin1Char('/'), -1)});
        item->setData(0, NodeKeyRole, key);
        return item;
    }

    /// Whether the share has been asked about a clip of its big folder.
    bool listingBig() const {
        const QHash<QString, int> asks = fuse->countsOf(QStringLiteral("getattr"));
        for (auto it = asks.begin(); it != asks.end(); ++it)
            if (it.key().startsWith(QLatin1String("/big/clip")))
                return true;
        return false;
    }

    /// The middle of a node's caption, in screen coordinates.
    QPoint centre(QTreeWidgetItem* node) const {
        QTreeWidget* tree = w.form->TreeView1();
        return tree->viewport()->mapToGlobal(tree->visualItemRect(node).center());
    }
};

/// Clicks the share's folder; while its listing waits for the share, which stops answering
/// mid-way, clicks the local folder and presses F9 (a key of the window's key table) and F1
/// (the shortcut of the mute item). `returnedMark` notes when the first click came back, where
/// the hand's click returns straight after the program does.
void ClickAwayFromASlowListing(const std::function<Hand(QWindow*)>& handFor, bool returnedMark) {
    SlowShareRig rig;
    if (!rig.fuse->mounted())
        GTEST_SKIP() << rig.fuse->whyNot().toStdString();
    rig.open();
    const Hand hand = handFor(rig.w.form->windowHandle());
    const QString address = rig.w.form->ImageCombo1()->currentText();

    // Should the listing wait for the share, the share answers again only after a while.
    test::LateRelease late(*rig.fuse, std::chrono::seconds(5));
    // The hand moves once the share is asked about the clips: the listing is under way (the
    // tree's reads and the drive's probe ask about none).
    bool moved = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (moved || !rig.listingBig())
            return;
        moved = true;
        rig.fuse->hang();
        hand.clickNow(rig.centre(rig.local));
        hand.keyNow(Qt::Key_F9, "F9");
        hand.keyNow(Qt::Key_F1, "F1");
    });
    watch.start(5);
    hand.click(rig.centre(rig.big));
    watch.stop();
    const bool returnedBeforeTheShareAnswered = !late.released();
    if (returnedMark)
        rig.log << QStringLiteral("returned");
    QStringList expected{QStringLiteral("list ") + rig.here.path(), cmd::RepeatByKey.toString(),
                         cmd::OptionMute.toString()};
    if (returnedMark)
        expected.prepend(QStringLiteral("returned"));
    (void)QTest::qWaitFor([&] { return rig.log.size() >= expected.size(); }, 2000);
    late.stop();

    ASSERT_TRUE(moved) << "the listing of the share's folder was never under way";
    EXPECT_TRUE(returnedBeforeTheShareAnswered) << "the click on the other folder waited for the share";
    EXPECT_EQ(rig.log, expected) << "the abandoned listing showed rows, or the input came out of order";
    QTreeWidget* tree = rig.w.form->TreeView1();
    EXPECT_EQ(tree->currentItem(), rig.local);
    EXPECT_TRUE(tree->hasFocus()) << "the click did not give the tree the focus";
    EXPECT_EQ(rig.w.form->ImageCombo1()->currentText(), address);
    const FileListModel* model = rig.w.form->fileList().model();
    EXPECT_EQ(model->folder(), rig.here.path());
    EXPECT_EQ(model->rowCount(), 3);
}

bool NeedsX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

TEST(ListingInput, AClickOnAnotherFolderEndsTheWaitAndTheKeysComeAfterIt) {
    ClickAwayFromASlowListing(
        [](QWindow* window) {
            // Qt's entry for the window system's input, without QTest's turn of the event loop
            // after each event: the click on the share's folder must come back before anything
            // that followed it is handed on.
            Hand hand;
            hand.click = [window](QPoint global) {
                static int time = 0;
                const QPointF pos = window->mapFromGlobal(QPointF(global));
                for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                    const Qt::MouseButtons held =
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
                    time += 1000; // never a double click
                    qt_handleMouseEvent(window, pos, QPointF(global), held, Qt::LeftButton, type,
                                        Qt::NoModifier, time);
                }
            };
            hand.clickNow = hand.click;
            hand.keyNow = [window](Qt::Key key, const char*) {
                qt_handleKeyEvent(window, QEvent::KeyPress, key, Qt::NoModifier);
                qt_handleKeyEvent(window, QEvent::KeyRelease, key, Qt::NoModifier);
            };
            return hand;
        },
        true);
}

TEST(X11Window, AClickOnAnotherFolderEndsTheWaitForASlowShare) {
    if (!NeedsX11())
        GTEST_SKIP() << "needs an X server (run under Xvfb with QT_QPA_PLATFORM=xcb)";
    XTestInput input;
    if (!input.available())
        GTEST_SKIP() << "libXtst.so.6 makes the input";
    // The first click comes back only after the program has handled what followed it: no mark.
    ClickAwayFromASlowListing(
        [&input](QWindow*) {
            Hand hand;
            hand.click = [&input](QPoint global) { input.click(global); };
            hand.clickNow = [&input](QPoint global) { input.clickNow(global); };
            hand.keyNow = [&input](Qt::Key, const char* keysym) { input.keyNow(keysym); };
            return hand;
        },
        false);
}
