#include "archives/ArchiveExtractor.h"
#include "archives/ExtractionTarget.h"
#include "support/ArchiveMaker.h"
#include "support/ForkedChild.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::ZipEntry;
using Sandbox = test::ExtractionSandbox;
using Snapshot = QMap<QString, QByteArray>;

using test::Utf8ZipFile;
using test::WindowsZipFile;
using test::ZipFile;
using test::ZipFolder;
using test::ZipLink;

class Extract : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ArchiveMaker::pythonAvailable())
            GTEST_SKIP() << "python3 makes the test archives (scripts/packages.txt installs it)";
    }
};

TEST_F(Extract, OutcomeOfEachKindOfArchive) {
    const QByteArray bigData(2000, 'z');
    struct Row {
        const char* what;
        std::vector<ZipEntry> entries;
        int code;
        Snapshot added;
    };
    const std::vector<Row> rows = {
        {"folders and a UTF-8 name",
         {ZipFolder("sub/"), Utf8ZipFile("sub/動画.txt", "v"), ZipFile("a.txt", "a")},
         0,
         {{"sub", "<dir>"}, {"sub/動画.txt", "v"}, {"a.txt", "a"}}},
        // 表 and ソ end in the byte of a backslash in CP932; Windows tools wrote "\" between folders.
        {"CP932 names without the UTF-8 flag",
         {WindowsZipFile(ArchiveMaker::cp932("表示/ソフト.txt"), "s"),
          WindowsZipFile(ArchiveMaker::cp932("予定表.txt"), "y"), WindowsZipFile("dir\\file.txt", "d")},
         0,
         {{"表示", "<dir>"},
          {"表示/ソフト.txt", "s"},
          {"予定表.txt", "y"},
          {"dir", "<dir>"},
          {"dir/file.txt", "d"}}},
        {"a link that stays inside",
         {ZipFolder("d/"), ZipFile("a.txt", "a"), ZipLink("lnk", "a.txt"), ZipLink("d/up", "../a.txt")},
         0,
         {{"d", "<dir>"}, {"a.txt", "a"}, {"lnk", "-> a.txt"}, {"d/up", "-> ../a.txt"}}},
        {"no entries", {}, 0, {}},
        {"a name that is already in the destination",
         {ZipFile("new.txt"), ZipFile("keep.txt", "theirs")},
         0x8010,
         {}},
        {"a name stored twice", {ZipFile("d.txt", "1"), ZipFile("d.txt", "2")}, 0x8010, {}},
        {"a file where a folder is needed", {ZipFile("x"), ZipFile("x/y")}, 0x8012, {}},
        {"../ climbs out", {ZipFile("ok.txt"), ZipFile("../x.txt")}, 0x8017, {}},
        {"an absolute name", {ZipFile("ok.txt"), ZipFile("/tobimaru-absolute-test.txt")}, 0x8017, {}},
        {"a/../../ climbs out", {ZipFile("a/../../x.txt")}, 0x8017, {}},
        {"..\\ from Windows", {WindowsZipFile("..\\x.txt", "w")}, 0x8017, {}},
        {"a link out", {ZipFile("ok.txt"), ZipLink("lnk", "/tmp")}, 0x8017, {}},
        {"a link up out", {ZipLink("lnk", "../..")}, 0x8017, {}},
        {"a link out and a file through it", {ZipLink("lnk", "/tmp"), ZipFile("lnk/evil.txt")}, 0x8012, {}},
        {"a link in and a file through it",
         {ZipFolder("sub/"), ZipLink("lnk", "sub"), ZipFile("lnk/x.txt")},
         0x8012,
         {}},
        // "s/.." looks like "." but climbs out of the folder that s points at.
        {"climbing out of a link", {ZipLink("s", "."), ZipLink("x", "s/..")}, 0x8017, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Sandbox box;
        EXPECT_EQ(ArchiverNumber(box.extract(ArchiveKind::Zip, box.zip(r.entries))), r.code)
            << box.message.log.toStdString();
        EXPECT_EQ(box.world(), box.with(r.added));
    }
    EXPECT_FALSE(QFileInfo::exists("/tobimaru-absolute-test.txt"));
}

TEST_F(Extract, DamagedArchivesLeaveTheFolderAsItWas) {
    // Text varied enough to be Huffman-coded, so damage in it breaks the codes.
    QByteArray text;
    for (int i = 0; i < 400; ++i)
        text += "line " + QByteArray::number(i * 7919 % 1000) + " of the second file\n";
    const auto secondData = [](const QString& path) {
        // Past the second local header and its name "b.txt", into the data.
        return ArchiveMaker::read(path).indexOf("PK\x03\x04", 1) + 30 + 5 + 40;
    };
    struct Row {
        const char* what;
        std::function<QString(Sandbox&)> make;
        ArchiveKind kind;
        int code;
    };
    const std::vector<Row> rows = {
        {"no archive at all", [](Sandbox& b) { return b.tmp.write("in/a.zip", QByteArray(500, 't')); },
         ArchiveKind::Zip, 0x801B},
        {"a ZIP given as LZH", [](Sandbox& b) { return b.zip({ZipFile("a.txt")}); }, ArchiveKind::Lzh,
         0x801B},
        {"no file", [](Sandbox& b) { return b.tmp.file("in/none.zip"); }, ArchiveKind::Zip, 0x8018},
        {"a bad checksum",
         [&](Sandbox& b) {
             ZipEntry bad = ZipFile("b.txt", text);
             bad.stored = true;
             const QString path = b.zip({ZipFile("a.txt", "first"), bad});
             ArchiveMaker::corrupt(path, secondData(path), 10);
             return path;
         },
         ArchiveKind::Zip, 0x800C},
        {"broken compressed data",
         [&](Sandbox& b) {
             const QString path = b.zip({ZipFile("a.txt", "first"), ZipFile("b.txt", text)});
             ArchiveMaker::corrupt(path, secondData(path), 10);
             return path;
         },
         ArchiveKind::Zip, 0x8014},
        // A bomb: far more data than its header says. It is stopped at the stated size.
        {"more data than the header says",
         [](Sandbox& b) {
             const QString path = b.zip({ZipFile("big.bin", QByteArray(4 << 20, '\0'))});
             ArchiveMaker::understateFirstZipSize(path, 100);
             return path;
         },
         ArchiveKind::Zip, 0x8017},
        {"cut short",
         [&](Sandbox& b) {
             const QString path = b.zip({ZipFile("a.txt", "first"), ZipFile("b.txt", text)});
             ArchiveMaker::truncate(path, secondData(path));
             return path;
         },
         ArchiveKind::Zip, 0x801A},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Sandbox box;
        EXPECT_EQ(ArchiverNumber(box.extract(r.kind, r.make(box))), r.code) << box.message.log.toStdString();
        EXPECT_EQ(box.world(), box.before);
    }
}

TEST_F(Extract, RemovesOnlyWhatItMadeWhenSomeoneElseGetsInFirst) {
    Sandbox box;
    const QString archive = box.zip({ZipFile("new/a.txt", "a"), ZipFile("new/b.txt", "b")});
    ExtractCallbacks callbacks;
    // Another program writes the second file while the first is being extracted.
    callbacks.progress = [&](const QString& entry, qint64, qint64) {
        if (entry == "new/a.txt" && !QFileInfo::exists(box.dest + "/new/b.txt"))
            box.tmp.write("work/out/new/b.txt", "theirs");
    };
    EXPECT_EQ(ArchiverNumber(box.extract(ArchiveKind::Zip, archive, callbacks)), 0x8010);
    // Their file stays, and with it the folder it is in; our a.txt is gone.
    EXPECT_EQ(box.world(), box.with({{"new", "<dir>"}, {"new/b.txt", "theirs"}}));
}

TEST_F(Extract, NeverWritesThroughALinkTheUserHasInTheDestination) {
    Sandbox box;
    const QString outside = box.tmp.mkdir("elsewhere");
    ASSERT_EQ(::symlink(outside.toUtf8().constData(), (box.dest + "/out").toUtf8().constData()), 0);
    const Snapshot before = box.world();
    EXPECT_EQ(ArchiverNumber(box.extract(ArchiveKind::Zip, box.zip({ZipFile("out/x.txt")}))), 0x8012);
    EXPECT_EQ(box.world(), before);
}

TEST_F(Extract, CancelRemovesWhatThisArchiveWrote) {
    Sandbox box;
    const QString archive =
        box.zip({ZipFile("a/1.bin", QByteArray(300000, '1')), ZipFile("a/2.bin", QByteArray(300000, '2'))});
    std::atomic<bool> cancel = false;
    ExtractCallbacks callbacks;
    callbacks.cancel = &cancel;
    callbacks.progress = [&](const QString& entry, qint64, qint64) { cancel = entry == "a/2.bin"; };
    EXPECT_EQ(ArchiverNumber(box.extract(ArchiveKind::Zip, archive, callbacks)), 0x8020);
    EXPECT_EQ(box.world(), box.before);
}

TEST_F(Extract, ReportsProgressUpToTheSizeOfAllFiles) {
    Sandbox box;
    const QString archive =
        box.zip({ZipFile("a.bin", QByteArray(200000, 'a')), ZipFolder("f/"), ZipFile("f/b.bin", "bb")});
    QStringList entries;
    qint64 lastDone = -1, lastTotal = -1;
    bool monotonic = true;
    ExtractCallbacks callbacks;
    callbacks.progress = [&](const QString& entry, qint64 done, qint64 total) {
        if (entries.isEmpty() || entries.back() != entry)
            entries << entry;
        monotonic = monotonic && done >= lastDone;
        lastDone = done;
        lastTotal = total;
    };
    ASSERT_EQ(ArchiverNumber(box.extract(ArchiveKind::Zip, archive, callbacks)), 0);
    EXPECT_EQ(entries, QStringList({"a.bin", "f/b.bin"}));
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(lastDone, 200002);
    EXPECT_EQ(lastTotal, 200002);
}

TEST_F(Extract, AKilledExtractionLeavesNoHalfFileAndTheNextOneSucceeds) {
    Sandbox box;
    QByteArray big;
    for (int i = 0; big.size() < (3 << 20); ++i)
        big += QByteArray::number(i * 2654435761U);
    const QString archive = box.zip({ZipFolder("d/"), ZipFile("d/big.bin", big)});
    test::ForkedChild child([&] {
        ExtractCallbacks callbacks;
        // Killed once part of the file is on the disk, as by the desktop's task manager.
        callbacks.progress = [](const QString& entry, qint64 done, qint64) {
            if (entry == "d/big.bin" && done > 0)
                ::raise(SIGKILL);
        };
        ExtractArchive({ArchiveKind::Zip, archive, box.dest}, callbacks);
    });
    const QByteArray part = PartName(child.pid(), 0);
    ASSERT_EQ(child.wait(), SIGKILL);
    const Snapshot afterKill = box.world();
    EXPECT_FALSE(afterKill.contains("work/out/d/big.bin")) << "a half file under its own name";
    ASSERT_TRUE(afterKill.contains("work/out/d/" + QString::fromLatin1(part)));
    EXPECT_LT(afterKill.value("work/out/d/" + QString::fromLatin1(part)).size(), big.size());

    // The next extraction takes the dead process's part away and extracts the file whole.
    EXPECT_EQ(ArchiverNumber(box.extract(ArchiveKind::Zip, archive)), 0) << box.message.log.toStdString();
    EXPECT_EQ(box.world(), box.with({{"d", "<dir>"}, {"d/big.bin", big}}));
}

TEST_F(Extract, OnlyThePartsOfProcessesThatAreGoneAreRemoved) {
    Sandbox box;
    pid_t gone = 0;
    {
        test::ForkedChild child([] {});
        gone = child.pid();
        child.wait();
    }
    const QString dead = QString::fromLatin1(PartName(gone, 0));
    const QString alive = QString::fromLatin1(PartName(::getpid(), 7)); // another extraction of ours
    const QString init = QString::fromLatin1(PartName(1, 0));
    struct Row {
        QString path; ///< relative to the destination
        bool stays;
    };
    const Row rows[] = {
        {dead, false},
        {"sub/" + dead, false},
        {alive, true},
        {init, true},
        {"other/" + dead, true}, // the archive writes nothing there
        {QString(kPartPrefix) + QString::number(gone), true},
        {QString(kPartPrefix) + QString::number(gone) + "-x", true},
        {"." + dead, true},
    };
    box.tmp.mkdir("work/out/sub");
    box.tmp.mkdir("work/out/other");
    for (const Row& r : rows)
        box.tmp.write("work/out/" + r.path, "left");
    const Snapshot before = box.world();
    ASSERT_EQ(ArchiverNumber(box.extract(ArchiveKind::Zip,
                                         box.zip({ZipFile("sub/new.txt", "n"), ZipFile("top.txt", "t")}))),
              0)
        << box.message.log.toStdString();
    Snapshot expected = before;
    for (const Row& r : rows) {
        if (!r.stays)
            expected.remove("work/out/" + r.path);
    }
    expected.insert("work/out/sub/new.txt", "n");
    expected.insert("work/out/top.txt", "t");
    EXPECT_EQ(box.world(), expected);
}

} // namespace
} // namespace tobimaru
