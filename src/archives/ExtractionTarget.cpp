#include "archives/ExtractionTarget.h"

#include "base/FileNames.h"

#include "archives/ArchiverCodes.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace tobimaru {

namespace {

constexpr QLatin1Char kSlash('/');

bool IsDiskFull(int e) {
    return e == ENOSPC || e == EDQUOT;
}

} // namespace

EntryPath SafeRelativePath(const QString& stored) {
    EntryPath out;
    QString name = stored;
    name.replace(QLatin1Char('\\'), kSlash);
    if (name.startsWith(kSlash)) {
        out.code = ArchiverCode::HeaderBroken;
        return out;
    }
    QStringList kept;
    for (const QString& part : name.split(kSlash)) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        // Even "a/../b", which would stay inside, is refused: a name that climbs is made by
        // hand, and the writer's own check refuses it as well.
        if (part == QLatin1String("..")) {
            out.code = ArchiverCode::HeaderBroken;
            return out;
        }
        kept << part;
    }
    out.relative = kept.join(kSlash);
    return out;
}

bool LinkStaysInside(const QString& linkRelative, const QString& target,
                     const std::function<bool(const QString& relative)>& isRealFolder) {
    if (target.isEmpty() || target.startsWith(kSlash))
        return false;
    QStringList at = linkRelative.split(kSlash, Qt::SkipEmptyParts);
    if (!at.isEmpty())
        at.removeLast(); // a link resolves from the folder it stands in
    for (const QString& part : target.split(kSlash)) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part != QLatin1String("..")) {
            at << part;
            continue;
        }
        if (at.isEmpty() || !isRealFolder(at.join(kSlash)))
            return false;
        at.removeLast();
    }
    return true;
}

bool IsRealFolder(const QString& destination, const QString& relative) {
    struct stat st {};
    const QString path = relative.isEmpty() ? destination : destination + kSlash + relative;
    return ::lstat(EncodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int ProbeDestination(const QString& destination, const QString& relative, bool isFolder) {
    const QStringList parts = relative.split(kSlash, Qt::SkipEmptyParts);
    QString path = destination;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += kSlash + parts[i];
        struct stat st {};
        if (::lstat(EncodeFileName(path).constData(), &st) != 0)
            return ArchiverCode::Ok; // the rest will be made
        const bool last = i + 1 == parts.size();
        if (!last && !S_ISDIR(st.st_mode))
            return ArchiverCode::MakeDirectory;
        if (last && !(isFolder && S_ISDIR(st.st_mode)))
            return ArchiverCode::AlreadyExists;
    }
    return ArchiverCode::Ok;
}

FreeSpace QueryFreeSpace(const QString& folder) {
    FreeSpace out;
    struct statvfs vfs {};
    if (::statvfs(EncodeFileName(folder).constData(), &vfs) != 0)
        return out;
    out.known = true;
    out.block = vfs.f_frsize > 0 ? static_cast<qint64>(vfs.f_frsize) : 4096;
    out.bytes = static_cast<qint64>(vfs.f_bavail) * out.block;
    return out;
}

qint64 RoundUpToBlock(qint64 bytes, qint64 block) {
    if (bytes <= 0 || block <= 0)
        return bytes > 0 ? bytes : 0;
    return (bytes + block - 1) / block * block;
}

ArchiveFd::~ArchiveFd() {
    close();
}

ArchiveFd& ArchiveFd::operator=(ArchiveFd&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.release();
    }
    return *this;
}

int ArchiveFd::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int ArchiveFd::close() {
    if (m_fd < 0)
        return 0;
    const int result = ::close(release());
    return result == 0 ? 0 : errno;
}

ExtractionJournal::ExtractionJournal(const QString& destination)
    : m_root(::open(EncodeFileName(destination).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

ExtractionJournal::~ExtractionJournal() {
    if (!m_committed)
        rollBack();
}

int ExtractionJournal::openFolder(const QString& relative, int* fd) {
    if (relative.isEmpty()) {
        *fd = m_root.get();
        return ArchiverCode::Ok;
    }
    if (relative == m_lastFolder && m_lastFolderFd.get() >= 0) {
        *fd = m_lastFolderFd.get();
        return ArchiverCode::Ok;
    }
    m_lastFolder.clear();
    m_lastFolderFd = ArchiveFd();
    ArchiveFd current;
    int at = m_root.get();
    QString sub;
    for (const QString& part : relative.split(kSlash, Qt::SkipEmptyParts)) {
        sub = sub.isEmpty() ? part : sub + kSlash + part;
        const QByteArray name = EncodeFileName(part);
        if (::mkdirat(at, name.constData(), 0777) == 0) {
            m_made.push_back({EncodeFileName(sub), true});
        } else if (errno != EEXIST) {
            return IsDiskFull(errno) ? ArchiverCode::DiskSpace : ArchiverCode::MakeDirectory;
        }
        // A link or a file where a folder should be fails here (ELOOP, ENOTDIR).
        ArchiveFd next(::openat(at, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.get() < 0)
            return ArchiverCode::MakeDirectory;
        current = std::move(next);
        at = current.get();
    }
    m_lastFolder = relative;
    m_lastFolderFd = std::move(current);
    *fd = m_lastFolderFd.get();
    return ArchiverCode::Ok;
}

int ExtractionJournal::makeFolders(const QString& relative) {
    int fd = -1;
    return openFolder(relative, &fd);
}

namespace {

/// The folder part and the name of a relative path.
std::pair<QString, QByteArray> SplitLast(const QString& relative) {
    const qsizetype slash = relative.lastIndexOf(kSlash);
    if (slash < 0)
        return {QString(), EncodeFileName(relative)};
    return {relative.left(slash), EncodeFileName(relative.mid(slash + 1))};
}

int CreateCode(int e) {
    if (e == EEXIST)
        return ArchiverCode::AlreadyExists;
    return IsDiskFull(e) ? ArchiverCode::DiskSpace : ArchiverCode::FileOpen;
}

} // namespace

int ExtractionJournal::createFile(const QString& relative, int mode, ArchiveFd* file) {
    const auto [folder, name] = SplitLast(relative);
    int at = -1;
    if (const int code = openFolder(folder, &at))
        return code;
    ArchiveFd fd(::openat(at, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (fd.get() < 0)
        return CreateCode(errno);
    m_made.push_back({EncodeFileName(relative), false});
    *file = std::move(fd);
    return ArchiverCode::Ok;
}

int ExtractionJournal::createLink(const QString& relative, const QByteArray& target) {
    const auto [folder, name] = SplitLast(relative);
    int at = -1;
    if (const int code = openFolder(folder, &at))
        return code;
    if (::symlinkat(target.constData(), at, name.constData()) != 0)
        return CreateCode(errno);
    m_made.push_back({EncodeFileName(relative), false});
    return ArchiverCode::Ok;
}

void ExtractionJournal::commit() {
    m_committed = true;
}

void ExtractionJournal::rollBack() {
    m_lastFolderFd = ArchiveFd();
    m_lastFolder.clear();
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
        ::unlinkat(m_root.get(), it->relative.constData(), it->folder ? AT_REMOVEDIR : 0);
    m_made.clear();
    m_committed = true;
}

} // namespace tobimaru
