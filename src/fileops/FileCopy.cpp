#include "fileops/FileCopy.h"

#include "base/DirStream.h"

#include "base/PathQueries.h"
#include "fileops/JobControl.h"

#include <QFile>
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

QByteArray Enc(const QString& path) {
    return QFile::encodeName(path);
}

class Fd final {
public:
    explicit Fd(int fd = -1)
        : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

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
        // Readable to be copied, writable for its entries to be removed afterwards.
        if (::faccessat(fd, ".", R_OK | W_OK | X_OK, 0) != 0)
            return fail(where, QString::fromLocal8Bit(std::strerror(errno)));
        const DirStream dir = OpenDirStream(fd);
        if (!dir.get())
            return fail(where, QString::fromLocal8Bit(std::strerror(errno)));
        const int dfd = ::dirfd(dir.get());
        errno = 0;
        while (const dirent* e = ::readdir(dir.get())) {
            if (IsDot(e->d_name))
                continue;
            const QString sub = where + QLatin1Char('/') + QFile::decodeName(e->d_name);
            struct stat st {};
            if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return fail(sub, QString::fromLocal8Bit(std::strerror(errno)));
            if (Special(st))
                return fail(sub, QStringLiteral("デバイスやソケットは移動できません。"));
            if (S_ISREG(st.st_mode))
                bytes += st.st_size;
            if (S_ISDIR(st.st_mode)) {
                const int sfd = ::openat(dfd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sfd < 0)
                    return fail(sub, QString::fromLocal8Bit(std::strerror(errno)));
                if (!folder(sfd, sub))
                    return false;
            }
            errno = 0;
        }
        if (errno != 0)
            return fail(where, QString::fromLocal8Bit(std::strerror(errno)));
        return true;
    }
};

class Copier final {
public:
    explicit Copier(JobControl& job)
        : m_job(job) {}

    CopyStatus entry(int srcDir, const char* srcName, int dstDir, const char* dstName, const struct stat& st,
                     const QString& where, bool top);
    QString reason() const { return m_reason; }

private:
    CopyStatus fail(const QString& where, const QString& why) {
        if (m_reason.isEmpty())
            m_reason = where + QStringLiteral(": ") + why;
        return CopyStatus::Failed;
    }
    CopyStatus failErrno(const QString& where, int error) {
        return fail(where, QString::fromLocal8Bit(std::strerror(error)));
    }
    CopyStatus file(int srcDir, const char* srcName, int dstDir, const char* dstName, const QString& where,
                    bool top);
    CopyStatus transfer(int in, int out, off_t size, const QString& where);
    CopyStatus folder(int srcFd, int dstFd, const QString& where);

    JobControl& m_job;
    QString m_reason;
    std::vector<std::pair<dev_t, ino_t>> m_made; ///< folders this copy made
    std::vector<char> m_bufA;
    std::vector<char> m_bufB;
};

CopyStatus Copier::transfer(int in, int out, off_t size, const QString& where) {
    // Each chunk is written and at once read back from the copy and compared, while both are
    // still in the processor's cache: checking every byte then costs little more than the copy.
    m_bufA.resize(kChunk);
    m_bufB.resize(kChunk);
    const QString differs = QStringLiteral("書き込んだ内容を読み戻すと元と違っていました。");
    off_t done = 0;
    while (done < size) {
        if (m_job.cancelled())
            return CopyStatus::Cancelled;
        const size_t want = size_t(std::min<off_t>(size - done, off_t(kChunk)));
        const ssize_t n = ::pread(in, m_bufA.data(), want, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failErrno(where, errno);
        if (n == 0)
            return fail(where, QStringLiteral("コピーの途中で元のファイルが短くなりました。"));
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::pwrite(out, m_bufA.data() + written, size_t(n - written), done + written);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return failErrno(where, w < 0 ? errno : ENOSPC);
            written += w;
        }
        for (ssize_t got = 0; got < n;) {
            const ssize_t r = ::pread(out, m_bufB.data() + got, size_t(n - got), done + got);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                return r < 0 ? failErrno(where, errno) : fail(where, differs);
            got += r;
        }
        if (std::memcmp(m_bufA.data(), m_bufB.data(), size_t(n)) != 0)
            return fail(where, differs);
        done += n;
        m_job.addBytes(n);
    }
    return CopyStatus::Copied;
}

