#include "archives/ArchiveReader.h"

#include "base/FileNames.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>

namespace tobimaru {

namespace {

// Large reads keep the system-call count low on the extraction of big archives.
constexpr size_t kReadBlock = 256 * 1024;

int SupportFormat(archive* a, ArchiveKind kind) {
    return kind == ArchiveKind::Zip ? archive_read_support_format_zip(a) : archive_read_support_format_lha(a);
}

const char* CharsetOption(ArchiveKind kind) {
    // LZH archives come from Japanese Windows archivers, which stored names in CP932. ZIP names
    // are left as stored: Linux tools write UTF-8 without setting the UTF-8 flag, so no charset
    // fits every archive, and EntryName decides name by name. libarchive still honours the flag
    // and the Unicode Path field (its CRC taken over the stored bytes, as the field says).
    return kind == ArchiveKind::Lzh ? "lha:hdrcharset=CP932" : nullptr;
}

// libarchive reports its own findings with EILSEQ (a format error), EINVAL (a misuse) or -1;
// anything else is the system's answer to a read.
bool IsSystemErrno(int e) {
    return e > 0 && e != EILSEQ && e != EINVAL;
}

ArchiverCode HeaderErrorCode(archive* a) {
    const QString text = ErrorMessage(a).toLower();
    if (text.contains(QLatin1String("crc")) || text.contains(QLatin1String("checksum")))
        return ArchiverCode::HeaderChecksum;
    if (text.contains(QLatin1String("truncated")))
        return ArchiverCode::ReadError; // the file ends where the archive goes on
    if (IsSystemErrno(archive_errno(a)))
        return ArchiverCode::ReadError;
    return ArchiverCode::HeaderBroken;
}

} // namespace

void ArchiveReadFree::operator()(archive* a) const {
    archive_read_free(a);
}

Utf8CtypeScope::Utf8CtypeScope() {
    for (const char* name : {"C.UTF-8", "en_US.UTF-8"}) {
        m_locale = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
        if (m_locale)
            break;
    }
    if (m_locale)
        m_previous = uselocale(m_locale);
}

Utf8CtypeScope::~Utf8CtypeScope() {
    if (!m_locale)
        return;
    uselocale(m_previous);
    freelocale(m_locale);
}

OpenedReader OpenArchiveReader(ArchiveKind kind, const QString& path,
                               const std::vector<QByteArray>& passphrases) {
    OpenedReader out;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        out.code = ArchiverCode::ArchiveOpen;
        out.message = QStringLiteral("no readable file");
        out.error = !info.exists() ? ENOENT : (info.isDir() ? EISDIR : EACCES);
        return out;
    }
    ArchiveReadPtr a(archive_read_new());
    if (!a) {
        out.code = ArchiverCode::HeapMemory;
        return out;
    }
    const char* charset = CharsetOption(kind);
    if (SupportFormat(a.get(), kind) != ARCHIVE_OK ||
        (charset && archive_read_set_options(a.get(), charset) != ARCHIVE_OK)) {
        out.code = ArchiverCode::UnknownMode;
        out.message = ErrorMessage(a.get());
        return out;
    }
    for (const QByteArray& p : passphrases) {
        if (archive_read_add_passphrase(a.get(), p.constData()) != ARCHIVE_OK) {
            out.code = ArchiverCode::HeapMemory;
            out.message = ErrorMessage(a.get());
            return out;
        }
    }
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), kReadBlock) != ARCHIVE_OK) {
        out.error = SystemError(a.get());
        out.code = out.error ? ArchiverCode::ArchiveOpen : ArchiverCode::NotArchive;
        out.message = ErrorMessage(a.get());
        return out;
    }
    out.reader = std::move(a);
    return out;
}

bool FormatSupported(ArchiveKind kind) {
    ArchiveReadPtr a(archive_read_new());
    return a && SupportFormat(a.get(), kind) == ARCHIVE_OK;
}

bool HasZipDirectoryEnd(const QString& path) {
    // The record is 22 bytes plus a comment of at most 65535.
    constexpr qint64 kSearch = 22 + 65535;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 from = std::max<qint64>(0, file.size() - kSearch);
    if (!file.seek(from))
        return false;
    const QByteArray tail = file.readAll();
    const qsizetype at = tail.lastIndexOf(QByteArrayLiteral("PK\x05\x06"));
    if (at < 0 || at + 22 > tail.size())
        return false;
    // A record cut off in its comment is as cut off as one without it.
    const int comment = static_cast<uchar>(tail[at + 20]) | (static_cast<uchar>(tail[at + 21]) << 8);
    return at + 22 + comment <= tail.size();
}

