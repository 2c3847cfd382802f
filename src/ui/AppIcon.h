#pragma once

#include <QIcon>

namespace tobimaru {

/// The program's logo, the same picture the desktop entry shows, from the resources compiled
/// into the program. Drawn by Qt's SVG icon engine (package libqt6svg6); without that engine
/// the icon is null.
QIcon AppIcon();

} // namespace tobimaru
