#pragma once

#include <QString>
#include <cstdint>

namespace tobimaru {

/// A version record as the Windows version service reports it. Linux has none; the record
/// keeps the naming rules testable and serves texts brought over from Windows.
struct OsVersionRecord {
    int platformId = 0; ///< 1 the 95 family, 2 the NT family
    int major = 0;
    int minor = 0;
    uint32_t build = 0;
    QString servicePack; ///< may hold a NUL; only the text before it counts
    bool hasExtended = false;
    int productType = 0;    ///< 1 workstation, 2 domain controller, 3 server (extended record only)
    uint32_t suiteMask = 0; ///< bit 0x200: personal edition (extended record only)
};

/// The OS name, edition, service pack and build for a version record; "" for a platform id
/// other than 1 or 2.
QString GetOsVersionString(const OsVersionRecord& record);

/// The running system's text: the distribution's name and the kernel release. It never
/// contains "Windows XP".
QString LinuxOsVersionString();

/// The OS text of this program's start-up and version page (LinuxOsVersionString()).
QString GetOsVersionString();

/// The system shell library's version. Linux has no shell library with a version function,
/// so this is always "不明".
QString GetShellVersion();

/// True when the shared library can be loaded and exports the function; the library is
/// released again before returning.
bool HasExport(const QString& library, const QString& function);

/// The low 16 bits of a 32-bit value, read as signed.
int16_t SignedLowWord(int32_t value);

} // namespace tobimaru
