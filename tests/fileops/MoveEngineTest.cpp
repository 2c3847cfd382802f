// Moves within one file system and onto a small tmpfs (root only; skipped with the reason
// otherwise), over real folders, with the real trash under a temporary data folder.
#include "fileops/MoveEngine.h"
#include "fileops/JobControl.h"
#include "platform/Trash.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"
#include "support/TrashHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

namespace tobimaru::test {
namespace {

using Snapshot = QMap<QString, QByteArray>;

QByteArray Bytes(int size, char seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 31 + (i >> 9));
    return b;
}

void SetTimeAndMode(const QString& path, time_t seconds, mode_t mode) {
    const struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), times), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

struct Stat {
    mode_t mode;
    time_t mtime;
};
Stat StatOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return {mode_t(st.st_mode & 07777), st.st_mtim.tv_sec};
}

/// A source folder and a destination, either beside it or on a tmpfs of their own.
class Moves : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (across()) {
            if (!m_disk.mounted())
                GTEST_SKIP() << "a small tmpfs stands for the second file system (run as root): "
                             << m_disk.error().toStdString();
            m_dest = m_disk.path() + QStringLiteral("/dest");
        } else {
            m_dest = m_dir.file(QStringLiteral("dest"));
        }
        ASSERT_TRUE(QDir().mkpath(m_dest));
        m_src = m_dir.mkdir(QStringLiteral("src"));
    }
    bool across() const { return GetParam(); }
    QString src(const QString& name) const { return m_src + QLatin1Char('/') + name; }
    QString dest(const QString& name) const { return m_dest + QLatin1Char('/') + name; }
    MoveReport move(const QStringList& names) {
        QStringList sources;
        for (const QString& n : names)
            sources << src(n);
        return MoveEntries(sources, m_dest, m_job, m_trash);
    }
    void answer(JobControl::Clash a) {
        m_job.setAsker([this, a](const QString& target) {
            m_asked << target;
            return a;
        });
    }

    TrashHome m_home;
    DesktopTrash m_trash;
    SmallDisk m_disk{4 << 20};
    TempDir m_dir;
    QString m_src;
    QString m_dest;
    JobControl m_job;
    QStringList m_asked;
};

TEST_P(Moves, EveryByteTheModeAndTheTimeArriveAndTheSourceGoes) {
    m_dir.write("src/clip.avi", Bytes(300000, 'a'));
    SetTimeAndMode(src("clip.avi"), 1000000000, 0640);
    m_dir.write("src/folder/sub/deep.txt", "deep");
    ASSERT_TRUE(QFile::link(QStringLiteral("sub/deep.txt"), src("folder/link")));
    m_dir.mkdir("src/folder/empty");
    SetTimeAndMode(src("folder/empty"), 1100000000, 0750);
    const Snapshot before = FolderSnapshot(m_src);

    const MoveReport report = move({"clip.avi", "folder"});

    EXPECT_EQ(report.result, ShellCode::Done) << report.failed.join("; ").toStdString();
    EXPECT_TRUE(FolderSnapshot(m_src).isEmpty());
    EXPECT_EQ(FolderSnapshot(m_dest), before) << "no part copy is left beside them";
    EXPECT_EQ(StatOf(dest("clip.avi")).mode, 0640u);
    EXPECT_EQ(StatOf(dest("clip.avi")).mtime, 1000000000);
    EXPECT_EQ(StatOf(dest("folder/empty")).mode, 0750u);
    EXPECT_EQ(StatOf(dest("folder/empty")).mtime, 1100000000);
    EXPECT_TRUE(QFileInfo(dest("folder/link")).isSymLink());
    EXPECT_TRUE(m_asked.isEmpty());
}

TEST_P(Moves, ATakenNameIsAskedAboutAndNothingIsOverwrittenUnasked) {
    const struct {
        JobControl::Clash answer;
        ShellCode result;
        QByteArray inDest; ///< what dest/a.txt holds afterwards
        bool sourceStays;  ///< src/a.txt is still there
        bool laterMoved;   ///< src/b.txt, after it, was moved
        bool oldInTrash;   ///< the old a.txt went to the trash
    } rows[] = {
        {JobControl::Clash::Skip, ShellCode::Done, "old", true, true, false},
        {JobControl::Clash::Replace, ShellCode::Done, "new", false, true, true},
        {JobControl::Clash::CancelAll, ShellCode::Declined, "old", true, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.answer));
        QDir(m_src).removeRecursively();
        QDir(m_dest).removeRecursively();
        QDir(m_disk.path() + "/.Trash-0").removeRecursively();
        QDir(m_home.trash()).removeRecursively();
        m_dir.write("src/a.txt", "new");
        m_dir.write("src/b.txt", "b");
        QDir().mkpath(m_dest);
        WriteFile(dest("a.txt"), "old");
        JobControl job;
        m_asked.clear();
        job.setAsker([&](const QString& target) {
            m_asked << target;
            return row.answer;
        });
        const MoveReport report = MoveEntries({src("a.txt"), src("b.txt")}, m_dest, job, m_trash);

        EXPECT_EQ(report.result, row.result) << report.failed.join("; ").toStdString();
        EXPECT_EQ(m_asked, QStringList{dest("a.txt")});
        EXPECT_EQ(ArchiveMaker::read(dest("a.txt")), row.inDest);
        EXPECT_EQ(QFile::exists(src("a.txt")), row.sourceStays);
        EXPECT_EQ(QFile::exists(dest("b.txt")), row.laterMoved);
        EXPECT_NE(QFile::exists(src("b.txt")), row.laterMoved);
        const QStringList trashed = across() ? VolumeTrashFiles(m_disk.path()) : m_home.files();
        EXPECT_EQ(trashed.contains("a.txt"), row.oldInTrash) << trashed.join(",").toStdString();
    }
}

