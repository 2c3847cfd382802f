// Moves onto another file system that must lose nothing: a source changed while it is copied,
// the part copy of a move that was killed, a FAT volume, sparse files. The second file system is
// a small tmpfs (root only) or a FAT image through FUSE; each test says why when it is skipped.
#include "fileops/JobControl.h"
#include "fileops/MoveEngine.h"
#include "platform/Trash.h"
#include "support/ArchiveMaker.h"
#include "support/FatImage.h"
#include "support/ForkedChild.h"
#include "support/TempDir.h"
#include "support/TrashHome.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tobimaru::test {
namespace {

using Snapshot = QMap<QString, QByteArray>;
using Point = JobControl::CopyPoint;

QByteArray Bytes(int size, char seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 7 + (i >> 11));
    return b;
}

void Append(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append)) << path.toStdString();
    f.write(bytes);
}

struct stat StatOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

/// A source folder on the temporary disk and a destination on a tmpfs of its own.
class Across : public ::testing::Test {
public:
    void SetUp() override {
        if (!m_disk.mounted())
            GTEST_SKIP() << "a small tmpfs stands for the second file system (run as root): "
                         << m_disk.error().toStdString();
        m_src = m_dir.mkdir(QStringLiteral("src"));
    }
    QString src(const QString& name) const { return m_src + QLatin1Char('/') + name; }
    MoveReport move(const QString& name, JobControl& job) {
        return MoveEntries({src(name)}, m_disk.path(), job, m_trash);
    }

    TrashHome m_home;
    DesktopTrash m_trash;
    SmallDisk m_disk{qint64(6) << 20};
    TempDir m_dir;
    QString m_src;
};