CopyStatus Copier::file(int srcDir, const char* srcName, int dstDir, const char* dstName,
                        const QString& where, bool top) {
    const Fd in(::openat(srcDir, srcName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0)
        return failErrno(where, errno);
    if (!S_ISREG(st.st_mode))
        return fail(where, QStringLiteral("コピーの途中で元のファイルが変わりました。"));
    Fd out(::openat(dstDir, dstName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0)
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
    // Written to meanwhile: the copy would lack what came later, and the source is to go.
    if (after.st_size != st.st_size || after.st_mtim.tv_sec != st.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != st.st_mtim.tv_nsec)
        return fail(where, QStringLiteral("コピーの途中で元のファイルが変わりました。"));
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out.get(), st.st_mode & 07777) != 0 || ::futimens(out.get(), times) != 0)
        return failErrno(where, errno);
    // A lone file is flushed here; a folder's files all at once when the folder is done.
    if (top && ::fsync(out.get()) != 0)
        return failErrno(where, errno);
    if (::close(out.release()) != 0)
        return failErrno(where, errno);
    return CopyStatus::Copied;
}

CopyStatus Copier::folder(int srcFd, int dstFd, const QString& where) {
    const DirStream src = OpenDirStream(srcFd);
    const Fd dst(dstFd);
    if (!src.get() || dst.get() < 0)
        return failErrno(where, errno);
    struct stat made {};
    if (::fstat(dst.get(), &made) == 0)
        m_made.emplace_back(made.st_dev, made.st_ino);
    const int sfd = ::dirfd(src.get());
    errno = 0;
    while (const dirent* e = ::readdir(src.get())) {
        if (IsDot(e->d_name))
            continue;
        if (m_job.cancelled())
            return CopyStatus::Cancelled;
        const QString sub = where + QLatin1Char('/') + QFile::decodeName(e->d_name);
        struct stat st {};
        if (::fstatat(sfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return failErrno(sub, errno);
        const CopyStatus status = entry(sfd, e->d_name, dst.get(), e->d_name, st, sub, false);
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
                         const struct stat& st, const QString& where, bool top) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (S_ISREG(st.st_mode))
        return file(srcDir, srcName, dstDir, dstName, where, top);
    if (S_ISDIR(st.st_mode)) {
        // A folder this copy made, met again in the source: the destination lies inside the
        // source by a way the checks before could not see (a bind mount).
        for (const auto& [dev, ino] : m_made)
            if (dev == st.st_dev && ino == st.st_ino)
                return fail(where, QStringLiteral("フォルダをその中へは移動できません。"));
        if (::mkdirat(dstDir, dstName, 0700) != 0)
            return errno == EEXIST && top ? CopyStatus::NameTaken : failErrno(where, errno);
        const int s = ::openat(srcDir, srcName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int d = ::openat(dstDir, dstName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (s < 0 || d < 0) {
            const int error = errno;
            if (s >= 0)
                ::close(s);
            if (d >= 0)
                ::close(d);
            return failErrno(where, error);
        }
        const CopyStatus status = folder(s, d, where);
        if (status != CopyStatus::Copied)
            return status;
        // The folder's own time last: writing its entries changed it.
        if (::fchmodat(dstDir, dstName, st.st_mode & 07777, 0) != 0 ||
            ::utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW) != 0)
            return failErrno(where, errno);
        return CopyStatus::Copied;
    }
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

qint64 ScanForCopy(const QString& source, const struct stat& st, QString* reason) {
    const QString name = GetFileNamePart(source);
    if (::access(Enc(GetParentPath(source)).constData(), W_OK | X_OK) != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return 0;
    }
    if (Special(st)) {
        *reason = QStringLiteral("デバイスやソケットは移動できません。");
        return 0;
    }
    if (!S_ISDIR(st.st_mode))
        return S_ISREG(st.st_mode) ? st.st_size : 0;
    Scanner scan;
    const int fd = ::open(Enc(source).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
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
    const Fd srcDir(::open(Enc(GetParentPath(source)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Fd dstDir(::open(Enc(GetParentPath(copy)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (srcDir.get() < 0 || dstDir.get() < 0) {
        result.reason = QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }
    Copier copier(job);
    const QString name = GetFileNamePart(source);
    result.status = copier.entry(srcDir.get(), Enc(name).constData(), dstDir.get(),
                                 Enc(GetFileNamePart(copy)).constData(), st, name, true);
    // Everything written must be on the disk before the source may go.
    if (result.status == CopyStatus::Copied &&
        ((S_ISDIR(st.st_mode) && ::syncfs(dstDir.get()) != 0) || ::fsync(dstDir.get()) != 0)) {
        result.status = CopyStatus::Failed;
        result.reason = name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    }
    if (result.status == CopyStatus::Failed)
        result.reason = copier.reason().isEmpty() ? result.reason : copier.reason();
    return result;
}

} // namespace tobimaru
