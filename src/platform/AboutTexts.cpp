#include "platform/AboutTexts.h"

#include "base/Prompts.h"

#include <QDir>
#include <QFileInfo>

namespace tobimaru {

QString ProgramVersionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(TOBIMARU_VERSION_MAJOR)
        .arg(TOBIMARU_VERSION_MINOR)
        .arg(TOBIMARU_VERSION_PATCH);
}

QString VersionLabelText(const QString& osText, const QString& shellVersion) {
    return QStringList{AppTitle() + QStringLiteral(" Ver") + ProgramVersionText(),
                       QStringLiteral(" このソフトウェアは無保証のフリーソフトです。"), osText,
                       QStringLiteral("Shell32.dll Ver") + shellVersion}
        .join(QLatin1Char('\n'));
}

QString VersionHistoryText() {
    return QStringLiteral("（バージョン履歴) \r\n2003.02.12 1.0.0 初公開\r\n");
}

QString ProjectHomePage() {
    return QStringLiteral("https://github.com/tobimarume/tobimarume");
}

} // namespace tobimaru
