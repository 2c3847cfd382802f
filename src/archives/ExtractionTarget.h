#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace tobimaru {

/// A stored entry name made into a path below the destination.
struct EntryPath {
    /// Relative, "/"-separated, no "." or empty parts; "" names the destination itself.
    QString relative;
    /// 0, or 0x8017 for a name that is absolute or climbs with "..".
    int code = 0;
};

/// The stored name as a relative path. Backslashes count as separators: Windows tools wrote
/// them, and "..\\x" must not slip through as a harmless-looking file name.
EntryPath SafeRelativePath(const QString& stored);

/// True when a link at `linkRelative` pointing at `target` stays inside the destination. The
/// target must be relative and may climb with ".." only out of folders that `isRealFolder` says
/// are real folders (never links) inside the destination: a climb out of a link goes wherever
/// the link points.
bool LinkStaysInside(const QString& linkRelative, const QString& target,
                     const std::function<bool(const QString& relative)>& isRealFolder);

/// How the destination stands for an entry before anything is written: 0; 0x8010 when
/// something is at the entry's place (a folder entry may meet a real folder); 0x8012 when one
/// of its parents is there as a file or a link.
int ProbeDestination(const QString& destination, const QString& relative, bool isFolder);

/// True when `relative` below `destination` is a real folder (lstat, links not followed).
bool IsRealFolder(const QString& destination, const QString& relative);

/// Space a writer without privileges may use on the folder's file system, and its block size.
struct FreeSpace {
    bool known = false;
    qint64 bytes = 0;
    qint64 block = 4096;
};
FreeSpace QueryFreeSpace(const QString& folder);

/// `bytes` rounded up to whole blocks.
qint64 RoundUpToBlock(qint64 bytes, qint64 block);

/// An owned file descriptor, closed when it goes.
// Not base/UniqueFd.h: close() here answers with the errno, which the journal reports.
class ArchiveFd final {
public:
    ArchiveFd() = default;
    explicit ArchiveFd(int fd)
        : m_fd(fd) {}
    ~ArchiveFd();
    ArchiveFd(ArchiveFd&& other) noexcept
        : m_fd(other.release()) {}
    ArchiveFd& operator=(ArchiveFd&& other) noexcept;
    ArchiveFd(const ArchiveFd&) = delete;
    ArchiveFd& operator=(const ArchiveFd&) = delete;
    int get() const { return m_fd; }
    int release();
    /// Closes now and returns close()'s errno (0 when it went well): a network or full disk may
    /// tell of a failed write only here.
    int close();

private:
    int m_fd = -1;
};

/// Everything one extraction makes goes through here, and is remembered, so that a failed one
/// can take exactly that away again. Each path is walked one part at a time from a descriptor
/// of the destination, never through a link (O_NOFOLLOW), and a file or link is only ever
/// created new (O_EXCL): nothing that is there is replaced, and there is no gap between a
/// check and the write that a link swapped in could use. Unless committed, what was made is
/// removed when the journal ends, newest first; a folder only when empty, so nothing someone
/// else put there in the meantime goes.
class ExtractionJournal final {
public:
    /// `destination` is a canonical folder path; `ok()` is false when it cannot be opened.
    explicit ExtractionJournal(const QString& destination);
    ~ExtractionJournal();
    ExtractionJournal(const ExtractionJournal&) = delete;
    ExtractionJournal& operator=(const ExtractionJournal&) = delete;

    bool ok() const { return m_root.get() >= 0; }
    /// Makes the missing folders along `relative` (the last part too). 0, 0x8005 when the disk
    /// is full, 0x8012 when a part is no real folder or cannot be made.
    int makeFolders(const QString& relative);
    /// Creates the new file `relative` (its folders made first) with the permission bits (the
    /// umask applies) and hands over the descriptor. 0; 0x8010 when anything is there already;
    /// 0x8012 for its folder; 0x8005 on a full disk; 0x800D when it cannot be created.
    int createFile(const QString& relative, int mode, ArchiveFd* file);
    /// Creates the symbolic link `relative` pointing at `target`. Codes as createFile.
    int createLink(const QString& relative, const QByteArray& target);
    /// Keeps everything; the journal then removes nothing.
    void commit();
    /// Removes what was made, newest first (also done by the destructor unless committed).
    void rollBack();

private:
    struct Made {
        QByteArray relative;
        bool folder = false;
    };
    /// A descriptor of the folder `relative` ("" is the destination), making what is missing.
    int openFolder(const QString& relative, int* fd);

    ArchiveFd m_root;
    std::vector<Made> m_made;
    // The folder the last file went into: files of one folder mostly come one after another.
    QString m_lastFolder;
    ArchiveFd m_lastFolderFd;
    bool m_committed = false;
};

} // namespace tobimaru
