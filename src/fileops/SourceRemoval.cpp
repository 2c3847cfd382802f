#include "fileops/SourceRemoval.h"

#include "base/DirStream.h"
#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "base/SystemReason.h"
#include "base/UniqueFd.h"
#include "fileops/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tobimaru {

namespace {

QString Shown(const QString& where, const QByteArray& name) {
    return where + QLatin1Char('/') + DisplayFileName(DecodeFileName(name));
}

bool IsDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

class Remover final {
public:
    SourceRemoval result;

    // A file with a second name in the tree: unlinking the first changed its link count and so
    // its change time, and nothing else.
    bool unlinkedBefore(const struct stat& st, const CopiedEntry& e) const {
        const bool seen = std::find(m_unlinked.begin(), m_unlinked.end(), std::pair(st.st_dev, st.st_ino)) !=
                          m_unlinked.end();
        return seen && st.st_dev == e.dev && st.st_ino == e.ino && st.st_size == e.size &&
               (st.st_mode & S_IFMT) == (e.mode & S_IFMT) && st.st_mtim.tv_sec == e.mtime.tv_sec &&
               st.st_mtim.tv_nsec == e.mtime.tv_nsec;
    }

    bool changed(const QString& where) {
        result = {RemovalStatus::Changed, where, {}};
        return false;
    }
    bool failed(const QString& where, int error) {
        result = {RemovalStatus::Failed, where, SystemReason(error)};
        return false;
    }

    // The entry `e` of the folder `parent` (and all below it) is still what the copy read.
    bool unchanged(int parent, const CopiedEntry& e, const QString& where) {
        struct stat st {};
        if (::fstatat(parent, e.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? changed(where) : failed(where, errno);
        if (!S_ISDIR(st.st_mode))
            return SameAsCopied(st, e) || changed(where);
        const DirStream dir = OpenDirStream(
            ::openat(parent, e.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!dir.get())
            return failed(where, errno);
        const int fd = ::dirfd(dir.get());
        if (::fstat(fd, &st) != 0)
            return failed(where, errno);
        std::vector<QByteArray> names;
        errno = 0;
        while (const dirent* d = ::readdir(dir.get())) {
            if (!IsDot(d->d_name))
                names.emplace_back(d->d_name);
            errno = 0;
        }
        if (errno != 0)
            return failed(where, errno);
        std::sort(names.begin(), names.end());
        std::vector<QByteArray> copiedNames;
        for (const CopiedEntry& child : e.children)
            copiedNames.push_back(child.name);
        std::sort(copiedNames.begin(), copiedNames.end());
        if (names != copiedNames) {
            // Name the first entry that was not there when the folder was read.
            for (const QByteArray& name : names) {
                if (!std::binary_search(copiedNames.begin(), copiedNames.end(), name))
                    return changed(Shown(where, name));
            }
            return changed(where);
        }
        // The same names, yet one may have been removed and made again.
        if (!SameAsCopied(st, e))
            return changed(where);
        return std::all_of(e.children.begin(), e.children.end(), [&](const CopiedEntry& child) {
            return unchanged(fd, child, Shown(where, child.name));
        });
    }

    bool remove(int parent, const CopiedEntry& e, const QString& where) {
        struct stat st {};
        if (::fstatat(parent, e.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT || failed(where, errno);
        if (!SameAsCopied(st, e) && !unlinkedBefore(st, e))
            return changed(where);
        if (!S_ISDIR(st.st_mode)) {
            if (::unlinkat(parent, e.name.constData(), 0) != 0 && errno != ENOENT)
                return failed(where, errno);
            if (st.st_nlink > 1)
                m_unlinked.emplace_back(st.st_dev, st.st_ino);
            return true;
        }
        const UniqueFd fd(
            ::openat(parent, e.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.valid())
            return failed(where, errno);
        for (const CopiedEntry& child : e.children) {
            if (!remove(fd.get(), child, Shown(where, child.name)))
                return false;
        }
        // Whatever came into the folder since it was compared keeps it in place.
        if (::unlinkat(parent, e.name.constData(), AT_REMOVEDIR) != 0) {
            if (errno == ENOTEMPTY || errno == EEXIST)
                return changed(where);
            return errno == ENOENT || failed(where, errno);
        }
        return true;
    }

private:
    std::vector<std::pair<dev_t, ino_t>> m_unlinked; ///< files with other names, unlinked here
};

} // namespace

SourceRemoval RemoveCopiedSource(const QString& source, const CopiedEntry& copied) {
    Remover r;
    const QString where = DisplayFileName(GetFileNamePart(source));
    const UniqueFd parent(
        ::open(EncodeFileName(GetParentPath(source)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid()) {
        r.failed(where, errno);
        return r.result;
    }
    if (r.unchanged(parent.get(), copied, where) && r.remove(parent.get(), copied, where))
        r.result = {RemovalStatus::Removed, {}, {}};
    return r.result;
}

} // namespace tobimaru
