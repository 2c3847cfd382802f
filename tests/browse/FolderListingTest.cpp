#include "browse/FolderListing.h"
#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "base/RuntimeSettings.h"
#include "settings/MediaTypeTable.h"
#include "support/TempDir.h"

#include <QFile>
#include <QStringList>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tobimaru;
using test::TempDir;

namespace {

void MakeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
}

void MakeSparse(const QString& path, qint64 size) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(size));
}

void MakeReadOnly(const QString& path) {
    ::chmod(QFile::encodeName(path).constData(), 0444);
}

// The names of a folder in the order the directory hands them out.
QStringList DirectoryOrder(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent* d = ::readdir(dir)) {
        const QString name = QString::fromUtf8(d->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    ::closedir(dir);
    return names;
}

QStringList Names(const ListResult& r) {
    QStringList names;
    for (const ListRow& row : r.rows)
        names << row.name;
    return names;
}

const ListRow* Find(const ListResult& r, const QString& name) {
    for (const ListRow& row : r.rows)
        if (row.name == name)
            return &row;
    return nullptr;
}

ListOptions Patterns(const char* list) {
    ListOptions o;
    o.ListPattern = QString::fromUtf8(list);
    return o;
}

// A folder with a bit of everything the listing has to tell apart.
class FolderListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Movie.MPG", "clip.mpga", "a.avi", "b.AVI", "c.wmv", "noext", "photo.tiff",
                                 "pic.tif", ".secret.avi", "listed.avi", "x.tar.gz"})
            dir.write(QString::fromUtf8(name), "data");
        dir.write(".hidden", "listed.avi\r\nnot-there.mpg\n");
        MakeReadOnly(dir.write("ro.avi", "x"));
        MakeReadOnly(dir.write(".hro.avi", "x"));
        dir.mkdir("lost+found");
        dir.mkdir("sub.avi");
        dir.write("nested/inner.avi");
        MakeFifo(dir.file("pipe.avi"));
        MakeFifo(dir.file(".hpipe.avi"));
        ::symlink("nested", QFile::encodeName(dir.file("link-to-nested")).constData());
        ::symlink("nowhere", QFile::encodeName(dir.file("dangling.avi")).constData());
    }

    TempDir dir;
};

} // namespace

TEST_F(FolderListingTest, RowsComePatternByPatternInDirectoryOrder) {
    const ListResult r = ListFolderRows(dir.path(), Patterns("*.mpg;*.avi"));
    QStringList expected;
    const QStringList order = DirectoryOrder(dir.path());
    for (const char* ext : {".mpg", ".avi"})
        for (const QString& name : order)
            if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive) &&
                !name.startsWith(QLatin1Char('.')) && name != QLatin1String("listed.avi") &&
                name != QLatin1String("ro.avi") && name != QLatin1String("pipe.avi") &&
                name != QLatin1String("sub.avi") && name != QLatin1String("dangling.avi"))
                expected << name;
    EXPECT_EQ(Names(r), expected);
    EXPECT_EQ(expected.size(), 3);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.files, 3);
    EXPECT_EQ(r.folders, 0);

    const ListRow* movie = Find(r, "Movie.MPG");
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(JoinListKey(r.folder, movie->name), dir.file("Movie.MPG"));
    EXPECT_EQ(movie->extension, "MPG");
    EXPECT_EQ(ListRowSizeText(*movie), "         1");
    EXPECT_EQ(movie->attr, EntryAttr::Plain);
    EXPECT_FALSE(movie->isFolder());
    EXPECT_EQ(r.icons.at(movie->icon).base, "MPG");
    EXPECT_EQ(ListRowText(*movie, TimeColumn).size(), 19);
}

