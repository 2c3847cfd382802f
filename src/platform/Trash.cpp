#include "platform/Trash.h"

#include "platform/MountTable.h"
#include "platform/RemoveTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

// A real folder, not a link to one: a trash that is a link is no trash of ours.
bool IsRealFolder(const QString& path, struct stat* st) {
    return ::lstat(QFile::encodeName(path).constData(), st) == 0 && S_ISDIR(st->st_mode);
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool IsInsideTrashFiles(const QString& inTrash) {
    // Every trash keeps its files in a folder "files" right below the trash folder.
    if (!inTrash.startsWith(QLatin1Char('/')))
        return false;
    const QString parent = QFileInfo(inTrash).path();
    if (QFileInfo(parent).fileName() != QLatin1String("files"))
        return false;
    const QString trash = QFileInfo(parent).path();
    const QString uid = QString::number(::geteuid());
    const QString name = QFileInfo(trash).fileName();
    return trash == DesktopTrash::HomeTrash() || name == QLatin1String(".Trash-") + uid ||
           (name == uid && QFileInfo(QFileInfo(trash).path()).fileName() == QLatin1String(".Trash"));
}

} // namespace

QString DesktopTrash::HomeTrash() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
}

bool DesktopTrash::moveToTrash(const QString& path, QString* reason) {
    // Qt 6.4 makes the home trash only when the data folder above it exists; without it, it
    // puts the file into "files" below the current folder and reports success.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data)) {
        if (reason)
            *reason = QStringLiteral("ごみ箱のフォルダを作れません。");
        return false;
    }
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash)) {
        if (reason)
            *reason = QStringLiteral("ごみ箱に移動できません。");
        return false;
    }
    if (IsInsideTrashFiles(inTrash))
        return true;
    // Somewhere that is no trash: put it back where it was, and say so.
    const QByteArray from = QFile::encodeName(QFileInfo(inTrash).absoluteFilePath());
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                    RENAME_NOREPLACE) == 0) {
        const QString info = QFileInfo(QFileInfo(inTrash).absolutePath()).path() + QStringLiteral("/info/") +
                             QFileInfo(inTrash).fileName() + QStringLiteral(".trashinfo");
        QFile::remove(info);
        const QDir stray(QFileInfo(QFileInfo(inTrash).absolutePath()).path());
        stray.rmdir(QStringLiteral("files"));
        stray.rmdir(QStringLiteral("info"));
    }
    if (reason)
        *reason = QStringLiteral("ごみ箱が見つかりません。");
    return false;
}

QStringList DesktopTrash::trashFolders() const {
    QStringList out;
    QSet<QPair<quint64, quint64>> seen;
    const auto add = [&](const QString& folder) {
        struct stat st {};
        if (!IsRealFolder(folder, &st))
            return;
        const QPair<quint64, quint64> id(quint64(st.st_dev), quint64(st.st_ino));
        if (seen.contains(id))
            return;
        seen.insert(id);
        out.append(folder);
    };
    add(HomeTrash());
    const QString uid = QString::number(::geteuid());
    for (const MountEntry& m : ReadMountInfo()) {
        if (SkippedType(m.fsType))
            continue;
        const QString top = m.mountPoint == QLatin1String("/") ? QString() : m.mountPoint;
        add(top + QStringLiteral("/.Trash-") + uid);
        struct stat st {};
        // A shared ".Trash" holds one folder per user; it must be sticky, or it is no trash.
        if (IsRealFolder(top + QStringLiteral("/.Trash"), &st) && (st.st_mode & S_ISVTX))
            add(top + QStringLiteral("/.Trash/") + uid);
    }
    return out;
}

bool NoTrash::moveToTrash(const QString&, QString* reason) {
    if (reason)
        *reason = QStringLiteral("ごみ箱がありません。");
    return false;
}

std::unique_ptr<Trash> MakeSessionTrash() {
    if (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).isEmpty())
        return std::make_unique<NoTrash>();
    return std::make_unique<DesktopTrash>();
}

bool EmptyTrashFolders(const QStringList& folders, const std::atomic<bool>* cancel, QStringList* failures) {
    bool ok = true;
    for (const QString& trash : folders) {
        if (cancel && cancel->load())
            break;
        for (const char* part : {"files", "info"}) {
            const QString folder = trash + QLatin1Char('/') + QLatin1String(part);
            struct stat st {};
            if (::lstat(QFile::encodeName(folder).constData(), &st) != 0) {
                if (errno == ENOENT)
                    continue;
                ok = false;
                if (failures)
                    failures->append(folder + QStringLiteral(": ") + Reason(errno));
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
        const QByteArray sizes = QFile::encodeName(trash + QStringLiteral("/directorysizes"));
        if (::unlink(sizes.constData()) != 0 && errno != ENOENT) {
            ok = false;
            if (failures)
                failures->append(QFile::decodeName(sizes) + QStringLiteral(": ") + Reason(errno));
        }
    }
    return ok;
}

} // namespace tobimaru
