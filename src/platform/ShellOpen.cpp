#include "platform/ShellOpen.h"

#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "base/PathQueries.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>

namespace tobimaru {

QUrl ShellTargetUrl(const QString& target) {
    // "mailto:", "https://" and the like; a path never starts with a scheme and a colon.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(target).hasMatch())
        return QUrl(target);
    return QUrl::fromLocalFile(target);
}

DesktopShellOpener::DesktopShellOpener(Prompts& prompts, Launcher launch)
    : m_prompts(prompts)
    , m_launch(std::move(launch)) {}

int DesktopShellOpener::ShellOpenFile(QWidget* /*owner*/, const QString& target, int /*showState*/) {
    if (ExistsFile(target) && !QDir::setCurrent(GetParentPath(target))) {
        ShowErrorBox(m_prompts, ErrorCode::PathNotFound);
        return ErrorCode::PathNotFound;
    }
    const QUrl url = ShellTargetUrl(target);
    // Whether an application took it is the desktop's to say, as it was the shell's.
    if (m_launch)
        m_launch(url);
    else
        QDesktopServices::openUrl(url);
    return 0;
}

} // namespace tobimaru
