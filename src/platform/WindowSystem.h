#pragma once

#include <QString>

namespace tobimaru {

/// Whether a program can read and set its windows' positions on the Qt platform of this name
/// (QGuiApplication::platformName()). Wayland clients can do neither: the compositor places
/// windows, and the position Qt reports there is not where the window stands.
bool PlatformPlacesWindows(const QString& platformName);

} // namespace tobimaru
