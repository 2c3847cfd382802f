#include "platform/RemoveTree.h"

#include "base/DirStream.h"
#include "base/FileNames.h"
#include "base/SystemReason.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

struct Remover {
    QString failure;

    bool fail(const QString& where, int error) {
        if (failure.isEmpty())
            failure = where + QStringLiteral(": ") + SystemReason(error);
        return false;
    }

    // Empties the folder open at `fd` (which this takes over); `where` names it in a failure.
    bool emptyAt(int fd, const QString& where) {
        const DirStream dir = OpenDirStream(fd);
        if (!dir.get())
            return fail(where, errno);
        const int dfd = ::dirfd(dir.get());
        bool ok = true;
        errno = 0;
        while (const dirent* e = ::readdir(dir.get())) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            ok = removeAt(dfd, e->d_name, where + QLatin1Char('/') + DecodeFileName(e->d_name)) && ok;
            errno = 0;
        }
        if (errno != 0)
            return fail(where, errno);
        return ok;
    }

    bool removeAt(int parent, const char* name, const QString& where) {
        struct stat st {};
        if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT || fail(where, errno);
        if (!S_ISDIR(st.st_mode)) {
            if (::unlinkat(parent, name, 0) != 0 && errno != ENOENT)
                return fail(where, errno);
            return true;
        }
        // A trashed read-only folder would keep its files: its owner may always make it writable.
        if ((st.st_mode & S_IRWXU) != S_IRWXU && st.st_uid == ::geteuid())
            ::fchmodat(parent, name, (st.st_mode & 07777) | S_IRWXU, 0);
        // O_NOFOLLOW: a folder swapped for a link meanwhile is not entered.
        const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return fail(where, errno);
        const bool emptied = emptyAt(fd, where);
        if (::unlinkat(parent, name, AT_REMOVEDIR) != 0 && errno != ENOENT)
            return emptied ? fail(where, errno) : false;
        return emptied;
    }
};

} // namespace

bool RemoveTree(const QString& path, QString* failure) {
    Remover r;
    const bool ok = r.removeAt(AT_FDCWD, EncodeFileName(path).constData(), path);
    if (failure)
        *failure = r.failure;
    return ok;
}

bool EmptyFolder(const QString& folder, QString* failure) {
    Remover r;
    const int fd =
        ::open(EncodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const bool ok = fd >= 0 ? r.emptyAt(fd, folder) : r.fail(folder, errno);
    if (failure)
        *failure = r.failure;
    return ok;
}

} // namespace tobimaru