// A first start has no stored list: the built-in one must list what people have today.
TEST(FolderListingFirstStart, ListsTodaysVideosMusicAndPictures) {
    TempDir dir;
    const struct {
        const char* name;
        bool listed;
    } files[] = {{"01.mp4", true},  {"02.mkv", true},  {"03.webm", true}, {"04.mov", true},
                 {"05.flac", true}, {"06.opus", true}, {"07.m4v", true},  {"08.ogg", true},
                 {"09.m4a", true},  {"10.jpg", true},  {"11.JPEG", true}, {"12.png", true},
                 {"13.avi", true},  {"14.ogv", false}, {"15.ts", false},  {"16.webp", false},
                 {"17.txt", false}, {"18.aac", false}};
    QStringList expected;
    for (const auto& f : files) {
        dir.write(QString::fromUtf8(f.name), "data");
        if (f.listed)
            expected << QString::fromUtf8(f.name);
    }
    RuntimeSettings settings;
    settings.ListPattern = ListPatternFromStored(QString());
    QStringList names = Names(ListFolderRows(dir.path(), MakeListOptions(settings, false)));
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, expected);
}

TEST_F(FolderListingTest, ExtensionMustBeThePatternsOwn) {
    EXPECT_EQ(Names(ListFolderRows(dir.path(), Patterns("*.mpg"))), QStringList{"Movie.MPG"});
    EXPECT_EQ(Names(ListFolderRows(dir.path(), Patterns("*.tif"))), QStringList{"pic.tif"});
    EXPECT_EQ(Names(ListFolderRows(dir.path(), Patterns("*.gz"))), QStringList{"x.tar.gz"});
    EXPECT_TRUE(ListFolderRows(dir.path(), Patterns("*.tar.gz")).rows.empty());
    EXPECT_EQ(Names(ListFolderRows(dir.path(), Patterns("c*.WMV"))), QStringList{"c.wmv"});
    EXPECT_TRUE(ListFolderRows(dir.path(), Patterns("d*.wmv")).rows.empty());
    // Empty patterns and a trailing separator find nothing and stop nothing.
    EXPECT_EQ(Names(ListFolderRows(dir.path(), Patterns(";;*.wmv;"))), QStringList{"c.wmv"});
    EXPECT_TRUE(ListFolderRows(dir.path(), Patterns("")).rows.empty());
}

TEST_F(FolderListingTest, AttributesDecideAdmission) {
    struct Case {
        bool hidden, system, readOnly;
        QStringList admitted; // among the entries below
    };
    const QStringList probes = {".secret.avi", "listed.avi", "ro.avi",       ".hro.avi",
                                "pipe.avi",    ".hpipe.avi", "dangling.avi", "a.avi"};
    const Case cases[] = {
        {false, false, false, {"a.avi"}},
        {true, false, false, {".secret.avi", "listed.avi", ".hro.avi", "a.avi"}},
        {false, true, false, {"pipe.avi", ".hpipe.avi", "dangling.avi", "a.avi"}},
        {false, false, true, {"ro.avi", "a.avi"}},
        {true, true, true, probes},
    };
    for (const Case& c : cases) {
        ListOptions o = Patterns("*.avi");
        o.ShowHidden = c.hidden;
        o.ShowSystem = c.system;
        o.ShowReadOnly = c.readOnly;
        const ListResult r = ListFolderRows(dir.path(), o);
        for (const QString& probe : probes)
            EXPECT_EQ(Find(r, probe) != nullptr, c.admitted.contains(probe))
                << probe.toStdString() << " hidden=" << c.hidden << " system=" << c.system
                << " readOnly=" << c.readOnly;
        EXPECT_EQ(Find(r, "sub.avi"), nullptr) << "folders are never listed by pattern";
    }

    ListOptions all = Patterns("*.avi");
    all.ShowHidden = all.ShowSystem = all.ShowReadOnly = true;
    const ListResult r = ListFolderRows(dir.path(), all);
    const struct {
        const char* name;
        EntryAttr attr;
    } attrs[] = {{".secret.avi", EntryAttr::Hidden},  {"listed.avi", EntryAttr::Hidden},
                 {"ro.avi", EntryAttr::ReadOnly},     {".hro.avi", EntryAttr::Hidden},
                 {"pipe.avi", EntryAttr::System},     {".hpipe.avi", EntryAttr::System},
                 {"dangling.avi", EntryAttr::System}, {"a.avi", EntryAttr::Plain}};
    for (const auto& a : attrs) {
        const ListRow* row = Find(r, QString::fromUtf8(a.name));
        ASSERT_NE(row, nullptr) << a.name;
        EXPECT_EQ(row->attr, a.attr) << a.name;
    }
}

