#include "browse/FileIcons.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeType>

namespace tobimaru {

namespace {

constexpr int kIconSize = 16;

// The Icon= value of a launcher's [Desktop Entry] group, "" when it has none.
QString DesktopEntryIcon(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inEntry = false;
    // Launchers are small; a bound keeps a huge file named *.desktop from stalling the listing.
    for (int lines = 0; lines < 2000 && !file.atEnd(); ++lines) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
        } else if (inEntry && line.startsWith(QLatin1String("Icon="))) {
            return line.mid(5).trimmed();
        }
    }
    return {};
}

QIcon ThemeIcon(const ThemeIcons& theme, const QString& name, const QString& context) {
    if (name.startsWith(QLatin1Char('/')))
        return QIcon(name);
    return theme.icon(name, context);
}

bool Usable(const QIcon& icon) {
    return !icon.isNull() && !icon.pixmap(kIconSize, kIconSize).isNull();
}

} // namespace

FileIcons::FileIcons()
    : m_provider(std::make_unique<QFileIconProvider>()) {}

FileIcons::~FileIcons() = default;

QString FileIcons::FileIconKey(const QString& base) {
    return QLatin1Char('t') + base + QLatin1Char('t');
}

void FileIcons::setKeySource(std::function<QIcon(const QString&)> source) {
    m_keySource = std::move(source);
    m_sourceMisses.clear();
}

QIcon FileIcons::icon(const QString& key) const {
    const auto it = m_images.constFind(key);
    if (it != m_images.cend())
        return it->icon;
    if (!m_keySource || key.isEmpty() || m_sourceMisses.contains(key))
        return {};
    if (!store(m_images, key, m_keySource(key))) {
        m_sourceMisses.insert(key, true);
        return {};
    }
    return m_images.value(key).icon;
}

QPixmap FileIcons::pixmap(const QString& key) const {
    if (!icon(key).isNull())
        return m_images.value(key).pixmap;
    return {};
}

bool FileIcons::store(QHash<QString, Image>& images, const QString& key, const QIcon& icon) {
    if (images.contains(key) || icon.isNull())
        return false;
    const QPixmap pixmap = icon.pixmap(kIconSize, kIconSize);
    if (pixmap.isNull())
        return false;
    images.insert(key, Image{QIcon(pixmap), pixmap});
    return true;
}

bool FileIcons::add(const QString& key, const QIcon& icon) {
    return store(m_images, key, icon);
}

bool FileIcons::fetchFileIcon(const QString& base, const QString& fullPath) {
    if (base.isEmpty())
        return false;
    const QString key = FileIconKey(base);
    if (m_images.contains(key))
        return true;
    const QIcon found = iconForFile(base, fullPath);
    return Usable(found) && add(key, found);
}

QIcon FileIcons::iconForFile(const QString& base, const QString& fullPath) const {
    // Only a regular file is read for its own picture: opening a pipe under such a name would
    // wait for a writer and freeze the listing.
    const bool ownIcon = base == fullPath && QFileInfo(fullPath).isFile();
    if (ownIcon && fullPath.endsWith(QLatin1String(".ico"))) {
        const QIcon own(fullPath);
        if (Usable(own))
            return own;
    }
    if (ownIcon && fullPath.endsWith(QLatin1String(".desktop"))) {
        const QIcon launcher = ThemeIcon(m_theme, DesktopEntryIcon(fullPath), QStringLiteral("apps"));
        if (Usable(launcher))
            return launcher;
    }
    // By name only: the image is shared by every file of the extension, so the content of the
    // first one must not decide it (and a FIFO must never be opened).
    const QMimeType type = m_mime.mimeTypeForFile(fullPath, QMimeDatabase::MatchExtension);
    for (const QString& name : {type.iconName(), type.genericIconName()}) {
        const QIcon themed = ThemeIcon(m_theme, name, QStringLiteral("mimetypes"));
        if (Usable(themed))
            return themed;
    }
    return m_provider->icon(QAbstractFileIconProvider::File);
}

QString FileIcons::folderIconKey(FolderImage image) {
    const char* theme = nullptr;
    switch (image) {
    case FolderImage::None:
        return {};
    case FolderImage::Closed:
        theme = "folder";
        break;
    case FolderImage::MyPictures:
        theme = "folder-pictures";
        break;
    case FolderImage::MyMusic:
        theme = "folder-music";
        break;
    case FolderImage::MyVideos:
        theme = "folder-videos";
        break;
    case FolderImage::Favorites:
        theme = "folder-bookmark";
        break;
    }
    const QString key = QStringLiteral("FOLDER:") + QLatin1String(theme);
    if (!m_images.contains(key)) {
        QIcon icon = QIcon::fromTheme(QLatin1String(theme));
        if (!Usable(icon))
            icon = m_provider->icon(QAbstractFileIconProvider::Folder);
        add(key, icon);
    }
    return m_images.contains(key) ? key : QString();
}

} // namespace tobimaru