HeaderStep NextHeader(archive* reader) {
    HeaderStep step;
    archive_entry* entry = nullptr;
    const int r = archive_read_next_header(reader, &entry);
    if (r == ARCHIVE_EOF) {
        step.state = HeaderStep::End;
        return step;
    }
    if (r == ARCHIVE_OK || (r == ARCHIVE_WARN && entry && !EntryName(entry).isEmpty())) {
        step.state = HeaderStep::Entry;
        step.entry = entry;
        if (r == ARCHIVE_WARN)
            step.message = ErrorMessage(reader);
        return step;
    }
    step.code = HeaderErrorCode(reader);
    step.message = ErrorMessage(reader);
    return step;
}

ArchiverCode DataErrorCode(archive* reader, bool encrypted) {
    const QString text = ErrorMessage(reader).toLower();
    const auto has = [&](const char* s) { return text.contains(QLatin1String(s)); };
    if (has("unsupported") || has("not supported"))
        return ArchiverCode::UnknownMode;
    // Classic ZIP encryption checks a password by one byte, so one wrong password in 256 gets
    // through to a bad CRC: on an encrypted entry that is the password's fault.
    if (has("passphrase") || (encrypted && has("crc")))
        return ArchiverCode::Password;
    if (has("crc"))
        return ArchiverCode::DataChecksum;
    if (has("wrong size"))
        return ArchiverCode::HeaderBroken;
    if (has("truncated"))
        return ArchiverCode::ReadError;
    if (IsSystemErrno(archive_errno(reader)))
        return ArchiverCode::ReadError;
    return ArchiverCode::HuffmanCode;
}

int SystemError(archive* a) {
    const int e = a ? archive_errno(a) : 0;
    return IsSystemErrno(e) ? e : 0;
}

QString ErrorMessage(archive* a) {
    const char* text = a ? archive_error_string(a) : nullptr;
    return text ? QString::fromUtf8(text) : QString();
}

QString DecodeStoredName(QByteArrayView stored) {
    // Names that are UTF-8 throughout are taken as UTF-8: CP932 text is hardly ever valid UTF-8
    // as well, while Linux tools write UTF-8 without the flag that would say so.
    if (IsUtf8(stored))
        return QString::fromUtf8(stored);
    QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
    if (cp932.isValid()) {
        const QString text = cp932.decode(stored);
        if (!cp932.hasError() && !text.contains(QChar::ReplacementCharacter))
            return text;
    }
    // Neither: the bytes are kept, so the file gets exactly the name that was stored.
    return DecodeFileName(stored);
}

QString EntryName(archive_entry* entry) {
    // The multibyte name: the stored bytes for a ZIP name without the UTF-8 flag, which the
    // UTF-8 accessor would refuse when they are CP932.
    const char* name = archive_entry_pathname(entry);
    return name ? DecodeStoredName(name) : QString();
}

QString EntryLinkTarget(archive_entry* entry) {
    const char* target = archive_entry_symlink(entry);
    return target ? DecodeStoredName(target) : QString();
}

int EntryAttributes(archive_entry* entry) {
    int bits = archive_entry_filetype(entry) == AE_IFDIR ? 0x10 : 0x20;
    if ((archive_entry_perm(entry) & 0222) == 0)
        bits |= 0x01;
    if (archive_entry_is_encrypted(entry))
        bits |= 0x40;
    return bits;
}

DataBlock NextDataBlock(archive* reader) {
    const void* buf = nullptr;
    DataBlock block;
    la_int64_t offset = 0;
    block.status = archive_read_data_block(reader, &buf, &block.size, &offset);
    block.bytes = static_cast<const char*>(buf);
    block.offset = offset;
    return block;
}

ArchiverCode DrainData(archive* reader, bool encrypted, QString* message) {
    for (;;) {
        const int r = NextDataBlock(reader).status;
        if (r == ARCHIVE_EOF)
            return ArchiverCode::Ok;
        if (r != ARCHIVE_OK) {
            if (message)
                *message = ErrorMessage(reader);
            return DataErrorCode(reader, encrypted);
        }
    }
}

} // namespace tobimaru
