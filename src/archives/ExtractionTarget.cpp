#include "archives/ExtractionTarget.h"

#include "archives/ArchiverCodes.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

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
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int ProbeDestination(const QString& destination, const QString& relative, bool isFolder) {
    const QStringList parts = relative.split(kSlash, Qt::SkipEmptyParts);
    QString path = destination;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += kSlash + parts[i];
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
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
    if (::statvfs(QFile::encodeName(folder).constData(), &vfs) != 0)
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

ExtractionJournal::ExtractionJournal(QString destination)
    : m_destination(std::move(destination)) {}

ExtractionJournal::~ExtractionJournal() {
    if (!m_committed)
        rollBack();
}

QString ExtractionJournal::absolute(const QString& relative) const {
    return relative.isEmpty() ? m_destination : m_destination + kSlash + relative;
}

int ExtractionJournal::makeFolders(const QString& relative) {
    const QStringList parts = relative.split(kSlash, Qt::SkipEmptyParts);
    QString sub;
    for (const QString& part : parts) {
        sub = sub.isEmpty() ? part : sub + kSlash + part;
        if (m_realFolders.contains(sub))
            continue;
        const QByteArray path = QFile::encodeName(absolute(sub));
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return ArchiverCode::MakeDirectory;
        } else if (::mkdir(path.constData(), 0777) == 0) {
            m_made.push_back({path, true});
        } else {
            const int e = errno;
            // Another writer may have made it a moment ago; a folder is as good as ours.
            if (e == EEXIST && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
                m_realFolders.insert(sub);
                continue;
            }
            return IsDiskFull(e) ? ArchiverCode::DiskSpace : ArchiverCode::MakeDirectory;
        }
        m_realFolders.insert(sub);
    }
    return ArchiverCode::Ok;
}

void ExtractionJournal::recordFile(const QString& absolutePath) {
    m_made.push_back({QFile::encodeName(absolutePath), false});
}

void ExtractionJournal::commit() {
    m_committed = true;
}

void ExtractionJournal::rollBack() {
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
        if (it->folder)
            ::rmdir(it->path.constData());
        else
            ::unlink(it->path.constData());
    }
    m_made.clear();
    m_realFolders.clear();
    m_committed = true;
}

} // namespace tobimaru
