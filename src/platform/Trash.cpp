// The desktop's trash as the freedesktop.org Trash specification describes it: the home trash
// for entries on the data folder's file system, else the trash at the top of the entry's own
// volume. An entry is never copied to another volume: where no trash of its own volume can be
// used, it stays.
#include "platform/Trash.h"

#include "base/FileNames.h"
#include "base/RenameNoReplace.h"
#include "base/SystemReason.h"
#include "base/UniqueFd.h"
#include "platform/MountTable.h"
#include "platform/RemoveTree.h"
#include "platform/TrashFolders.h"

#include <QDir>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

// File systems that hold no user files, and network ones (see trashFolders).
bool SkippedType(const QString& type) {
    static const QSet<QString> kSkipped = {QStringLiteral("proc"),
                                           QStringLiteral("sysfs"),
                                           QStringLiteral("devtmpfs"),
                                           QStringLiteral("devpts"),
                                           QStringLiteral("cgroup"),
                                           QStringLiteral("cgroup2"),
                                           QStringLiteral("mqueue"),
                                           QStringLiteral("debugfs"),
                                           QStringLiteral("tracefs"),
                                           QStringLiteral("securityfs"),
                                           QStringLiteral("pstore"),
                                           QStringLiteral("bpf"),
                                           QStringLiteral("autofs"),
                                           QStringLiteral("configfs"),
                                           QStringLiteral("fusectl"),
                                           QStringLiteral("hugetlbfs"),
                                           QStringLiteral("binfmt_misc"),
                                           QStringLiteral("efivarfs"),
                                           QStringLiteral("nsfs"),
                                           QStringLiteral("rpc_pipefs"),
                                           QStringLiteral("nfs"),
                                           QStringLiteral("nfs4"),
                                           QStringLiteral("cifs"),
                                           QStringLiteral("smb3"),
                                           QStringLiteral("smbfs"),
                                           QStringLiteral("sshfs"),
                                           QStringLiteral("fuse.sshfs"),
                                           QStringLiteral("davfs"),
                                           QStringLiteral("fuse.gvfsd-fuse"),
                                           QStringLiteral("9p"),
                                           QStringLiteral("ceph"),
                                           QStringLiteral("glusterfs"),
                                           QStringLiteral("fuse.portal")};
    return kSkipped.contains(type);
}

bool Fail(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
    return false;
}

// The most names tried for one entry before giving up ("name", "name.2" ... "name.N").
constexpr int kMostNames = 100000;
// A name in "files" leaves room for ".trashinfo" in "info".
constexpr qsizetype kLongestTrashName = NAME_MAX - 10;

// "name" for the first try, then "name.2", "name.3"...; a long name is shortened to fit, cut
// between characters rather than inside one.
QByteArray TrashName(const QByteArray& name, int n) {
    const QByteArray suffix = n == 1 ? QByteArray() : '.' + QByteArray::number(n);
    qsizetype keep = std::min(name.size(), kLongestTrashName - suffix.size());
    while (keep > 0 && keep < name.size() && (uchar(name[keep]) & 0xC0) == 0x80)
        --keep;
    return name.left(keep) + suffix;
}

// The contents of an info file. Path= is the raw bytes escaped as in URLs, so a name that is not
// UTF-8 comes back byte for byte; the date is local time without a zone, as readers expect.
QByteArray InfoText(const QByteArray& original) {
    const time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    char date[32] = {};
    const size_t length = ::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + original.toPercentEncoding("/") +
           "\nDeletionDate=" + QByteArray(date, qsizetype(length)) + '\n';
}

