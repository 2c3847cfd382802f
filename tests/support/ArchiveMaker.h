#pragma once

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
};

/// Makes archives at test time, so that nothing binary is committed. Each maker returns the
/// path written and throws when its tool fails.
struct ArchiveMaker {
    /// A ZIP written by Python's zipfile, the names' bytes exactly as given (zipfile alone
    /// would set the UTF-8 flag on every non-ASCII name).
    static QString zip(const QString& path, const std::vector<ZipEntry>& entries);
    /// A ZIP of the files (UTF-8 relative path → content) encrypted by `zip -P`.
    static QString encryptedZip(const QString& path, const QString& password,
                                const QMap<QString, QByteArray>& files);
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
};

/// Everything below a folder: relative path → content, "<dir>" for a folder, "-> target"
/// (as stored) for a link. Compare two snapshots to see that a folder was left as it was.
QMap<QString, QByteArray> FolderSnapshot(const QString& folder);

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

private:
    QString m_path;
    QString m_error;
    bool m_mounted = false;
};

} // namespace tobimaru::test
