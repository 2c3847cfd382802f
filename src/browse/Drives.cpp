#include "browse/Drives.h"

#include "base/ErrorBox.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <iterator>

namespace tobimaru {

namespace {

// Indexed by type number. Removable and fixed disks are told apart by sysfs, and a CD drive
// also by its "sr" device, so only the kinds with file systems of their own list any.
const DriveKind kDriveKinds[] = {
    {DriveType::Unknown, "ローカル ディスク", "", "drive-harddisk", false, {}},
    {DriveType::NoRootDir, "ローカル ディスク", "", "drive-harddisk", false, {}},
    {DriveType::Removable,
     "リムーバブル ディスク",
     "フロッピーディスク又はリムーバブル ディスク",
     "drive-removable-media",
     false,
     {}},
    {DriveType::Fixed, "ローカル ディスク", "ハード ディスク", "drive-harddisk", false, {}},
    {DriveType::Remote,
     "ネットワーク ドライブ",
     "ネットワーク ドライブ",
     "folder-remote",
     true,
     {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "davfs", "fuse.gvfsd-fuse", "9p", "ceph",
      "glusterfs"}},
    {DriveType::CdRom, "CD-ROM", "CD-ROM", "media-optical", false, {"iso9660", "udf"}},
    {DriveType::RamDisk, "RAMディスク", "RAMディスク", "drive-harddisk", false, {"tmpfs", "ramfs"}},
};

// The kind whose file systems include the type, if any.
const DriveKind* KindOfFsType(const QString& type) {
    for (const DriveKind& kind : kDriveKinds) {
        for (const char* fs : kind.fsTypes) {
            if (type == QLatin1String(fs))
                return &kind;
        }
    }
    return nullptr;
}

bool IsNetworkFsType(const QString& type) {
    const DriveKind* kind = KindOfFsType(type);
    return kind && kind->type == DriveType::Remote;
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

void ShowDriveBox(Prompts& prompts, const QString& text, PromptIcon icon) {
    prompts.message(text, AppTitle(), icon, PromptButtons::Ok);
}

} // namespace

const DriveKind& DriveKindOf(int type) {
    const bool known = type >= 0 && type < int(std::size(kDriveKinds));
    return kDriveKinds[known ? type : DriveType::Unknown];
}

bool ProbeDriveReady(const QString& mountPoint) {
    return SystemMountProbe()(mountPoint).ready;
}

DriveModel::DriveModel(MountTable mounts, DriveEnvironment env)
    : m_mounts(std::move(mounts))
    , m_env(std::move(env)) {
    if (m_env.prober)
        return;
    if (m_env.probe) {
        // A probe that tells only ready or not: the root's mode stays unknown.
        m_env.prober = std::make_shared<MountProber>([probe = m_env.probe](const QString& mountPoint) {
            return MountStatus{probe(mountPoint), 0};
        });
    } else {
        m_env.prober = SharedMountProber();
    }
}

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
    if (const DriveKind* kind = KindOfFsType(entry.fsType))
        return kind->type;
    if (entry.source.startsWith(QLatin1String("/dev/")) &&
        QFileInfo(DeviceNode(entry.source)).fileName().startsWith(QLatin1String("sr")))
        return DriveType::CdRom;
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
        name = QString::fromUtf8(DriveKindOf(entry ? Classify(*entry) : DriveType::Fixed).caption);
    return name + QStringLiteral(" (") + drive + QLatin1Char(')');
}

bool DriveModel::IsMountPoint(const QString& path) const {
    return path.startsWith(QLatin1Char('/')) && TopEntry(Normalised(path)) != nullptr;
}

QStringList DriveModel::MountPointsIn(const QString& folder) const {
    QStringList names;
    if (!folder.startsWith(QLatin1Char('/')))
        return names;
    const QString clean = Normalised(folder);
    const QString prefix = clean == QLatin1String("/") ? clean : clean + QLatin1Char('/');
    for (const MountEntry& e : m_mounts) {
        if (e.mountPoint.size() <= prefix.size() || !e.mountPoint.startsWith(prefix))
            continue;
        const QString name = e.mountPoint.mid(prefix.size());
        if (!name.contains(QLatin1Char('/')) && !names.contains(name))
            names.append(name);
    }
    return names;
}

MountKey DriveModel::KeyOf(const QString& drive) const {
    MountKey key{drive, {}};
    if (const MountEntry* e = TopEntry(drive))
        key.identity = e->id + QLatin1Char('|') + e->device + QLatin1Char('|') + e->source +
                       QLatin1Char('|') + e->fsType;
    return key;
}

bool DriveModel::IsDriveReady(const QString& drive) const {
    const std::optional<MountStatus> answer = ProbeDrives({drive}).front();
    return answer && answer->ready;
}

std::vector<std::optional<MountStatus>> DriveModel::ProbeDrives(const QStringList& drives,
                                                                MountProber::Patience patience) const {
    std::vector<MountKey> keys;
    keys.reserve(size_t(drives.size()));
    for (const QString& drive : drives)
        keys.push_back(KeyOf(drive));
    return m_env.prober->ask(keys, m_env.readyTimeout, patience);
}

void DriveModel::StartProbes(const QStringList& drives) const {
    std::vector<MountKey> keys;
    keys.reserve(size_t(drives.size()));
    for (const QString& drive : drives)
        keys.push_back(KeyOf(drive));
    m_env.prober->start(keys);
}

bool DriveModel::IsSilent(const QString& drive) const {
    return m_env.prober->isSilent(KeyOf(drive));
}

QString DriveKindText(int type) {
    return QString::fromUtf8(DriveKindOf(type).readyText);
}

bool CheckDriveReady(const QString& path, const DriveModel& drives, Prompts& prompts) {
    bool ready = false;
    const MountProber::Command command(drives.prober());
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