TEST_P(Moves, WhatNeedsNoMoveOrCannotBeMovedStaysAndSaysSo) {
    m_dir.write("src/a.txt", "a");
    const struct {
        QStringList sources;
        QString destination;
        ShellCode result;
    } rows[] = {
        // Already in the destination: nothing to do, nothing to ask.
        {{dest("here.txt")}, m_dest, ShellCode::Done},
        {{src("a.txt")}, m_dir.file("no-such-folder"), ShellCode::Failed},
        {{src("missing.txt")}, m_dest, ShellCode::Failed},
    };
    WriteFile(dest("here.txt"), "h");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sources.join(",").toStdString());
        EXPECT_EQ(MoveEntries(row.sources, row.destination, m_job, m_trash).result, row.result);
    }
    EXPECT_TRUE(QFile::exists(src("a.txt")));
    EXPECT_TRUE(QFile::exists(dest("here.txt")));
    EXPECT_TRUE(m_asked.isEmpty());

    m_job.cancel();
    EXPECT_EQ(move({"a.txt"}).result, ShellCode::Declined) << "cancelled before it began";
    EXPECT_TRUE(QFile::exists(src("a.txt")));
}

TEST_P(Moves, NamesThatAreNotUtf8MoveAsTheirOwnBytes) {
    // Names from old disks and archives: Latin-1, and CP932 as Japanese Windows wrote them.
    const QByteArray latin1 = "\xE9t\xE9.txt";
    const QByteArray cp932 = ArchiveMaker::cp932(QStringLiteral("動画"));
    const QString file = m_dir.writeBytes("src/" + latin1, "latin-1");
    const QString folder = m_dir.mkdirBytes("src/" + cp932);
    m_dir.writeBytes("src/" + cp932 + "/" + cp932 + ".avi", "cp932");
    m_dir.mkdirBytes("src/" + cp932 + "/" + latin1 + ".d");
    const Snapshot before = FolderSnapshot(m_src);
    ASSERT_EQ(before.size(), 4);

    const MoveReport report = MoveEntries({file, folder}, m_dest, m_job, m_trash);

    EXPECT_EQ(report.result, ShellCode::Done) << report.failed.join("; ").toStdString();
    EXPECT_EQ(FolderSnapshot(m_dest), before);
    EXPECT_TRUE(FolderSnapshot(m_src).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(FileSystems, Moves, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "Across" : "Within"; });

TEST(MoveInto, AFolderIntoItselfOrBelowItIsRefusedBeforeAnythingMoves) {
    TrashHome home;
    DesktopTrash trash;
    TempDir dir;
    JobControl job;
    bool asked = false;
    job.setAsker([&](const QString&) {
        asked = true;
        return JobControl::Clash::Replace;
    });
    dir.write("src/f/sub/x.txt", "x");
    dir.write("src/g.txt", "g");
    ASSERT_TRUE(QFile::link(dir.file("src/f/sub"), dir.file("to-sub")));
    const Snapshot before = FolderSnapshot(dir.path());
    for (const QString& into : {dir.file("src/f"), dir.file("src/f/sub"), dir.file("to-sub")}) {
        SCOPED_TRACE(into.toStdString());
        const MoveReport report = MoveEntries({dir.file("src/g.txt"), dir.file("src/f")}, into, job, trash);
        EXPECT_EQ(report.result, ShellCode::InsideSource);
        EXPECT_EQ(FolderSnapshot(dir.path()), before) << "not even g.txt, which could go";
    }
    EXPECT_FALSE(asked);
}

/// A destination of 1 MiB that fills up on the way.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_disk.mounted())
            GTEST_SKIP() << "a 1 MiB tmpfs is needed to run out of space (run as root): "
                         << m_disk.error().toStdString();
    }
    TrashHome m_home;
    DesktopTrash m_trash;
    SmallDisk m_disk{1 << 20};
    TempDir m_dir;
    JobControl m_job;
};

TEST_F(FullDisk, AMoveThatFailsMidwayLeavesTheSourceWholeAndNoPartialCopy) {
    m_dir.write("src/album/1.bin", Bytes(600000, '1'));
    m_dir.write("src/album/2.bin", Bytes(600000, '2'));
    m_dir.write("src/huge.bin", Bytes(1500000, 'h'));
    m_dir.write("src/small.txt", "fits");
    const Snapshot before = FolderSnapshot(m_dir.file("src"));
    const QStringList sources = {m_dir.file("src/album"), m_dir.file("src/huge.bin"),
                                 m_dir.file("src/small.txt")};

    const MoveReport report = MoveEntries(sources, m_disk.path(), m_job, m_trash);

    EXPECT_EQ(report.result, ShellCode::Failed);
    ASSERT_EQ(report.failed.size(), 2) << report.failed.join("; ").toStdString();
    EXPECT_TRUE(report.failed[0].startsWith("album/")) << report.failed[0].toStdString();
    EXPECT_TRUE(report.failed[1].startsWith("huge.bin: ")) << report.failed[1].toStdString();
    Snapshot left = before;
    left.remove("small.txt");
    EXPECT_EQ(FolderSnapshot(m_dir.file("src")), left) << "what failed is whole where it was";
    EXPECT_EQ(FolderSnapshot(m_disk.path()), Snapshot({{"small.txt", "fits"}})) << "no partial copy";
}

} // namespace
} // namespace tobimaru::test
