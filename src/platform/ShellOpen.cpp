#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QRegularExpression>

namespace tobimaru {

QUrl ShellTarget(const QString& target) {
    // A scheme is letters, digits, "+", "-" and "." after a first letter, then ":"; "C:" alone
    // would be one too, but no Linux path looks like that.
    static const QRegularExpression kScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (!target.startsWith(QLatin1Char('/')) && kScheme.match(target).hasMatch())
        return QUrl(target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(target);
}

int32_t ShellOpenFile(QWidget*, const QString& target, int) {
    QDesktopServices::openUrl(ShellTarget(target));
    return 0;
}

DesktopShellOpener::DesktopShellOpener(Prompts& prompts, Launcher launch)
    : m_prompts(prompts)
    , m_launch(std::move(launch)) {}

int DesktopShellOpener::ShellOpenFile(QWidget* owner, const QString& target, int showState) {
    if (!m_launch)
        return tobimaru::ShellOpenFile(owner, target, showState);
    // Whether an application took it is the desktop's to say, as it was the shell's.
    m_launch(ShellTarget(target));
    return 0;
}

} // namespace tobimaru
