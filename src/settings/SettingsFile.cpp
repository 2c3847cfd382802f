#include "settings/SettingsFile.h"

#include "base/DirStream.h"
#include "base/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

// A settings file this large is no settings file: reading it is refused, and so is any write
// over it, rather than filling the memory.
constexpr qint64 kMaxSettingsBytes = qint64(256) << 20;

// The temporary file of a save: the settings file's name, this tag and six letters or digits.
constexpr char kSaveTag[] = ".save-";
constexpr int kTagLetters = 6;

bool IsTagLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

QByteArray RandomTag() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray tag(kTagLetters, '0');
    for (char& c : tag)
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))];
    return tag;
}

bool Unusable(const QString& path) {
    return path.isEmpty() || path.contains(QChar(0));
}

/// The file a path finally names: a settings file kept as a link (into a dotfiles folder, say)
/// stays a link, and the file it points to is the one replaced.
QString ResolveLinks(const QString& path) {
    QString p = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < 32; ++hop) {
        const QFileInfo info(p);
        if (!info.isSymLink() || info.symLinkTarget().isEmpty())
            return p;
        p = info.symLinkTarget();
    }
    return p;
}

/// Removes a temporary file unless the save got as far as renaming it.
class TempFileGuard final {
public:
    explicit TempFileGuard(QByteArray path)
        : m_path(std::move(path)) {}
    Q_DISABLE_COPY(TempFileGuard)
    ~TempFileGuard() {
        if (!m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    void keep() { m_path.clear(); }

private:
    QByteArray m_path;
};

void SyncFolder(const QString& folder) {
    const UniqueFd dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

} // namespace

FileRead ReadSettingsFile(const QString& path, QByteArray& bytes) {
    bytes.clear();
    if (Unusable(path))
        return FileRead::Missing;
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer, for ever.
    UniqueFd fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return FileRead::Missing;
        if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            return FileRead::Missing;
        return FileRead::Unreadable;
    }
    if (::fstat(fd.get(), &st) != 0)
        return FileRead::Unreadable;
    if (!S_ISREG(st.st_mode))
        return FileRead::Missing;
    if (st.st_size > kMaxSettingsBytes)
        return FileRead::Unreadable;
    bytes.reserve(qsizetype(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + n > kMaxSettingsBytes) {
            bytes.clear();
            return FileRead::Unreadable;
        }
        if (n == 0)
            return FileRead::Read;
        bytes.append(buffer, n);
    }
}

bool IsWriteProtected(const QString& path) {
    struct stat st {};
    return !Unusable(path) && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           (st.st_mode & 0222) == 0;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes) {
    if (Unusable(path))
        return false;
    const QString target = ResolveLinks(path);
    const QByteArray native = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return false;
    // Root may write anywhere; a file without a write bit is still left alone, as Windows
    // leaves a file with the read-only attribute.
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0))
        return false;
    if (!exists && !QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;

    QByteArray temp;
    UniqueFd fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temp = native + kSaveTag + RandomTag();
        fd.reset(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                        exists ? mode_t(old.st_mode & 0777) : mode_t(0666)));
        if (!fd.valid() && errno != EEXIST)
            return false;
    }
    if (!fd.valid())
        return false;
    TempFileGuard guard(temp);
    if (exists) {
        // A run as root must not hand the user's file over to root. Where the owner cannot be
        // given back, the new file stays ours, which a user's own run gives anyway.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd.get(), old.st_uid, old.st_gid) != 0 && ::geteuid() == 0)
            return false;
        // After the owner: a change of owner clears the set-id bits.
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0)
            return false;
    }
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || fd.close() != 0)
        return false;
    if (::rename(temp.constData(), native.constData()) != 0)
        return false;
    guard.keep();
    SyncFolder(QFileInfo(target).absolutePath());
    return true;
}

int RemoveStaleSaveFiles(const QString& path) {
    if (Unusable(path))
        return 0;
    const QFileInfo target(ResolveLinks(path));
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    const QByteArray prefix = QFile::encodeName(target.fileName()) + kSaveTag;
    const DirStream dir = OpenDirStream(folder.constData());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + kTagLetters || !name.startsWith(prefix))
            continue;
        const QByteArray tag = name.mid(prefix.size());
        if (!std::all_of(tag.begin(), tag.end(), IsTagLetter))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::unlinkat(::dirfd(dir.get()), name.constData(), 0) == 0)
            ++removed;
    }
    return removed;
}

} // namespace tobimaru
