#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace tobimaru {

/// One mounted file system, as the kernel's mount table lists it.
struct MountEntry {
    QString mountPoint; ///< where it is mounted, escapes decoded ("/media/me/MY DISK")
    QString fsType;     ///< "ext4", "nfs4", "fuse.sshfs", ...
    QString source;     ///< the mount source: "/dev/sdb1", "srv:/export", "tmpfs"
    QString device;     ///< "major:minor" of the device the kernel reports ("8:17"); may be "0:NN"
    QString label;      ///< the volume label, empty when none is known
    QString id = {};    ///< the kernel's mount id; a new mount at the same place gets a new one
};

/// The mount table in table order. Later entries with the same mount point lie on top of
/// earlier ones.
using MountTable = QList<MountEntry>;

/// Decodes the octal escapes the kernel puts into mount table fields ("\040" for a blank,
/// "\011" tab, "\012" newline, "\134" backslash). Anything else is kept as it stands.
QString DecodeMountField(const QByteArray& field);

/// Parses the text of /proc/<pid>/mountinfo. Malformed lines are skipped; labels stay empty.
MountTable ParseMountInfo(const QByteArray& text);

/// Reads and parses a mountinfo file; an unreadable file gives an empty table.
MountTable ReadMountInfo(const QString& path = QStringLiteral("/proc/self/mountinfo"));

/// Decodes the "\xNN" escapes udev writes into the names under /dev/disk/by-label.
QString DecodeUdevName(const QString& name);

/// The volume labels of a by-label folder (each entry a symbolic link named after the label,
/// pointing at the device): canonical device path → label. A missing folder gives no labels.
QHash<QString, QString> ReadVolumeLabels(const QString& byLabelDir = QStringLiteral("/dev/disk/by-label"));

/// Fills the label of each entry whose source device (after following links) has one.
void ApplyVolumeLabels(MountTable& table, const QHash<QString, QString>& labels);

} // namespace tobimaru
