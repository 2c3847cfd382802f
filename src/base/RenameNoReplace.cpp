#include "base/RenameNoReplace.h"

#include "base/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

bool SameNode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int LookThenRename(int fromDir, const char* from, int toDir, const char* to) {
    struct stat there {};
    if (::fstatat(toDir, to, &there, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(fromDir, from, toDir, to) == 0 ? 0 : errno;
}

} // namespace

int RenameNoReplace(int fromDir, const char* from, int toDir, const char* to, FolderWithoutFlag folders) {
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    return RenameNoReplaceWithoutFlag(fromDir, from, toDir, to, folders);
}

int RenameNoReplaceWithoutFlag(int fromDir, const char* from, int toDir, const char* to,
                               FolderWithoutFlag folders) {
    struct stat entry {};
    if (::fstatat(fromDir, from, &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISDIR(entry.st_mode))
        return folders == FolderWithoutFlag::Refuse ? EISDIR : LookThenRename(fromDir, from, toDir, to);
    // A link never replaces anything.
    if (::linkat(fromDir, from, toDir, to, 0) == 0) {
        struct stat still {};
        int error = 0;
        // Unlink only the entry that was linked, not one put in its place meanwhile.
        if (::fstatat(fromDir, from, &still, AT_SYMLINK_NOFOLLOW) != 0)
            error = errno;
        else if (!SameNode(still, entry))
            error = EBUSY;
        else if (::unlinkat(fromDir, from, 0) != 0)
            error = errno;
        else
            return 0;
        // Both names are one file: the new one goes again and the entry is where it was.
        ::unlinkat(toDir, to, 0);
        return error;
    }
    if (errno == EEXIST || errno == EXDEV)
        return errno;
    // No hard links (FAT): an empty file made exclusively holds the name.
    const UniqueFd hold(::openat(toDir, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!hold.valid())
        return errno;
    if (::renameat(fromDir, from, toDir, to) == 0)
        return 0;
    const int error = errno;
    // Only the placeholder is removed, not whatever another program put there meanwhile.
    struct stat held {};
    struct stat there {};
    if (::fstat(hold.get(), &held) == 0 && ::fstatat(toDir, to, &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameNode(held, there))
        ::unlinkat(toDir, to, 0);
    return error;
}

} // namespace tobimaru
