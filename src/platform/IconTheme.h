#pragma once

#include <QString>
#include <QStringList>

namespace tobimaru {

/// Gives Qt an icon theme where the session names none (a bare X server, a desktop that does not
/// tell Qt its theme): the first of `candidates` found on Qt's theme search path, also as the
/// fallback theme. A theme the session names is kept. Returns the theme in use afterwards ("" when
/// none could be found).
QString EnsureIconTheme(const QStringList& candidates = {QStringLiteral("Adwaita"), QStringLiteral("breeze"),
                                                         QStringLiteral("Papirus"), QStringLiteral("Tango")});

} // namespace tobimaru
