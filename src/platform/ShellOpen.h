#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace tobimaru {

class Prompts;

/// The show state the callers pass: a normal window.
inline constexpr int kShowNormal = 1;

/// The desktop shell's open action: a file with the application the desktop gives its type, a
/// web or mail address with the browser or the mail program.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    /// Opens `target` (a path or an address) for `owner`, in `showState`. A file that exists
    /// makes its folder the process's current folder first. Returns 0, or the number of the
    /// failure that stopped it; what the desktop then does is its own to report.
    virtual int ShellOpenFile(QWidget* owner, const QString& target, int showState) = 0;
};

/// The URL the desktop is handed for a target: an address with a scheme as it is, anything
/// else as a local file.
QUrl ShellTargetUrl(const QString& target);

/// The desktop's own open action (QDesktopServices, like xdg-open).
class DesktopShellOpener final : public ShellOpener {
public:
    using Launcher = std::function<bool(const QUrl&)>;
    /// `prompts` tells the user why a file could not be opened; `launch` (for tests) stands
    /// for QDesktopServices::openUrl. Both must outlive this object.
    explicit DesktopShellOpener(Prompts& prompts, Launcher launch = {});

    int ShellOpenFile(QWidget* owner, const QString& target, int showState) override;

private:
    Prompts& m_prompts;
    Launcher m_launch;
};

} // namespace tobimaru
