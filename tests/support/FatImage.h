#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tobimaru::test {

/// A FAT32 volume of the size given, made by mkfs.fat in an image file and mounted read-write by
/// fusefat (dosfstools, fusefat) for the life of the object: a USB stick's file system, which
/// keeps no permission bits, no links and no names that are not UTF-8, and knows no no-replace
/// rename.
///
///     test::FatImage fat;
///     if (!fat.mounted())
///         GTEST_SKIP() << fat.whyNot();
class FatImage final {
public:
    explicit FatImage(qint64 bytes = qint64(40) << 20);
    ~FatImage();
    FatImage(const FatImage&) = delete;
    FatImage& operator=(const FatImage&) = delete;

    bool mounted() const { return m_mounted; }
    /// Why it is not mounted (for GTEST_SKIP).
    const QString& whyNot() const { return m_whyNot; }
    /// The mount point, no trailing slash.
    const QString& path() const { return m_mountPoint; }

private:
    QTemporaryDir m_dir;
    QString m_mountPoint;
    QString m_whyNot;
    bool m_mounted = false;
};

} // namespace tobimaru::test
