// The desktop's trash under a temporary data folder, and a tmpfs volume with a trash of its own.
#include "platform/Trash.h"
#include "platform/RemoveTree.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"
#include "support/TrashHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru::test {
namespace {

QString VolumeTrash(const QString& volume) {
    return volume + QStringLiteral("/.Trash-%1").arg(::geteuid());
}

TEST(Trash, AnEntryGoesToTheHomeTrashWithWhereItCameFrom) {
    TrashHome home;
    TempDir dir;
    DesktopTrash trash;
    const QString file = dir.write("clip.avi", "x");
    const QString folder = dir.mkdir("album");
    dir.write("album/a.jpg", "a");
    QString reason;
    for (const QString& path : {file, folder})
        EXPECT_TRUE(trash.moveToTrash(path, &reason)) << reason.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(QFile::exists(folder));
    EXPECT_EQ(home.files(), QStringList({"album", "clip.avi"}));
    EXPECT_EQ(home.originalPath("clip.avi"), file);
    EXPECT_EQ(ArchiveMaker::read(home.trash() + "/files/album/a.jpg"), "a");
    EXPECT_TRUE(trash.trashFolders().contains(home.trash()));
}

TEST(Trash, AMissingDataFolderIsMadeRatherThanATrashInTheCurrentFolder) {
    TrashHome home;
    TempDir dir;
    DesktopTrash trash;
    // Qt 6.4 alone would file the entry below the current folder and call it done.
    const QString deeper = dir.file("not/yet/there");
    qputenv("XDG_DATA_HOME", QFile::encodeName(deeper));
    const QString file = dir.write("a.txt", "a");
    QString reason;
    EXPECT_TRUE(trash.moveToTrash(file, &reason)) << reason.toStdString();
    EXPECT_TRUE(QFile::exists(deeper + "/Trash/files/a.txt"));
    EXPECT_FALSE(QFile::exists("files/a.txt"));
}

TEST(Trash, AVolumeKeepsItsOwnTrashAndAnEntryThatCannotGoThereStays) {
    SmallDisk disk(1 << 20);
    if (!disk.mounted())
        GTEST_SKIP() << "a tmpfs stands for another volume (run as root): " << disk.error().toStdString();
    TrashHome home;
    DesktopTrash trash;
    QString reason;
    const QString file = disk.path() + "/on-volume.txt";
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(trash.moveToTrash(file, &reason)) << reason.toStdString();
    EXPECT_EQ(VolumeTrashFiles(disk.path()), QStringList{"on-volume.txt"});
    EXPECT_TRUE(trash.trashFolders().contains(VolumeTrash(disk.path())));

    // No trash can be made on the volume (its name is taken by a file), and the home trash is
    // on another file system: the entry stays.
    ASSERT_TRUE(RemoveTree(VolumeTrash(disk.path())));
    QFile(VolumeTrash(disk.path())).open(QIODevice::WriteOnly);
    const QString stays = disk.path() + "/stays.txt";
    QFile(stays).open(QIODevice::WriteOnly);
    EXPECT_FALSE(trash.moveToTrash(stays, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_TRUE(QFile::exists(stays));
    EXPECT_TRUE(NoTrash().trashFolders().isEmpty());
    EXPECT_FALSE(NoTrash().moveToTrash(stays, &reason));
    EXPECT_TRUE(QFile::exists(stays));
}

TEST(Trash, EmptyingRemovesALinkInsideWithoutFollowingIt) {
    TrashHome home;
    TempDir outside;
    const QString precious = outside.write("precious/keep.txt", "keep");
    const QString files = home.trash() + "/files";
    QDir().mkpath(files + "/old/locked");
    QDir().mkpath(home.trash() + "/info");
    QFile(home.trash() + "/info/old.trashinfo").open(QIODevice::WriteOnly);
    QFile(home.trash() + "/directorysizes").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(outside.file("precious"), files + "/link-to-folder"));
    ASSERT_TRUE(QFile::link(precious, files + "/old/link-to-file"));
    QFile(files + "/old/locked/a.txt").open(QIODevice::WriteOnly);
    ::chmod(QFile::encodeName(files + "/old/locked").constData(), 0500);

    QStringList failures;
    EXPECT_TRUE(EmptyTrashFolders(DesktopTrash().trashFolders(), nullptr, &failures))
        << failures.join("; ").toStdString();
    EXPECT_TRUE(home.files().isEmpty());
    EXPECT_TRUE(QDir(home.trash() + "/info").isEmpty());
    EXPECT_FALSE(QFile::exists(home.trash() + "/directorysizes"));
    EXPECT_TRUE(QDir(files).exists()) << "the trash itself stays";
    EXPECT_EQ(FolderSnapshot(outside.path()),
              (QMap<QString, QByteArray>{{"precious", "<dir>"}, {"precious/keep.txt", "keep"}}));
}

} // namespace
} // namespace tobimaru::test
