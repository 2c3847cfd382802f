#pragma once

#include "platform/MountProber.h"
#include "platform/MountTable.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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

/// Everything one kind of drive is known by: its type number, the kind in a root's caption and in
/// the not-ready box, the theme icon of its root, and the file-system types that make a mount one
/// of its kind (the other kinds are told by their device).
struct DriveKind {
    int type = DriveType::Unknown;
    const char* caption = ""; ///< "ネットワーク ドライブ" in "ネットワーク ドライブ (/mnt/nas)"
    const char* readyText = ""; ///< "ネットワーク ドライブ" in the not-ready box; "" for none
    const char* iconName = "";  ///< the icon theme's name for its root
    bool networkIcon = false;   ///< the stock icon to fall back on is the network one
    std::vector<const char*> fsTypes;
};

/// The kind of a drive type number; any number outside 0..6 gets the kind of an unknown drive.
const DriveKind& DriveKindOf(int type);

/// Tells whether a drive answers. Runs on a worker thread and may block for as long as the
/// file system does.
using DriveProbe = std::function<bool(const QString& mountPoint)>;

/// The real probe: the mount point answers statvfs and can be opened and read as a folder.
bool ProbeDriveReady(const QString& mountPoint);

/// What the drive queries read besides the mount table; tests point it at fakes.
struct DriveEnvironment {
    QString sysfsRoot = QStringLiteral("/sys");
    /// A probe of the caller's own; the model then gets a prober of its own around it, shared by
    /// its copies. Left empty, the model probes through `prober`.
    DriveProbe probe;
    /// How long one user command waits for the probes of a drive before calling it not ready.
    std::chrono::milliseconds readyTimeout{2000};
    /// Who runs the probes; the process's own (SharedMountProber) when neither it nor `probe` is
    /// given.
    std::shared_ptr<MountProber> prober;
};

/// The drives of the system: a snapshot of the mount table with the queries over it. Make a
/// new one (FromSystem) for each navigation, so that a drive mounted meanwhile is found.
class DriveModel final {
public:
    explicit DriveModel(MountTable mounts, DriveEnvironment env = {});

    /// Reads the live mount table and the volume labels of /dev/disk/by-label; probes go through
    /// the process's prober.
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

    /// True when a file system is mounted exactly at the path (no disk access).
    bool IsMountPoint(const QString& path) const;

    /// The names of the mount points that lie directly in `folder` ("nas" for /mnt/nas in /mnt).
    QStringList MountPointsIn(const QString& folder) const;

    /// Probes the drive off the calling thread and waits at most readyTimeout (see MountProber:
    /// a drive that did not answer before answers "not ready" at once, and one command waits one
    /// limit). The waiting main thread keeps its windows painting. A failure inside the probe
    /// is rethrown here.
    bool IsDriveReady(const QString& drive) const;

    /// What the probes of several drives found, in order, waiting one limit for all of them (or a
    /// glance, for a look ahead that can do without): nullopt for a drive that did not answer.
    /// Rethrows a probe's failure like IsDriveReady.
    std::vector<std::optional<MountStatus>>
    ProbeDrives(const QStringList& drives,
                MountProber::Patience patience = MountProber::Patience::Command) const;

    /// Starts the probes of these drives without waiting.
    void StartProbes(const QStringList& drives) const;

    /// True while the drive is known not to answer: its probe outlived a wait and is still out.
    bool IsSilent(const QString& drive) const;

    /// The prober the model's probes go through; a MountProber::Command over it makes one user
    /// command of everything asked meanwhile.
    MountProber& prober() const { return *m_env.prober; }

    /// The drive as the prober tells mounts apart; a new mount at the same place has a new one.
    MountKey KeyOf(const QString& drive) const;

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
