#include "app/Startup.h"

#include "base/IconSet.h"
#include "base/Prompts.h"
#include "platform/OsVersion.h"
#include "platform/SingleInstance.h"
#include "ui/Toolbar.h"

#include <QAction>
#include <QApplication>

namespace tobimaru {

bool RefuseSecondInstance(SingleInstance& instance, Prompts& prompts) {
    if (instance.acquire())
        return true;
    if (instance.outcome() == SingleInstance::Outcome::LockUnusable) {
        // Not another copy: telling the user so would send them looking for a window that is
        // not there, at every start.
        prompts.message(instance.problem(), AppTitle(), PromptIcon::Critical, PromptButtons::Ok);
        return false;
    }
    prompts.message(QStringLiteral("既に起動しています。"), AppTitle(), PromptIcon::Warning,
                    PromptButtons::Ok);
    return false;
}

void PutToolbarImages(Toolbar& toolbar, const IconSet& icons) {
    toolbar.setImage(QStringLiteral("デスクトップ"), icons.desktop);
    toolbar.setImage(QStringLiteral("マイドキュメント"), icons.myDocuments);
    toolbar.setImage(QStringLiteral("ネットワーク"), icons.network);
    toolbar.setImage(QStringLiteral("1つ上に"), icons.upOneLevel);
}

} // namespace tobimaru