TEST_F(FolderListingTest, FileViewListsEveryFileAndFoldersOnRequest) {
    ListOptions o;
    o.ListPattern = QStringLiteral("*.mpg");
    o.FileViewMode = true;
    ListResult r = ListFolderRows(dir.path(), o);
    EXPECT_EQ(r.folders, 0);
    EXPECT_NE(Find(r, "clip.mpga"), nullptr);
    EXPECT_EQ(Find(r, "nested"), nullptr);
    ASSERT_NE(Find(r, "noext"), nullptr);
    EXPECT_EQ(Find(r, "noext")->extension, "<拡張子なし>");
    EXPECT_EQ(r.files, qint64(r.rows.size()));

    o.ShowFolders = true;
    r = ListFolderRows(dir.path(), o);
    EXPECT_EQ(r.folders, 3); // nested, sub.avi and the link to nested; lost+found is a system folder
    for (const char* name : {"nested", "sub.avi", "link-to-nested"}) {
        const ListRow* row = Find(r, QString::fromUtf8(name));
        ASSERT_NE(row, nullptr) << name;
        EXPECT_TRUE(row->isFolder());
        EXPECT_EQ(row->extension, "フォルダ");
        EXPECT_EQ(ListRowSizeText(*row), "--------");
        EXPECT_EQ(r.icons.at(row->icon).base, "");
        EXPECT_EQ(r.icons.at(row->icon).folderImage, FolderImage::Closed);
        EXPECT_EQ(ListRowText(*row, TimeColumn).size(), 19);
    }
    EXPECT_EQ(Find(r, "lost+found"), nullptr);
    EXPECT_EQ(Find(r, "inner.avi"), nullptr) << "nothing below the folder";

    o.ShowSystem = true;
    r = ListFolderRows(dir.path(), o);
    ASSERT_NE(Find(r, "lost+found"), nullptr);
    EXPECT_EQ(Find(r, "lost+found")->attr, EntryAttr::System);
    EXPECT_EQ(r.folders, 4);
}

TEST_F(FolderListingTest, ReadOnlyFoldersWithKnownNamesGetTheirImages) {
    for (const char* name : {"My Music", "Favorites", "Plain"})
        MakeReadOnly(dir.mkdir(QString::fromUtf8(name)));
    ListOptions o;
    o.FileViewMode = o.ShowFolders = o.ShowReadOnly = true;
    const ListResult r = ListFolderRows(dir.path(), o);
    EXPECT_EQ(Find(r, "My Music")->folderImage, FolderImage::MyMusic);
    EXPECT_EQ(Find(r, "Favorites")->folderImage, FolderImage::Favorites);
    EXPECT_EQ(Find(r, "Plain")->folderImage, FolderImage::Closed);
    EXPECT_EQ(Find(r, "nested")->folderImage, FolderImage::Closed);
    for (const char* name : {"My Music", "Favorites", "Plain"})
        ::chmod(QFile::encodeName(dir.file(QString::fromUtf8(name))).constData(), 0755);
}

