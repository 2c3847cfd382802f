#include "fileops/MoveEngine.h"

#include "base/DirStream.h"
#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "base/RenameNoReplace.h"
#include "base/SystemReason.h"
#include "base/UniqueFd.h"
#include "fileops/FileCopy.h"
#include "fileops/JobControl.h"
#include "fileops/SourceRemoval.h"
#include "platform/RemoveTree.h"
#include "platform/Trash.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

QByteArray Enc(const QString& path) {
    return EncodeFileName(path);
}

QString Line(const QString& shownPath, const QString& reason) {
    return shownPath + QStringLiteral(": ") + reason;
}

QString EntryFailure(const QString& source, const QString& reason) {
    return Line(DisplayFileName(GetFileNamePart(source)), reason);
}

bool SameNode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Walks up from `folder` by ".." and says whether `node` is on the way, so that a folder reached
// through a link or another name is still found.
bool HasAncestor(const QString& folder, const struct stat& node) {
    UniqueFd fd(::open(Enc(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int depth = 0; fd.valid() && depth < 4096; ++depth) {
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            break;
        if (SameNode(st, node))
            return true;
        UniqueFd up(::openat(fd.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat upSt {};
        const bool top = !up.valid() || ::fstat(up.get(), &upSt) != 0 || SameNode(upSt, st);
        fd = std::move(up);
        if (top)
            break;
    }
    return false;
}

// A hidden name beside the target for the copy that is not finished yet. The process id in it
// tells later moves whether the copy's maker is still alive.
QString PartName(const QString& name, int attempt) {
    const QString suffix = QStringLiteral(".tobimaru-part-%1-%2").arg(::getpid()).arg(attempt);
    // Names are at most 255 bytes; a long one gives way to the suffix alone.
    if (Enc(name).size() + Enc(suffix).size() + 1 > 255)
        return suffix;
    return QLatin1Char('.') + name + suffix;
}

bool AllDigits(const QByteArray& text) {
    return !text.isEmpty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The process that made a part copy of this name (PartName's forms), 0 when the name is none.
pid_t PartMaker(const QByteArray& name) {
    const QByteArray mark = QByteArrayLiteral(".tobimaru-part-");
    const qsizetype at = name.lastIndexOf(mark);
    if (at < 0 || !name.startsWith('.') || at == 1)
        return 0;
    const QList<QByteArray> numbers = name.mid(at + mark.size()).split('-');
    if (numbers.size() != 2 || !AllDigits(numbers[0]) || !AllDigits(numbers[1]))
        return 0;
    const qlonglong pid = numbers[0].toLongLong();
    return pid > 0 && pid <= INT_MAX ? pid_t(pid) : 0;
}

bool ProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// A move killed half-way (the machine switched off, the program ended by force) left its part
// copy; it is removed when the next move comes to that folder. Copies of a live process, another
// instance still moving, stay.
void RemoveLeftovers(const QString& destination) {
    const DirStream dir =
        OpenDirStream(::open(Enc(destination).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.get())
        return;
    QStringList leftovers;
    while (const dirent* e = ::readdir(dir.get())) {
        const pid_t maker = PartMaker(QByteArray(e->d_name));
        if (maker > 0 && maker != ::getpid() && ProcessGone(maker))
            leftovers << JoinPath(destination, DecodeFileName(e->d_name));
    }
    for (const QString& path : leftovers)
        RemoveTree(path);
}

// How a folder is put in place where the file system has no no-replace rename.
enum class FolderFallback {
    Copy,      ///< a folder of the user's: EXDEV, so that it is copied and its source removed
    ByEntries, ///< a finished copy of ours: its entries are moved into a new folder one by one
};

int PlaceByEntries(const QString& part, const QString& target);

// Puts `source` at `target` unless something is there already; never replaces anything. EEXIST
// when the name is taken, EXDEV when only a copy can take it there.
int MoveNoReplace(const QString& source, const QString& target, FolderFallback fallback) {
    const int error = RenameNoReplace(AT_FDCWD, Enc(source).constData(), AT_FDCWD, Enc(target).constData());
    if (error != EISDIR)
        return error;
    // A folder on a file system without the no-replace flag (FAT through FUSE). Such drivers may
    // also drop a renamed folder's entries (fusefat does), so no folder is renamed there.
    return fallback == FolderFallback::Copy ? EXDEV : PlaceByEntries(source, target);
}

// Makes the folder `target` (never over anything), moves the entries of the copy `part` into it
// one by one and removes the emptied part. On a failure the caller removes both: each holds
// only what this copy made.
int PlaceByEntries(const QString& part, const QString& target) {
    struct stat st {};
    if (::lstat(Enc(part).constData(), &st) != 0)
        return errno;
    if (::mkdir(Enc(target).constData(), 0700) != 0)
        return errno;
    QStringList names;
    {
        const DirStream dir =
            OpenDirStream(::open(Enc(part).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!dir.get())
            return errno;
        while (const dirent* e = ::readdir(dir.get())) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names << DecodeFileName(e->d_name);
        }
    }
    for (const QString& name : names) {
        const int error =
            MoveNoReplace(JoinPath(part, name), JoinPath(target, name), FolderFallback::ByEntries);
        if (error != 0)
            return error;
    }
    // What the copy gave the folder; a file system that cannot keep it keeps what it can.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::chmod(Enc(target).constData(), st.st_mode & 07777);
    ::utimensat(AT_FDCWD, Enc(target).constData(), times, AT_SYMLINK_NOFOLLOW);
    return ::rmdir(Enc(part).constData()) == 0 ? 0 : errno;
}

// NeedsCopy: one file system, yet no rename can put it there.
enum class Outcome { Moved, Skipped, Cancelled, Failed, NeedsCopy };

class Mover final {
public:
    Mover(JobControl& job, Trash& trash, const QString& destination)
        : m_job(job)
        , m_trash(trash)
        , m_destination(destination) {}

    /// On Failed, `failure` is the line for the box: the shown path and why.
    Outcome move(const QString& source, const struct stat& st, const struct stat& destSt, QString* failure);

private:
    Outcome rename(const QString& source, const QString& target, QString* failure);
    Outcome copyAcross(const QString& source, const struct stat& st, const QString& target, bool replace,
                       QString* failure);
    Outcome putInPlace(const QString& source, const QString& part, const QString& target, bool replace,
                       QString* failure);
    Outcome removeSource(const QString& source, const CopyResult& copied, const QString& target,
                         QString* failure);
    Outcome askAboutClash(const QString& target, bool* replace);

    JobControl& m_job;
    Trash& m_trash;
    QString m_destination;
    bool m_leftoversGone = false; ///< the part copies of killed moves are gone from the destination
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

Outcome Mover::move(const QString& source, const struct stat& st, const struct stat& destSt,
                    QString* failure) {
    const QString name = GetFileNamePart(source);
    const QString target = JoinPath(m_destination, name);
    struct stat targetSt {};
    const bool taken = ::lstat(Enc(target).constData(), &targetSt) == 0;
    // Already where it is to go: nothing to do, and nothing to ask.
    if (taken && SameNode(targetSt, st))
        return Outcome::Skipped;
    if (taken && source.startsWith(target + QLatin1Char('/'))) {
        *failure = EntryFailure(source, QStringLiteral("移動するものを含むフォルダは置き換えられません。"));
        return Outcome::Failed;
    }
    bool replace = false;
    if (taken) {
        const Outcome answer = askAboutClash(target, &replace);
        if (answer != Outcome::Moved)
            return answer;
    }
    if (st.st_dev == destSt.st_dev) {
        QString reason;
        if (replace && !m_trash.moveToTrash(target, &reason)) {
            *failure = EntryFailure(target, reason);
            return Outcome::Failed;
        }
        const Outcome renamed = rename(source, target, failure);
        // Some directories of one file system still cannot be renamed into another (an
        // overlay's lower layer, a bind mount, a folder on FAT through FUSE): they are copied
        // like any other, after the same checks.
        if (renamed != Outcome::NeedsCopy)
            return renamed;
        replace = false;
        const qint64 bytes = ScanForCopy(source, st, failure);
        if (!failure->isEmpty())
            return Outcome::Failed;
        m_job.addTotalBytes(bytes);
    }
    return copyAcross(source, st, target, replace, failure);
}

Outcome Mover::rename(const QString& source, const QString& target, QString* failure) {
    const int error = MoveNoReplace(source, target, FolderFallback::Copy);
    if (error == 0)
        return Outcome::Moved;
    if (error == EXDEV)
        return Outcome::NeedsCopy;
    *failure = EntryFailure(source, error == EEXIST || error == ENOTEMPTY
                                        ? QStringLiteral("移動先に同じ名前があります。")
                                        : SystemReason(error));
    return Outcome::Failed;
}

Outcome Mover::copyAcross(const QString& source, const struct stat& st, const QString& target, bool replace,
                          QString* failure) {
    if (!m_leftoversGone) {
        RemoveLeftovers(m_destination);
        m_leftoversGone = true;
    }
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
        *failure = copied.reason.isEmpty() ? EntryFailure(source, SystemReason(EEXIST)) : copied.reason;
        return copied.status == CopyStatus::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    }
    const Outcome placed = putInPlace(source, part, target, replace, failure);
    if (placed != Outcome::Moved)
        return placed;
    return removeSource(source, copied, target, failure);
}

// Only a source whose copy is checked and in place is removed, and only while it is still what
// was copied.
Outcome Mover::removeSource(const QString& source, const CopyResult& copied, const QString& target,
                            QString* failure) {
    const SourceRemoval removal = RemoveCopiedSource(source, copied.copied);
    switch (removal.status) {
    case RemovalStatus::Removed:
        return Outcome::Moved;
    case RemovalStatus::Changed:
        // Both stay: the copy as it was read, the source as it is now.
        *failure = EntryFailure(
            source, removal.where == DisplayFileName(GetFileNamePart(source))
                        ? QStringLiteral("移動中に元が書き換えられたため、元も残しました。"
                                         "移動先にはコピーした時点の内容があります。")
                        : QStringLiteral("移動中に元のフォルダの中 (%1) が変わったため、元も残しました。"
                                         "移動先にはコピーした時点の内容があります。")
                              .arg(removal.where));
        return Outcome::Failed;
    case RemovalStatus::Failed:
        break;
    }
    if (!S_ISDIR(copied.copied.mode)) {
        // The source is whole: the copy goes again, so the entry is where it was.
        RemoveTree(target);
        *failure = Line(removal.where, removal.reason);
        return Outcome::Failed;
    }
    // Part of the source may be gone already; the whole copy stays, so nothing is lost.
    *failure = EntryFailure(
        source, QStringLiteral("移動先に写しましたが、元のフォルダを一部消せませんでした (%1: %2)")
                    .arg(removal.where, removal.reason));
    return Outcome::Failed;
}

Outcome Mover::putInPlace(const QString& source, const QString& part, const QString& target, bool replace,
                          QString* failure) {
    QString reason;
    struct stat partSt {};
    ::lstat(Enc(part).constData(), &partSt);
    if (replace && !m_trash.moveToTrash(target, &reason)) {
        RemoveTree(part);
        *failure = EntryFailure(target, reason);
        return Outcome::Failed;
    }
    const int error = MoveNoReplace(part, target, FolderFallback::ByEntries);
    if (error != 0) {
        // Someone took the name meanwhile: theirs stays. A folder placed entry by entry that
        // failed half-way is ours alone.
        if (error != EEXIST && S_ISDIR(partSt.st_mode))
            RemoveTree(target);
        RemoveTree(part);
        *failure = EntryFailure(source, error == EEXIST ? QStringLiteral("移動先に同じ名前があります。")
                                                        : SystemReason(error));
        return Outcome::Failed;
    }
    // The new name must be on the disk before the source goes.
    const UniqueFd dir(::open(Enc(m_destination).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
    return Outcome::Moved;
}

// The folder's real path by the bytes of its names; empty when it cannot be had.
QString CanonicalPath(const QString& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(Enc(path).constData(), nullptr),
                                                           &std::free);
    return real ? DecodeFileName(real.get()) : QString();
}

} // namespace

bool IsInsideFolder(const QString& destination, const QString& source) {
    struct stat st {};
    if (::lstat(Enc(source).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const QString dest = CanonicalPath(destination);
    const QString src = CanonicalPath(source);
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
        report.failed.append(
            Line(DisplayFileName(destination), QStringLiteral("移動先のフォルダがありません。")));
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

    struct Entry {
        struct stat st {};
        QString failure; ///< the box's line when the entry cannot be moved at all
    };
    std::vector<Entry> entries(size_t(sources.size()));
    qint64 totalBytes = 0;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        Entry& e = entries[size_t(i)];
        const QString& source = sources[i];
        struct stat parentSt {};
        if (::lstat(Enc(source).constData(), &e.st) != 0) {
            e.failure = EntryFailure(source, SystemReason(errno));
        } else if (::stat(Enc(GetParentPath(source)).constData(), &parentSt) == 0 &&
                   parentSt.st_dev != e.st.st_dev) {
            // A mount point would be emptied into the copy and still not go away.
            e.failure = EntryFailure(source, QStringLiteral("ドライブのルートは移動できません。"));
        } else if (e.st.st_dev != destSt.st_dev) {
            const qint64 bytes = ScanForCopy(source, e.st, &e.failure);
            if (e.failure.isEmpty())
                totalBytes += bytes;
        }
    }
    job.setTotals(totalBytes, int(sources.size()));

    Mover mover(job, trash, destination);
    bool failed = false;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (job.cancelled())
            break;
        const QString& source = sources[i];
        job.setEntry(int(i), DisplayFileName(GetFileNamePart(source)));
        const Entry& e = entries[size_t(i)];
        if (!e.failure.isEmpty()) {
            failed = true;
            report.failed.append(e.failure);
            continue;
        }
        QString failure;
        if (mover.move(source, e.st, destSt, &failure) == Outcome::Failed) {
            failed = true;
            report.failed.append(failure);
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
