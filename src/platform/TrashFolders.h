#pragma once

#include "base/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace tobimaru {

// Finding and opening the folders of the freedesktop.org trash. Every folder of a trash is
// opened below the one above it, never through a symbolic link, and then used only through its
// descriptor: a link planted after the check is never followed.

/// A trash folder opened for use.
struct OpenTrash {
    QString path;   ///< the trash folder ("/home/me/.local/share/Trash", "/mnt/usb/.Trash-1000")
    QByteArray top; ///< the volume's top directory, "" for the home trash (whose Path= is absolute)
    dev_t dev = 0;  ///< device and inode of the trash folder, to list each trash once
    ino_t ino = 0;
    UniqueFd files; ///< "files"; none when the trash was only looked at
    UniqueFd info;  ///< "info", likewise
};

/// $XDG_DATA_HOME (when absolute), else ~/.local/share; "" when no home folder is known.
QString DataHome();

/// The device of the data folder, or of the nearest folder above it that exists; false when there
/// is no data folder at all.
bool DataHomeDevice(dev_t* dev);

/// Opens the home trash. With `create`, the data folder, "Trash" (0700), "files" and "info" are
/// made when missing and opened; without it, "Trash" must exist and only it is checked. False
/// when a part is a link or no folder, or cannot be made; `reason` says which.
bool OpenHomeTrash(bool create, OpenTrash* out, QString* reason);

/// Opens "$top/.Trash/$uid" of the volume open at `topFd`: only when ".Trash" is a real folder
/// with the sticky bit and "$uid" a real folder of the user's (made 0700 with `create`).
bool OpenSharedTrash(int topFd, const QString& top, bool create, OpenTrash* out, QString* reason);

/// Opens "$top/.Trash-$uid" of the volume open at `topFd`: a real folder of the user's that no
/// one else may enter (made 0700 with `create`).
bool OpenOwnTrash(int topFd, const QString& top, bool create, OpenTrash* out, QString* reason);

/// The mount point of the file system `dev` that holds the folder `canonicalFolder` (a path with
/// no links in it): the longest mount point above it that is that device; "" when none is.
QString VolumeTop(const QString& canonicalFolder, dev_t dev);

} // namespace tobimaru
