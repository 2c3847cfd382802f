#include "archives/ArchiveExtractor.h"

#include "archives/ArchiveReader.h"
#include "archives/ExtractionTarget.h"
#include "base/FileNames.h"
#include "base/SystemReason.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStringEncoder>
#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tobimaru {

namespace {

// Files are written here rather than by libarchive's disk writer: with NO_OVERWRITE that writer
// skips a file that is already there and still answers ARCHIVE_OK, so a file another program
// put there after our check would pass for one of ours (reported as extracted, and removed by a
// rollback); without the flag it unlinks whatever is in the way. ExtractionJournal creates every
// file with O_EXCL and walks every folder with O_NOFOLLOW from a descriptor of the destination,
// which is what the writer's SECURE_NODOTDOT, SECURE_SYMLINKS and SECURE_NOABSOLUTEPATHS are
// for, without a gap between the check and the write. libarchive still reads and decodes.

// Headroom left on the disk: an extraction must not fill it to the last block, since other
// programs, and the user's desktop, need room to go on.
constexpr qint64 kMaxReserve = 64LL * 1024 * 1024;

bool IsDiskFull(int e) {
    return e == ENOSPC || e == EDQUOT;
}

QString Reason(const char16_t* text) {
    return QString::fromUtf16(text);
}

QString ExistsReason() {
    return Reason(u"展開先に同じ名前のファイルかフォルダが既にあります");
}

/// The reason of a failed step of the journal.
QString JournalReason(ArchiverCode code, int error) {
    if (code == ArchiverCode::AlreadyExists)
        return ExistsReason();
    return error ? SystemReason(error) : QString();
}

/// The system's reason behind libarchive's last failure, "" when it was a finding of its own.
QString SystemReasonOf(archive* a) {
    const int error = SystemError(a);
    return error ? SystemReason(error) : QString();
}

bool IsAbsoluteName(const QString& stored) {
    return stored.startsWith(QLatin1Char('/')) || stored.startsWith(QLatin1Char('\\'));
}

QString SizeText(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

enum class EntryType { File, Folder, Link, Destination };

struct PlannedEntry {
    QString stored;
    QString relative;
    QString linkTarget;
    EntryType type = EntryType::File;
    qint64 size = -1;
    bool encrypted = false;
};

/// The bytes a typed password may have been stored as: UTF-8 from Linux tools, CP932 from a
/// Japanese Windows. libarchive tries each.
std::vector<QByteArray> PassphraseBytes(const QString& password) {
    std::vector<QByteArray> out{password.toUtf8()};
    QStringEncoder cp932("CP932");
    if (cp932.isValid()) {
        const QByteArray bytes = cp932.encode(password);
        if (!cp932.hasError() && bytes != out.front())
            out.push_back(bytes);
    }
    return out;
}

/// One extraction: a pass over the headers that decides everything, then a pass that writes.
class Extraction final {
public:
    Extraction(const ExtractRequest& request, const ExtractCallbacks& callbacks, ExtractFailure* failure)
        : m_request(request)
        , m_callbacks(callbacks)
        , m_failure(failure) {}

    ArchiverCode run();

private:
    ArchiverCode plan();
    ArchiverCode planEntry(archive_entry* entry);
    ArchiverCode checkLinks();
    ArchiverCode askPassword(const QString& entry);
    ArchiverCode write();
    ArchiverCode writeEntry(archive* reader, archive_entry* entry, const PlannedEntry& planned,
                            ExtractionJournal& journal);
    ArchiverCode writeFile(archive* reader, archive_entry* entry, const PlannedEntry& planned,
                           ExtractionJournal& journal);
    ArchiverCode checkSpaceLeft(const QString& entry);
    bool cancelled() const {
        return m_callbacks.cancel && m_callbacks.cancel->load(std::memory_order_relaxed);
    }
    /// Hands each entry to `each` in the archive's order, until the end, a cancel, a broken
    /// header or the first code of `each` that is not Ok.
    ArchiverCode forEachEntry(archive* reader, const std::function<ArchiverCode(archive_entry*)>& each);
    void report(const QString& entry) const;
    /// Ends the extraction with `code`: `log` for a log, and for the user the entry (as stored,
    /// "" for the archive as a whole) and the reason.
    ArchiverCode fail(ArchiverCode code, const QString& log, const QString& entry = {},
                      const QString& reason = {});

    const ExtractRequest& m_request;
    const ExtractCallbacks& m_callbacks;
    ExtractFailure* m_failure = nullptr;
    QString m_destination;
    std::vector<PlannedEntry> m_entries;
    QSet<QString> m_files;
    QSet<QString> m_folders;
    QSet<QString> m_links;
    std::vector<QByteArray> m_passphrases;
    bool m_askedPassword = false;
    FreeSpace m_space;
    qint64 m_reserve = 0;
    qint64 m_totalBytes = 0;
    qint64 m_neededBytes = 0;
    qint64 m_usedBytes = 0;
    qint64 m_doneBytes = 0;
};

ArchiverCode Extraction::forEachEntry(archive* reader,
                                      const std::function<ArchiverCode(archive_entry*)>& each) {
    for (;;) {
        if (cancelled())
            return fail(ArchiverCode::UserCancel, QStringLiteral("cancelled"));
        const HeaderStep step = NextHeader(reader);
        if (step.state == HeaderStep::End)
            return ArchiverCode::Ok;
        if (step.state == HeaderStep::Failed)
            return fail(step.code, step.message, {}, SystemReasonOf(reader));
        if (const ArchiverCode code = each(step.entry); code != ArchiverCode::Ok)
            return code;
    }
}

ArchiverCode Extraction::fail(ArchiverCode code, const QString& log, const QString& entry,
                              const QString& reason) {
    if (m_failure)
        *m_failure = {entry, reason, log};
    return code;
}

void Extraction::report(const QString& entry) const {
    if (m_callbacks.progress)
        m_callbacks.progress(entry, m_doneBytes, m_totalBytes);
}

ArchiverCode Extraction::run() {
    const Utf8CtypeScope utf8;
    const QFileInfo destination(m_request.destination);
    m_destination = destination.canonicalFilePath();
    if (m_destination.isEmpty() || !QFileInfo(m_destination).isDir())
        return fail(ArchiverCode::MakeDirectory, QStringLiteral("no folder: ") + m_request.destination, {},
                    Reason(u"展開先のフォルダがありません"));
    if (const ArchiverCode code = plan(); code != ArchiverCode::Ok)
        return code;
    return write();
}

ArchiverCode Extraction::plan() {
    m_space = QueryFreeSpace(m_destination);
    OpenedReader opened = OpenArchiveReader(m_request.kind, m_request.archive);
    if (opened.code != ArchiverCode::Ok)
        return fail(opened.code, opened.message, {}, opened.error ? SystemReason(opened.error) : QString());
    if (const ArchiverCode code =
            forEachEntry(opened.reader.get(), [this](archive_entry* entry) { return planEntry(entry); });
        code != ArchiverCode::Ok)
        return code;
    if (const ArchiverCode code = checkLinks(); code != ArchiverCode::Ok)
        return code;
    m_neededBytes += static_cast<qint64>(m_folders.size()) * m_space.block;
    if (!m_space.known)
        return ArchiverCode::Ok;
    m_reserve = std::min(m_space.bytes / 32, kMaxReserve);
    if (m_neededBytes > m_space.bytes - m_reserve)
        return fail(
            ArchiverCode::DiskSpace,
            QStringLiteral("needs %1 bytes, %2 free").arg(m_neededBytes).arg(m_space.bytes), {},
            Reason(u"展開には %1 必要ですが、空きは %2 です")
                .arg(SizeText(m_neededBytes), SizeText(std::max<qint64>(0, m_space.bytes - m_reserve))));
    return ArchiverCode::Ok;
}

ArchiverCode Extraction::planEntry(archive_entry* entry) {
    PlannedEntry p;
    p.stored = EntryName(entry);
    if (p.stored.isEmpty())
        return fail(ArchiverCode::HeaderBroken, QStringLiteral("an entry without a name"), {},
                    Reason(u"名前のない項目があります"));
    if (archive_entry_hardlink_utf8(entry) || archive_entry_hardlink(entry))
        return fail(ArchiverCode::UnknownType, QStringLiteral("hard link: ") + p.stored, p.stored,
                    Reason(u"ハードリンクは展開できません"));
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
        p.type = EntryType::File;
        break;
    case AE_IFDIR:
        p.type = EntryType::Folder;
        break;
    case AE_IFLNK:
        p.type = EntryType::Link;
        break;
    default: // devices, pipes, sockets: nothing a media archive needs, and unsafe to make
        return fail(ArchiverCode::UnknownType, QStringLiteral("special file: ") + p.stored, p.stored,
                    Reason(u"デバイスやパイプなどの特殊なファイルは展開できません"));
    }
    const EntryPath path = SafeRelativePath(p.stored);
    if (path.code != ArchiverCode::Ok)
        return fail(path.code, QStringLiteral("name leaves the destination: ") + p.stored, p.stored,
                    IsAbsoluteName(p.stored)
                        ? Reason(u"絶対パスの名前で、展開先のフォルダの外を指しています")
                        : Reason(u"「..」を含む名前で、展開先のフォルダの外を指しています"));
    p.relative = path.relative;
    if (p.relative.isEmpty()) {
        if (p.type != EntryType::Folder)
            return fail(ArchiverCode::HeaderBroken, QStringLiteral("a file named like the destination"),
                        p.stored, Reason(u"展開先のフォルダそのものを指す名前のファイルです"));
        p.type = EntryType::Destination;
        m_entries.push_back(std::move(p));
        return ArchiverCode::Ok;
    }
    const QStringList parts = p.relative.split(QLatin1Char('/'));
    QString prefix;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        prefix = prefix.isEmpty() ? parts[i] : prefix + QLatin1Char('/') + parts[i];
        if (m_files.contains(prefix))
            return fail(ArchiverCode::MakeDirectory,
                        QStringLiteral("a file or link of the archive is in the way: ") + p.stored, p.stored,
                        m_links.contains(prefix)
                            ? Reason(u"書庫の中のリンク「%1」を通って書き込もうとしています")
                                  .arg(DisplayFileName(prefix))
                            : Reason(u"書庫の中のファイル「%1」が、フォルダの場所をふさいでいます")
                                  .arg(DisplayFileName(prefix)));
        m_folders.insert(prefix);
    }
    if (p.type == EntryType::Folder) {
        if (m_files.contains(p.relative))
            return fail(ArchiverCode::AlreadyExists, QStringLiteral("stored twice: ") + p.stored, p.stored,
                        Reason(u"書庫の中に同じ名前の項目が二つあります"));
        m_folders.insert(p.relative);
    } else {
        if (m_files.contains(p.relative) || m_folders.contains(p.relative))
            return fail(ArchiverCode::AlreadyExists, QStringLiteral("stored twice: ") + p.stored, p.stored,
                        Reason(u"書庫の中に同じ名前の項目が二つあります"));
        m_files.insert(p.relative);
        if (p.type == EntryType::Link)
            m_links.insert(p.relative);
    }
    if (const ArchiverCode code = ProbeDestination(m_destination, p.relative, p.type == EntryType::Folder);
        code != ArchiverCode::Ok)
        return fail(code, QStringLiteral("in the way in the destination: ") + p.relative, p.stored,
                    code == ArchiverCode::AlreadyExists
                        ? ExistsReason()
                        : Reason(u"展開先で、フォルダの場所にファイルかリンクがあります"));
    if (p.type == EntryType::Link) {
        p.linkTarget = EntryLinkTarget(entry);
        if (p.linkTarget.isEmpty())
            return fail(ArchiverCode::HeaderBroken, QStringLiteral("link without a target: ") + p.stored,
                        p.stored, Reason(u"リンク先のないリンクです"));
    }
    if (p.type == EntryType::File) {
        p.size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
        m_totalBytes += std::max<qint64>(p.size, 0);
        m_neededBytes += RoundUpToBlock(p.size, m_space.block);
    }
    p.encrypted = archive_entry_is_encrypted(entry) != 0;
    if (p.encrypted && !m_askedPassword) {
        if (const ArchiverCode code = askPassword(p.stored); code != ArchiverCode::Ok)
            return code;
    }
    m_entries.push_back(std::move(p));
    return ArchiverCode::Ok;
}

