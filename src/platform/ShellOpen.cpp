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

DesktopShellOpener::DesktopShellOpener(Launcher launch)
    : m_launch(std::move(launch)) {}

int32_t DesktopShellOpener::ShellOpenFile(QWidget* owner, const QString& target, int showState) {
    if (m_launch)
        return m_launch(ShellTarget(target)) ? 0 : kNoApplication;
    return tobimaru::ShellOpenFile(owner, target, showState);
}

bool OpenOrSayWhyNot(ShellOpener& shell, Prompts& prompts, QWidget* owner, const QString& target) {
    if (shell.ShellOpenFile(owner, target, kShowNormal) == 0)
        return true;
    prompts.message(NoApplicationText(target), AppTitle(), PromptIcon::Critical, PromptButtons::Ok);
    return false;
}

} // namespace tobimaru
