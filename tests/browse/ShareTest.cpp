// A folder on a slow share, for real: tests/support/hanging_fuse.py passes a local folder through
// FUSE, logs every call, and can stop answering mid-way.

#include "browse/DirectoryRead.h"
#include "browse/Drives.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "browse/SubfolderScan.h"
#include "support/FakePrompts.h"
#include "support/HangingFuse.h"
#include "support/LateRelease.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tobimaru;
using test::HangingFuse;
using test::TempDir;

namespace {

// A folder "media" of 300 entries under the source: clips of listed types, other files, folders
// (some holding a folder of their own), a read-only "My Music", hidden names, links.
void MakeMedia(const TempDir& source) {
    source.mkdir(QStringLiteral("media"));
    for (int i = 0; i < 100; ++i)
        source.write(QStringLiteral("media/clip%1.avi").arg(i, 3, 10, QLatin1Char('0')), QByteArray(i, 'x'));
    for (int i = 0; i < 160; ++i)
        source.write(QStringLiteral("media/note%1.txt").arg(i, 3, 10, QLatin1Char('0')), "n");
    for (int i = 0; i < 30; ++i) {
        const QString folder = QStringLiteral("media/folder%1").arg(i, 2, 10, QLatin1Char('0'));
        source.mkdir(i % 2 ? folder + QStringLiteral("/inner") : folder);
    }
    source.mkdir(QStringLiteral("media/My Music"));
    ::chmod(QFile::encodeName(source.file(QStringLiteral("media/My Music"))).constData(), 0555);
    source.write(QStringLiteral("media/.secret.avi"), "s");
    source.write(QStringLiteral("media/.hidden"), "note000.txt\nfolder01\n");
    ::symlink("folder02", QFile::encodeName(source.file(QStringLiteral("media/link to folder"))).constData());
    ::symlink("nowhere.avi",
              QFile::encodeName(source.file(QStringLiteral("media/dangling.avi"))).constData());
    source.mkdir(QStringLiteral("other"));
    source.write(QStringLiteral("other/x.avi"), "x");
}

struct Share {
    TempDir source;
    TempDir place;
    std::unique_ptr<HangingFuse> fuse;

    explicit Share(bool typeless, int delayMs = 0, bool open = true) {
        MakeMedia(source);
        HangingFuse::Options options;
        options.subtype = QStringLiteral("sshfs");
        options.source = source.path();
        options.delayMs = delayMs;
        options.typeless = typeless;
        options.startOpen = open;
        fuse = std::make_unique<HangingFuse>(place.mkdir(QStringLiteral("nas")), options);
        FolderMemo::ForgetAll(); // another test's answers are not this command's
    }
    QString at(const QString& relative) const { return fuse->mountPoint() + QLatin1Char('/') + relative; }
};

ListOptions Everything() {
    ListOptions o;
    o.FileViewMode = true;
    o.ShowFolders = true;
    o.ShowHidden = true;
    o.ShowSystem = true;
    o.ShowReadOnly = true;
    return o;
}

ListOptions Clips() {
    ListOptions o;
    o.ListPattern = QStringLiteral("*.avi;*.mpg");
    return o;
}

// A list view with its model, icons and prompts, as the window makes it.
struct ListRig {
    test::FakePrompts prompts;
    FileIcons icons;
    QTreeView view;
    FileListView list{&view, icons, prompts};
};

bool SameRows(const std::vector<ListRow>& a, const std::vector<ListRow>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].extension != b[i].extension || a[i].size != b[i].size ||
            a[i].modified != b[i].modified || a[i].attr != b[i].attr || a[i].folderImage != b[i].folderImage)
            return false;
    }
    return true;
}

} // namespace

TEST(Share, ItsRowsAndTreeLevelsAreThoseOfALocalCopy) {
    for (const bool typeless : {false, true}) {
        SCOPED_TRACE(typeless ? "typeless entries" : "typed entries");
        const Share share(typeless);
        if (!share.fuse->mounted())
            GTEST_SKIP() << share.fuse->whyNot().toStdString();
        const DriveModel drives = DriveModel::FromSystem();
        ListOptions plain; // hidden, system and read-only entries refused
        plain.ListPattern = QStringLiteral("*.avi;*.txt");
        for (const ListOptions& options : {Everything(), Clips(), plain}) {
            const ListResult there = ListFolderRows(share.at(QStringLiteral("media")), options);
            const ListResult here = ListFolderRows(share.source.file(QStringLiteral("media")), options);
            EXPECT_FALSE(here.rows.empty());
            EXPECT_TRUE(SameRows(there.rows, here.rows));
            EXPECT_EQ(there.complete, here.complete);

            const std::vector<TreeLevelEntry> level =
                ReadTreeLevel(share.at(QStringLiteral("media")), options, drives);
            const std::vector<TreeLevelEntry> local =
                ReadTreeLevel(share.source.file(QStringLiteral("media")), options, drives);
            ASSERT_EQ(level.size(), local.size());
            for (size_t i = 0; i < level.size(); ++i) {
                EXPECT_EQ(level[i].caption, local[i].caption);
                EXPECT_EQ(level[i].hasSubfolders, local[i].hasSubfolders) << level[i].caption.toStdString();
                EXPECT_EQ(level[i].entry.attr, local[i].entry.attr) << level[i].caption.toStdString();
                EXPECT_EQ(level[i].entry.image, local[i].entry.image) << level[i].caption.toStdString();
            }
            FolderMemo::ForgetAll();
        }
    }
}