ArchiverCode Extraction::checkLinks() {
    // Done once every folder the archive makes is known: a link may climb out of a folder that a
    // later entry makes, never out of a link.
    const auto realFolder = [this](const QString& relative) {
        if (m_files.contains(relative))
            return false;
        return m_folders.contains(relative) || IsRealFolder(m_destination, relative);
    };
    for (const PlannedEntry& p : m_entries) {
        if (p.type == EntryType::Link && !LinkStaysInside(p.relative, p.linkTarget, realFolder))
            return fail(ArchiverCode::HeaderBroken,
                        QStringLiteral("link points out of the destination: ") + p.stored, p.stored,
                        Reason(u"リンクが展開先のフォルダの外を指しています"));
    }
    return ArchiverCode::Ok;
}

ArchiverCode Extraction::askPassword(const QString& entry) {
    m_askedPassword = true;
    const std::optional<QString> password =
        m_callbacks.password ? m_callbacks.password(m_request.archive) : std::optional<QString>();
    if (!password || password->isEmpty())
        return fail(ArchiverCode::Password, QStringLiteral("no password given"), entry,
                    Reason(u"パスワードが入力されませんでした"));
    m_passphrases = PassphraseBytes(*password);
    return ArchiverCode::Ok;
}

ArchiverCode Extraction::write() {
    OpenedReader opened = OpenArchiveReader(m_request.kind, m_request.archive, m_passphrases);
    if (opened.code != ArchiverCode::Ok)
        return fail(opened.code, opened.message, {}, opened.error ? SystemReason(opened.error) : QString());
    ExtractionJournal journal(m_destination);
    if (!journal.ok())
        return fail(ArchiverCode::MakeDirectory, QStringLiteral("cannot open ") + m_destination, {},
                    SystemReason(journal.error()));
    // The second pass must meet the entries the first one planned, in the same order.
    const auto changed = [this] {
        return fail(ArchiverCode::ReadError, QStringLiteral("the archive changed while it was read"), {},
                    Reason(u"読んでいる間に書庫が変わりました"));
    };
    size_t index = 0;
    archive* reader = opened.reader.get();
    if (const ArchiverCode code =
            forEachEntry(reader,
                         [&](archive_entry* entry) {
                             if (index >= m_entries.size() || EntryName(entry) != m_entries[index].stored)
                                 return changed();
                             return writeEntry(reader, entry, m_entries[index++], journal);
                         });
        code != ArchiverCode::Ok)
        return code;
    if (index != m_entries.size())
        return changed();
    journal.commit();
    return ArchiverCode::Ok;
}

