#pragma once

#include "platform/IconTheme.h"
#include <QHash>
#include <QIcon>

#include <QMimeDatabase>
#include <QPixmap>
#include <QString>
#include <functional>
#include <memory>

#include "browse/FolderListing.h"

class QFileIconProvider;

namespace tobimaru {

/// The small images of the tree and the list, by key: "t" + extension + "t" for files,
/// "t" + full path + "t" for files that carry their own icon, and whatever keys other parts add
/// (root icons, play marks). Images are 16x16 and stay for the life of the program.
class FileIcons final {
public:
    FileIcons();
    ~FileIcons();
    Q_DISABLE_COPY(FileIcons)

    /// "t" + base + "t".
    static QString FileIconKey(const QString& base);

    /// Where images of keys nobody added come from (the program's own pictures: play marks,
    /// folder images); asked once per key, the answer is kept.
    void setKeySource(std::function<QIcon(const QString&)> source);

    /// Whether an image is held under the key (the key source is not asked).
    bool contains(const QString& key) const { return m_images.contains(key); }
    /// The image under a key, from the key source when none was added; null when there is none.
    QIcon icon(const QString& key) const;
    /// The image under a key as a 16x16 pixmap; a null pixmap when there is none.
    QPixmap pixmap(const QString& key) const;
    /// Adds an image; a key that exists already keeps its image (returns false then).
    bool add(const QString& key, const QIcon& icon);

    /// Makes sure the file icon keyed by `base` (FileIconBase of the file) is held, asking the
    /// desktop's icon theme through the file's type: its own image for .ico files, the launcher's
    /// icon for .desktop files. Returns false when no icon can be had for it.
    bool fetchFileIcon(const QString& base, const QString& fullPath);

    /// The key of the desktop's icon for a kind of folder row (closed folder, pictures, music,
    /// videos, favourites), fetched on first use; "" for FolderImage::None.
    QString folderIconKey(FolderImage image);

private:
    struct Image {
        QIcon icon;
        QPixmap pixmap;
    };

    QIcon iconForFile(const QString& base, const QString& fullPath) const;
    static bool store(QHash<QString, Image>& images, const QString& key, const QIcon& icon);

    // Mutable: a lookup may fill the cache from the key source, which is not a visible change.
    mutable QHash<QString, Image> m_images;
    mutable QHash<QString, bool> m_sourceMisses;
    std::function<QIcon(const QString&)> m_keySource;
    QMimeDatabase m_mime;
    ThemeIcons m_theme;
    std::unique_ptr<QFileIconProvider> m_provider;
};

} // namespace tobimaru
