#pragma once

#include <QByteArray>
#include <QString>
#include <sys/stat.h>
#include <vector>

namespace tobimaru {

class JobControl;

enum class CopyStatus {
    Copied,
    NameTaken, ///< something is at the copy's path already; nothing was written
    Cancelled,
    Failed,
};

/// One source entry as the copy read it: what proves, before the source is removed, that it is
/// still what was copied. A folder's entries are the ones its listing gave.
struct CopiedEntry {
    QByteArray name; ///< as the file system has it
    dev_t dev = 0;
    ino_t ino = 0;
    mode_t mode = 0;
    off_t size = 0;
    struct timespec ctime {};
    struct timespec mtime {};
    std::vector<CopiedEntry> children;
};

/// The identity of `st` for a CopiedEntry named `name`.
CopiedEntry RecordOf(const QByteArray& name, const struct stat& st);
/// True when `st` is still the entry `copied` recorded: the same node, kind and change time,
/// and for a file the same size.
bool SameAsCopied(const struct stat& st, const CopiedEntry& copied);

struct CopyResult {
    CopyStatus status = CopyStatus::Failed;
    QString reason;     ///< for Failed: "shown path: why", the path from the source's name down
    CopiedEntry copied; ///< for Copied: the source as it was read
};

/// The bytes a copy of `source` (its lstat `st`) writes, after checking that it can be copied
/// and afterwards removed: every folder in it readable and writable, no device or socket in it,
/// its parent writable. Returns 0 with `reason` ("shown path: why") set when it cannot be moved
/// that way.
qint64 ScanForCopy(const QString& source, const struct stat& st, QString* reason);

/// Copies `source` (its lstat `st`) to the new path `copy`, never over anything: a file is
/// written and then read back and compared byte for byte, its holes kept where the destination
/// can keep them; a folder is copied entry by entry the same way; a link is made again as a link.
/// Permission bits and times follow each entry where the destination can keep them (a FAT
/// volume keeps no permission bits), and the copy is flushed to its disk before this returns
/// Copied. Bytes go to `job`'s progress; a cancel ends the copy after the chunk at hand. On any
/// status but Copied and NameTaken the caller removes what exists at `copy`.
CopyResult CopyEntry(const QString& source, const struct stat& st, const QString& copy, JobControl& job);

} // namespace tobimaru
