#include "archives/ArchiveExtractor.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::ZipEntry;
using Snapshot = QMap<QString, QByteArray>;

ZipEntry File(const QByteArray& name, const QByteArray& data = "x") {
    return {name, data};
}
ZipEntry WindowsFile(const QByteArray& name, const QByteArray& data) {
    ZipEntry e{name, data};
    e.windows = true;
    return e;
}
ZipEntry Utf8File(const QString& name, const QByteArray& data) {
    ZipEntry e{name.toUtf8(), data};
    e.utf8Flag = true;
    return e;
}
ZipEntry Folder(const QByteArray& name) {
    return {name, {}, ZipEntry::Folder};
}
ZipEntry Link(const QByteArray& name, const QByteArray& target) {
    return {name, target, ZipEntry::Link};
}

/// A destination with one file of the user's in it, beside the archives' own folder; every
/// check looks at the whole temporary tree, so a file written beside the destination shows.
struct Sandbox {
    test::TempDir tmp;
    QString dest = tmp.mkdir("work/out");
    Snapshot before;
    QString message;

    Sandbox() {
        tmp.write("work/out/keep.txt", "mine");
        tmp.mkdir("in");
        before = world();
    }
    QString zip(const std::vector<ZipEntry>& entries, const QString& name = "a.zip") {
        return ArchiveMaker::zip(tmp.file("in/" + name), entries);
    }
    int extract(ArchiveKind kind, const QString& archive, const ExtractCallbacks& callbacks = {}) {
        return ExtractArchive({kind, archive, dest}, callbacks, &message);
    }
    /// The temporary tree without the archives.
    Snapshot world() const {
        Snapshot all = test::FolderSnapshot(tmp.path());
        all.removeIf([](const auto& it) { return it.key() == "in" || it.key().startsWith("in/"); });
        return all;
    }
    /// `before` with the entries added below the destination.
    Snapshot with(const Snapshot& added) const {
        Snapshot all = before;
        for (auto it = added.begin(); it != added.end(); ++it)
            all.insert("work/out/" + it.key(), it.value());
        return all;
    }
};

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
         {Folder("sub/"), Utf8File("sub/動画.txt", "v"), File("a.txt", "a")},
         0,
         {{"sub", "<dir>"}, {"sub/動画.txt", "v"}, {"a.txt", "a"}}},
        // 表 and ソ end in the byte of a backslash in CP932; Windows tools wrote "\" between folders.
        {"CP932 names without the UTF-8 flag",
         {WindowsFile(ArchiveMaker::cp932("表示/ソフト.txt"), "s"),
          WindowsFile(ArchiveMaker::cp932("予定表.txt"), "y"), WindowsFile("dir\\file.txt", "d")},
         0,
         {{"表示", "<dir>"},
          {"表示/ソフト.txt", "s"},
          {"予定表.txt", "y"},
          {"dir", "<dir>"},
          {"dir/file.txt", "d"}}},
        {"a link that stays inside",
         {Folder("d/"), File("a.txt", "a"), Link("lnk", "a.txt"), Link("d/up", "../a.txt")},
         0,
         {{"d", "<dir>"}, {"a.txt", "a"}, {"lnk", "-> a.txt"}, {"d/up", "-> ../a.txt"}}},
        {"no entries", {}, 0, {}},
        {"a name that is already in the destination",
         {File("new.txt"), File("keep.txt", "theirs")},
         0x8010,
         {}},
        {"a name stored twice", {File("d.txt", "1"), File("d.txt", "2")}, 0x8010, {}},
        {"a file where a folder is needed", {File("x"), File("x/y")}, 0x8012, {}},
        {"../ climbs out", {File("ok.txt"), File("../x.txt")}, 0x8017, {}},
        {"an absolute name", {File("ok.txt"), File("/tobimaru-absolute-test.txt")}, 0x8017, {}},
        {"a/../../ climbs out", {File("a/../../x.txt")}, 0x8017, {}},
        {"..\\ from Windows", {WindowsFile("..\\x.txt", "w")}, 0x8017, {}},
        {"a link out", {File("ok.txt"), Link("lnk", "/tmp")}, 0x8017, {}},
        {"a link up out", {Link("lnk", "../..")}, 0x8017, {}},
        {"a link out and a file through it", {Link("lnk", "/tmp"), File("lnk/evil.txt")}, 0x8012, {}},
        {"a link in and a file through it",
         {Folder("sub/"), Link("lnk", "sub"), File("lnk/x.txt")},
         0x8012,
         {}},
        // "s/.." looks like "." but climbs out of the folder that s points at.
        {"climbing out of a link", {Link("s", "."), Link("x", "s/..")}, 0x8017, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Sandbox box;
        EXPECT_EQ(box.extract(ArchiveKind::Zip, box.zip(r.entries)), r.code) << box.message.toStdString();
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
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray all = f.readAll();
        return all.indexOf("PK\x03\x04", 1) + 30 + 5 + 40; // local header, name "b.txt", into the data
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
        {"a ZIP given as LZH", [](Sandbox& b) { return b.zip({File("a.txt")}); }, ArchiveKind::Lzh, 0x801B},
        {"no file", [](Sandbox& b) { return b.tmp.file("in/none.zip"); }, ArchiveKind::Zip, 0x8018},
        {"a bad checksum",
         [&](Sandbox& b) {
             ZipEntry bad = File("b.txt", text);
             bad.stored = true;
             const QString path = b.zip({File("a.txt", "first"), bad});
             ArchiveMaker::corrupt(path, secondData(path), 10);
             return path;
         },
         ArchiveKind::Zip, 0x800C},
        {"broken compressed data",
         [&](Sandbox& b) {
             const QString path = b.zip({File("a.txt", "first"), File("b.txt", text)});
             ArchiveMaker::corrupt(path, secondData(path), 10);
             return path;
         },
         ArchiveKind::Zip, 0x8014},
        // A bomb: far more data than its header says. It is stopped at the stated size.
        {"more data than the header says",
         [](Sandbox& b) {
             const QString path = b.zip({File("big.bin", QByteArray(4 << 20, '\0'))});
             ArchiveMaker::understateFirstZipSize(path, 100);
             return path;
         },
         ArchiveKind::Zip, 0x8017},
        {"cut short",
         [&](Sandbox& b) {
             const QString path = b.zip({File("a.txt", "first"), File("b.txt", text)});
             ArchiveMaker::truncate(path, secondData(path));
             return path;
         },
         ArchiveKind::Zip, 0x801A},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Sandbox box;
        EXPECT_EQ(box.extract(r.kind, r.make(box)), r.code) << box.message.toStdString();
        EXPECT_EQ(box.world(), box.before);
    }
}

