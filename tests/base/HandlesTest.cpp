// The owners of descriptors and directory streams: what a caller learns when opening or closing
// fails, since the reasons shown to the user come from it.
#include "base/DirStream.h"
#include "base/UniqueFd.h"
#include "support/TempDir.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>

namespace tobimaru::test {
namespace {

TEST(Handles, AFolderStreamOpensOnlyOnAFolderAndSaysWhyNot) {
    const TempDir dir;
    dir.mkdir("folder");
    dir.write("file.txt", "x");
    struct Row {
        const char* name;
        bool opens;
        int error;
    };
    for (const Row& row :
         {Row{"folder", true, 0}, Row{"file.txt", false, ENOTDIR}, Row{"gone", false, ENOENT}}) {
        SCOPED_TRACE(row.name);
        errno = 0;
        const DirStream stream = OpenDirStream(QFile::encodeName(dir.file(row.name)).constData());
        EXPECT_EQ(bool(stream), row.opens);
        if (!row.opens) {
            EXPECT_EQ(errno, row.error);
        }
    }
}

TEST(Handles, AStreamRefusedOverAFileClosesItsDescriptorAndKeepsTheReason) {
    const TempDir dir;
    const int fd = ::open(QFile::encodeName(dir.write("file.txt", "x")).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    errno = 0;
    EXPECT_FALSE(OpenDirStream(fd));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the descriptor is closed";
}

TEST(Handles, ACloseGivesItsErrno) {
    const TempDir dir;
    UniqueFd fd(::open(QFile::encodeName(dir.write("file.txt", "x")).constData(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(fd.valid());
    EXPECT_EQ(fd.close(), 0);
    EXPECT_FALSE(fd.valid());
    EXPECT_EQ(fd.close(), EBADF) << "nothing left to close";
}

} // namespace
} // namespace tobimaru::test
