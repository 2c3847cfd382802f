#pragma once

#include <QString>
#include <QUrl>
#include <cstdint>

class QWidget;

namespace tobimaru {

/// The show states the callers pass; the desktop's launcher decides how the window appears.
inline constexpr int kShowNormal = 1;

/// What the desktop is given for a target: an address with a scheme ("mailto:", "https:",
/// "trash:") as it stands, anything else as a local path.
QUrl ShellTarget(const QString& target);

/// Hands the target to the desktop's default application (as xdg-open does) and returns at once.
/// The process's current folder stays as it is: the launcher starts the program elsewhere anyway.
/// Returns 0; what the launcher makes of it is not examined. `owner` and `showState` have no
/// counterpart on the desktop.
int32_t ShellOpenFile(QWidget* owner, const QString& target, int showState);

} // namespace tobimaru
