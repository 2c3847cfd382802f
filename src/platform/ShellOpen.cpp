#include "platform/ShellOpen.h"

#include "base/FileNames.h"
#include "base/Prompts.h"

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

QString NoApplicationText(const QString& target) {
    const QString shown =
        target == QLatin1String("trash:///") ? QStringLiteral("ごみ箱") : DisplayFileName(target);
    return QStringLiteral(
               "「%1」を開くアプリケーションが見つかりません。\r"
               "xdg-open と、この種類を開くアプリケーションがインストールされているか確認してください。")
        .arg(shown);
}

int32_t ShellOpenFile(QWidget*, const QString& target, int) {
    return QDesktopServices::openUrl(ShellTarget(target)) ? 0 : kNoApplication;
}

DesktopShellOpener::DesktopShellOpener(Prompts& prompts, Launcher launch)
    : m_prompts(prompts)
    , m_launch(std::move(launch)) {}

int DesktopShellOpener::ShellOpenFile(QWidget* owner, const QString& target, int showState) {
    const int32_t result = m_launch ? (m_launch(ShellTarget(target)) ? 0 : kNoApplication)
                                    : tobimaru::ShellOpenFile(owner, target, showState);
    if (result != 0)
        m_prompts.message(NoApplicationText(target), AppTitle(), PromptIcon::Critical, PromptButtons::Ok);
    return result;
}

} // namespace tobimaru
