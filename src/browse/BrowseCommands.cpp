#include "browse/BrowseCommands.h"

#include "base/CommandTable.h"
#include "browse/Navigation.h"
#include "browse/QuickPaths.h"

namespace tobimaru {

void RegisterBrowseCommands(CommandTable& table, Navigation& nav, QuickPaths& quick) {
    Navigation* n = &nav;
    const auto goDesktop = [n] { n->GoDeskTop_Click(); };
    const auto goDocuments = [n] { n->GoMydoc_Click(); };
    const auto goNetwork = [n] { n->GoNetWtok_Click(); };
    const auto refresh = [n] { n->Listkousin_Click(); };
    table.add(QStringLiteral("GoDeskTop"), goDesktop);
    table.add(QStringLiteral("デスクトップ"), goDesktop);
    table.add(QStringLiteral("GoMydoc"), goDocuments);
    table.add(QStringLiteral("マイドキュメント"), goDocuments);
    table.add(QStringLiteral("GoNetWtok"), goNetwork);
    table.add(QStringLiteral("ネットワーク"), goNetwork);
    table.add(QStringLiteral("GoFolder"), [n] { n->GoFolder_Click(); });
    table.add(QStringLiteral("1つ上に"), [n] { n->GoUpOneLevel(); });
    table.add(QStringLiteral("Listkousin"), refresh);
    table.add(QStringLiteral("最新更新"), refresh);
    table.add(KeyCommand::Refresh, refresh);

    QuickPaths* q = &quick;
    for (int i = 0; i <= 2; ++i)
        table.add(QStringLiteral("QuickPathSet(%1)").arg(i), [q, i] { q->QuickPathSet_Click(i); });
    table.add(QStringLiteral("QuickPathAdd"), [q] { q->QuickPathAdd_Click(); });
    table.add(QStringLiteral("QuickPathClear"), [q] { q->QuickPathClear_Click(); });
    for (int i = 0; i < QuickPaths::kSlots; ++i)
        table.add(QStringLiteral("pass(%1)").arg(i), [q, i] { q->pass_Click(i); });
}

} // namespace tobimaru