TEST_F(Across, ASourceChangedWhileItIsCopiedStaysBesideTheCopyAndIsNamed) {
    const struct Row {
        const char* what;
        QString name; ///< the entry moved
        Point point;  ///< when the other program steps in (the first time)
        std::function<void(const Across&)> change;
        QString named; ///< what the failure line names besides the entry
    } rows[] = {
        {"a folder gains a file", "album", Point::ChunkCopied,
         [](const Across& t) { t.m_dir.write("src/album/new.txt", "new"); }, "album/new.txt"},
        {"another program saves the file anew and renames it over the source", "big.avi", Point::ChunkCopied,
         [](const Across& t) {
             t.m_dir.write("src/.big.avi.saving", "the new version");
             ::rename(QFile::encodeName(t.src(".big.avi.saving")).constData(),
                      QFile::encodeName(t.src("big.avi")).constData());
         },
         ""},
        {"bytes are appended while the copy is flushed", "big.avi", Point::BeforeFlush,
         [](const Across& t) { Append(t.src("big.avi"), "appended"); }, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(m_src).removeRecursively();
        QDir(m_disk.path()).removeRecursively();
        m_dir.write("src/album/1.bin", Bytes(400000, '1'));
        m_dir.write("src/album/2.bin", Bytes(300000, '2'));
        m_dir.write("src/big.avi", Bytes(500000, 'b'));
        const QString root = row.name == "album" ? src("album") : m_src;
        Snapshot copied = FolderSnapshot(root);
        JobControl job;
        bool changed = false;
        job.setCopyPause([&](Point point, const QString&) {
            if (point == row.point && !changed) {
                changed = true;
                row.change(*this);
            }
        });
        const Snapshot sourceNow = [&] {
            const MoveReport report = move(row.name, job);
            EXPECT_EQ(report.result, ShellCode::Failed);
            EXPECT_EQ(report.failed.size(), 1);
            const QString line = report.failed.value(0);
            EXPECT_TRUE(line.startsWith(row.name + ": ")) << line.toStdString();
            EXPECT_TRUE(line.contains(row.named)) << line.toStdString();
            EXPECT_TRUE(line.contains("元も残しました")) << line.toStdString();
            return FolderSnapshot(root);
        }();
        ASSERT_TRUE(changed);

        // The copy holds what was read; the source holds what it holds now: nothing is lost.
        if (row.name == "album") {
            EXPECT_EQ(FolderSnapshot(m_disk.path() + "/album"), copied);
            copied.insert("new.txt", "new");
            EXPECT_EQ(sourceNow, copied);
        } else {
            EXPECT_EQ(ArchiveMaker::read(m_disk.path() + "/big.avi"), copied.value("big.avi"));
            EXPECT_EQ(sourceNow.value("big.avi"), row.point == Point::BeforeFlush
                                                      ? copied.value("big.avi") + "appended"
                                                      : QByteArray("the new version"));
        }
        EXPECT_EQ(QDir(m_disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{row.name})
            << "no part copy is left";
    }
}

TEST_F(Across, AFolderHoldingTwoNamesOfOneFileMovesWhole) {
    // Unlinking the first name changes the file's change time: that is no change by another.
    m_dir.write("src/album/a.bin", Bytes(200000, 'a'));
    ASSERT_EQ(::link(QFile::encodeName(src("album/a.bin")).constData(),
                     QFile::encodeName(src("album/b.bin")).constData()),
              0);
    const Snapshot before = FolderSnapshot(src("album"));
    JobControl job;

    const MoveReport report = move("album", job);

    EXPECT_EQ(report.result, ShellCode::Done) << report.failed.join("; ").toStdString();
    EXPECT_EQ(FolderSnapshot(m_disk.path() + "/album"), before);
    EXPECT_FALSE(QFile::exists(src("album")));
}

TEST_F(Across, APartCopyOfAKilledMoveIsRemovedByTheNextMoveThere) {
    const QByteArray content = Bytes(3500000, 'k');
    m_dir.write("src/big.avi", content);
    // Another live instance's copy in progress.
    const QString live = QStringLiteral(".clip.avi.tobimaru-part-%1-0").arg(::getppid());
    m_dir.write(live, "in progress");
    ASSERT_TRUE(QFile::copy(m_dir.file(live), m_disk.path() + "/" + live));

    {
        // The program is killed once the whole copy is written, just before it is flushed.
        ForkedChild child([&] {
            JobControl job;
            job.setCopyPause([](Point point, const QString&) {
                if (point == Point::BeforeFlush) {
                    for (;;)
                        ::pause();
                }
            });
            DesktopTrash trash;
            MoveEntries({src("big.avi")}, m_disk.path(), job, trash);
        });
        const QString part =
            QStringLiteral("%1/.big.avi.tobimaru-part-%2-0").arg(m_disk.path()).arg(child.pid());
        for (int i = 0; i < 500 && StatOf(part).st_size < content.size(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_EQ(StatOf(part).st_size, content.size()) << "the killed move left its full-size part copy";
        child.stop();
    }

    JobControl job;
    const MoveReport report = move("big.avi", job);

    EXPECT_EQ(report.result, ShellCode::Done) << report.failed.join("; ").toStdString();
    EXPECT_EQ(ArchiveMaker::read(m_disk.path() + "/big.avi"), content);
    EXPECT_FALSE(QFile::exists(src("big.avi")));
    EXPECT_EQ(QDir(m_disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({live, "big.avi"}))
        << "only the dead process's part copy went";
}

TEST_F(Across, ASparseFileKeepsItsHoles) {
    // 5 MiB of which two stretches of 64 KiB hold data, the rest holes, as a disk image has.
    const QString path = m_dir.write("src/disk.img");
    const QByteArray head = Bytes(65536, 'h');
    const QByteArray middle = Bytes(65536, 'm');
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(qint64(5) << 20));
        f.write(head);
        f.seek(qint64(2) << 20);
        f.write(middle);
    }
    const struct stat before = StatOf(path);
    ASSERT_LT(before.st_blocks * 512, qint64(1) << 20) << "the temporary disk keeps no holes";
    QByteArray expected(qint64(5) << 20, '\0');
    expected.replace(0, head.size(), head);
    expected.replace(qint64(2) << 20, middle.size(), middle);

    JobControl job;
    const MoveReport report = move("disk.img", job);

    EXPECT_EQ(report.result, ShellCode::Done) << report.failed.join("; ").toStdString();
    const QString moved = m_disk.path() + "/disk.img";
    EXPECT_EQ(ArchiveMaker::read(moved), expected);
    EXPECT_EQ(StatOf(moved).st_size, before.st_size);
    EXPECT_LE(StatOf(moved).st_blocks, before.st_blocks + 16) << "the holes were written out";
    EXPECT_EQ(job.progress().bytesDone, before.st_size);
}

/// Moves onto a FAT volume and within it: no permission bits, no links, no no-replace rename.
TEST(FatMoves, FilesAndFoldersMoveOntoAndWithinAFatVolume) {
    FatImage fat;
    if (!fat.mounted())
        GTEST_SKIP() << fat.whyNot().toStdString();
    TrashHome home;
    DesktopTrash trash;
    TempDir dir;
    const struct {
        const char* what;
        QString from; ///< the folder the sources are in
        QString to;
    } rows[] = {
        {"from a local disk", dir.file("src"), fat.path() + "/stick"},
        {"from one folder of the volume to another", fat.path() + "/stick", fat.path() + "/other"},
    };
    const QByteArray clip = Bytes(700000, 'c');
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(QDir().mkpath(row.from) && QDir().mkpath(row.to));
        if (row.from == dir.file("src")) {
            dir.write("src/clip.avi", clip);
            ASSERT_EQ(::chmod(QFile::encodeName(dir.file("src/clip.avi")).constData(), 0640), 0);
            dir.write("src/album/sub/x.txt", "x");
        }
        const Snapshot before = FolderSnapshot(row.from);
        JobControl job;

        const MoveReport report =
            MoveEntries({row.from + "/clip.avi", row.from + "/album"}, row.to, job, trash);

        EXPECT_EQ(report.result, ShellCode::Done) << report.failed.join("; ").toStdString();
        EXPECT_EQ(FolderSnapshot(row.to), before);
        EXPECT_TRUE(FolderSnapshot(row.from).isEmpty());
        EXPECT_EQ(job.progress().bytesDone, job.progress().bytesTotal) << "the progress ends full";
    }

    // A taken name on the volume is asked about, and a skip leaves both as they were.
    ASSERT_TRUE(QDir().mkpath(fat.path() + "/third"));
    QFile::copy(fat.path() + "/other/clip.avi", fat.path() + "/third/clip.avi");
    {
        // FAT through FUSE cannot truncate: the old file is made anew.
        ASSERT_TRUE(QFile::remove(fat.path() + "/other/clip.avi"));
        QFile old(fat.path() + "/other/clip.avi");
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    JobControl job;
    QStringList asked;
    job.setAsker([&](const QString& target) {
        asked << target;
        return JobControl::Clash::Skip;
    });
    const MoveReport report =
        MoveEntries({fat.path() + "/third/clip.avi"}, fat.path() + "/other", job, trash);
    EXPECT_EQ(report.result, ShellCode::Done);
    EXPECT_EQ(asked, QStringList{fat.path() + "/other/clip.avi"});
    EXPECT_EQ(ArchiveMaker::read(fat.path() + "/other/clip.avi"), "old");
    EXPECT_EQ(ArchiveMaker::read(fat.path() + "/third/clip.avi"), clip);
}

} // namespace
} // namespace tobimaru::test
