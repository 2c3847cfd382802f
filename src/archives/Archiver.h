#pragma once

#include "archives/ArchiveExtractor.h"
#include "archives/ArchiverCodes.h"

#include <QString>
#include <memory>

namespace tobimaru {

/// Extracts an LZH archive as the command line says ("e -x1m1 archive destination/ ", see
/// ParseLzhCommandLine). Returns 0 or a result code (LzhErrorText gives its message); `message`
/// `failure` (optional) gets what went wrong. Blocking and thread-safe: run it on a worker thread.
ArchiverCode Unlha(const QString& commandLine, const ExtractCallbacks& callbacks = {},
                   ExtractFailure* failure = nullptr);
/// Extracts a ZIP archive as the command line says ("-x -s -V -i -C archive destination/ ",
/// see ParseZipCommandLine). As Unlha otherwise; ZipErrorText gives the message.
ArchiverCode UnZip(const QString& commandLine, const ExtractCallbacks& callbacks = {},
                   ExtractFailure* failure = nullptr);

/// True for a sound LZH archive; mode 2 reads every entry's data as well (CheckArchive).
bool UnlhaCheckArchive(const QString& archive, int mode);
/// True for a sound ZIP archive; mode 2 reads every entry's data as well (CheckArchive).
bool UnZipCheckArchive(const QString& archive, int mode);

/// An open ZIP archive for looking at its entries.
class UnZipArchive;
struct UnZipArchiveClose {
    void operator()(UnZipArchive* archive) const;
};
using UnZipHandle = std::unique_ptr<UnZipArchive, UnZipArchiveClose>;

/// Opens a ZIP archive for UnZipFindFirst; null when the file is no readable ZIP. Mode is
/// accepted for the old signature and has no effect.
UnZipHandle UnZipOpenArchive(const QString& archive, int mode);
/// Finds the first entry whose file name matches the wildcard pattern ("*.*" matches every
/// name, as on Windows; case is ignored). 0 when one was found, -1 when none (or on a read
/// failure); UnZipGetAttribute then tells about it.
int UnZipFindFirst(UnZipArchive* handle, const QString& pattern);
/// The attribute bits of the entry UnZipFindFirst found (0x01 read-only, 0x10 folder, 0x20
/// file, 0x40 encrypted), or -1 when there is none.
int UnZipGetAttribute(const UnZipArchive* handle);
/// Closes the archive (letting the handle go does the same).
void UnZipCloseArchive(UnZipHandle handle);

/// -1 when the ZIP cannot be read, has no entry or no attributes; else 1 when its first entry
/// is encrypted, 0 when not.
int ZipFirstEntryState(const QString& archive);

/// True when the named archiver ("UnZip32.DLL", "Unlha32.DLL", any case) is at hand: libarchive
/// reads its format. False for any other name.
bool FindLibrary(const QString& fileName);

} // namespace tobimaru
