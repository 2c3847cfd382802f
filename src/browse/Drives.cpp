#include "browse/Drives.h"

#include "base/ErrorBox.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <dirent.h>
#include <future>
#include <memory>
#include <sys/statvfs.h>
#include <thread>

namespace tobimaru {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// File systems whose data lie on another machine.
constexpr const char* kNetworkFsTypes[] = {
    "nfs", "nfs4", "cifs",      "smb3", "smbfs", "sshfs", "fuse.sshfs", "davfs", "fuse.gvfsd-fuse",
    "9p",  "ceph", "glusterfs",
};

bool IsNetworkFsType(const QString& type) {
    for (const char* kind : kNetworkFsTypes) {
        if (type == QLatin1String(kind))
            return true;
    }
    return false;
}

bool IsUnderOrAt(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// System mounts a file manager keeps out of sight.
bool IsHiddenMountPoint(const QString& mountPoint) {
    if (IsUnderOrAt(mountPoint, QStringLiteral("/run/media")))
        return false;
    for (const char* hidden : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap"}) {
        if (IsUnderOrAt(mountPoint, QLatin1String(hidden)))
            return true;
    }
    return false;
}

// The device node a source names, links followed (/dev/mapper/x → /dev/dm-0); the source
// itself when it cannot be resolved.
QString DeviceNode(const QString& source) {
    const QString canonical = QFileInfo(source).canonicalFilePath();
    return canonical.isEmpty() ? source : canonical;
}

// "1", "0" or "" (no such file) from a sysfs attribute.
QByteArray ReadAttribute(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().trimmed();
}

// Lexical clean-up only ("/a/../b" → "/b"); no disk access.
QString Normalised(const QString& path) {
    return QDir::cleanPath(path);
}

QString CaptionKind(int type) {
    switch (type) {
    case DriveType::Removable:
        return QStringLiteral("リムーバブル ディスク");
    case DriveType::Remote:
        return QStringLiteral("ネットワーク ドライブ");
    case DriveType::CdRom:
        return QStringLiteral("CD-ROM");
    case DriveType::RamDisk:
        return QStringLiteral("RAMディスク");
    default:
        return QStringLiteral("ローカル ディスク");
    }
}

void ShowDriveBox(Prompts& prompts, const QString& text, PromptIcon icon) {
    prompts.message(text, AppTitle(), icon, PromptButtons::Ok);
}

} // namespace

bool ProbeDriveReady(const QString& mountPoint) {
    const QByteArray native = QFile::encodeName(mountPoint);
    struct statvfs info {};
    if (::statvfs(native.constData(), &info) != 0)
        return false;
    DirHandle dir(::opendir(native.constData()));
    if (!dir)
        return false;
    errno = 0;
    ::readdir(dir.get());
    return errno == 0;
}

DriveModel::DriveModel(MountTable mounts, DriveEnvironment env)
    : m_mounts(std::move(mounts))
    , m_env(std::move(env)) {}

DriveModel DriveModel::FromSystem() {
    MountTable table = ReadMountInfo();
    ApplyVolumeLabels(table, ReadVolumeLabels());
    return DriveModel(std::move(table));
}

QString DriveModel::GetDriveName(const QString& path) const {
    if (!path.startsWith(QLatin1Char('/')))
        return {};
    const QString p = Normalised(path);
    QString best;
    for (const MountEntry& e : m_mounts) {
        const bool covers = e.mountPoint == QLatin1String("/") || IsUnderOrAt(p, e.mountPoint);
        if (covers && e.mountPoint.size() > best.size())
            best = e.mountPoint;
    }
    return best;
}

const MountEntry* DriveModel::TopEntry(const QString& mountPoint) const {
    for (qsizetype i = m_mounts.size() - 1; i >= 0; --i) {
        if (m_mounts[i].mountPoint == mountPoint)
            return &m_mounts[i];
    }
    return nullptr;
}

bool DriveModel::IsRemovable(const MountEntry& entry) const {
    // The kernel's major:minor finds the device even when the source is a link or a label;
    // btrfs reports an anonymous 0:NN, so the source's node name is tried as well.
    QStringList candidates;
    if (!entry.device.isEmpty() && !entry.device.startsWith(QLatin1String("0:")))
        candidates << m_env.sysfsRoot + QStringLiteral("/dev/block/") + entry.device;
    if (entry.source.startsWith(QLatin1String("/dev/")))
        candidates << m_env.sysfsRoot + QStringLiteral("/class/block/") +
                          QFileInfo(DeviceNode(entry.source)).fileName();

    for (const QString& candidate : candidates) {
        const QString dir = QFileInfo(candidate).canonicalFilePath();
        if (dir.isEmpty())
            continue;
        QByteArray removable = ReadAttribute(dir + QStringLiteral("/removable"));
        // A partition has no flag of its own; its disk, the parent folder in sysfs, has it.
        if (removable.isEmpty())
            removable = ReadAttribute(QFileInfo(dir).path() + QStringLiteral("/removable"));
        if (!removable.isEmpty())
            return removable == "1";
    }
    return false;
}

int DriveModel::Classify(const MountEntry& entry) const {
    if (IsNetworkFsType(entry.fsType))
        return DriveType::Remote;
    if (entry.fsType == QLatin1String("iso9660") || entry.fsType == QLatin1String("udf") ||
        (entry.source.startsWith(QLatin1String("/dev/")) &&
         QFileInfo(DeviceNode(entry.source)).fileName().startsWith(QLatin1String("sr"))))
        return DriveType::CdRom;
    if (entry.fsType == QLatin1String("tmpfs") || entry.fsType == QLatin1String("ramfs"))
        return DriveType::RamDisk;
    if (IsRemovable(entry))
        return DriveType::Removable;
    return DriveType::Fixed;
}

int DriveModel::GetDriveType(const QString& path) const {
    if (m_mounts.isEmpty())
        return DriveType::Unknown; // no mount table, nothing to go by
    if (!path.startsWith(QLatin1Char('/')))
        return DriveType::NoRootDir;
    const QString drive = GetDriveName(path);
    const MountEntry* entry = TopEntry(drive);
    if (!entry)
        return DriveType::NoRootDir;
    const int type = Classify(*entry);
    if (type != DriveType::Remote && Normalised(path) != drive && !ExistsFolder(path) && !ExistsFile(path))
        return DriveType::NoRootDir;
    return type;
}

QStringList DriveModel::AddressBoxDrives() const {
    QStringList drives;
    for (const MountEntry& e : m_mounts) {
        const bool shown = e.mountPoint == QLatin1String("/") ||
                           (!IsHiddenMountPoint(e.mountPoint) &&
                            (e.source.startsWith(QLatin1String("/dev/")) || IsNetworkFsType(e.fsType)));
        if (shown && !drives.contains(e.mountPoint))
            drives.append(e.mountPoint);
    }
    return drives;
}

QString DriveModel::RootCaption(const QString& drive) const {
    const MountEntry* entry = TopEntry(drive);
    QString name;
    if (entry && !entry->label.isEmpty())
        name = entry->label;
    else
        name = CaptionKind(entry ? Classify(*entry) : DriveType::Fixed);
    return name + QStringLiteral(" (") + drive + QLatin1Char(')');
}

bool DriveModel::IsDriveReady(const QString& drive) const {
    // A hung network mount can keep statvfs waiting for minutes. The worker owns everything it
    // touches (its own copies of the probe and the path, the task's shared state), so leaving
    // it behind after the timeout is safe.
    std::packaged_task<bool()> task([probe = m_env.probe, drive] { return probe(drive); });
    std::future<bool> answer = task.get_future();
    std::thread(std::move(task)).detach();
    if (answer.wait_for(m_env.readyTimeout) != std::future_status::ready)
        return false;
    return answer.get();
}

QString DriveKindText(int type) {
    switch (type) {
    case DriveType::Removable:
        return QStringLiteral("フロッピーディスク又はリムーバブル ディスク");
    case DriveType::Fixed:
        return QStringLiteral("ハード ディスク");
    case DriveType::Remote:
        return QStringLiteral("ネットワーク ドライブ");
    case DriveType::CdRom:
        return QStringLiteral("CD-ROM");
    case DriveType::RamDisk:
        return QStringLiteral("RAMディスク");
    default:
        return {};
    }
}

bool CheckDriveReady(const QString& path, const DriveModel& drives, Prompts& prompts) {
    bool ready = false;
    RunCommand(prompts, [&] {
        const QString drive = drives.GetDriveName(path);
        const int type = drives.GetDriveType(drive);
        if (type == DriveType::Unknown) {
            ShowDriveBox(prompts,
                         QStringLiteral("ドライブ ") + drive +
                             QStringLiteral("はドライブの種類が判定できません。"),
                         PromptIcon::Critical);
            return;
        }
        if (type == DriveType::NoRootDir) {
            ShowDriveBox(prompts, QStringLiteral("ドライブ ") + drive + QStringLiteral("は存在しません。"),
                         PromptIcon::Critical);
            return;
        }
        if (drives.IsDriveReady(drive)) {
            ready = true;
            return;
        }
        // The drive's name is its mount point; the colon of a drive letter has no place after it.
        ShowDriveBox(prompts,
                     QStringLiteral("ドライブ ") + drive + QStringLiteral(" - ") + DriveKindText(type) +
                         QStringLiteral("\r\n") + QStringLiteral("の準備ができていません。"),
                     PromptIcon::Information);
    });
    return ready;
}

} // namespace tobimaru