TEST(Share, GoingToAFolderAsksEachOfItsFilesOnceAndTypedOnesOnlyWhenListed) {
    struct Case {
        bool typeless;
        int listedAsks;   ///< stats of a listed clip
        int unlistedAsks; ///< stats of a file the list does not show
    };
    // A stat through the kernel is two calls to the share: a lookup and a getattr.
    const Case cases[] = {{false, 2, 0}, {true, 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeless ? "typeless entries" : "typed entries");
        const Share share(c.typeless);
        if (!share.fuse->mounted())
            GTEST_SKIP() << share.fuse->whyNot().toStdString();
        const DriveModel drives = DriveModel::FromSystem();
        share.fuse->clearCalls();
        // What the tree and the list read when the user goes to "media": its parent's level (for
        // its expand mark), its own level, and its listing.
        ReadTreeLevel(share.fuse->mountPoint(), ListOptions(), drives);
        ReadTreeLevel(share.at(QStringLiteral("media")), ListOptions(), drives);
        const ListResult rows = ListFolderRows(share.at(QStringLiteral("media")), Clips());
        EXPECT_EQ(rows.rows.size(), 100u);

        const QHash<QString, int> asks = share.fuse->countsOf(QStringLiteral("getattr"));
        for (int i = 0; i < 100; ++i) {
            const QString clip = QStringLiteral("/media/clip%1.avi").arg(i, 3, 10, QLatin1Char('0'));
            EXPECT_EQ(asks.value(clip), c.listedAsks) << clip.toStdString();
        }
        for (int i = 0; i < 160; ++i) {
            const QString note = QStringLiteral("/media/note%1.txt").arg(i, 3, 10, QLatin1Char('0'));
            EXPECT_EQ(asks.value(note), c.unlistedAsks) << note.toStdString();
        }
    }
}

TEST(Share, AListingAbandonedByAChangeOfFolderDeliversNothingAndIsNotWaitedFor) {
    // The share does not answer at all: the first listing's worker is stuck in its first call.
    const Share share(false, 0, false);
    if (!share.fuse->mounted())
        GTEST_SKIP() << share.fuse->whyNot().toStdString();
    TempDir local;
    local.write(QStringLiteral("here.avi"), "h");
    ListRig rig;
    QSignalSpy resets(rig.list.model(), &QAbstractItemModel::modelReset);

    // The share answers again only after a while, from a thread of its own; a wait for the
    // abandoned listing would see it answer first.
    test::LateRelease late(*share.fuse, std::chrono::seconds(4));
    bool secondComplete = false;
    QTimer::singleShot(0, [&] { secondComplete = rig.list.ListFolder(local.path(), false, Clips()); });
    const bool firstComplete = rig.list.ListFolder(share.at(QStringLiteral("media")), false, Clips());
    const bool returnedBeforeTheShareAnswered = !late.released();
    late.stop();

    EXPECT_TRUE(returnedBeforeTheShareAnswered);
    EXPECT_FALSE(firstComplete);
    EXPECT_TRUE(secondComplete);
    EXPECT_EQ(rig.list.model()->folder(), local.path());
    EXPECT_EQ(rig.list.model()->rowCount(), 1);
    EXPECT_EQ(resets.count(), 1) << "the abandoned listing delivered rows";
}

TEST(Share, AShareThatStopsAnsweringMidListingLeavesTheWindowAnswering) {
    const Share share(true, 1);
    if (!share.fuse->mounted())
        GTEST_SKIP() << share.fuse->whyNot().toStdString();
    ListRig rig;
    // The share stops answering at the listing's first tick of the window's timers and answers
    // again at the third: the listing can only end if the window went on running them.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 1)
            share.fuse->hang();
        else if (ticks == 3)
            share.fuse->release();
    });
    timer.start(20);
    const bool complete = rig.list.ListFolder(share.at(QStringLiteral("media")), false, Clips());
    timer.stop();
    EXPECT_GE(ticks, 3);
    EXPECT_TRUE(complete);
    EXPECT_EQ(rig.list.model()->rowCount(), 100);
}
