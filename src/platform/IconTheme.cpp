#include "platform/IconTheme.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tobimaru {

namespace {

/// Where themes live by the freedesktop rules.
QStringList ThemeRoots() {
    QStringList roots{QDir::homePath() + QStringLiteral("/.icons")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        roots << data + QStringLiteral("/icons");
    return roots;
}

bool Usable(const QIcon& icon) {
    return !icon.isNull() && !icon.pixmap(16, 16).isNull();
}

} // namespace

ThemeIcons::ThemeIcons(const QStringList& fallbacks) {
    const QStringList roots = ThemeRoots();
    for (const QString& theme : fallbacks) {
        for (const QString& root : roots) {
            const QString folder = root + QLatin1Char('/') + theme;
            if (QFileInfo::exists(folder + QStringLiteral("/index.theme"))) {
                m_theme = theme;
                m_root = folder;
                return;
            }
        }
    }
}

QIcon ThemeIcons::icon(const QString& name, const QString& context) const {
    if (name.isEmpty())
        return {};
    if (const QIcon themed = QIcon::fromTheme(name); Usable(themed))
        return themed;
    if (m_root.isEmpty())
        return {};
    QIcon found;
    for (const char* size : {"16x16", "22x22", "24x24", "32x32", "48x48"}) {
        const QString file =
            QStringLiteral("%1/%2/%3/%4.png").arg(m_root, QLatin1String(size), context, name);
        if (QFileInfo::exists(file))
            found.addFile(file);
    }
    const QString scalable = QStringLiteral("%1/scalable/%2/%3.svg").arg(m_root, context, name);
    if (found.isNull() && QFileInfo::exists(scalable))
        found.addFile(scalable);
    return found;
}

} // namespace tobimaru
