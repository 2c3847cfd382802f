#pragma once

#include <QString>

namespace tobimaru {

/// Where the desktop keeps its special folders. Each property asks afresh; a folder the
/// desktop has no counterpart for is the empty string. Paths carry no trailing slash except
/// TempPath.
class ClsGetSpecialFolder final {
public:
    /// The network neighbourhood has no folder on Linux: always "".
    QString NetWorkPath() const { return {}; }
    /// The XDG documents folder.
    QString MyDocumentPath() const;
    /// The XDG desktop folder.
    QString DesktopPath() const;
    /// No "Send To" folder on Linux: always "".
    QString SendToPath() const { return {}; }
    /// No favourites folder on Linux: always "".
    QString FavoritesDirPath() const { return {}; }
    /// The user's application launchers (the menu's .desktop files).
    QString ProgramsDirPath() const;
    /// No system folder of the Windows kind: always "".
    QString WindowsPath() const { return {}; }
    /// No system folder of the Windows kind: always "".
    QString SystemPath() const { return {}; }
    /// The temporary-files folder, with a trailing "/".
    QString TempPath() const;
};

/// The text before the first NUL; the whole text when it has none.
QString TrimAtNull(const QString& text);

} // namespace tobimaru
