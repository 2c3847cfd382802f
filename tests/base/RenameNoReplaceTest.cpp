#include "base/RenameNoReplace.h"
#include "support/ArchiveMaker.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tobimaru {
namespace {

using Snapshot = QMap<QString, QByteArray>;

TEST(RenameNoReplace, NeverReplacesWhatIsThere) {
    using Rename = int (*)(int, const char*, int, const char*, FolderWithoutFlag);
    const std::pair<const char*, Rename> ways[] = {
        {"renameat2", RenameNoReplace}, {"a file system without the flag", RenameNoReplaceWithoutFlag}};
    struct Row {
        const char* what;
        bool folder; ///< the entry moved is a folder, not a file
        FolderWithoutFlag folders;
        std::function<void(const test::TempDir&)> occupy;
        int error;            ///< what the flag answers
        int errorWithoutFlag; ///< what the fallback answers
    };
    const auto none = [](const test::TempDir&) {};
    const auto file = [](const test::TempDir& d) { d.write("to", "theirs"); };
    const auto folder = [](const test::TempDir& d) { d.mkdir("to"); };
    const auto dangling = [](const test::TempDir& d) {
        ASSERT_EQ(::symlink("nowhere", d.file("to").toUtf8().constData()), 0);
    };
    const FolderWithoutFlag refuse = FolderWithoutFlag::Refuse;
    const FolderWithoutFlag look = FolderWithoutFlag::LookThenRename;
    const Row rows[] = {
        {"a file to a free name", false, refuse, none, 0, 0},
        {"a file onto a file", false, refuse, file, EEXIST, EEXIST},
        {"a file onto a folder", false, refuse, folder, EEXIST, EEXIST},
        {"a file onto a link to nowhere", false, refuse, dangling, EEXIST, EEXIST},
        // Without the flag a folder is the caller's to place, unless it asks for a look first.
        {"a folder to a free name, refused", true, refuse, none, 0, EISDIR},
        {"a folder to a free name, looked at", true, look, none, 0, 0},
        {"a folder onto a file, looked at", true, look, file, EEXIST, EEXIST},
        {"a folder onto a link to nowhere, looked at", true, look, dangling, EEXIST, EEXIST},
    };
    for (const auto& [way, rename] : ways) {
        const bool withFlag = rename == &RenameNoReplace;
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(way) + ": " + r.what);
            test::TempDir dir;
            if (r.folder)
                dir.write("from/inside", "ours");
            else
                dir.write("from", "ours");
            r.occupy(dir);
            const Snapshot before = test::FolderSnapshot(dir.path());
            const int at = ::open(dir.path().toUtf8().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_GE(at, 0);
            const int error = withFlag ? r.error : r.errorWithoutFlag;
            EXPECT_EQ(rename(at, "from", at, "to", r.folders), error);
            ::close(at);
            Snapshot expected;
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                QString key = it.key();
                if (error == 0 && (key == "from" || key.startsWith("from/")))
                    key.replace(0, 4, QStringLiteral("to"));
                expected.insert(key, it.value());
            }
            EXPECT_EQ(test::FolderSnapshot(dir.path()), expected);
        }
    }
}

} // namespace
} // namespace tobimaru
