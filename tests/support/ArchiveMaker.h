#pragma once

#include "archives/ArchiveExtractor.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <ostream>
#include <vector>

// Readable failure messages for folder snapshots: one "path: content" a line.
inline void PrintTo(const QMap<QString, QByteArray>& snapshot, std::ostream* os) {
    for (auto it = snapshot.begin(); it != snapshot.end(); ++it)
        *os << "\n  " << it.key().toStdString() << ": " << it.value().left(40).toStdString();
}

namespace tobimaru::test {

/// One entry of a ZIP made by ArchiveMaker::zip.
struct ZipEntry {
    enum Kind { File, Folder, Link };
    /// The name's bytes as stored: UTF-8, or CP932 as Japanese Windows wrote them.
    QByteArray name;
    /// The content; for a link its target.
    QByteArray data;
    Kind kind = File;
    /// Set the UTF-8 flag (the name must then be UTF-8).
    bool utf8Flag = false;
    /// Marked as made on Windows (DOS attributes, no Unix mode), as Japanese archives are.
    bool windows = false;
    /// Stored without compression.
    bool stored = false;
    /// When set, an Info-ZIP Unicode Path field (0x7075) with this UTF-8 name, and with the
    /// CRC-32 of `name` (the stored bytes) or, with `unicodeCrcWrong`, a CRC that does not fit.
    QByteArray unicodePath = {};
    bool unicodeCrcWrong = false;
};

/// Entries as tests write them: a file (Unix-made), a file made on Windows, a file with a
/// UTF-8 flagged name, a folder ("name/"), a symbolic link.
ZipEntry ZipFile(const QByteArray& name, const QByteArray& data = "x");
ZipEntry WindowsZipFile(const QByteArray& name, const QByteArray& data);
ZipEntry Utf8ZipFile(const QString& name, const QByteArray& data);
ZipEntry ZipFolder(const QByteArray& name);
ZipEntry ZipLink(const QByteArray& name, const QByteArray& target);

/// Makes archives at test time, so that nothing binary is committed. Each maker returns the
/// path written and throws when its tool fails.
struct ArchiveMaker {
    /// A ZIP written by Python's zipfile, the names' bytes exactly as given (zipfile alone
    /// would set the UTF-8 flag on every non-ASCII name).
    static QString zip(const QString& path, const std::vector<ZipEntry>& entries);
    /// A ZIP of the files (UTF-8 relative path → content) encrypted by `zip -P`.
    static QString encryptedZip(const QString& path, const QString& password,
                                const QMap<QString, QByteArray>& files);
    /// A ZIP as `zip -r` makes one under a UTF-8 locale: the names in UTF-8 without the UTF-8
    /// flag; encrypted (`-P`) when a password is given.
    static QString infoZip(const QString& path, const QMap<QString, QByteArray>& files,
                           const QString& password = {});
    /// An LZH (-lh5-) of the files (UTF-8 relative path → content) by jlha under ja_JP.UTF-8,
    /// which stores the names in CP932 as Japanese Windows archivers did.
    static QString lzh(const QString& path, const QMap<QString, QByteArray>& files);

    /// Python 3 can be run.
    static bool pythonAvailable();
    /// `zip` can be run.
    static bool zipAvailable();
    /// jlha can be run and the ja_JP.UTF-8 locale exists.
    static bool lzhAvailable();

    /// Cuts the file to `size` bytes.
    static void truncate(const QString& path, qint64 size);
    /// XORs `count` bytes from `offset` with 0x5A.
    static void corrupt(const QString& path, qint64 offset, qint64 count);
    /// Writes `size` into the first entry's uncompressed-size fields (local header and central
    /// directory), as a zip bomb that lies about its size does.
    static void understateFirstZipSize(const QString& path, quint32 size);
    /// The bytes of the text in CP932.
    static QByteArray cp932(const QString& text);
    /// The file's bytes ("" when it cannot be read).
    static QByteArray read(const QString& path);
    /// Copies the file to `to` (replacing it) and returns `to`.
    static QString copy(const QString& path, const QString& to);
};

/// Everything below a folder: relative path → content, "<dir>" for a folder, "-> target"
/// (as stored) for a link. Compare two snapshots to see that a folder was left as it was.
QMap<QString, QByteArray> FolderSnapshot(const QString& folder);

/// A destination holding one file of the user's ("keep.txt"), beside a folder for archives;
/// `world()` shows the whole temporary tree but the archives, so that anything written beside
/// the destination shows as well.
struct ExtractionSandbox {
    ExtractionSandbox();
    /// A ZIP of the entries in the archives' folder.
    QString zip(const std::vector<ZipEntry>& entries, const QString& name = "a.zip");
    /// ExtractArchive into the destination; what went wrong goes to `message`.
    ArchiverCode extract(ArchiveKind kind, const QString& archive, const ExtractCallbacks& callbacks = {});
    QMap<QString, QByteArray> world() const;
    /// `before` with the entries (relative to the destination) added.
    QMap<QString, QByteArray> with(const QMap<QString, QByteArray>& added) const;

    TempDir tmp;
    QString dest;
    QMap<QString, QByteArray> before;
    ExtractFailure message;
};

/// A small tmpfs (root only) for running out of disk space; unmounted at the end.
class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    /// False when it could not be mounted; `error()` says why.
    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    QString path() const { return m_path; }
    /// Bytes free on it for an unprivileged writer, -1 when unknown.
    qint64 freeBytes() const;

private:
    QString m_path;
    QString m_error;
    bool m_mounted = false;
};

} // namespace tobimaru::test
