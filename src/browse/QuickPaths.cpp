#include "browse/QuickPaths.h"

#include "base/CommandTable.h"
#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"

namespace tobimaru {

QuickPaths::QuickPaths(Prompts& prompts, Hooks hooks, QObject* parent)
    : QObject(parent)
    , m_prompts(prompts)
    , m_hooks(std::move(hooks)) {}

QString QuickPaths::caption(int slot) const {
    return slot >= 0 && slot < kSlots ? m_slots[size_t(slot)].text : QString();
}

bool QuickPaths::visible(int slot) const {
    return slot >= 0 && slot < kSlots && m_slots[size_t(slot)].visible;
}

void QuickPaths::setSlot(int slot, const QString& text, bool visible) {
    if (slot < 0 || slot >= kSlots)
        throw Failure(ErrorCode::SubscriptOutOfRange, "pass");
    Slot& s = m_slots[size_t(slot)];
    if (s.text == text && s.visible == visible)
        return;
    s = Slot{text, visible};
    Q_EMIT slotChanged(slot);
}

bool QuickPaths::OnRecentFilesList(const QString& path) const {
    for (const Slot& s : m_slots) {
        if (s.text == path)
            return true;
    }
    return false;
}

void QuickPaths::WriteRecentFiles(const QString& path) {
    for (int i = kSlots - 2; i >= 0; --i) {
        const QString text = caption(i);
        setSlot(i + 1, text, !text.isEmpty());
    }
    setSlot(0, path, true);
}

void QuickPaths::UpdateFileMenu(const QString& path) {
    if (!OnRecentFilesList(path))
        WriteRecentFiles(path);
}

void QuickPaths::QuickPathSet_Click(int index) {
    const int mode = index >= 0 && index <= 2 ? index : -1;
    if (mode == m_mode)
        return;
    m_mode = mode;
    Q_EMIT modeChanged(m_mode);
}

int QuickPaths::mode() const {
    return m_mode >= 0 ? m_mode : 2;
}

QString QuickPaths::menuTitle() const {
    switch (m_mode) {
    case 0:
        return QStringLiteral("クイックパスアクセス-毎回(&Q)");
    case 1:
        return QStringLiteral("クイックパスアクセス-完了のみ(&Q)");
    default:
        return QStringLiteral("クイックパスアクセス-記録なし(&Q)");
    }
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

void QuickPaths::registerCommands(CommandTable& table) {
    const CommandId modes[] = {cmd::QuickPathRecordAlways, cmd::QuickPathRecordWhenWatched,
                               cmd::QuickPathRecordNever};
    for (int i = 0; i < 3; ++i)
        table.add(modes[i], [this, i] { QuickPathSet_Click(i); });
    table.add(cmd::QuickPathAdd, [this] { QuickPathAdd_Click(); });
    table.add(cmd::QuickPathClear, [this] { QuickPathClear_Click(); });
    static_assert(cmd::QuickPathOpen.size() == kSlots);
    for (int i = 0; i < kSlots; ++i)
        table.add(cmd::QuickPathOpen[size_t(i)], [this, i] { pass_Click(i); });
}

} // namespace tobimaru