TEST_F(FolderListingTest, SizesOfBigSparseFiles) {
    MakeSparse(dir.file("edge.dat"), 2147482624);
    MakeSparse(dir.file("over.dat"), 2147482625);
    MakeSparse(dir.file("huge.dat"), (4LL << 30) + 5);
    const ListResult r = ListFolderRows(dir.path(), Patterns("*.dat"));
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(ListRowSizeText(*Find(r, "edge.dat")), " 2,097,151");
    EXPECT_EQ(ListRowSizeText(*Find(r, "over.dat")), "0");
    EXPECT_EQ(ListRowSizeText(*Find(r, "huge.dat")), "0");
    EXPECT_EQ(Find(r, "huge.dat")->size, (4LL << 30) + 5);
}

TEST_F(FolderListingTest, AFileListedTwiceEndsTheListing) {
    // The third pattern meets a.avi again: the rows before it stay, the listing is incomplete.
    ListResult r = ListFolderRows(dir.path(), Patterns("*.avi;*.mpg;*.AVI;*.wmv"));
    EXPECT_FALSE(r.complete);
    QStringList expected = Names(ListFolderRows(dir.path(), Patterns("*.avi;*.mpg")));
    EXPECT_EQ(Names(r), expected);
    EXPECT_EQ(Find(r, "c.wmv"), nullptr);

    // Patterns that differ only in case are the same pattern.
    r = ListFolderRows(dir.path(), Patterns("*.tiff;*.TIFF"));
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(Names(r), QStringList{"photo.tiff"});

    // Only a listed row counts: a hidden file matched twice is refused twice, quietly.
    TempDir other;
    other.write(".only-hidden.mpg");
    r = ListFolderRows(other.path(), Patterns("*.mpg;*.mpg"));
    EXPECT_TRUE(r.complete);
    EXPECT_TRUE(r.rows.empty());
}

TEST(FolderListing, FoldersThatCannotBeReadGiveNothing) {
    TempDir dir;
    ListResult r = ListFolderRows(dir.path(), Patterns("*.avi"));
    EXPECT_TRUE(r.rows.empty());
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.files, 0);
    r = ListFolderRows(dir.file("missing"), Patterns("*.avi"));
    EXPECT_TRUE(r.rows.empty());
    r = ListFolderRows(QString(), Patterns("*.avi"));
    EXPECT_TRUE(r.rows.empty());
    // A trailing slash is not doubled in the keys.
    dir.write("a.avi");
    r = ListFolderRows(dir.path() + "/", Patterns("*.avi"));
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(JoinListKey(r.folder, r.rows[0].name), dir.file("a.avi"));
}

TEST(FolderListing, WildcardsAndIconBases) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.*", "noext", true},           {"*.mpg", "Movie.MPG", true}, {"*.mpg", "clip.mpga", false},
        {"c?ip.*", "CLIP.x", true},       {"c?ip.*", "cip.x", false},   {"*a*b", "xxaxxb", true},
        {"*a*b", "xxaxxbc", false},       {"[a].avi", "[A].AVI", true}, {"[a].avi", "a.avi", false},
        {"動画*.avi", "動画1.AVI", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesWildcard(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.match)
            << c.pattern << " " << c.name;

    EXPECT_EQ(FileIconBase("lnk", "/d/a.lnk"), "/d/a.lnk");
    EXPECT_EQ(FileIconBase("desktop", "/d/app.desktop"), "/d/app.desktop");
    EXPECT_EQ(FileIconBase("ico", "/d/x.ico"), "/d/x.ico");
    EXPECT_EQ(FileIconBase("LNK", "/d/A.LNK"), "LNK");
    EXPECT_EQ(FileIconBase("avi", "/d/a.avi"), "avi");
}

