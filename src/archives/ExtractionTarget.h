#pragma once

#include "archives/ArchiverCodes.h"
#include "base/UniqueFd.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>
#include <sys/types.h>
#include <vector>

namespace tobimaru {

/// A stored entry name made into a path below the destination.
struct EntryPath {
    /// Relative, "/"-separated, no "." or empty parts; "" names the destination itself.
    QString relative;
    /// Ok, or HeaderBroken for a name that is absolute or climbs with "..".
    ArchiverCode code = ArchiverCode::Ok;
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
ArchiverCode ProbeDestination(const QString& destination, const QString& relative, bool isFolder);

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

/// The hidden name a file is written under until it is complete: it carries the writer's PID, so
/// a later extraction can tell the leftovers of a process that was killed.
inline constexpr char kPartPrefix[] = ".tobimaru-part-";
QByteArray PartName(pid_t pid, quint64 number);
/// The PID in a part name; 0 when the name is no part name.
pid_t PartNameOwner(const char* name);
/// Removes from the folder the part files whose process is gone; returns how many went.
int RemoveStaleParts(int folder);

/// A file of the extraction being written under its part name.
struct PendingFile {
    UniqueFd fd;
    QString relative;   ///< the name it gets once complete
    QByteArray part;    ///< its name in its folder meanwhile
    size_t journal = 0; ///< its record in the journal
};

/// Everything one extraction makes goes through here, and is remembered, so that a failed one
/// can take exactly that away again. Each path is walked one part at a time from a descriptor
/// of the destination, never through a link (O_NOFOLLOW), and a file or link is only ever
/// created new (O_EXCL): nothing that is there is replaced, and there is no gap between a
/// check and the write that a link swapped in could use. Unless committed, what was made is
/// removed when the journal ends, newest first; a folder only when empty, so nothing someone
/// else put there in the meantime goes. A file is written under a hidden part name and gets its
/// own only when complete, so a killed extraction leaves no half file under a real name; the
/// parts of processes that are gone are removed from each folder it writes into.
class ExtractionJournal final {
public:
    /// `destination` is a canonical folder path; `ok()` is false when it cannot be opened.
    explicit ExtractionJournal(const QString& destination);
    ~ExtractionJournal();
    Q_DISABLE_COPY(ExtractionJournal)

    bool ok() const { return m_root.get() >= 0; }
    /// Makes the missing folders along `relative` (the last part too). 0, 0x8005 when the disk
    /// is full, 0x8012 when a part is no real folder or cannot be made.
    ArchiverCode makeFolders(const QString& relative);
    /// Creates the file that is to become `relative` under a part name in its folder (the
    /// folders made first), with the permission bits (the umask applies). 0; 0x8012 for its
    /// folder; 0x8005 on a full disk; 0x800D when it cannot be created.
    ArchiverCode createFile(const QString& relative, int mode, PendingFile* file);
    /// Gives the closed file its name, never replacing anything. 0; 0x8010 when the name has
    /// been taken meanwhile; 0x8005 on a full disk; 0x8013 otherwise.
    ArchiverCode finishFile(PendingFile& file);
    /// Creates the symbolic link `relative` pointing at `target`. Codes as createFile.
    ArchiverCode createLink(const QString& relative, const QByteArray& target);
    /// Keeps everything; the journal then removes nothing.
    void commit();
    /// Removes what was made, newest first (also done by the destructor unless committed).
    void rollBack();
    /// The errno of the last failure (0 when it had none).
    int error() const { return m_error; }

private:
    struct Made {
        QByteArray relative;
        bool folder = false;
    };
    /// A descriptor of the folder `relative` ("" is the destination), making what is missing.
    ArchiverCode openFolder(const QString& relative, int* fd);
    /// `code` after keeping errno for error().
    ArchiverCode failed(ArchiverCode code);

    UniqueFd m_root;
    std::vector<Made> m_made;
    // The folder the last file went into: files of one folder mostly come one after another.
    QString m_lastFolder;
    UniqueFd m_lastFolderFd;
    QSet<QString> m_swept;
    quint64 m_partNumber = 0;
    int m_error = 0;
    bool m_committed = false;
};

} // namespace tobimaru
