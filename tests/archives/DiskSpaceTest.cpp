#include "archives/ArchiveExtractor.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::FolderSnapshot;
using Snapshot = QMap<QString, QByteArray>;

/// A 1 MiB disk with the destination on it; the archives stay on the big disk.
class DiskSpace : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ArchiveMaker::pythonAvailable())
            GTEST_SKIP() << "python3 makes the test archives (scripts/packages.txt installs it)";
        if (!m_disk.mounted())
            GTEST_SKIP() << "a small tmpfs is needed to run out of space (run as root): "
                         << m_disk.error().toStdString();
        m_dest = m_disk.path() + "/out";
        ASSERT_TRUE(QDir().mkpath(m_dest));
    }
    ArchiverCode extract(const QString& archive, const ExtractCallbacks& callbacks = {}) {
        return ExtractArchive({ArchiveKind::Zip, archive, m_dest}, callbacks, &m_message);
    }
    /// Fills the disk but for `leave` bytes, with a file that is not the extraction's.
    void fill(qint64 leave) {
        QFile f(m_disk.path() + "/filler");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(std::max<qint64>(0, m_disk.freeBytes() - leave), 'f'));
    }

    test::SmallDisk m_disk{1 << 20};
    test::TempDir m_archives;
    QString m_dest;
    ExtractFailure m_message;
};

TEST_F(DiskSpace, AnArchiveTooBigIsRefusedBeforeWriting) {
    const QString archive = ArchiveMaker::zip(
        m_archives.file("big.zip"), {{"a.bin", QByteArray(600000, 'a')}, {"b.bin", QByteArray(600000, 'b')}});
    EXPECT_EQ(ArchiverNumber(extract(archive)), 0x8005) << m_message.log.toStdString();
    EXPECT_TRUE(FolderSnapshot(m_dest).isEmpty());
}

TEST_F(DiskSpace, AnArchiveThatFitsIsExtracted) {
    const QString archive =
        ArchiveMaker::zip(m_archives.file("fits.zip"), {{"d/a.bin", QByteArray(300000, 'a')}});
    EXPECT_EQ(ArchiverNumber(extract(archive)), 0) << m_message.log.toStdString();
    EXPECT_EQ(FolderSnapshot(m_dest), Snapshot({{"d", "<dir>"}, {"d/a.bin", QByteArray(300000, 'a')}}));
}

TEST_F(DiskSpace, ADiskThatFillsUpMeanwhileStopsTheExtraction) {
    const QString archive =
        ArchiveMaker::zip(m_archives.file("two.zip"),
                          {{"d/1.bin", QByteArray(150000, '1')}, {"d/2.bin", QByteArray(150000, '2')}});
    struct Row {
        const char* what;
        // The progress report at which another program fills the disk.
        QString entry;
        qint64 done;
    };
    const Row rows[] = {
        // Seen before the next file is begun: stopped with room to spare.
        {"between two files", "d/1.bin", 150000},
        // Not seen until the write fails.
        {"while a file is written", "d/2.bin", 150000},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        QFile::remove(m_disk.path() + "/filler");
        bool filled = false;
        ExtractCallbacks callbacks;
        callbacks.progress = [&](const QString& entry, qint64 done, qint64) {
            if (!filled && entry == r.entry && done == r.done) {
                filled = true;
                fill(8192);
            }
        };
        EXPECT_EQ(ArchiverNumber(extract(archive, callbacks)), 0x8005) << m_message.log.toStdString();
        EXPECT_TRUE(filled);
        EXPECT_TRUE(FolderSnapshot(m_dest).isEmpty()) << "what was extracted is taken away again";
        EXPECT_TRUE(QFile::exists(m_disk.path() + "/filler")) << "the other program's file stays";
    }
}

TEST_F(DiskSpace, ABombNeverFillsTheDisk) {
    const QString archive =
        ArchiveMaker::zip(m_archives.file("bomb.zip"), {{"bomb.bin", QByteArray(8 << 20, '\0')}});
    ArchiveMaker::understateFirstZipSize(archive, 1000);
    const qint64 before = m_disk.freeBytes();
    qint64 lowest = before;
    ExtractCallbacks callbacks;
    callbacks.progress = [&](const QString&, qint64, qint64) {
        lowest = std::min(lowest, m_disk.freeBytes());
    };
    EXPECT_NE(ArchiverNumber(extract(archive, callbacks)), 0);
    EXPECT_GT(lowest, before / 2);
    EXPECT_EQ(m_disk.freeBytes(), before);
    EXPECT_TRUE(FolderSnapshot(m_dest).isEmpty());
}

} // namespace
} // namespace tobimaru
