#pragma once

#include <QByteArray>
#include <QString>

namespace tobimaru {

// The settings file on disk: read without blocking, replaced in one rename, never written when
// it is protected, and cleaned of what an interrupted save left behind.

/// What reading the settings file found.
enum class FileRead {
    Missing,    ///< nothing usable at the path: no entry, or one that is no regular file
    Read,       ///< a regular file, read whole
    Unreadable, ///< a regular file that could not be read; nobody may write over it
};

/// Reads the file at `path` into `bytes`. Only a regular file is read: the name is opened
/// without waiting and checked before any read, so a FIFO or a device there counts as no file
/// instead of stalling the start.
FileRead ReadSettingsFile(const QString& path, QByteArray& bytes);

/// True when a file exists at `path` and carries no write bit for anyone: the read-only
/// attribute of this platform. Such a file is never written, even by root.
bool IsWriteProtected(const QString& path);

/// Replaces the file at `path` (after following symbolic links) with `bytes`: a new file in the
/// same folder is written, synced and renamed over the old one, so a crash leaves either the
/// old file or the new one, never a mix. The old file's mode and owner are kept. Refused
/// (false, nothing changed) for a write-protected file and for anything but a regular file;
/// makes the folder when it is missing.
bool ReplaceFile(const QString& path, const QByteArray& bytes);

/// Removes the temporary files of saves that were killed before their rename, which lie beside
/// the settings file under names only ReplaceFile makes. Returns how many were removed.
int RemoveStaleSaveFiles(const QString& path);

} // namespace tobimaru
