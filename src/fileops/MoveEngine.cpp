#include "fileops/MoveEngine.h"

#include "base/PathQueries.h"
#include "fileops/FileCopy.h"
#include "fileops/JobControl.h"
#include "platform/RemoveTree.h"
#include "platform/Trash.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

QByteArray Enc(const QString& path) {
    return QFile::encodeName(path);
}

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool SameNode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Walks up from `folder` by ".." and says whether `node` is on the way, so that a folder reached
// through a link or another name is still found.
bool HasAncestor(const QString& folder, const struct stat& node) {
    int fd = ::open(Enc(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int depth = 0; fd >= 0 && depth < 4096; ++depth) {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            break;
        if (SameNode(st, node)) {
            ::close(fd);
            return true;
        }
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat upSt {};
        const bool top = up < 0 || ::fstat(up, &upSt) != 0 || SameNode(upSt, st);
        ::close(fd);
        fd = up;
        if (top)
            break;
    }
    if (fd >= 0)
        ::close(fd);
    return false;
}

// A hidden name beside the target for the copy that is not finished yet.
QString PartName(const QString& name, int attempt) {
    const QString suffix = QStringLiteral(".tobimaru-part-%1-%2").arg(::getpid()).arg(attempt);
    // Names are at most 255 bytes; a long one gives way to the suffix alone.
    if (Enc(name).size() + Enc(suffix).size() + 1 > 255)
        return suffix;
    return QLatin1Char('.') + name + suffix;
}

// NeedsCopy: one file system, yet no rename can put it there.
enum class Outcome { Moved, Skipped, Cancelled, Failed, NeedsCopy };

class Mover final {
public:
    Mover(JobControl& job, Trash& trash, const QString& destination)
        : m_job(job)
        , m_trash(trash)
        , m_destination(destination) {}

    Outcome move(const QString& source, const struct stat& st, const struct stat& destSt, QString* reason);
    qint64 scanBytes(const QString& source, const struct stat& st, QString* reason);

private:
    Outcome rename(const QString& source, const QString& target, QString* reason);
    Outcome copyAcross(const QString& source, const struct stat& st, const QString& target, bool replace,
                       QString* reason);
    Outcome putInPlace(const QString& part, const QString& target, bool replace, QString* reason);
    Outcome askAboutClash(const QString& target, bool* replace);

    JobControl& m_job;
    Trash& m_trash;
    QString m_destination;
};

Outcome Mover::askAboutClash(const QString& target, bool* replace) {
    switch (m_job.askClash(target)) {
    case JobControl::Clash::Replace:
        *replace = true;
        return Outcome::Moved;
    case JobControl::Clash::Skip:
        return Outcome::Skipped;
    case JobControl::Clash::CancelAll:
        break;
    }
    return Outcome::Cancelled;
}

qint64 Mover::scanBytes(const QString& source, const struct stat& st, QString* reason) {
    return ScanForCopy(source, st, reason);
}

Outcome Mover::move(const QString& source, const struct stat& st, const struct stat& destSt,
                    QString* reason) {
    const QString name = GetFileNamePart(source);
    const QString target = JoinPath(m_destination, name);
    struct stat targetSt {};
    const bool taken = ::lstat(Enc(target).constData(), &targetSt) == 0;
    // Already where it is to go: nothing to do, and nothing to ask.
    if (taken && SameNode(targetSt, st))
        return Outcome::Skipped;
    if (taken && source.startsWith(target + QLatin1Char('/'))) {
        *reason = QStringLiteral("移動するものを含むフォルダは置き換えられません。");
        return Outcome::Failed;
    }
    bool replace = false;
    if (taken) {
        const Outcome answer = askAboutClash(target, &replace);
        if (answer != Outcome::Moved)
            return answer;
    }
    if (st.st_dev == destSt.st_dev) {
        if (replace && !m_trash.moveToTrash(target, reason))
            return Outcome::Failed;
        const Outcome renamed = rename(source, target, reason);
        // Some directories of one file system still cannot be renamed into another (an
        // overlay's lower layer, a bind mount): they are copied like any other.
        if (renamed != Outcome::NeedsCopy)
            return renamed;
        replace = false;
    }
    return copyAcross(source, st, target, replace, reason);
}

Outcome Mover::rename(const QString& source, const QString& target, QString* reason) {
    const QByteArray from = Enc(source);
    const QByteArray to = Enc(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return Outcome::Moved;
    const int error = errno;
    if (error == EXDEV)
        return Outcome::NeedsCopy;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without the no-replace flag: a file is linked (which never replaces)
        // and unlinked; a folder is renamed once nothing is there.
        struct stat st {};
        if (::lstat(from.constData(), &st) == 0 && !S_ISDIR(st.st_mode)) {
            if (::link(from.constData(), to.constData()) == 0) {
                if (::unlink(from.constData()) == 0)
                    return Outcome::Moved;
                ::unlink(to.constData());
                *reason = ErrnoText(errno);
                return Outcome::Failed;
            }
            if (errno == EXDEV)
                return Outcome::NeedsCopy;
        } else if (::lstat(to.constData(), &st) != 0 && ::rename(from.constData(), to.constData()) == 0) {
            return Outcome::Moved;
        } else if (errno == EXDEV) {
            return Outcome::NeedsCopy;
        }
        *reason = ErrnoText(errno);
        return Outcome::Failed;
    }
    *reason = error == EEXIST || error == ENOTEMPTY ? QStringLiteral("移動先に同じ名前があります。")
                                                    : ErrnoText(error);
    return Outcome::Failed;
}

Outcome Mover::copyAcross(const QString& source, const struct stat& st, const QString& target, bool replace,
                          QString* reason) {
    const QString name = GetFileNamePart(source);
    CopyResult copied;
    QString part;
    for (int attempt = 0; attempt < 100; ++attempt) {
        part = JoinPath(m_destination, PartName(name, attempt));
        copied = CopyEntry(source, st, part, m_job);
        if (copied.status != CopyStatus::NameTaken)
            break;
    }
    if (copied.status != CopyStatus::Copied) {
        // Ours alone: the hidden name was made new by this copy.
        if (copied.status != CopyStatus::NameTaken)
            RemoveTree(part);
        *reason = copied.reason;
        return copied.status == CopyStatus::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    }
    const Outcome placed = putInPlace(part, target, replace, reason);
    if (placed != Outcome::Moved)
        return placed;

    // Only a source whose copy is checked and in place is removed.
    const QByteArray from = Enc(source);
    if (!S_ISDIR(st.st_mode)) {
        if (::unlink(from.constData()) == 0)
            return Outcome::Moved;
        *reason = ErrnoText(errno);
        // The source is whole: the copy goes again, so the entry is where it was.
        RemoveTree(target);
        return Outcome::Failed;
    }
    QString failure;
    if (RemoveTree(source, &failure))
        return Outcome::Moved;
    // Part of the source is gone already; the whole copy stays, so nothing is lost.
    *reason = QStringLiteral("移動先に写しましたが、元のフォルダを一部消せませんでした (%1)").arg(failure);
    return Outcome::Failed;
}

Outcome Mover::putInPlace(const QString& part, const QString& target, bool replace, QString* reason) {
    if (replace && !m_trash.moveToTrash(target, reason)) {
        RemoveTree(part);
        return Outcome::Failed;
    }
    if (::renameat2(AT_FDCWD, Enc(part).constData(), AT_FDCWD, Enc(target).constData(), RENAME_NOREPLACE) !=
        0) {
        // Someone took the name meanwhile: theirs stays.
        *reason = errno == EEXIST ? QStringLiteral("移動先に同じ名前があります。") : ErrnoText(errno);
        RemoveTree(part);
        return Outcome::Failed;
    }
    // The new name must be on the disk before the source goes.
    const int dir = ::open(Enc(m_destination).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Outcome::Moved;
}

QString EntryFailure(const QString& source, const QString& reason) {
    return GetFileNamePart(source) + QStringLiteral(": ") + reason;
}

} // namespace

bool IsInsideFolder(const QString& destination, const QString& source) {
    struct stat st {};
    if (::lstat(Enc(source).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const QString dest = QFileInfo(destination).canonicalFilePath();
    const QString src = QFileInfo(source).canonicalFilePath();
    if (!dest.isEmpty() && !src.isEmpty() &&
        (dest == src || dest.startsWith(src == QLatin1String("/") ? src : src + QLatin1Char('/'))))
        return true;
    return HasAncestor(destination, st);
}

MoveReport MoveEntries(const QStringList& sources, const QString& destination, JobControl& job,
                       Trash& trash) {
    MoveReport report;
    struct stat destSt {};
    if (::stat(Enc(destination).constData(), &destSt) != 0 || !S_ISDIR(destSt.st_mode)) {
        report.result = ShellCode::Failed;
        report.failed.append(destination + QStringLiteral(": 移動先のフォルダがありません。"));
        return report;
    }
    // Every folder is checked before anything moves: a folder into itself moves nothing at all.
    for (const QString& source : sources) {
        if (IsInsideFolder(destination, source)) {
            report.result = ShellCode::InsideSource;
            report.failed.append(
                EntryFailure(source, QStringLiteral("フォルダをその中へは移動できません。")));
            return report;
        }
    }

    Mover mover(job, trash, destination);
    struct Entry {
        struct stat st {};
        QString reason; ///< set when the entry cannot be moved at all
        bool across = false;
    };
    std::vector<Entry> entries(size_t(sources.size()));
    qint64 totalBytes = 0;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        Entry& e = entries[size_t(i)];
        const QString& source = sources[i];
        struct stat parentSt {};
        if (::lstat(Enc(source).constData(), &e.st) != 0) {
            e.reason = ErrnoText(errno);
        } else if (::stat(Enc(GetParentPath(source)).constData(), &parentSt) == 0 &&
                   parentSt.st_dev != e.st.st_dev) {
            // A mount point would be emptied into the copy and still not go away.
            e.reason = QStringLiteral("ドライブのルートは移動できません。");
        } else if (e.st.st_dev != destSt.st_dev) {
            e.across = true;
            const qint64 bytes = mover.scanBytes(source, e.st, &e.reason);
            if (e.reason.isEmpty())
                totalBytes += bytes;
        }
    }
    job.setTotals(totalBytes, int(sources.size()));

    bool failed = false;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (job.cancelled())
            break;
        const QString& source = sources[i];
        job.setEntry(int(i), GetFileNamePart(source));
        Entry& e = entries[size_t(i)];
        if (!e.reason.isEmpty()) {
            failed = true;
            report.failed.append(EntryFailure(source, e.reason));
            continue;
        }
        QString reason;
        const Outcome outcome = mover.move(source, e.st, destSt, &reason);
        if (outcome == Outcome::Failed) {
            failed = true;
            report.failed.append(EntryFailure(source, reason));
        }
    }
    job.setEntry(int(sources.size()), QString());
    if (failed)
        report.result = ShellCode::Failed;
    else if (job.cancelled())
        report.result = ShellCode::Declined;
    return report;
}

} // namespace tobimaru