ArchiverCode Extraction::checkSpaceLeft(const QString& entry) {
    // Another program may be filling the same disk: stop while there is still room, rather
    // than at the last block.
    if (!m_space.known)
        return ArchiverCode::Ok;
    const FreeSpace now = QueryFreeSpace(m_destination);
    if (now.known && now.bytes - m_reserve < m_neededBytes - m_usedBytes)
        return fail(ArchiverCode::DiskSpace, QStringLiteral("the disk is filling up"), entry,
                    Reason(u"展開中にディスクの空きが足りなくなりました"));
    return ArchiverCode::Ok;
}

ArchiverCode Extraction::writeEntry(archive* reader, archive_entry* entry, const PlannedEntry& p,
                                    ExtractionJournal& journal) {
    switch (p.type) {
    case EntryType::Destination:
        return ArchiverCode::Ok;
    case EntryType::Folder:
        if (const ArchiverCode code = journal.makeFolders(p.relative); code != ArchiverCode::Ok)
            return fail(code, QStringLiteral("cannot make ") + p.relative, p.stored,
                        JournalReason(code, journal.error()));
        return ArchiverCode::Ok;
    case EntryType::Link:
        if (const ArchiverCode code = journal.createLink(p.relative, EncodeFileName(p.linkTarget));
            code != ArchiverCode::Ok)
            return fail(code, QStringLiteral("cannot make the link ") + p.relative, p.stored,
                        JournalReason(code, journal.error()));
        return ArchiverCode::Ok;
    case EntryType::File:
        break;
    }
    if (const ArchiverCode code = checkSpaceLeft(p.stored); code != ArchiverCode::Ok)
        return code;
    report(p.stored);
    return writeFile(reader, entry, p, journal);
}

