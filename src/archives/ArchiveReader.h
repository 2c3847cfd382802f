#pragma once

#include "archives/ArchiverCodes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <locale.h>
#include <memory>
#include <vector>

struct archive;
struct archive_entry;

namespace tobimaru {

struct ArchiveReadFree {
    void operator()(archive* a) const;
};
using ArchiveReadPtr = std::unique_ptr<archive, ArchiveReadFree>;

/// Gives the calling thread a UTF-8 LC_CTYPE while it lives. libarchive converts stored names
/// to the thread's character set and fails outright under the C locale; only this thread is
/// touched, so other threads and the user's locale are left alone.
class Utf8CtypeScope final {
public:
    Utf8CtypeScope();
    ~Utf8CtypeScope();
    Q_DISABLE_COPY(Utf8CtypeScope)

private:
    locale_t m_locale = nullptr;
    locale_t m_previous = nullptr;
};

/// A reader of one format opened on a file, or the result code for why it could not be opened.
struct OpenedReader {
    ArchiveReadPtr reader;
    ArchiverCode code = ArchiverCode::Ok;
    QString message;
    /// The system's errno when the file could not be read, else 0.
    int error = 0;
};

/// Opens `path` for the format with the given passphrases; LZH names are read as CP932, ZIP names
/// as stored (see EntryName). Code 0x8018 for a file that cannot be read, 0x801B for another format.
/// Call inside a Utf8CtypeScope.
OpenedReader OpenArchiveReader(ArchiveKind kind, const QString& path,
                               const std::vector<QByteArray>& passphrases = {});

/// True when libarchive was built with a reader for the format.
bool FormatSupported(ArchiveKind kind);

/// True when the file ends in a ZIP's end-of-directory record. Without one libarchive reads
/// the entries one by one from the front and never learns that the rest was cut off.
bool HasZipDirectoryEnd(const QString& path);

/// One step through the headers.
struct HeaderStep {
    enum State { Entry, End, Failed };
    State state = Failed;
    archive_entry* entry = nullptr;
    ArchiverCode code = ArchiverCode::Ok;
    QString message;
};

/// Reads the next header. A warning counts as an entry only when the name could be read.
HeaderStep NextHeader(archive* reader);

/// One block of an entry's data.
struct DataBlock {
    int status = 0; ///< ARCHIVE_OK, ARCHIVE_EOF after the last block, anything else a failure
    const char* bytes = nullptr;
    size_t size = 0;
    std::int64_t offset = 0; ///< where the block goes in the entry: sparse entries skip holes
};

/// Reads the next block of the current entry's data.
DataBlock NextDataBlock(archive* reader);

/// The result code for a failed read of an entry's data (ARCHIVE_WARN included: that is a bad
/// checksum or a wrong size, so the data is not what was stored).
ArchiverCode DataErrorCode(archive* reader, bool encrypted);

/// The system's errno behind libarchive's last failure; 0 when the failure was a finding of
/// libarchive's own (a damaged archive, a wrong password).
int SystemError(archive* a);

/// libarchive's last error text of the object.
QString ErrorMessage(archive* a);

/// Stored name bytes as text: UTF-8 when they are valid UTF-8, else CP932 when they are valid
/// CP932, else the bytes themselves (as DecodeFileName keeps them).
QString DecodeStoredName(QByteArrayView stored);

/// The stored name as text (DecodeStoredName), "" when it cannot be had.
QString EntryName(archive_entry* entry);

/// A link entry's target as text (DecodeStoredName), "" when there is none.
QString EntryLinkTarget(archive_entry* entry);

/// Attribute bits of an entry: 0x01 read-only, 0x10 folder, 0x20 file, 0x40 encrypted.
int EntryAttributes(archive_entry* entry);

/// Reads the current entry's data to its end and drops it; 0 or the failure's code.
ArchiverCode DrainData(archive* reader, bool encrypted, QString* message);

} // namespace tobimaru