TEST_F(Extract, RemovesOnlyWhatItMadeWhenSomeoneElseGetsInFirst) {
    Sandbox box;
    const QString archive = box.zip({File("new/a.txt", "a"), File("new/b.txt", "b")});
    ExtractCallbacks callbacks;
    // Another program writes the second file while the first is being extracted.
    callbacks.progress = [&](const QString& entry, qint64, qint64) {
        if (entry == "new/a.txt" && !QFileInfo::exists(box.dest + "/new/b.txt"))
            box.tmp.write("work/out/new/b.txt", "theirs");
    };
    EXPECT_EQ(box.extract(ArchiveKind::Zip, archive, callbacks), 0x8010);
    // Their file stays, and with it the folder it is in; our a.txt is gone.
    EXPECT_EQ(box.world(), box.with({{"new", "<dir>"}, {"new/b.txt", "theirs"}}));
}

TEST_F(Extract, NeverWritesThroughALinkTheUserHasInTheDestination) {
    Sandbox box;
    const QString outside = box.tmp.mkdir("elsewhere");
    ASSERT_EQ(::symlink(outside.toUtf8().constData(), (box.dest + "/out").toUtf8().constData()), 0);
    const Snapshot before = box.world();
    EXPECT_EQ(box.extract(ArchiveKind::Zip, box.zip({File("out/x.txt")})), 0x8012);
    EXPECT_EQ(box.world(), before);
}

TEST_F(Extract, CancelRemovesWhatThisArchiveWrote) {
    Sandbox box;
    const QString archive =
        box.zip({File("a/1.bin", QByteArray(300000, '1')), File("a/2.bin", QByteArray(300000, '2'))});
    std::atomic<bool> cancel = false;
    ExtractCallbacks callbacks;
    callbacks.cancel = &cancel;
    callbacks.progress = [&](const QString& entry, qint64, qint64) { cancel = entry == "a/2.bin"; };
    EXPECT_EQ(box.extract(ArchiveKind::Zip, archive, callbacks), 0x8020);
    EXPECT_EQ(box.world(), box.before);
}

TEST_F(Extract, ReportsProgressUpToTheSizeOfAllFiles) {
    Sandbox box;
    const QString archive =
        box.zip({File("a.bin", QByteArray(200000, 'a')), Folder("f/"), File("f/b.bin", "bb")});
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
    ASSERT_EQ(box.extract(ArchiveKind::Zip, archive, callbacks), 0);
    EXPECT_EQ(entries, QStringList({"a.bin", "f/b.bin"}));
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(lastDone, 200002);
    EXPECT_EQ(lastTotal, 200002);
}

} // namespace
} // namespace tobimaru
