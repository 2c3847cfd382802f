#include "fileops/FileCopy.h"

#include "base/DirStream.h"
#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "base/SystemReason.h"
#include "base/UniqueFd.h"
#include "fileops/JobControl.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tobimaru {

namespace {

// Small enough that a chunk and its read-back stay in the processor's cache.
constexpr size_t kChunk = size_t(128) << 10;

QString Shown(const QString& where, const char* name) {
    return where + QLatin1Char('/') + DisplayFileName(DecodeFileName(name));
}

// Permission bits and times a file system cannot keep (FAT has no permission bits, and says so
// with ENOSYS or EPERM) are left behind, as cp does; the bytes are what must arrive.
bool CannotKeep(int error) {
    return error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EPERM || error == EINVAL;
}

bool IsDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool Special(const struct stat& st) {
    return !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode) && !S_ISFIFO(st.st_mode);
}

struct Scanner {
    qint64 bytes = 0;
    QString reason;

    bool fail(const QString& where, const QString& why) {
        reason = where + QStringLiteral(": ") + why;
        return false;
    }

    bool folder(int fd, const QString& where) {
        const DirStream dir = OpenDirStream(fd);
        if (!dir.get())
            return fail(where, SystemReason(errno));
        // Readable to be copied, writable for its entries to be removed afterwards.
        if (::faccessat(::dirfd(dir.get()), ".", R_OK | W_OK | X_OK, 0) != 0)
            return fail(where, SystemReason(errno));
        const int dfd = ::dirfd(dir.get());
        errno = 0;
        while (const dirent* e = ::readdir(dir.get())) {
            if (IsDot(e->d_name))
                continue;
            const QString sub = Shown(where, e->d_name);
            struct stat st {};
            if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return fail(sub, SystemReason(errno));
            if (Special(st))
                return fail(sub, QStringLiteral("デバイスやソケットは移動できません。"));
            if (S_ISREG(st.st_mode))
                bytes += st.st_size;
            if (S_ISDIR(st.st_mode)) {
                const int sfd = ::openat(dfd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sfd < 0)
                    return fail(sub, SystemReason(errno));
                if (!folder(sfd, sub))
                    return false;
            }
            errno = 0;
        }
        if (errno != 0)
            return fail(where, SystemReason(errno));
        return true;
    }
};

class Copier final {
public:
    explicit Copier(JobControl& job)
        : m_job(job) {}

    CopyStatus entry(int srcDir, const char* srcName, int dstDir, const char* dstName, const struct stat& st,
                     const QString& where, bool top, CopiedEntry& record);
    QString reason() const { return m_reason; }

private:
    CopyStatus fail(const QString& where, const QString& why) {
        if (m_reason.isEmpty())
            m_reason = where + QStringLiteral(": ") + why;
        return CopyStatus::Failed;
    }
    CopyStatus failErrno(const QString& where, int error) { return fail(where, SystemReason(error)); }
    CopyStatus file(int srcDir, const char* srcName, int dstDir, const char* dstName, const QString& where,
                    bool top, CopiedEntry& record);
    CopyStatus transfer(int in, int out, off_t size, const QString& where);
    CopyStatus copyRange(int in, int out, off_t from, off_t to, const QString& where);
    CopyStatus zeros(int out, off_t from, off_t to, const QString& where);
    CopyStatus writeChecked(int out, const char* bytes, size_t n, off_t at, const QString& where);
    bool readsBack(int fd, const char* bytes, size_t n, off_t at);
    CopyStatus folder(int srcFd, int dstFd, const QString& where, CopiedEntry& record);

    JobControl& m_job;
    QString m_reason;
    std::vector<std::pair<dev_t, ino_t>> m_made; ///< folders this copy made
    std::vector<char> m_bufA;
    std::vector<char> m_bufB;
    int m_outDir = -1;               ///< the folder of the file being written
    const char* m_outName = nullptr; ///< its name there
};

