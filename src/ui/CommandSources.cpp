#include "ui/CommandSources.h"

#include "base/CommandTable.h"
#include "ui/Menus.h"
#include "ui/Toolbar.h"

namespace tobimaru {

void ConnectCommandSources(Menus& menus, Toolbar& toolbar, const CommandTable& table,
                           std::function<void()> beforeToolbar) {
    const CommandTable* t = &table;
    QObject::connect(&menus, &Menus::command, &menus, [t](const QString& group, int index) {
        t->execute(index >= 0 ? QStringLiteral("%1(%2)").arg(group).arg(index) : group);
    });
    QObject::connect(&toolbar, &Toolbar::buttonClicked, &toolbar,
                     [t, before = std::move(beforeToolbar)](const QString& key) {
                         if (before)
                             before();
                         t->execute(key);
                     });
}

} // namespace tobimaru
