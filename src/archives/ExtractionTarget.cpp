#include "archives/ExtractionTarget.h"

#include "base/DirStream.h"
#include "base/FileNames.h"
#include "base/RenameNoReplace.h"

#include "archives/ArchiverCodes.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <limits>
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

ArchiverCode ProbeDestination(const QString& destination, const QString& relative, bool isFolder) {
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

QByteArray PartName(pid_t pid, quint64 number) {
    return kPartPrefix + QByteArray::number(pid) + '-' + QByteArray::number(number);
}

pid_t PartNameOwner(const char* name) {
    const QByteArrayView text(name);
    if (!text.startsWith(kPartPrefix))
        return 0;
    // "<pid>-<number>", digits only.
    const QByteArrayView rest = text.sliced(qstrlen(kPartPrefix));
    const qsizetype dash = rest.indexOf('-');
    const auto digits = [](QByteArrayView v) {
        return !v.isEmpty() && std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash <= 0 || !digits(rest.first(dash)) || !digits(rest.sliced(dash + 1)))
        return 0;
    bool ok = false;
    const qlonglong pid = rest.first(dash).toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return 0;
    return static_cast<pid_t>(pid);
}

int RemoveStaleParts(int folder) {
    DirStream dir = OpenDirStream(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!dir)
        return 0;
    const pid_t self = ::getpid();
    int removed = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        const pid_t owner = PartNameOwner(e->d_name);
        if (owner == 0 || owner == self)
            continue;
        // A process of another user answers EPERM: alive, and its part stays.
        if (::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(folder, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            ::unlinkat(folder, e->d_name, 0) == 0)
            ++removed;
    }
    return removed;
}

ExtractionJournal::ExtractionJournal(const QString& destination)
    : m_root(::open(EncodeFileName(destination).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!m_root.valid()) {
        m_error = errno;
        return;
    }
    RemoveStaleParts(m_root.get());
}

ArchiverCode ExtractionJournal::failed(ArchiverCode code) {
    m_error = errno;
    return code;
}

ExtractionJournal::~ExtractionJournal() {
    if (!m_committed)
        rollBack();
}

ArchiverCode ExtractionJournal::openFolder(const QString& relative, int* fd) {
    if (relative.isEmpty()) {
        *fd = m_root.get();
        return ArchiverCode::Ok;
    }
    if (relative == m_lastFolder && m_lastFolderFd.get() >= 0) {
        *fd = m_lastFolderFd.get();
        return ArchiverCode::Ok;
    }
    m_lastFolder.clear();
    m_lastFolderFd = UniqueFd();
    UniqueFd current;
    int at = m_root.get();
    QString sub;
    for (const QString& part : relative.split(kSlash, Qt::SkipEmptyParts)) {
        sub = sub.isEmpty() ? part : sub + kSlash + part;
        const QByteArray name = EncodeFileName(part);
        if (::mkdirat(at, name.constData(), 0777) == 0) {
            m_made.push_back({EncodeFileName(sub), true});
        } else if (errno != EEXIST) {
            return failed(IsDiskFull(errno) ? ArchiverCode::DiskSpace : ArchiverCode::MakeDirectory);
        }
        // A link or a file where a folder should be fails here (ELOOP, ENOTDIR).
        UniqueFd next(::openat(at, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid())
            return failed(ArchiverCode::MakeDirectory);
        current = std::move(next);
        at = current.get();
    }
    if (!m_swept.contains(relative)) {
        m_swept.insert(relative);
        RemoveStaleParts(current.get());
    }
    m_lastFolder = relative;
    m_lastFolderFd = std::move(current);
    *fd = m_lastFolderFd.get();
    return ArchiverCode::Ok;
}

ArchiverCode ExtractionJournal::makeFolders(const QString& relative) {
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

ArchiverCode CreateCode(int e) {
    if (e == EEXIST)
        return ArchiverCode::AlreadyExists;
    return IsDiskFull(e) ? ArchiverCode::DiskSpace : ArchiverCode::FileOpen;
}

} // namespace

ArchiverCode ExtractionJournal::createFile(const QString& relative, int mode, PendingFile* file) {
    const auto [folder, name] = SplitLast(relative);
    int at = -1;
    if (const ArchiverCode code = openFolder(folder, &at); code != ArchiverCode::Ok)
        return code;
    // A part name is taken only by another extraction of this process into the same folder,
    // or by an entry of the archive named so: the next number is free.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray part = PartName(::getpid(), m_partNumber++);
        UniqueFd fd(
            ::openat(at, part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!fd.valid() && errno == EEXIST)
            continue;
        if (!fd.valid())
            return failed(CreateCode(errno));
        const QByteArray folderBytes = EncodeFileName(folder);
        m_made.push_back({folderBytes.isEmpty() ? part : folderBytes + '/' + part, false});
        file->fd = std::move(fd);
        file->relative = relative;
        file->part = part;
        file->journal = m_made.size() - 1;
        return ArchiverCode::Ok;
    }
    errno = EEXIST;
    return failed(ArchiverCode::FileOpen);
}

ArchiverCode ExtractionJournal::finishFile(PendingFile& file) {
    const auto [folder, name] = SplitLast(file.relative);
    int at = -1;
    if (const ArchiverCode code = openFolder(folder, &at); code != ArchiverCode::Ok)
        return code;
    // Killed half-way, the part stays beside the complete file and the next extraction takes it.
    if (const int e = RenameNoReplace(at, file.part.constData(), at, name.constData())) {
        errno = e;
        return failed(e == EEXIST ? ArchiverCode::AlreadyExists
                                  : (IsDiskFull(e) ? ArchiverCode::DiskSpace : ArchiverCode::WriteError));
    }
    m_made[file.journal].relative = EncodeFileName(file.relative);
    return ArchiverCode::Ok;
}

ArchiverCode ExtractionJournal::createLink(const QString& relative, const QByteArray& target) {
    const auto [folder, name] = SplitLast(relative);
    int at = -1;
    if (const ArchiverCode code = openFolder(folder, &at); code != ArchiverCode::Ok)
        return code;
    if (::symlinkat(target.constData(), at, name.constData()) != 0)
        return failed(CreateCode(errno));
    m_made.push_back({EncodeFileName(relative), false});
    return ArchiverCode::Ok;
}

void ExtractionJournal::commit() {
    m_committed = true;
}

void ExtractionJournal::rollBack() {
    m_lastFolderFd = UniqueFd();
    m_lastFolder.clear();
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
        ::unlinkat(m_root.get(), it->relative.constData(), it->folder ? AT_REMOVEDIR : 0);
    m_made.clear();
    m_committed = true;
}

} // namespace tobimaru
