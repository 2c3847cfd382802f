#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace tobimaru {

/// Named icons (mime types, places) of the desktop's theme. Where the session names no theme (a
/// bare X server, a desktop that does not tell Qt its theme) or the theme lacks the icon, the
/// first installed of the fallback themes is read by name from its folders. Qt's own theme is
/// left alone: the toolbar keeps the style's own coloured pictures.
class ThemeIcons final {
public:
    explicit ThemeIcons(const QStringList& fallbacks = {QStringLiteral("Adwaita"), QStringLiteral("breeze"),
                                                        QStringLiteral("Papirus"), QStringLiteral("Tango")});

    /// The icon, or a null icon when neither the theme nor a fallback has it. `context` is the
    /// theme's folder kind ("mimetypes", "places").
    QIcon icon(const QString& name, const QString& context = QStringLiteral("mimetypes")) const;
    /// The fallback theme in use ("" when none is installed).
    const QString& fallbackTheme() const { return m_theme; }

private:
    QString m_theme;
    QString m_root; ///< its folder
};

} // namespace tobimaru
