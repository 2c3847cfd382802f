#include "base/PathQueries.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace tobimaru;

TEST(PathQueries, PiecesOfPaths) {
    struct Case {
        const char* path;
        const char* up;
        const char* ext;
        const char* base;
        const char* name;
    };
    const Case cases[] = {
        {"/a/b", "/a", "", "b", "b"},
        {"/a", "/", "", "a", "a"},
        {"/", "", "", "", ""},
        {"", "", "", "", ""},
        {"/a.b/readme", "/a.b", "", "readme", "readme"},
        {"/x/x.tar.gz", "/x", "gz", "x.tar", "x.tar.gz"},
        {"/x/Movie.MPG", "/x", "MPG", "Movie", "Movie.MPG"},
        {"/x/.bashrc", "/x", "bashrc", "", ".bashrc"},
        {"/a/b/", "/a", "", "b", "b"},
    };
    for (const auto& c : cases) {
        const QString p = QString::fromUtf8(c.path);
        EXPECT_EQ(GetUpPath(p), QString::fromUtf8(c.up)) << c.path;
        EXPECT_EQ(GetParentPath(p), QString::fromUtf8(c.up)) << c.path;
        EXPECT_EQ(GetExtension(p), QString::fromUtf8(c.ext)) << c.path;
        EXPECT_EQ(GetFileBaseName(p), QString::fromUtf8(c.base)) << c.path;
        EXPECT_EQ(GetFileNamePart(p), QString::fromUtf8(c.name)) << c.path;
    }
}

TEST(PathQueries, ExistenceTellsFilesFromFolders) {
    test::TempDir dir;
    const QString file = dir.write("f.avi", "x");
    const QString folder = dir.mkdir("sub");
    EXPECT_TRUE(ExistsFile(file));
    EXPECT_FALSE(ExistsFile(folder));
    EXPECT_TRUE(ExistsFolder(folder));
    EXPECT_TRUE(ExistsFolder(QStringLiteral("/")));
    EXPECT_FALSE(ExistsFolder(file));
    EXPECT_FALSE(ExistsFolder(QString()));
    EXPECT_FALSE(ExistsFile(QString()));
    EXPECT_FALSE(ExistsFile(dir.file("missing")));
    EXPECT_EQ(JoinPath("/", "a"), "/a");
    EXPECT_EQ(JoinPath("/x", "a"), "/x/a");
}