// True when the folder open at `dirFd` is `entry` or lies somewhere inside it.
bool LiesIn(int dirFd, const struct stat& entry) {
    UniqueFd at(::openat(dirFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (int depth = 0; depth < 4096 && at.valid(); ++depth) {
        struct stat here {};
        if (::fstat(at.get(), &here) != 0)
            return false;
        if (here.st_dev == entry.st_dev && here.st_ino == entry.st_ino)
            return true;
        UniqueFd up(::openat(at.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat above {};
        if (!up.valid() || ::fstat(up.get(), &above) != 0)
            return false;
        if (above.st_dev == here.st_dev && above.st_ino == here.st_ino)
            return false; // the root
        at = std::move(up);
    }
    return false;
}

// Writes the info file under the first free name, then renames the entry into "files" under the
// same name. Whatever fails, the info file goes again and the entry stays where it was.
bool FileAway(int parent, const QByteArray& name, const OpenTrash& trash, const QByteArray& original,
              QString* reason) {
    const QByteArray text = InfoText(original);
    for (int n = 1; n <= kMostNames; ++n) {
        const QByteArray inTrash = TrashName(name, n);
        const QByteArray infoName = inTrash + ".trashinfo";
        struct stat taken {};
        if (::fstatat(trash.files.get(), inTrash.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
            continue;
        UniqueFd info(::openat(trash.info.get(), infoName.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!info.valid()) {
            if (errno == EEXIST)
                continue;
            return Fail(reason, QStringLiteral("ごみ箱の情報ファイルを作れません: ") + SystemReason(errno));
        }
        const bool written = WriteAll(info.get(), text);
        if (const int error = written ? info.close() : errno; !written || error != 0) {
            ::unlinkat(trash.info.get(), infoName.constData(), 0);
            return Fail(reason, QStringLiteral("ごみ箱の情報ファイルを書けません: ") + SystemReason(error));
        }
        const int error = RenameNoReplace(parent, name.constData(), trash.files.get(), inTrash.constData(),
                                          FolderWithoutFlag::LookThenRename);
        if (error == 0)
            return true;
        ::unlinkat(trash.info.get(), infoName.constData(), 0);
        if (error != EEXIST)
            return Fail(reason, SystemReason(error));
    }
    return Fail(reason, QStringLiteral("ごみ箱に同じ名前の項目が多すぎます"));
}

// The trash of the volume that holds `folder` (device `dev`): its shared ".Trash/$uid" when that
// can be used, else its own ".Trash-$uid". `relative` gets the folder's path from the volume's top.
bool OpenVolumeTrash(const QByteArray& folder, dev_t dev, OpenTrash* out, QByteArray* relative,
                     QString* reason) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.constData(), nullptr),
                                                           &std::free);
    if (!real)
        return Fail(reason, SystemReason(errno));
    const QByteArray canonical(real.get());
    const QString top = VolumeTop(DecodeFileName(canonical), dev);
    if (top.isEmpty())
        return Fail(reason,
                    QStringLiteral("このドライブのマウントポイントが見つからないため、ごみ箱を使えません"));
    const QByteArray nativeTop = EncodeFileName(top);
    const UniqueFd topFd(::open(nativeTop.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!topFd.valid() || ::fstat(topFd.get(), &st) != 0 || st.st_dev != dev)
        return Fail(reason, QStringLiteral("ドライブ「") + DisplayFileName(top) +
                                QStringLiteral("」を開けないため、ごみ箱を使えません"));
    *relative = canonical.mid(nativeTop == "/" ? 1 : nativeTop.size() + 1);
    if (OpenSharedTrash(topFd.get(), top, true, out, nullptr))
        return true;
    *out = OpenTrash();
    return OpenOwnTrash(topFd.get(), top, true, out, reason);
}

// `path` made absolute, with doubled and trailing slashes and "." parts gone.
QString AbsolutePath(const QString& path) {
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    char cwd[PATH_MAX] = {};
    const QString here = ::getcwd(cwd, sizeof cwd) ? DecodeFileName(cwd) : QString();
    return QDir::cleanPath(here + QLatin1Char('/') + path);
}

} // namespace

QString DesktopTrash::HomeTrash() {
    const QString data = DataHome();
    return data.isEmpty() ? QString() : data + QStringLiteral("/Trash");
}

bool DesktopTrash::moveToTrash(const QString& path, QString* reason) {
    const QString absolute = AbsolutePath(path);
    const qsizetype slash = absolute.lastIndexOf(QLatin1Char('/'));
    const QString name = absolute.mid(slash + 1);
    if (slash < 0 || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return Fail(reason, QStringLiteral("この項目はごみ箱に移せません"));
    const QByteArray folder = EncodeFileName(slash == 0 ? QStringLiteral("/") : absolute.left(slash));
    const QByteArray nativeName = EncodeFileName(name);
    // Everything below goes through the folder's descriptor: the entry is the one looked at.
    const UniqueFd parent(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat entry {};
    struct stat where {};
    if (!parent.valid() || ::fstat(parent.get(), &where) != 0 ||
        ::fstatat(parent.get(), nativeName.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(reason, SystemReason(errno));

    OpenTrash trash;
    QByteArray original;
    dev_t home = 0;
    // The folder's device, not the entry's: a folder mounted here would be a volume of its own.
    if (DataHomeDevice(&home) && home == where.st_dev) {
        if (!OpenHomeTrash(true, &trash, reason))
            return false;
        original = EncodeFileName(absolute);
    } else {
        QByteArray relative;
        if (!OpenVolumeTrash(folder, where.st_dev, &trash, &relative, reason))
            return false;
        original = relative.isEmpty() ? nativeName : relative + '/' + nativeName;
    }
    if (S_ISDIR(entry.st_mode) && LiesIn(trash.files.get(), entry))
        return Fail(reason, QStringLiteral("ごみ箱そのものや、ごみ箱を含むフォルダはごみ箱に移せません"));
    return FileAway(parent.get(), nativeName, trash, original, reason);
}

QStringList DesktopTrash::trashFolders() const {
    QStringList out;
    QSet<QPair<quint64, quint64>> seen;
    const auto add = [&](const OpenTrash& trash) {
        const QPair<quint64, quint64> id(quint64(trash.dev), quint64(trash.ino));
        if (seen.contains(id))
            return;
        seen.insert(id);
        out.append(trash.path);
    };
    OpenTrash home;
    if (OpenHomeTrash(false, &home, nullptr))
        add(home);
    for (const MountEntry& m : ReadMountInfo()) {
        if (SkippedType(m.fsType))
            continue;
        const UniqueFd top(
            ::open(EncodeFileName(m.mountPoint).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!top.valid())
            continue;
        OpenTrash shared;
        if (OpenSharedTrash(top.get(), m.mountPoint, false, &shared, nullptr))
            add(shared);
        OpenTrash own;
        if (OpenOwnTrash(top.get(), m.mountPoint, false, &own, nullptr))
            add(own);
    }
    return out;
}

bool NoTrash::moveToTrash(const QString&, QString* reason) {
    if (reason)
        *reason = QStringLiteral("ごみ箱がありません。");
    return false;
}

std::unique_ptr<Trash> MakeSessionTrash() {
    if (DataHome().isEmpty())
        return std::make_unique<NoTrash>();
    return std::make_unique<DesktopTrash>();
}

bool EmptyTrashFolders(const QStringList& folders, const std::atomic<bool>* cancel, QStringList* failures) {
    bool ok = true;
    for (const QString& trash : folders) {
        if (cancel && cancel->load())
            break;
        // A trash swapped for a link since it was listed is not emptied through it.
        struct stat self {};
        int error = 0;
        if (::lstat(EncodeFileName(trash).constData(), &self) != 0)
            error = errno;
        else if (!S_ISDIR(self.st_mode))
            error = S_ISLNK(self.st_mode) ? ELOOP : ENOTDIR;
        if (error == ENOENT)
            continue;
        if (error != 0) {
            ok = false;
            if (failures)
                failures->append(NamedReason(DisplayFileName(trash), error));
            continue;
        }
        for (const char* part : {"files", "info"}) {
            const QString folder = trash + QLatin1Char('/') + QLatin1String(part);
            struct stat st {};
            if (::lstat(EncodeFileName(folder).constData(), &st) != 0) {
                if (errno == ENOENT)
                    continue;
                ok = false;
                if (failures)
                    failures->append(NamedReason(DisplayFileName(folder), errno));
                continue;
            }
            if (!S_ISDIR(st.st_mode)) {
                // Never emptied through a link: what it points at is no trash.
                ok = false;
                if (failures)
                    failures->append(
                        NamedReason(DisplayFileName(folder), S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR));
                continue;
            }
            QString failure;
            if (!EmptyFolder(folder, &failure)) {
                ok = false;
                if (failures)
                    failures->append(failure.isEmpty() ? folder : failure);
            }
        }
        // The cache of folder sizes speaks of folders that are gone now.
        const QString sizes = trash + QStringLiteral("/directorysizes");
        if (::unlink(EncodeFileName(sizes).constData()) != 0 && errno != ENOENT) {
            ok = false;
            if (failures)
                failures->append(NamedReason(DisplayFileName(sizes), errno));
        }
    }
    return ok;
}

} // namespace tobimaru
