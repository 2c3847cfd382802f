#pragma once

#include "platform/MountTable.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace tobimaru {

class Prompts;

/// The drive type numbers every caller compares against (0..6, as the drive-type query has
/// always numbered them).
namespace DriveType {
inline constexpr int Unknown = 0;   ///< the mount table could not be read
inline constexpr int NoRootDir = 1; ///< the path does not exist or lies on no drive
inline constexpr int Removable = 2;
inline constexpr int Fixed = 3;
inline constexpr int Remote = 4;
inline constexpr int CdRom = 5;
inline constexpr int RamDisk = 6;
} // namespace DriveType

/// Tells whether a drive answers. Runs on a worker thread and may block for as long as the
/// file system does.
using DriveProbe = std::function<bool(const QString& mountPoint)>;

/// The real probe: the mount point answers statvfs and can be opened and read as a folder.
bool ProbeDriveReady(const QString& mountPoint);

/// What the drive queries read besides the mount table; tests point it at fakes.
struct DriveEnvironment {
    QString sysfsRoot = QStringLiteral("/sys");
    DriveProbe probe = &ProbeDriveReady;
    /// How long the user interface waits for a probe before calling the drive not ready.
    std::chrono::milliseconds readyTimeout{2000};
};

/// The drives of the system: a snapshot of the mount table with the queries over it. Make a
/// new one (FromSystem) for each navigation, so that a drive mounted meanwhile is found.
class DriveModel final {
public:
    explicit DriveModel(MountTable mounts, DriveEnvironment env = {});

    /// Reads the live mount table and the volume labels of /dev/disk/by-label.
    static DriveModel FromSystem();

    const MountTable& mounts() const { return m_mounts; }
    const DriveEnvironment& environment() const { return m_env; }

    /// The mount point that is the longest whole-component prefix of the path ("/home2/x" is
    /// not under "/home"); "" for "" and for a relative path. Reads the table only.
    QString GetDriveName(const QString& path) const;

    /// DriveType number of the drive the path lies on: 0 without a mount table; 1 when the path
    /// is not absolute, lies on no drive or does not exist. Never touches a network file system
    /// (a dead server would block); a mount point itself is known to exist from the table.
    int GetDriveType(const QString& path) const;

    /// The mount points the address box lists, in table order, each once: "/" and the mounts
    /// of block devices and network file systems outside /proc, /sys, /dev, /run (but
    /// /run/media), /boot and /snap.
    QStringList AddressBoxDrives() const;

    /// The display name of a drive's root: the volume label, else the kind of drive, then
    /// " (" + mount point + ")", as in "ローカル ディスク (/)".
    QString RootCaption(const QString& drive) const;

    /// Probes the drive off the calling thread and waits at most readyTimeout; a probe that
    /// has not answered by then counts as not ready and is left to finish on its own. A failure
    /// inside the probe is rethrown here.
    bool IsDriveReady(const QString& drive) const;

private:
    const MountEntry* TopEntry(const QString& mountPoint) const;
    int Classify(const MountEntry& entry) const;
    bool IsRemovable(const MountEntry& entry) const;

    MountTable m_mounts;
    DriveEnvironment m_env;
};

/// The kind text of the not-ready box for a drive type ("ハード ディスク", ...); "" for others.
QString DriveKindText(int type);

/// Checks that the path's drive exists and answers. Otherwise tells the user why (critical box
/// for an unknown or missing drive, information box for a drive that is not ready, the error
/// box for an unexpected failure) and returns false.
bool CheckDriveReady(const QString& path, const DriveModel& drives, Prompts& prompts);

} // namespace tobimaru