ArchiverCode Extraction::writeFile(archive* reader, archive_entry* entry, const PlannedEntry& p,
                                   ExtractionJournal& journal) {
    // A file its owner cannot read would be lost to them; set-id bits never come from an archive.
    const int mode = (archive_entry_perm(entry) & 0777) | 0400;
    PendingFile file;
    if (const ArchiverCode code = journal.createFile(p.relative, mode, &file); code != ArchiverCode::Ok)
        return fail(code, QStringLiteral("cannot create ") + p.relative, p.stored,
                    JournalReason(code, journal.error()));
    const auto writeFailed = [&](int e) {
        return fail(IsDiskFull(e) ? ArchiverCode::DiskSpace : ArchiverCode::WriteError,
                    p.relative + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(e)), p.stored,
                    SystemReason(e));
    };
    const qint64 budget = m_space.known ? m_space.bytes - m_reserve : std::numeric_limits<qint64>::max();
    qint64 end = 0;
    for (;;) {
        const DataBlock block = NextDataBlock(reader);
        const size_t len = block.size;
        const la_int64_t offset = block.offset;
        if (block.status == ARCHIVE_EOF)
            break;
        if (block.status != ARCHIVE_OK) {
            const ArchiverCode code = DataErrorCode(reader, p.encrypted);
            return fail(code, p.stored + QStringLiteral(": ") + ErrorMessage(reader), p.stored,
                        code == ArchiverCode::Password ? Reason(u"パスワードが違います")
                                                       : SystemReasonOf(reader));
        }
        const qint64 size = static_cast<qint64>(len);
        // libarchive notices data longer than its header says only at the end, after handing
        // out all of it: a bomb is stopped here, at its stated size.
        if (p.size >= 0 && offset + size > p.size)
            return fail(ArchiverCode::HeaderBroken,
                        p.stored + QStringLiteral(": more data than its header says"), p.stored,
                        Reason(u"ヘッダに書かれた大きさより多くのデータがあります"));
        if (m_usedBytes + size > budget)
            return fail(ArchiverCode::DiskSpace, p.stored + QStringLiteral(": the free space is used up"),
                        p.stored, Reason(u"展開中にディスクの空きが足りなくなりました"));
        for (size_t put = 0; put < len;) {
            const ssize_t n =
                ::pwrite(file.fd.get(), block.bytes + put, len - put, offset + static_cast<la_int64_t>(put));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return writeFailed(n < 0 ? errno : ENOSPC);
            put += static_cast<size_t>(n);
        }
        end = std::max<qint64>(end, offset + size);
        m_usedBytes += size;
        m_doneBytes += size;
        report(p.stored);
        if (cancelled())
            return fail(ArchiverCode::UserCancel, QStringLiteral("cancelled"));
    }
    // A sparse tail comes as no block at all.
    if (p.size > end && ::ftruncate(file.fd.get(), p.size) != 0)
        return writeFailed(errno);
    if (archive_entry_mtime_is_set(entry)) {
        const timespec times[2] = {{0, UTIME_NOW},
                                   {archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)}};
        ::futimens(file.fd.get(), times); // a time that cannot be set loses no data
    }
    if (const int error = file.fd.close())
        return writeFailed(error);
    if (const ArchiverCode code = journal.finishFile(file); code != ArchiverCode::Ok)
        return fail(code, QStringLiteral("cannot name ") + p.relative, p.stored,
                    JournalReason(code, journal.error()));
    m_usedBytes += RoundUpToBlock(end, m_space.block) - end;
    return ArchiverCode::Ok;
}

} // namespace

ArchiverCode ExtractArchive(const ExtractRequest& request, const ExtractCallbacks& callbacks,
                            ExtractFailure* failure) {
    Extraction extraction(request, callbacks, failure);
    return extraction.run();
}

bool CheckArchive(ArchiveKind kind, const QString& archivePath, int mode) {
    if (kind == ArchiveKind::Zip && !HasZipDirectoryEnd(archivePath))
        return false;
    const Utf8CtypeScope utf8;
    OpenedReader opened = OpenArchiveReader(kind, archivePath);
    if (opened.code != ArchiverCode::Ok)
        return false;
    int entries = 0;
    for (;;) {
        const HeaderStep step = NextHeader(opened.reader.get());
        if (step.state == HeaderStep::End)
            return entries > 0;
        if (step.state == HeaderStep::Failed)
            return false;
        ++entries;
        if (mode >= 2 && !archive_entry_is_encrypted(step.entry) &&
            DrainData(opened.reader.get(), false, nullptr) != ArchiverCode::Ok)
            return false;
    }
}

} // namespace tobimaru
