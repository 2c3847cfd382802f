#pragma once

#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>

class QWidget;

namespace tobimaru {

class Prompts;

/// The show state the callers pass: a normal window (the desktop's launcher decides).
inline constexpr int kShowNormal = 1;
/// What ShellOpenFile answers when no application could be started for the target.
inline constexpr int32_t kNoApplication = 31;

/// The box text for a target nothing could open, naming it as a user reads it.
QString NoApplicationText(const QString& target);

/// What the desktop is given for a target: an address with a scheme ("mailto:", "https:",
/// "trash:") as it stands, anything else as a local path.
QUrl ShellTarget(const QString& target);
/// The same, under the name the version page's code knows it by.
inline QUrl ShellTargetUrl(const QString& target) {
    return ShellTarget(target);
}

/// Hands the target to the desktop's default application (as xdg-open does) and returns at once.
/// The process's current folder stays as it is: it means nothing to the desktop's launcher.
/// Returns 0 when a launcher took it, kNoApplication when the desktop has none to start (no
/// xdg-open and no handler); the caller says so. `owner` and `showState` have no counterpart on
/// the desktop.
int32_t ShellOpenFile(QWidget* owner, const QString& target, int showState);

/// The one way to hand a file or an address to the desktop's application for it, behind an
/// interface so that tests see what would have gone out. It shows no box: each caller words its
/// own (the player names the file it could not play, the version page the address).
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    /// As the free ShellOpenFile: 0 when a launcher took the target, else kNoApplication.
    virtual int32_t ShellOpenFile(QWidget* owner, const QString& target, int showState) = 0;
};

/// The desktop's own open action (QDesktopServices, like xdg-open).
class DesktopShellOpener final : public ShellOpener {
public:
    using Launcher = std::function<bool(const QUrl&)>;
    /// `launch` (for tests) stands for QDesktopServices::openUrl.
    explicit DesktopShellOpener(Launcher launch = {});

    int32_t ShellOpenFile(QWidget* owner, const QString& target, int showState) override;

private:
    Launcher m_launch;
};

/// Opens the target through `shell`; when nothing could open it, the box that names it
/// (NoApplicationText). Returns whether it was opened.
bool OpenOrSayWhyNot(ShellOpener& shell, Prompts& prompts, QWidget* owner, const QString& target);

} // namespace tobimaru
