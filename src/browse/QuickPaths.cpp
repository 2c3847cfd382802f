#include "browse/QuickPaths.h"

#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "ui/Menus.h"

#include <QAction>
#include <QMenu>

namespace tobimaru {

namespace {
constexpr int kSlots = 7;
}

QuickPaths::QuickPaths(Menus& menus, Prompts& prompts, Hooks hooks)
    : m_menus(menus)
    , m_prompts(prompts)
    , m_hooks(std::move(hooks)) {}

QString QuickPaths::caption(int slot) const {
    return m_menus.item(QStringLiteral("pass(%1)").arg(slot))->text();
}

void QuickPaths::setSlot(int slot, const QString& text, bool visible) {
    QAction* a = m_menus.item(QStringLiteral("pass(%1)").arg(slot));
    a->setText(text);
    a->setVisible(visible);
}

bool QuickPaths::OnRecentFilesList(const QString& path) const {
    for (int i = 0; i < kSlots; ++i) {
        if (caption(i) == path)
            return true;
    }
    return false;
}

void QuickPaths::WriteRecentFiles(const QString& path) {
    for (int i = kSlots - 2; i >= 0; --i) {
        const QString text = caption(i);
        if (!text.isEmpty())
            setSlot(i + 1, text, true);
        else
            setSlot(i + 1, QString(), false);
    }
    setSlot(0, path, true);
}

void QuickPaths::UpdateFileMenu(const QString& path) {
    if (!OnRecentFilesList(path))
        WriteRecentFiles(path);
}

void QuickPaths::QuickPathSet_Click(int index) {
    for (int i = 0; i < 3; ++i)
        m_menus.setChecked(QStringLiteral("QuickPathSet(%1)").arg(i), i == index);
    QString title;
    switch (index) {
    case 0:
        title = QStringLiteral("クイックパスアクセス-毎回(&Q)");
        break;
    case 1:
        title = QStringLiteral("クイックパスアクセス-完了のみ(&Q)");
        break;
    default:
        title = QStringLiteral("クイックパスアクセス-記録なし(&Q)");
        break;
    }
    m_menus.menu(QStringLiteral("quickAccess"))->setTitle(title);
}

int QuickPaths::mode() const {
    for (int i = 0; i < 3; ++i) {
        if (m_menus.isChecked(QStringLiteral("QuickPathSet(%1)").arg(i)))
            return i;
    }
    return 2;
}

void QuickPaths::QuickPathAdd_Click() {
    const QString folder = m_hooks.currentFolder ? m_hooks.currentFolder() : QString();
    if (!folder.isEmpty())
        UpdateFileMenu(folder);
}

void QuickPaths::QuickPathClear_Click() {
    if (m_hooks.stopSlideTimer)
        m_hooks.stopSlideTimer();
    const PromptAnswer a = m_prompts.message(QStringLiteral("クイックパスをクリアします。よろしいですか?"),
                                             AppTitle(), PromptIcon::Question, PromptButtons::OkCancel);
    if (a == PromptAnswer::Cancel)
        return;
    for (int i = 0; i < kSlots; ++i)
        setSlot(i, QString(), false);
}

void QuickPaths::pass_Click(int index) {
    if (index < 0 || index >= kSlots)
        return;
    const QString folder = caption(index);
    if (!folder.isEmpty() && ExistsFolder(folder) && m_hooks.goToPath)
        m_hooks.goToPath(folder);
}

} // namespace tobimaru
