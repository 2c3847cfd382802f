#pragma once

#include <QPixmap>
#include <QString>

namespace tobimaru {

/// Where the program's logo lives among the resources.
inline constexpr const char* kLogoResource = ":/icons/tobimarume.svg";

/// The program's logo, `size` pixels square, for the splash and the version page. Without the
/// logo resource (or a loader for it) a plain picture of the program's initials stands in.
QPixmap ProgramLogo(int size);

/// That stand-in.
QPixmap PlaceholderLogo(int size);

} // namespace tobimaru
