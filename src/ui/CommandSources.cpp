#include "ui/CommandSources.h"

#include "base/CommandMap.h"
#include "base/CommandTable.h"
#include "ui/Menus.h"
#include "ui/Toolbar.h"

namespace tobimaru {

namespace {

void Run(const CommandTable& table, const std::optional<CommandId>& id, const QString& source) {
    if (id)
        table.execute(*id);
    else
        qWarning("no command for %s", qUtf8Printable(source));
}

} // namespace

void ConnectCommandSources(Menus& menus, Toolbar& toolbar, const CommandTable& table,
                           std::function<void()> beforeToolbar) {
    const CommandTable* t = &table;
    QObject::connect(&menus, &Menus::command, &menus,
                     [t](const QString& name) { Run(*t, CommandForMenuItem(name), name); });
    QObject::connect(&toolbar, &Toolbar::buttonClicked, &toolbar,
                     [t, before = std::move(beforeToolbar)](const QString& key) {
                         if (before)
                             before();
                         Run(*t, CommandForButton(key), key);
                     });
}

} // namespace tobimaru
