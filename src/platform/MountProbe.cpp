#include "platform/MountProbe.h"

#include "base/DirStream.h"
#include "base/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <memory>

#if defined(Q_OS_LINUX)
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#endif

namespace tobimaru {

namespace {

// The mode bits of the plain probe, in the numbers st_mode uses everywhere.
constexpr std::uint32_t kDirectoryType = 0040000;
constexpr std::uint32_t kRegularType = 0100000;

std::uint32_t PermissionBits(QFileDevice::Permissions p) {
    std::uint32_t bits = 0;
    const std::pair<QFileDevice::Permission, std::uint32_t> map[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
        {QFileDevice::ReadGroup, 0040}, {QFileDevice::WriteGroup, 0020}, {QFileDevice::ExeGroup, 0010},
        {QFileDevice::ReadOther, 0004}, {QFileDevice::WriteOther, 0002}, {QFileDevice::ExeOther, 0001},
    };
    for (const auto& [permission, bit] : map) {
        if (p.testFlag(permission))
            bits |= bit;
    }
    return bits;
}

} // namespace

MountStatus ProbeMountLinux(const QString& mountPoint) {
    MountStatus status;
#if defined(Q_OS_LINUX)
    const QByteArray native = EncodeFileName(mountPoint);
    struct statvfs fs {};
    if (::statvfs(native.constData(), &fs) != 0)
        return status;
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return status;
    status.rootMode = std::uint32_t(st.st_mode);
    const DirStream dir = OpenDirStream(native.constData());
    if (!dir)
        return status;
    errno = 0;
    ::readdir(dir.get());
    status.ready = errno == 0;
#else
    status = ProbeMountPlain(mountPoint);
#endif
    return status;
}

MountStatus ProbeMountPlain(const QString& mountPoint) {
    MountStatus status;
    const QFileInfo root(mountPoint);
    if (!root.exists())
        return status;
    status.rootMode = (root.isDir() ? kDirectoryType : kRegularType) | PermissionBits(root.permissions());
    // Without statvfs, a root that can be opened for reading stands for one that answers.
    status.ready = root.isDir() && QDir(mountPoint).isReadable();
    return status;
}

MountProbe SystemMountProbe() {
#if defined(Q_OS_LINUX)
    return &ProbeMountLinux;
#else
    return &ProbeMountPlain;
#endif
}

} // namespace tobimaru