// Each chunk is written and at once read back from the copy and compared, while both are still
// in the processor's cache: checking every byte then costs little more than the copy.
CopyStatus Copier::writeChecked(int out, const char* bytes, size_t n, off_t at, const QString& where) {
    const QString differs = QStringLiteral("書き込んだ内容を読み戻すと元と違っていました。");
    for (size_t written = 0; written < n;) {
        const ssize_t w = ::pwrite(out, bytes + written, n - written, at + off_t(written));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return failErrno(where, w < 0 ? errno : ENOSPC);
        written += size_t(w);
    }
    if (readsBack(out, bytes, n, at))
        return CopyStatus::Copied;
    // Some drivers (FAT through FUSE) answer the writer's own descriptor from a stale buffer
    // right after a small write; a descriptor opened now reads what the volume holds.
    const UniqueFd fresh(::openat(m_outDir, m_outName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fresh.valid())
        return failErrno(where, errno);
    return readsBack(fresh.get(), bytes, n, at) ? CopyStatus::Copied : fail(where, differs);
}

bool Copier::readsBack(int fd, const char* bytes, size_t n, off_t at) {
    m_bufB.resize(kChunk);
    for (size_t got = 0; got < n;) {
        const ssize_t r = ::pread(fd, m_bufB.data() + got, n - got, at + off_t(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        got += size_t(r);
    }
    return std::memcmp(bytes, m_bufB.data(), n) == 0;
}

CopyStatus Copier::copyRange(int in, int out, off_t from, off_t to, const QString& where) {
    m_bufA.resize(kChunk);
    for (off_t done = from; done < to;) {
        if (m_job.cancelled())
            return CopyStatus::Cancelled;
        const size_t want = size_t(std::min<off_t>(to - done, off_t(kChunk)));
        const ssize_t n = ::pread(in, m_bufA.data(), want, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failErrno(where, errno);
        if (n == 0)
            return fail(where, QStringLiteral("コピーの途中で元のファイルが短くなりました。"));
        const CopyStatus status = writeChecked(out, m_bufA.data(), size_t(n), done, where);
        if (status != CopyStatus::Copied)
            return status;
        done += n;
        m_job.addBytes(n);
        m_job.pauseAt(JobControl::CopyPoint::ChunkCopied, where);
    }
    return CopyStatus::Copied;
}

// A hole the destination cannot leave unwritten (FAT will not grow a file by truncating) is
// written out as zeros.
CopyStatus Copier::zeros(int out, off_t from, off_t to, const QString& where) {
    if (::ftruncate(out, to) == 0) {
        m_job.addBytes(to - from);
        return CopyStatus::Copied;
    }
    const std::vector<char> none(kChunk, '\0');
    for (off_t done = from; done < to;) {
        if (m_job.cancelled())
            return CopyStatus::Cancelled;
        const size_t n = size_t(std::min<off_t>(to - done, off_t(kChunk)));
        const CopyStatus status = writeChecked(out, none.data(), n, done, where);
        if (status != CopyStatus::Copied)
            return status;
        done += off_t(n);
        m_job.addBytes(off_t(n));
    }
    return CopyStatus::Copied;
}

// Only the file's data is read and written; its holes stay holes, so a sparse disk image keeps
// the blocks it had.
CopyStatus Copier::transfer(int in, int out, off_t size, const QString& where) {
    off_t at = 0;
    while (at < size) {
        off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0)
            data = errno == ENXIO ? size : at; // ENXIO: a hole to the end; else no hole support
        data = std::min(data, size);
        off_t hole = data < size ? ::lseek(in, data, SEEK_HOLE) : size;
        if (hole < 0 || hole > size)
            hole = size;
        if (hole <= data && data < size)
            hole = size; // an answer that would not move on: the rest is copied as data
        if (data > at) {
            const CopyStatus status = zeros(out, at, data, where);
            if (status != CopyStatus::Copied)
                return status;
        }
        const CopyStatus status = copyRange(in, out, data, hole, where);
        if (status != CopyStatus::Copied)
            return status;
        at = hole;
    }
    return CopyStatus::Copied;
}

CopyStatus Copier::file(int srcDir, const char* srcName, int dstDir, const char* dstName,
                        const QString& where, bool top, CopiedEntry& record) {
    const UniqueFd in(::openat(srcDir, srcName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!in.valid() || ::fstat(in.get(), &st) != 0)
        return failErrno(where, errno);
    if (!S_ISREG(st.st_mode))
        return fail(where, QStringLiteral("コピーの途中で元のファイルが変わりました。"));
    // What is read from here on is this node as it is now: the source may only go while it
    // still is.
    record = RecordOf(record.name, st);
    UniqueFd out(::openat(dstDir, dstName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    m_outDir = dstDir;
    m_outName = dstName;
    if (!out.valid())
        return errno == EEXIST && top ? CopyStatus::NameTaken : failErrno(where, errno);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const CopyStatus status = transfer(in.get(), out.get(), st.st_size, where);
    if (status != CopyStatus::Copied)
        return status;
    struct stat outSt {};
    struct stat after {};
    if (::fstat(out.get(), &outSt) != 0 || ::fstat(in.get(), &after) != 0)
        return failErrno(where, errno);
    if (outSt.st_size != st.st_size)
        return fail(where, QStringLiteral("書き込んだ大きさが元と違います。"));
    // Written to while it was read: the copy may hold half of each. A file only renamed over or
    // linked meanwhile was read whole; the removal of the source sees that it is not the one.
    if (after.st_size != st.st_size || after.st_mtim.tv_sec != st.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != st.st_mtim.tv_nsec)
        return fail(where, QStringLiteral("コピーの途中で元のファイルが変わりました。"));
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out.get(), st.st_mode & 07777) != 0 && !CannotKeep(errno))
        return failErrno(where, errno);
    if (::futimens(out.get(), times) != 0 && !CannotKeep(errno))
        return failErrno(where, errno);
    // A lone file is flushed here; a folder's files all at once when the folder is done.
    if (top) {
        m_job.pauseAt(JobControl::CopyPoint::BeforeFlush, where);
        if (::fsync(out.get()) != 0)
            return failErrno(where, errno);
    }
    if (const int error = out.close())
        return failErrno(where, error);
    return CopyStatus::Copied;
}

CopyStatus Copier::folder(int srcFd, int dstFd, const QString& where, CopiedEntry& record) {
    const DirStream src = OpenDirStream(srcFd);
    const UniqueFd dst(dstFd);
    if (!src.get() || !dst.valid())
        return failErrno(where, errno);
    struct stat made {};
    if (::fstat(dst.get(), &made) == 0)
        m_made.emplace_back(made.st_dev, made.st_ino);
    const int sfd = ::dirfd(src.get());
    // The folder as it is before its listing is read: an entry added later changes this.
    struct stat self {};
    if (::fstat(sfd, &self) != 0)
        return failErrno(where, errno);
    const QByteArray name = record.name;
    record = RecordOf(name, self);
    errno = 0;
    while (const dirent* e = ::readdir(src.get())) {
        if (IsDot(e->d_name))
            continue;
        if (m_job.cancelled())
            return CopyStatus::Cancelled;
        const QString sub = Shown(where, e->d_name);
        struct stat st {};
        if (::fstatat(sfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return failErrno(sub, errno);
        record.children.push_back(RecordOf(QByteArray(e->d_name), st));
        const CopyStatus status =
            entry(sfd, e->d_name, dst.get(), e->d_name, st, sub, false, record.children.back());
        if (status != CopyStatus::Copied)
            return status == CopyStatus::NameTaken ? fail(sub, QStringLiteral("同じ名前があります。"))
                                                   : status;
        errno = 0;
    }
    if (errno != 0)
        return failErrno(where, errno);
    return CopyStatus::Copied;
}

CopyStatus Copier::entry(int srcDir, const char* srcName, int dstDir, const char* dstName,
                         const struct stat& st, const QString& where, bool top, CopiedEntry& record) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (S_ISREG(st.st_mode))
        return file(srcDir, srcName, dstDir, dstName, where, top, record);
    if (S_ISDIR(st.st_mode)) {
        // A folder this copy made, met again in the source: the destination lies inside the
        // source by a way the checks before could not see (a bind mount).
        for (const auto& [dev, ino] : m_made)
            if (dev == st.st_dev && ino == st.st_ino)
                return fail(where, QStringLiteral("フォルダをその中へは移動できません。"));
        if (::mkdirat(dstDir, dstName, 0700) != 0)
            return errno == EEXIST && top ? CopyStatus::NameTaken : failErrno(where, errno);
        UniqueFd s(::openat(srcDir, srcName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        const int sError = errno;
        UniqueFd d(::openat(dstDir, dstName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!s.valid() || !d.valid())
            return failErrno(where, s.valid() ? errno : sError);
        const CopyStatus status = folder(s.release(), d.release(), where, record);
        if (status != CopyStatus::Copied)
            return status;
        // The folder's own time last: writing its entries changed it.
        if (::fchmodat(dstDir, dstName, st.st_mode & 07777, 0) != 0 && !CannotKeep(errno))
            return failErrno(where, errno);
        if (::utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW) != 0 && !CannotKeep(errno))
            return failErrno(where, errno);
        return CopyStatus::Copied;
    }
    record = RecordOf(record.name, st);
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlinkat(srcDir, srcName, target.data(), target.size());
        if (n < 0 || size_t(n) >= target.size())
            return failErrno(where, n < 0 ? errno : ENAMETOOLONG);
        target[size_t(n)] = '\0';
        if (::symlinkat(target.data(), dstDir, dstName) != 0)
            return errno == EEXIST && top ? CopyStatus::NameTaken : failErrno(where, errno);
        ::utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW);
        return CopyStatus::Copied;
    }
    if (S_ISFIFO(st.st_mode)) {
        if (::mkfifoat(dstDir, dstName, st.st_mode & 07777) != 0)
            return errno == EEXIST && top ? CopyStatus::NameTaken : failErrno(where, errno);
        ::utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW);
        return CopyStatus::Copied;
    }
    return fail(where, QStringLiteral("デバイスやソケットは移動できません。"));
}

} // namespace

CopiedEntry RecordOf(const QByteArray& name, const struct stat& st) {
    CopiedEntry e;
    e.name = name;
    e.dev = st.st_dev;
    e.ino = st.st_ino;
    e.mode = st.st_mode;
    e.size = st.st_size;
    e.ctime = st.st_ctim;
    e.mtime = st.st_mtim;
    return e;
}

bool SameAsCopied(const struct stat& st, const CopiedEntry& copied) {
    return st.st_dev == copied.dev && st.st_ino == copied.ino &&
           (st.st_mode & S_IFMT) == (copied.mode & S_IFMT) && st.st_ctim.tv_sec == copied.ctime.tv_sec &&
           st.st_ctim.tv_nsec == copied.ctime.tv_nsec && (S_ISDIR(st.st_mode) || st.st_size == copied.size);
}

qint64 ScanForCopy(const QString& source, const struct stat& st, QString* reason) {
    const QString name = DisplayFileName(GetFileNamePart(source));
    if (::access(EncodeFileName(GetParentPath(source)).constData(), W_OK | X_OK) != 0) {
        *reason = name + QStringLiteral(": ") + SystemReason(errno);
        return 0;
    }
    if (Special(st)) {
        *reason = name + QStringLiteral(": デバイスやソケットは移動できません。");
        return 0;
    }
    if (!S_ISDIR(st.st_mode))
        return S_ISREG(st.st_mode) ? st.st_size : 0;
    Scanner scan;
    const int fd =
        ::open(EncodeFileName(source).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *reason = name + QStringLiteral(": ") + SystemReason(errno);
        return 0;
    }
    if (!scan.folder(fd, name)) {
        *reason = scan.reason;
        return 0;
    }
    return scan.bytes;
}

CopyResult CopyEntry(const QString& source, const struct stat& st, const QString& copy, JobControl& job) {
    CopyResult result;
    const QString name = DisplayFileName(GetFileNamePart(source));
    const UniqueFd srcDir(
        ::open(EncodeFileName(GetParentPath(source)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int srcError = errno;
    const UniqueFd dstDir(
        ::open(EncodeFileName(GetParentPath(copy)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!srcDir.valid() || !dstDir.valid()) {
        result.reason = name + QStringLiteral(": ") + SystemReason(srcDir.valid() ? errno : srcError);
        return result;
    }
    Copier copier(job);
    const QByteArray srcName = EncodeFileName(GetFileNamePart(source));
    result.copied.name = srcName;
    result.status =
        copier.entry(srcDir.get(), srcName.constData(), dstDir.get(),
                     EncodeFileName(GetFileNamePart(copy)).constData(), st, name, true, result.copied);
    // Everything written must be on the disk before the source may go.
    if (result.status == CopyStatus::Copied && S_ISDIR(st.st_mode))
        job.pauseAt(JobControl::CopyPoint::BeforeFlush, name);
    if (result.status == CopyStatus::Copied &&
        ((S_ISDIR(st.st_mode) && ::syncfs(dstDir.get()) != 0) || ::fsync(dstDir.get()) != 0)) {
        result.status = CopyStatus::Failed;
        result.reason = name + QStringLiteral(": ") + SystemReason(errno);
    }
    if (result.status == CopyStatus::Failed)
        result.reason = copier.reason().isEmpty() ? result.reason : copier.reason();
    return result;
}

} // namespace tobimaru
