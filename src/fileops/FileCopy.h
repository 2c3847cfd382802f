#pragma once

#include <QString>
#include <sys/stat.h>

namespace tobimaru {

class JobControl;

enum class CopyStatus {
    Copied,
    NameTaken, ///< something is at the copy's path already; nothing was written
    Cancelled,
    Failed,
};

struct CopyResult {
    CopyStatus status = CopyStatus::Failed;
    QString reason; ///< for Failed: where and why
};

/// The bytes a copy of `source` (its lstat `st`) writes, after checking that it can be copied
/// and afterwards removed: every folder in it readable and writable, no device or socket in it,
/// its parent writable. Returns 0 with `reason` set when it cannot be moved that way.
qint64 ScanForCopy(const QString& source, const struct stat& st, QString* reason);

/// Copies `source` (its lstat `st`) to the new path `copy`, never over anything: a file is
/// written and then read back and compared byte for byte; a folder is copied entry by entry the
/// same way; a link is made again as a link. Permission bits and times follow each entry, and the
/// copy is flushed to its disk before this returns Copied. Bytes go to `job`'s progress; a cancel
/// ends the copy after the chunk at hand. On any status but Copied and NameTaken the caller
/// removes what exists at `copy`.
CopyResult CopyEntry(const QString& source, const struct stat& st, const QString& copy, JobControl& job);

} // namespace tobimaru