TEST(FolderListingNames, NamesThatAreNotUtf8AreListedApartAndFoundAgain) {
    TempDir dir;
    // Latin-1 "café" twice over (é and è), CP932 "テスト", and a folder named in Latin-1.
    const QString cafe = dir.writeBytes("caf\xE9.avi", "x");
    const QString cafe2 = dir.writeBytes("caf\xE8.avi", "x");
    const QString test = dir.writeBytes("\x83\x65\x83\x58\x83\x67.avi", "x");
    const QString folder = dir.mkdirBytes("\xE9t\xE9");
    const QString inner = dir.writeBytes("\xE9t\xE9/inner.avi", "x");

    ListOptions o = Patterns("*.avi");
    o.FileViewMode = o.ShowFolders = true;
    const ListResult r = ListFolderRows(dir.path(), o);
    QStringList keys;
    for (const ListRow& row : r.rows)
        keys << JoinListKey(r.folder, row.name);
    keys.sort();
    QStringList expected{cafe, cafe2, test, folder};
    expected.sort();
    EXPECT_EQ(keys, expected);
    for (const QString& key : {cafe, cafe2, test})
        EXPECT_TRUE(ExistsFile(key)) << DisplayFileName(key).toStdString();
    EXPECT_TRUE(ExistsFolder(folder));
    EXPECT_EQ(Names(ListFolderRows(folder, Patterns("*.avi"))), QStringList{"inner.avi"});
    EXPECT_TRUE(ExistsFile(inner));
    EXPECT_EQ(DisplayFileName(GetFileNamePart(cafe)), QStringLiteral("caf\uFFFD.avi"));
}

TEST(FolderListing, ABigFolderIsListedAsASmallOneIs) {
    // Enough entries to be examined on two threads: the order, the counts, the end at a file
    // listed twice and the icon runs must not depend on which thread saw an entry.
    TempDir dir;
    const char* extensions[] = {"avi", "MPG", "mpg", "txt", "lnk", ""};
    for (int i = 0; i < 6000; ++i) {
        const char* ext = extensions[(i * 7) % std::size(extensions)];
        dir.write(QStringLiteral("f%1%2%3").arg(i, 5, 10, QLatin1Char('0')).arg(*ext ? "." : "", ext));
    }
    MakeReadOnly(dir.write("ro.avi"));
    dir.write(".hidden.avi");
    const QStringList order = DirectoryOrder(dir.path());
    const auto listed = [&](const QStringList& suffixes) {
        QStringList names;
        for (const QString& suffix : suffixes)
            for (const QString& name : order)
                if (name.endsWith(suffix, Qt::CaseInsensitive) && name.startsWith(QLatin1Char('f')))
                    names << name;
        return names;
    };
    struct Case {
        const char* patterns;
        QStringList suffixes;
        bool complete;
    };
    const Case cases[] = {
        {"*.avi;*.mpg;*.lnk", {".avi", ".mpg", ".lnk"}, true},
        {"*.mpg;*.avi;*.mpg", {".mpg", ".avi"}, false}, // ends at the first file listed again
    };
    for (const Case& c : cases) {
        const ListResult r = ListFolderRows(dir.path(), Patterns(c.patterns));
        const QStringList expected = listed(c.suffixes);
        ASSERT_EQ(Names(r), expected) << c.patterns;
        EXPECT_EQ(r.complete, c.complete) << c.patterns;
        EXPECT_EQ(r.files, expected.size()) << c.patterns;
        // A run starts exactly where a file's icon base differs from the one before it.
        QString previous;
        size_t run = 0;
        for (size_t i = 0; i < r.rows.size(); ++i) {
            const QString key = JoinListKey(r.folder, r.rows[i].name);
            const QString extension = GetExtension(key);
            const QString base = FileIconBase(extension, key);
            EXPECT_EQ(r.icons.at(r.rows[i].icon).base, base) << key.toStdString();
            if (i == 0 || base != previous) {
                ASSERT_LT(run, r.iconRuns.size());
                EXPECT_EQ(r.iconRuns[run].firstRow, i);
                EXPECT_EQ(r.iconRuns[run].icon, r.rows[i].icon);
                ++run;
            }
            previous = base;
        }
        EXPECT_EQ(run, r.iconRuns.size()) << c.patterns;
    }
}
