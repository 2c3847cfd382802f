#include "platform/IconTheme.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

namespace tobimaru {

namespace {

bool Installed(const QString& theme) {
    for (const QString& root : QIcon::themeSearchPaths()) {
        if (QFileInfo::exists(QDir(root).filePath(theme + QStringLiteral("/index.theme"))))
            return true;
    }
    return false;
}

/// Where themes live by the freedesktop rules. A platform without a desktop theme plugin (a bare
/// X server, the offscreen one) gives Qt no search path but its resources.
void AddStandardSearchPaths() {
    QStringList paths = QIcon::themeSearchPaths();
    QStringList roots{QDir::homePath() + QStringLiteral("/.icons")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        roots << data + QStringLiteral("/icons");
    roots << QStringLiteral("/usr/share/pixmaps");
    bool changed = false;
    for (const QString& root : roots) {
        if (!paths.contains(root) && QFileInfo(root).isDir()) {
            paths << root;
            changed = true;
        }
    }
    if (changed)
        QIcon::setThemeSearchPaths(paths);
}

} // namespace

QString EnsureIconTheme(const QStringList& candidates) {
    AddStandardSearchPaths();
    const QString named = QIcon::themeName();
    // "hicolor" is only the base every theme inherits: it has next to no mime-type icons.
    if (!named.isEmpty() && named != QLatin1String("hicolor") && Installed(named))
        return named;
    for (const QString& theme : candidates) {
        if (Installed(theme)) {
            QIcon::setThemeName(theme);
            QIcon::setFallbackThemeName(theme);
            return theme;
        }
    }
    return named == QLatin1String("hicolor") ? QString() : named;
}

} // namespace tobimaru
