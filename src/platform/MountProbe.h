#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace tobimaru {

/// What one probe of a mount point found.
struct MountStatus {
    bool ready = false;         ///< the file system answered statvfs and its root could be listed
    std::uint32_t rootMode = 0; ///< st_mode of the root, links followed; 0 when it could not be had
};

/// Asks a mount point whether it answers. Runs on a worker thread and may block for as long as the
/// file system does (minutes, for a network server that has gone away); it touches nothing but the
/// path it is given.
using MountProbe = std::function<MountStatus(const QString& mountPoint)>;

/// The Linux probe: statvfs, stat, then opendir and one readdir of the root.
MountStatus ProbeMountLinux(const QString& mountPoint);

/// The plain probe for systems without those calls: Qt's own file queries on the root.
MountStatus ProbeMountPlain(const QString& mountPoint);

/// The probe this system uses.
MountProbe SystemMountProbe();

} // namespace tobimaru
